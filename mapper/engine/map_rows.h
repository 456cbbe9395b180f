// The rows of the file list. The viewer hands them over in two shapes: the
// compact MapRows, one small record per entry pointing into the map's own
// text, whose shown texts are derived when a row is drawn (so a map of half
// a million entries costs a few bytes per entry above its text), and the
// plain MapListing of one MapItem per row, for readers that want every row
// spelled out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// One row of the file list.
struct MapItem {
  std::string caption;    // the entry exactly as the map holds it
  std::string size_text;  // detailed mode: size text, *IsFolder or *IsDeleted
  int state = 0;          // detailed mode: 1 present, 2 missing; 0 none
  std::string icon_path;  // host path whose system icon to show; empty: none
  std::int64_t bytes = -1;  // detailed mode: a present file's size; else -1
};

struct MapListing {
  std::vector<MapItem> items;  // sorted by caption (CompareNoCase)
  bool simple = true;          // plain list (no state images) or report
  std::string first_header;    // "present/count" + *FSTILL
  std::string second_header;   // size text of the total
  std::uint64_t total_bytes = 0;  // the total the second header shows
};

// One row as MapRows keeps it: 24 bytes, so that the rows of a map of half
// a million entries cost less than a quarter of its text.
struct MapRow {
 private:
  // First, so that the fields below fill the padding.
  const char* entry_data_ = nullptr;
  std::uint32_t entry_size_ = 0;

 public:
  MapRow() = default;
  explicit MapRow(std::string_view entry, std::int64_t bytes = -1, std::uint8_t state = 0, bool icon = false)
      : state(state), icon(icon), bytes(bytes) {
    SetEntry(entry);
  }
  // The entry's bytes, inside MapRows::text; a line is never 4 GB long.
  std::string_view entry() const { return {entry_data_, entry_size_}; }
  void SetEntry(std::string_view entry) {
    entry_data_ = entry.data();
    entry_size_ = static_cast<std::uint32_t>(entry.size());
  }

  std::uint8_t state = 0;   // 0 none (plain list), 1 present, 2 missing
  bool icon = false;        // whether the row shows the icon of its path
  std::int64_t bytes = -1;  // a present file's size; else -1
};

struct MapRows {
  // The text every row's entry points into; rows are valid while it lives.
  std::shared_ptr<const std::string> text;
  std::vector<MapRow> rows;  // in the list's order
  bool simple = true;
  std::string first_header;
  std::string second_header;
  std::uint64_t total_bytes = 0;
  // What a present folder and a missing entry show as their size
  // (*IsFolder, *IsDeleted).
  std::string folder_text;
  std::string deleted_text;
  // The Windows folder as a host path followed by "/": a row's icon path is
  // this and its entry's place with "\" turned into "/".
  std::string icon_root;

  std::size_t size() const { return rows.size(); }
  // The size column of row `i`: nothing in the plain list, the folder or
  // deleted text, else the size text of its bytes.
  std::string SizeText(std::size_t i) const;
  // The host path whose icon row `i` shows; empty for none.
  std::string IconPath(std::size_t i) const;
  // Row `i` spelled out.
  MapItem Item(std::size_t i) const;
  // Every row spelled out, with the headers and total.
  MapListing Listing() const;
  // The rows of a listing, which keep its size texts and icon paths as
  // given.
  static std::shared_ptr<const MapRows> FromListing(const MapListing& listing);

 private:
  // Set by FromListing only: the texts a listing gave, row by row.
  std::vector<std::string> given_sizes_;
  std::vector<std::string> given_icons_;
};

// Size text of a byte count: "512 bytes", "1.5 Kb", "1.02E3 bytes", "118 Mb".
std::string SizeText(std::uint64_t bytes);

}  // namespace zv
