// zorvan maps and zorvan show: the map catalogue and one map, read as the
// mapper reads them and shown as its detailed list shows them.
#include <ostream>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/formats.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// A present file's size in the machine formats: its byte count, or empty
// (tsv) / null (json) for a folder or a missing entry.
std::string BytesField(const MapItem& item, const char* none) {
  return item.bytes >= 0 ? std::to_string(item.bytes) : none;
}

int RunMaps(CommandContext& c) {
  Mapper& m = c.mapper;
  LoadMaps(m, "");
  const Format format = c.invocation.format;
  TextTable table({false, true, true, true, false});
  table.Add({"MAP", "ENTRIES", "PRESENT", "MISSING", "SIZE"});
  if (format == Format::kTsv) c.out << MapTsvHeader(c) << "\tentries\tpresent\tmissing\tbytes\n";
  if (format == Format::kJson) c.out << JsonListStart("maps");
  for (std::size_t row = 0; row < m.maps.rows.size(); ++row) {
    const MapListing listing = DetailedListing(m, static_cast<int>(row));
    const ListingCounts n = CountsOf(listing);
    const std::string& name = m.maps.rows[row];
    if (format == Format::kText) {
      table.Add({MapLabel(c, name), std::to_string(n.entries), std::to_string(n.present), std::to_string(n.missing),
                 listing.second_header});
    } else if (format == Format::kTsv) {
      c.out << MapTsvFields(c, name) << '\t' << n.entries << '\t' << n.present << '\t' << n.missing << '\t'
            << listing.total_bytes << '\n';
    } else {
      c.out << JsonRowBreak(row) << "{" << MapJsonMembers(c, name) << ", \"entries\": " << n.entries
            << ", \"present\": " << n.present << ", \"missing\": " << n.missing
            << ", \"bytes\": " << listing.total_bytes << "}";
    }
  }
  if (format == Format::kJson) c.out << JsonListEnd(m.maps.rows.size());
  if (format == Format::kText && !m.maps.rows.empty()) c.out << table.Render();
  if (m.maps.rows.empty()) {
    c.person.Say("there is no map in " + DisplayPath(m.program_folder) +
                 " yet. zorvan new-map takes the first one: the whole Windows folder as it stands.");
  }
  return kDone;
}

int RunShow(CommandContext& c) {
  Mapper& m = c.mapper;
  if (!SelectNamedMap(c, c.invocation.arguments[0])) return kFailed;
  const std::string name = m.maps.SelectedName();
  std::string caption;
  const MapListing listing = DetailedListing(m, m.maps.selected, &caption);
  const ListingCounts n = CountsOf(listing);
  const std::string summary = listing.first_header + ", " + listing.second_header;

  switch (c.invocation.format) {
    case Format::kText: {
      TextTable table({false, true, false});
      table.Add({"STATE", "SIZE", "ENTRY"});
      for (const MapItem& item : listing.items) {
        table.Add({StateWord(item.state), item.size_text, EntryLabel(c, item.caption)});
      }
      c.out << caption << "\n" << table.Render() << summary << "\n";
      break;
    }
    case Format::kTsv:
      c.out << "entry\ttype\tstate\tbytes\n";
      for (const MapItem& item : listing.items) {
        c.out << TsvField(EntryField(c, item.caption)) << '\t' << TypeWord(IsFolderEntry(item.caption)) << '\t'
              << StateWord(item.state) << '\t' << BytesField(item, "") << '\n';
      }
      break;
    case Format::kJson:
      c.out << "{\"format\": " << kJsonFormat << ", " << MapJsonMembers(c, name) << ",\n \"entries\": [";
      for (std::size_t i = 0; i < listing.items.size(); ++i) {
        const MapItem& item = listing.items[i];
        c.out << JsonRowBreak(i) << "{\"entry\": " << JsonString(EntryField(c, item.caption)) << ", \"type\": \""
              << TypeWord(IsFolderEntry(item.caption)) << "\", \"state\": \"" << StateWord(item.state)
              << "\", \"bytes\": " << BytesField(item, "null") << "}";
      }
      c.out << (listing.items.empty() ? "],\n" : "\n ],\n") << " \"totals\": {\"entries\": " << n.entries
            << ", \"present\": " << n.present << ", \"missing\": " << n.missing
            << ", \"bytes\": " << listing.total_bytes << "}}\n";
      break;
  }
  return kDone;
}

}  // namespace

Command MapsCommand() {
  return {
      .name = "maps",
      .summary = "List the maps: entries, how many are present and missing, total size.",
      .arguments = {},
      .options = kFormatOption | kHostPathsOption,
      .description = {
          "Lists the map catalogue as the mapper's map list shows it: every map NAME.MAP of the program folder, in "
          "the mapper's order, with its number of entries, how many of them are still on disk (present) and how "
          "many are not (missing), and the total size of its files that are present. Each map is read as the mapper "
          "reads it (an entry listed twice counts once, a help file's index companion counts), but nothing is "
          "written.",
          "Columns in tsv: map, entries, present, missing, bytes (the total size of the present files in bytes); "
          "with --host-paths map_file, the map file's path, follows map. In json: {\"format\": 1, \"maps\": "
          "[...]}, one object per map with the same names. docs/formats.md describes both.",
      },
      .examples = {"zorvan maps", "zorvan maps --format=json"},
      .run = RunMaps,
  };
}

Command ShowCommand() {
  return {
      .name = "show",
      .summary = "List the entries of one map, with their state and size; totals last.",
      .arguments = {{"MAP", "the name of the map, as zorvan maps lists it (letter case is ignored)"}},
      .options = kFormatOption | kHostPathsOption,
      .description = {
          "Shows the entries of the map MAP as the mapper's detailed list shows them, sorted: whether each is "
          "still on disk (present) or not (missing), and its size, the word for a folder, or the word for a deleted "
          "entry. The totals come last: how many entries are still on disk, and the total size of the files. "
          "Nothing is written.",
          "Columns in tsv: entry (without \"<DIR> \"; with --host-paths its full path), type (file or folder), "
          "state (present or missing), bytes (empty for a folder or a missing entry); one row per entry, no totals. "
          "In json: {\"format\": 1, \"map\": NAME, \"entries\": [...], \"totals\": {...}}, each entry with the "
          "same names (bytes null where tsv leaves it empty), the totals with entries, present, missing and bytes.",
      },
      .examples = {"zorvan show \"Windows (1st map)\"", "zorvan show Foo --format=tsv --host-paths"},
      .run = RunShow,
  };
}

}  // namespace zv::cli
