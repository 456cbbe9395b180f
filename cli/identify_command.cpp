// zorvan identify: which maps list a file, as the mapper's "Identify a
// file" lists it: every entry of every map whose own name holds the file's
// name, present hits first.
#include <ostream>

#include "cli/arguments.h"
#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/formats.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/identify.h"
#include "mapper/engine/messages.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

struct Search {
  std::string file;   // as given
  std::string name;   // the search name: its last component, upper case
  Identification found;
};

void PrintText(CommandContext& c, const std::vector<Search>& searches) {
  const std::string none = LookupMessage(c.mapper, "*NOTMAP");
  for (std::size_t k = 0; k < searches.size(); ++k) {
    const Search& search = searches[k];
    c.out << (k == 0 ? "" : "\n") << '"' << search.name << "\"\n";
    if (search.found.hits.empty()) {
      c.out << none << '\n';
      continue;
    }
    TextTable table({false, false, false});
    table.Add({"STATE", "MAP", "ENTRY"});
    for (const IdentifiedEntry& hit : search.found.hits) {
      table.Add({StateWord(hit.present ? 1 : 2), MapLabel(c, MapNameOf(hit.map_file)), EntryLabel(c, hit.entry)});
    }
    c.out << table.Render();
  }
}

void PrintTsv(CommandContext& c, const std::vector<Search>& searches) {
  c.out << "file\tsearch\tstate\ttype\t" << MapTsvHeader(c) << "\tentry\n";
  for (const Search& search : searches) {
    for (const IdentifiedEntry& hit : search.found.hits) {
      c.out << TsvField(search.file) << '\t' << TsvField(search.name) << '\t' << StateWord(hit.present ? 1 : 2)
            << '\t' << TypeWord(IsFolderEntry(hit.entry)) << '\t' << MapTsvFields(c, MapNameOf(hit.map_file))
            << '\t' << TsvField(EntryField(c, hit.entry)) << '\n';
    }
  }
}

void PrintJson(CommandContext& c, const std::vector<Search>& searches) {
  c.out << JsonListStart("files");
  for (std::size_t k = 0; k < searches.size(); ++k) {
    const Search& search = searches[k];
    c.out << JsonRowBreak(k) << "{\"file\": " << JsonString(search.file)
          << ", \"search\": " << JsonString(search.name) << ", \"hits\": [";
    const std::vector<IdentifiedEntry>& hits = search.found.hits;
    for (std::size_t i = 0; i < hits.size(); ++i) {
      c.out << (i == 0 ? "\n" : ",\n") << "    {\"state\": \"" << StateWord(hits[i].present ? 1 : 2)
            << "\", \"type\": \"" << TypeWord(IsFolderEntry(hits[i].entry)) << "\", "
            << MapJsonMembers(c, MapNameOf(hits[i].map_file))
            << ", \"entry\": " << JsonString(EntryField(c, hits[i].entry)) << "}";
    }
    c.out << (hits.empty() ? "]}" : "\n  ]}");
  }
  c.out << JsonListEnd(searches.size());
}

int RunIdentify(CommandContext& c) {
  Mapper& m = c.mapper;
  std::vector<Search> searches;
  for (const std::string& file : c.invocation.arguments) {
    const std::string name = SearchName(file);
    if (name.empty()) {
      throw UsageError("identify", "'" + file + "' names no file (it ends with a separator): give the file's name "
                                   "or path.");
    }
    searches.push_back({file, name, {}});
  }
  // The maps as the mapper holds them once it has loaded them (normalised,
  // in memory only: this command writes nothing).
  LoadMaps(m, "");
  c.person.SetProgressCaption("Searching...");
  c.person.ShowProgress(true);
  for (Search& search : searches) {
    c.person.SetProgressMessage("\"" + search.name + "\"");
    search.found = SearchMaps(m, search.name);
  }
  c.person.ShowProgress(false);
  switch (c.invocation.format) {
    case Format::kText: PrintText(c, searches); break;
    case Format::kTsv: PrintTsv(c, searches); break;
    case Format::kJson: PrintJson(c, searches); break;
  }
  // As dpkg -S: a file no map lists makes the exit status 1.
  std::vector<std::string> unknown;
  for (const Search& search : searches) {
    if (search.found.hits.empty()) unknown.push_back("\"" + search.file + "\"");
  }
  if (unknown.empty()) return kDone;
  c.person.Say("no map lists " + JoinWords(unknown, "or") + ".");
  return kFailed;
}

}  // namespace

Command IdentifyCommand() {
  return {
      .name = "identify",
      .summary = "Tell which maps list a file, and whether each such entry is still on disk.",
      .arguments = {{"FILE", "the file's name or path; more than one may be given"}},
      .repeats_last = true,
      .options = kFormatOption | kHostPathsOption,
      .description = {
          "Searches every map for each FILE as the mapper's \"Identify a file\" does: only the file's own name "
          "counts (the text after its last /, \\ or :), and it matches every entry whose own last name contains "
          "it, letter case ignored, so foo.dll also finds XFOO.DLL and a folder entry is found by the folder's "
          "name. Each hit is listed with its map and whether it is still on disk (present) or not (missing): "
          "present hits first, then in the order of the entries. A file no map lists is said so. Nothing is "
          "written.",
          "Columns in tsv: file (as given), search (the name searched for), state (present or missing), type (file "
          "or folder), map (with --host-paths map_file after it), entry (without \"<DIR> \"); a file without hits "
          "has no row. In json: {\"format\": 1, \"files\": [...]}, one object per FILE (file, search, hits), "
          "each hit with the same names.",
          "Exit status 0 when every FILE was found in a map, 1 when one was not (each such FILE is named on "
          "standard error), as dpkg -S does.",
      },
      .examples = {"zorvan identify /usr/local/lib/libfoo.so.1", "zorvan identify foo.dll bar.ini --format=tsv"},
      .run = RunIdentify,
  };
}

}  // namespace zv::cli
