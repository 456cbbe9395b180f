// The index of new-map creation: every entry of every map, looked up
// without regard to ASCII letter case. A flat open-addressing hash table of
// views into the map texts it keeps, so a run over half a million entries
// costs no allocation per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// Calls f(line) for every line of `text` (CR LF, LF or CR ends; a last line
// without an end counts; a final line end adds no empty line).
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  std::size_t start = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    f(text.substr(start, i - start));
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) f(text.substr(start));
}

// A hash of `text` that ignores ASCII letter case: texts equal but for case
// hash alike.
std::uint64_t HashNoCase(std::string_view text);

class EntryIndex {
 public:
  // Takes a map file's text and indexes every line after the first (the
  // header). Equal lines (case ignored) are indexed once.
  void AddMapText(std::string text);
  // Indexes one line (a copy is kept).
  void AddLine(std::string_view line);
  // True when an indexed line equals `line`, ASCII case ignored.
  bool Contains(std::string_view line) const;
  // The number of distinct lines indexed.
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // Forgets every line and releases the memory.
  void Clear();

 private:
  struct Slot {
    const char* data = nullptr;  // null: free slot
    std::uint32_t size = 0;
    std::uint32_t tag = 0;  // high half of the hash, to skip most comparisons
  };

  void Reserve(std::size_t lines);
  void Insert(std::string_view line);

  std::deque<std::string> texts_;  // a deque never moves what it holds
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace zv
