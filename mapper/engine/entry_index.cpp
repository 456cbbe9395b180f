#include "mapper/engine/entry_index.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace zv {
namespace {

constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Up to eight bytes as one word, missing bytes zero. A short tail is put
// together byte by byte: a memcpy of a length known only at run time is a
// call, and most names end in one.
inline std::uint64_t LoadWord(const char* p, std::size_t n) {
  std::uint64_t w = 0;
  if (n == 8) {
    std::memcpy(&w, p, 8);
    return w;
  }
  for (std::size_t i = 0; i < n; ++i) w |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  return w;
}

// ASCII upper-casing of eight bytes at once: bytes 'a' to 'z' lose 0x20,
// every other byte (bytes 0x80 and above too) stays as it is.
inline std::uint64_t UpperWord(std::uint64_t w) {
  const std::uint64_t low = w & kLowBits;
  const std::uint64_t at_least_a = low + 0x1F1F1F1F1F1F1F1FULL;  // high bit: byte >= 'a'
  const std::uint64_t above_z = low + 0x0505050505050505ULL;     // high bit: byte > 'z'
  const std::uint64_t lower = at_least_a & ~above_z & ~w & kHighBits;
  return w - (lower >> 2);
}

inline std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ULL;
  h ^= h >> 32;
  return h;
}

bool SameNoCase(const char* a, const char* b, std::size_t n) {
  // Most lines found are spelled alike: one plain comparison tells.
  if (std::memcmp(a, b, n) == 0) return true;
  for (; n >= 8; a += 8, b += 8, n -= 8) {
    if (UpperWord(LoadWord(a, 8)) != UpperWord(LoadWord(b, 8))) return false;
  }
  return n == 0 || UpperWord(LoadWord(a, n)) == UpperWord(LoadWord(b, n));
}

// The line count of a text written with one kind of line end (a guess for
// a text that mixes them; the table grows anyway when it fills).
std::size_t CountLines(std::string_view text) {
  std::size_t ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  if (ends == 0) ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
  return ends + 1;
}

}  // namespace

std::uint64_t HashNoCase(std::string_view s) {
  // Eight bytes at a time, upper-cased in the word: no upper-cased copy.
  std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ s.size();
  const char* p = s.data();
  std::size_t n = s.size();
  for (; n >= 8; p += 8, n -= 8) h = (h ^ UpperWord(LoadWord(p, 8))) * 0x9E3779B97F4A7C15ULL;
  if (n > 0) h = (h ^ UpperWord(LoadWord(p, n))) * 0x9E3779B97F4A7C15ULL;
  return Mix(h);
}

void EntryIndex::AddMapText(std::string text) { AddMapText(std::make_shared<const std::string>(std::move(text))); }

void EntryIndex::AddMapText(std::shared_ptr<const std::string> text) {
  const std::string& kept = *texts_.emplace_back(std::move(text));
  Reserve(count_ + CountLines(kept));
  std::string_view lines[kBatch];
  std::size_t count = 0;
  bool header = true;
  ForEachLine(kept, [&](std::string_view line) {
    if (header) {
      header = false;
      return;
    }
    lines[count++] = line;
    if (count == kBatch) {
      Insert(lines, count);
      count = 0;
    }
  });
  Insert(lines, count);
}

void EntryIndex::AddLine(std::string_view line) {
  const std::string_view kept = *texts_.emplace_back(std::make_shared<const std::string>(line));
  Insert(&kept, 1);
}

bool EntryIndex::Contains(std::string_view line) const {
  return !slots_.empty() && Find(line, HashNoCase(line));
}

void EntryIndex::Prepare(Batch& batch) const {
  const std::size_t mask = slots_.empty() ? 0 : slots_.size() - 1;
  for (std::size_t i = 0; i < batch.count; ++i) {
    batch.hashes[i] = HashNoCase(batch.lines[i]);
    if (!slots_.empty()) __builtin_prefetch(&slots_[batch.hashes[i] & mask]);
  }
}

void EntryIndex::FetchTexts(const Batch& batch) const {
  if (slots_.empty()) return;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = 0; i < batch.count; ++i) {
    const Slot& slot = slots_[batch.hashes[i] & mask];
    if (slot.data != nullptr && slot.tag == static_cast<std::uint32_t>(batch.hashes[i] >> 32) && slot.size > 0) {
      __builtin_prefetch(slot.data);
      __builtin_prefetch(slot.data + slot.size - 1);
    }
  }
}

void EntryIndex::Answer(const Batch& batch, bool* known) const {
  for (std::size_t i = 0; i < batch.count; ++i) {
    known[i] = !slots_.empty() && Find(batch.lines[i], batch.hashes[i]);
  }
}

bool EntryIndex::Find(std::string_view line, std::uint64_t hash) const {
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.data == nullptr) return false;
    if (slot.tag == tag && slot.size == line.size() && SameNoCase(slot.data, line.data(), line.size())) {
      return true;
    }
  }
}

void EntryIndex::Clear() {
  std::vector<std::shared_ptr<const std::string>>().swap(texts_);
  std::vector<Slot>().swap(slots_);
  count_ = 0;
}

// Keeps the table at most half full, so probes stay short.
void EntryIndex::Reserve(std::size_t lines) {
  std::size_t wanted = 16;
  while (wanted < 2 * lines) wanted *= 2;
  if (wanted <= slots_.size()) return;
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(wanted, Slot{});
  const std::size_t mask = wanted - 1;
  for (const Slot& slot : old) {
    if (slot.data == nullptr) continue;
    // The slot keeps only the high half of the hash; the low half decides
    // the place, so it is computed again.
    std::size_t i = HashNoCase(std::string_view(slot.data, slot.size)) & mask;
    while (slots_[i].data != nullptr) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void EntryIndex::Insert(const std::string_view* lines, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (lines[i].size() > std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error("map line too long for the index");
    }
  }
  // The table grows before the lines' places are fetched, so they stay.
  if (2 * (count_ + count) > slots_.size()) Reserve(2 * (count_ + count));
  const std::size_t mask = slots_.size() - 1;
  std::uint64_t hashes[kBatch];
  for (std::size_t i = 0; i < count; ++i) {
    hashes[i] = HashNoCase(lines[i]);
    __builtin_prefetch(&slots_[hashes[i] & mask], 1);
  }
  for (std::size_t k = 0; k < count; ++k) {
    const std::string_view line = lines[k];
    const auto tag = static_cast<std::uint32_t>(hashes[k] >> 32);
    std::size_t i = hashes[k] & mask;
    bool known = false;
    for (; slots_[i].data != nullptr; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.tag == tag && slot.size == line.size() && SameNoCase(slot.data, line.data(), line.size())) {
        known = true;
        break;
      }
    }
    if (known) continue;
    // An empty line still needs a non-null pointer to mark its slot used.
    static const char kEmpty = 0;
    slots_[i] = Slot{line.empty() ? &kEmpty : line.data(), static_cast<std::uint32_t>(line.size()), tag};
    ++count_;
  }
}

}  // namespace zv
