// zorvan maps and zorvan show: the map catalogue and one map, read as the
// mapper reads them and shown as its detailed list shows them.
#include <algorithm>
#include <ostream>
#include <string_view>

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
std::string BytesField(const MapRow& row, const char* none) {
  return row.bytes >= 0 ? std::to_string(row.bytes) : none;
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
    // One map's rows at a time: they are counted and let go.
    const std::shared_ptr<const MapRows> rows = DetailedRows(m, static_cast<int>(row));
    const ListingCounts n = CountsOf(*rows);
    const std::string& name = m.maps.rows[row];
    if (format == Format::kText) {
      table.Add({MapLabel(c, name), std::to_string(n.entries), std::to_string(n.present), std::to_string(n.missing),
                 rows->second_header});
    } else if (format == Format::kTsv) {
      c.out << MapTsvFields(c, name) << '\t' << n.entries << '\t' << n.present << '\t' << n.missing << '\t'
            << rows->total_bytes << '\n';
    } else {
      c.out << JsonRowBreak(row) << "{" << MapJsonMembers(c, name) << ", \"entries\": " << n.entries
            << ", \"present\": " << n.present << ", \"missing\": " << n.missing
            << ", \"bytes\": " << rows->total_bytes << "}";
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

// The rows as the text table: STATE, SIZE (right-aligned), ENTRY, laid out
// as TextTable lays them out, the widths found in a first pass over the
// rows so that the rows are printed one by one, never held as text.
void PrintShowTable(CommandContext& c, const MapRows& rows) {
  const std::string_view headers[] = {"STATE", "SIZE", "ENTRY"};
  std::size_t state_width = Columns(headers[0]);
  std::size_t size_width = Columns(headers[1]);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    state_width = std::max(state_width, Columns(StateWord(rows.rows[i].state)));
    size_width = std::max(size_width, Columns(rows.SizeText(i)));
  }
  const auto print_row = [&](std::string_view state, std::string_view size, std::string_view entry) {
    c.out << state << std::string(state_width - Columns(state), ' ') << "  "
          << std::string(size_width - Columns(size), ' ') << size << "  " << entry << '\n';
  };
  print_row(headers[0], headers[1], headers[2]);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    print_row(StateWord(rows.rows[i].state), rows.SizeText(i), EntryLabel(c, rows.rows[i].entry()));
  }
}

int RunShow(CommandContext& c) {
  Mapper& m = c.mapper;
  if (!SelectNamedMap(c, c.invocation.arguments[0])) return kFailed;
  const std::string name = m.maps.SelectedName();
  std::string caption;
  const std::shared_ptr<const MapRows> rows = DetailedRows(m, m.maps.selected, &caption);
  const ListingCounts n = CountsOf(*rows);

  switch (c.invocation.format) {
    case Format::kText:
      c.out << caption << "\n";
      PrintShowTable(c, *rows);
      c.out << rows->first_header << ", " << rows->second_header << "\n";
      break;
    case Format::kTsv:
      c.out << "entry\ttype\tstate\tbytes\n";
      for (const MapRow& row : rows->rows) {
        c.out << TsvField(EntryField(c, row.entry())) << '\t' << TypeWord(IsFolderEntry(row.entry())) << '\t'
              << StateWord(row.state) << '\t' << BytesField(row, "") << '\n';
      }
      break;
    case Format::kJson:
      c.out << "{\"format\": " << kJsonFormat << ", " << MapJsonMembers(c, name) << ",\n \"entries\": [";
      for (std::size_t i = 0; i < rows->size(); ++i) {
        const MapRow& row = rows->rows[i];
        c.out << JsonRowBreak(i) << "{\"entry\": " << JsonString(EntryField(c, row.entry())) << ", \"type\": \""
              << TypeWord(IsFolderEntry(row.entry())) << "\", \"state\": \"" << StateWord(row.state)
              << "\", \"bytes\": " << BytesField(row, "null") << "}";
      }
      c.out << (rows->rows.empty() ? "],\n" : "\n ],\n") << " \"totals\": {\"entries\": " << n.entries
            << ", \"present\": " << n.present << ", \"missing\": " << n.missing
            << ", \"bytes\": " << rows->total_bytes << "}}\n";
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
