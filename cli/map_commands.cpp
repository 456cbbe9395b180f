// zorvan maps and zorvan show: the map catalogue and one map, read as the
// mapper reads them and shown as its detailed list shows them.
#include <algorithm>
#include <ostream>
#include <string_view>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/formats.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_path.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// Output gathered in blocks of about 64 KB, so that a map of half a million
// rows is printed in a few hundred writes, row by row, never held whole.
class BlockWriter {
 public:
  explicit BlockWriter(std::ostream& out) : out_(out) { block_.reserve(2 * kBlock); }
  ~BlockWriter() { Flush(); }
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;
  // The block to append the next row to.
  std::string& block() { return block_; }
  // Called after each row: writes the block once it is full.
  void RowDone() {
    if (block_.size() >= kBlock) Flush();
  }
  void Flush() {
    out_.write(block_.data(), static_cast<std::streamsize>(block_.size()));
    block_.clear();
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  std::ostream& out_;
  std::string block_;
};

// A present file's size in the machine formats: its byte count, or empty
// (tsv) / null (json) for a folder or a missing entry.
std::string BytesField(const MapRow& row, const char* none) {
  return row.bytes >= 0 ? std::to_string(row.bytes) : none;
}

// An entry's path in tsv and json, without copying it when it is printed
// as the map holds it.
std::string_view EntryFieldOf(const CommandContext& c, std::string_view entry, std::string* host_path) {
  if (!c.invocation.host_paths) return EntryTarget(entry);
  *host_path = EntryHostPath(c.mapper, entry);
  return *host_path;
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
// rows so that no row is held as text.
void PrintShowTable(CommandContext& c, const MapRows& rows, BlockWriter& out) {
  const std::string_view headers[] = {"STATE", "SIZE", "ENTRY"};
  std::size_t state_width = Columns(headers[0]);
  std::size_t size_width = Columns(headers[1]);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    state_width = std::max(state_width, Columns(StateWord(rows.rows[i].state)));
    size_width = std::max(size_width, Columns(rows.SizeText(i)));
  }
  const auto add_row = [&](std::string_view state, std::string_view size, std::string_view entry) {
    std::string& line = out.block();
    line.append(state).append(state_width - Columns(state), ' ').append("  ");
    line.append(size_width - Columns(size), ' ').append(size).append("  ");
    line.append(entry).push_back('\n');
    out.RowDone();
  };
  add_row(headers[0], headers[1], headers[2]);
  std::string host_path;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string_view entry = rows.rows[i].entry();
    if (c.invocation.host_paths) host_path = EntryHostPath(c.mapper, entry);
    add_row(StateWord(rows.rows[i].state), rows.SizeText(i), c.invocation.host_paths ? host_path : entry);
  }
}

int RunShow(CommandContext& c) {
  Mapper& m = c.mapper;
  if (!SelectNamedMap(c, c.invocation.arguments[0])) return kFailed;
  const std::string name = m.maps.SelectedName();
  std::string caption;
  const std::shared_ptr<const MapRows> rows = DetailedRows(m, m.maps.selected, &caption);
  const ListingCounts n = CountsOf(*rows);
  BlockWriter out(c.out);
  std::string& block = out.block();
  std::string host_path;

  switch (c.invocation.format) {
    case Format::kText:
      block.append(caption).push_back('\n');
      PrintShowTable(c, *rows, out);
      block.append(rows->first_header).append(", ").append(rows->second_header).push_back('\n');
      break;
    case Format::kTsv:
      block.append("entry\ttype\tstate\tbytes\n");
      for (const MapRow& row : rows->rows) {
        block.append(TsvField(EntryFieldOf(c, row.entry(), &host_path))).append("\t");
        block.append(TypeWord(IsFolderEntry(row.entry()))).append("\t").append(StateWord(row.state)).append("\t");
        block.append(BytesField(row, "")).push_back('\n');
        out.RowDone();
      }
      break;
    case Format::kJson:
      block.append("{\"format\": ").append(std::to_string(kJsonFormat)).append(", ");
      block.append(MapJsonMembers(c, name)).append(",\n \"entries\": [");
      for (std::size_t i = 0; i < rows->size(); ++i) {
        const MapRow& row = rows->rows[i];
        block.append(JsonRowBreak(i)).append("{\"entry\": ").append(JsonString(EntryFieldOf(c, row.entry(), &host_path)));
        block.append(", \"type\": \"").append(TypeWord(IsFolderEntry(row.entry())));
        block.append("\", \"state\": \"").append(StateWord(row.state));
        block.append("\", \"bytes\": ").append(BytesField(row, "null")).append("}");
        out.RowDone();
      }
      block.append(rows->rows.empty() ? "],\n" : "\n ],\n");
      block.append(" \"totals\": {\"entries\": ").append(std::to_string(n.entries));
      block.append(", \"present\": ").append(std::to_string(n.present));
      block.append(", \"missing\": ").append(std::to_string(n.missing));
      block.append(", \"bytes\": ").append(std::to_string(rows->total_bytes)).append("}}\n");
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
