#include "platform/text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace zv {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

namespace {

// ASCII upper-casing of eight bytes at once: bytes 'a' to 'z' lose 0x20,
// every other byte (0x80 and above too) stays as it is.
std::uint64_t UpperWord(std::uint64_t w) {
  constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  const std::uint64_t low = w & kLowBits;
  const std::uint64_t at_least_a = low + 0x1F1F1F1F1F1F1F1FULL;  // high bit: byte >= 'a'
  const std::uint64_t above_z = low + 0x0505050505050505ULL;     // high bit: byte > 'z'
  const std::uint64_t lower = at_least_a & ~above_z & ~w & kHighBits;
  return w - (lower >> 2);
}

// A word loaded from memory as the number its bytes make in memory order,
// the first byte the most significant.
std::uint64_t BigEndian(std::uint64_t w) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(w);
  return w;
}

std::uint64_t LoadWord(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

}  // namespace

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  // Eight bytes at a time; paths share long prefixes. Read as big-endian
  // numbers, two upper-cased words order as their first differing bytes do.
  for (; i + 8 <= n; i += 8) {
    const std::uint64_t x = LoadWord(a.data() + i), y = LoadWord(b.data() + i);
    if (x == y) continue;
    const std::uint64_t ux = BigEndian(UpperWord(x)), uy = BigEndian(UpperWord(y));
    if (ux != uy) return ux < uy ? -1 : 1;
  }
  for (; i < n; ++i) {
    const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
    if (EqualsNoCase(haystack.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

bool MatchWildcard(std::string_view pattern, std::string_view name) {
  // Iterative matcher with one backtrack point for the last "*" seen.
  std::size_t p = 0, s = 0, star = std::string_view::npos, mark = 0;
  while (s < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || UpperAscii(pattern[p]) == UpperAscii(name[s]))) {
      ++p;
      ++s;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = s;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      s = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string ToHostPath(std::string_view path) {
  std::string out(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

std::string LastComponent(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

namespace {

// The bytes of the character that begins at text[i]: a whole UTF-8 sequence,
// or one byte where none begins.
std::size_t CharacterLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 1;
  if (n == 1 || n > text.size() - i) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace

std::string_view CutAtCharacters(std::string_view text, std::size_t first, std::size_t max_bytes) {
  std::size_t start = 0;
  while (start < first && start < text.size()) start += CharacterLength(text, start);
  const std::size_t limit = max_bytes >= text.size() - start ? text.size() : start + max_bytes;
  std::size_t end = start;
  while (end < limit) {
    const std::size_t n = CharacterLength(text, end);
    if (n > limit - end) break;
    end += n;
  }
  return text.substr(start, end - start);
}

}  // namespace zv
