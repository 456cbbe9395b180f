// zorvan files and owner: between maps and host paths, for scripts. files
// lists a map's entries as paths a shell command takes; owner tells which
// maps list a path, as dpkg -L and dpkg -S do for packages.
#include <map>
#include <ostream>
#include <set>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/formats.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_path.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

int RunFiles(CommandContext& c) {
  Mapper& m = c.mapper;
  if (!SelectNamedMap(c, c.invocation.arguments[0])) return kFailed;
  const std::string file = FileOfMap(m, m.maps.SelectedName());
  const char end = c.invocation.nul ? '\0' : '\n';
  for (const std::string& entry : MapEntries(m, file)) c.out << EntryHostPath(m, entry) << end;
  return kDone;
}

// What a path given to owner names.
struct Asked {
  std::string given;
  std::string shown;  // the full host path, as files prints it
  std::string key;    // the entry path in the map's form, upper case; empty: outside the Windows folder
  std::vector<std::string> maps;
};

int RunOwner(CommandContext& c) {
  Mapper& m = c.mapper;
  const std::string windows = ToHostPath(m.windows_folder);
  std::vector<Asked> asked;
  std::map<std::string, std::vector<std::size_t>> by_key;  // the paths each key answers
  for (const std::string& given : c.invocation.arguments) {
    Asked path{given, m.host.ExpandPath(given), {}, {}};
    if (StartsWith(path.shown, windows + "/") && path.shown.size() > windows.size() + 1) {
      path.key = UpperAscii(GivenEntryPath(m, path.shown));
      by_key[path.key].push_back(asked.size());
    }
    asked.push_back(std::move(path));
  }
  LoadMaps(m, "");
  for (const std::string& file : MapFiles(m)) {
    const std::string name = MapNameOf(file);
    std::set<std::size_t> owned;  // a map that lists an entry twice owns it once
    for (const std::string& entry : MapEntries(m, file)) {
      const auto found = by_key.find(UpperAscii(std::string(EntryTarget(entry))));
      if (found == by_key.end()) continue;
      for (const std::size_t i : found->second) {
        if (owned.insert(i).second) asked[i].maps.push_back(name);
      }
    }
  }
  int code = kDone;
  for (const Asked& path : asked) {
    for (const std::string& name : path.maps) c.out << name << ": " << path.shown << '\n';
    if (!path.maps.empty()) continue;
    code = kFailed;
    c.person.Say(path.key.empty() ? "\"" + path.given + "\" is not below the Windows folder " + windows + "."
                                  : "no map lists \"" + path.given + "\".");
  }
  return code;
}

}  // namespace

Command FilesCommand() {
  return {
      .name = "files",
      .summary = "Print the full paths of a map's entries, one per line, for other commands.",
      .arguments = {{"MAP", "the map's name, as zorvan maps lists it (letter case is ignored)"}},
      .options = kNulOption,
      .description = {
          "Prints the full host path of every entry of the map MAP, in the map's order, one per line, a folder "
          "ending with \"/\"; nothing else goes to standard output, present or missing alike. With -0 each path "
          "ends with a NUL byte instead of a line break, so that any name passes intact, as in zorvan files Foo -0 "
          "| xargs -0 ls -ld. Nothing is written.",
      },
      .examples = {"zorvan files \"Foo 2.1\"", "zorvan files Foo -0 | xargs -0 du -ch"},
      .run = RunFiles,
  };
}

Command OwnerCommand() {
  return {
      .name = "owner",
      .summary = "Tell which maps list exactly this path (as dpkg -S).",
      .arguments = {{"PATH", "a file or folder below the Windows folder, absolute or relative to the current folder; "
                             "more than one may be given"}},
      .repeats_last = true,
      .description = {
          "For each PATH, prints one line \"MAP: PATH\" for every map that lists exactly that file or folder "
          "(letter case ignored, as maps compare), PATH written as a full host path. The path itself is not "
          "looked at: it may be gone from the disk. To search by name, use zorvan identify. Nothing is written.",
          "Exit status 0 when every PATH has a map, 1 when one has none or lies outside the Windows folder (each "
          "such PATH is named on standard error).",
      },
      .examples = {"zorvan owner /usr/local/lib/libfoo.so.1", "zorvan files Foo | xargs -d '\\n' zorvan owner"},
      .run = RunOwner,
  };
}

}  // namespace zv::cli
