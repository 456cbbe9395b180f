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

int RunMaps(CommandContext& c) {
  Mapper& m = c.mapper;
  LoadMaps(m, "");
  const Format format = c.invocation.format;
  TextTable table({false, true, true, true, false});
  table.Add({"MAP", "ENTRIES", "PRESENT", "MISSING", "SIZE"});
  if (format == Format::kTsv) c.out << "map\tentries\tpresent\tmissing\tbytes\tsize\n";
  if (format == Format::kJson) c.out << "[";
  for (std::size_t row = 0; row < m.maps.rows.size(); ++row) {
    const MapListing listing = DetailedListing(m, static_cast<int>(row));
    const ListingCounts n = CountsOf(listing);
    const std::string label = MapLabel(c, m.maps.rows[row]);
    if (format == Format::kText) {
      table.Add({label, std::to_string(n.entries), std::to_string(n.present), std::to_string(n.missing),
                 listing.second_header});
    } else if (format == Format::kTsv) {
      c.out << TsvField(label) << '\t' << n.entries << '\t' << n.present << '\t' << n.missing << '\t'
            << listing.total_bytes << '\t' << listing.second_header << '\n';
    } else {
      c.out << (row == 0 ? "\n" : ",\n") << "  {\"map\": " << JsonString(label) << ", \"entries\": " << n.entries
            << ", \"present\": " << n.present << ", \"missing\": " << n.missing
            << ", \"bytes\": " << listing.total_bytes << ", \"size\": " << JsonString(listing.second_header) << "}";
    }
  }
  if (format == Format::kJson) c.out << (m.maps.rows.empty() ? "]\n" : "\n]\n");
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
      c.out << "entry\tstate\tsize\tbytes\n";
      for (const MapItem& item : listing.items) {
        c.out << TsvField(EntryLabel(c, item.caption)) << '\t' << StateWord(item.state) << '\t'
              << TsvField(item.size_text) << '\t' << (item.bytes >= 0 ? std::to_string(item.bytes) : "") << '\n';
      }
      c.out << '\t' << n.present << '/' << n.entries << '\t' << TsvField(listing.second_header) << '\t'
            << listing.total_bytes << '\n';
      break;
    case Format::kJson:
      c.out << "{\"map\": " << JsonString(MapLabel(c, name)) << ",\n \"entries\": [";
      for (std::size_t i = 0; i < listing.items.size(); ++i) {
        const MapItem& item = listing.items[i];
        c.out << (i == 0 ? "\n" : ",\n") << "  {\"entry\": " << JsonString(EntryLabel(c, item.caption))
              << ", \"state\": \"" << StateWord(item.state) << "\", \"size\": " << JsonString(item.size_text)
              << ", \"bytes\": " << (item.bytes >= 0 ? std::to_string(item.bytes) : "null") << "}";
      }
      c.out << (listing.items.empty() ? "],\n" : "\n ],\n") << " \"totals\": {\"entries\": " << n.entries
            << ", \"present\": " << n.present << ", \"missing\": " << n.missing
            << ", \"bytes\": " << listing.total_bytes << ", \"size\": " << JsonString(listing.second_header)
            << ", \"summary\": " << JsonString(listing.first_header) << "}}\n";
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
          "Columns in tsv: map, entries, present, missing, bytes, size. In json: an array of objects with the same "
          "names.",
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
          "Columns in tsv: entry, state, size, bytes; the last line, whose entry is empty, holds the totals "
          "(present/entries, size, bytes). In json: an object with the map's name, its entries (entry, state, size, "
          "bytes; bytes is null for a folder or a missing entry) and its totals.",
      },
      .examples = {"zorvan show \"Windows (1st map)\"", "zorvan show Foo --format=tsv --host-paths"},
      .run = RunShow,
  };
}

}  // namespace zv::cli
