// The index of new-map creation: every entry of every map, looked up
// without regard to ASCII letter case. A flat open-addressing hash table of
// views into the map texts it keeps, so a run over half a million entries
// costs no allocation per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// Calls f(line) for every line of `text` (CR LF, LF or CR ends; a last line
// without an end counts; a final line end adds no empty line).
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  // The next CR and the next LF are each found with memchr, which reads many
  // bytes at once, and each is looked for again only once it is passed, so
  // every byte is read at most once for each.
  const char* const end = text.data() + text.size();
  const auto next = [end](const char* from, char c) {
    const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found != nullptr ? static_cast<const char*>(found) : end;
  };
  const char* p = text.data();
  const char* cr = nullptr;  // the next CR at or after p, once looked for
  const char* lf = nullptr;
  while (p < end) {
    if (cr == nullptr || cr < p) cr = next(p, '\r');
    if (lf == nullptr || lf < p) lf = next(p, '\n');
    const char* stop = cr < lf ? cr : lf;
    f(std::string_view(p, static_cast<std::size_t>(stop - p)));
    if (stop == end) return;
    p = stop + 1;
    if (stop == cr && p < end && *p == '\n') ++p;
  }
}

// A hash of `text` that ignores ASCII letter case: texts equal but for case
// hash alike.
std::uint64_t HashNoCase(std::string_view text);

class EntryIndex {
 public:
  // Takes a map file's text and indexes every line after the first (the
  // header). Equal lines (case ignored) are indexed once.
  void AddMapText(std::string text);
  // The same for a text others may hold too; the index keeps it alive.
  void AddMapText(std::shared_ptr<const std::string> text);
  // Indexes one line (a copy is kept).
  void AddLine(std::string_view line);
  // True when an indexed line equals `line`, ASCII case ignored.
  bool Contains(std::string_view line) const;
  // Calls f(line, known) for every line of `text` (as ForEachLine splits
  // it) in order, `known` being Contains(line). Lines are looked up a batch
  // at a time, and the memory a batch will read is sent for while the
  // batch before it is answered, so that look-ups do not wait for memory
  // one after the other.
  template <typename F>
  void ForEachLineLookedUp(std::string_view text, F&& f) const {
    Batch batches[2];
    Batch* filling = &batches[0];
    Batch* waiting = &batches[1];
    bool known[kBatch];
    const auto answer = [&](const Batch& batch) {
      Answer(batch, known);
      for (std::size_t i = 0; i < batch.count; ++i) f(batch.lines[i], known[i]);
    };
    const auto step = [&] {
      Prepare(*filling);
      if (waiting->count > 0) answer(*waiting);
      FetchTexts(*filling);
      std::swap(filling, waiting);
      filling->count = 0;
    };
    ForEachLine(text, [&](std::string_view line) {
      filling->lines[filling->count++] = line;
      if (filling->count == kBatch) step();
    });
    if (filling->count > 0) step();
    if (waiting->count > 0) answer(*waiting);
  }
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

  // How many lines are hashed, and their places fetched, before the first
  // of them is looked up or put in.
  static constexpr std::size_t kBatch = 16;

  // Lines on their way to a look-up, with their hashes.
  struct Batch {
    std::string_view lines[kBatch];
    std::uint64_t hashes[kBatch];
    std::size_t count = 0;
  };

  void Reserve(std::size_t lines);
  void Insert(const std::string_view* lines, std::size_t count);
  // Hashes the batch's lines and sends for the first slot of each.
  void Prepare(Batch& batch) const;
  // Sends for the text of the slot each line will meet first, when it may
  // be the line.
  void FetchTexts(const Batch& batch) const;
  // known[i] = Contains(batch.lines[i]).
  void Answer(const Batch& batch, bool* known) const;
  bool Find(std::string_view line, std::uint64_t hash) const;

  std::vector<std::shared_ptr<const std::string>> texts_;  // the lines' texts
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace zv
