#include "mapper/engine/messages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "platform/text.h"

namespace zv {
namespace {

constexpr const char* kCatalogue = "MESSAGES.DAT";
constexpr const char* kEndMessages = "*ENDMESSAGES";
// The language file and its catalogue are small files, read through a
// link a person may have made.
constexpr FileRules kSmallFile{.max_bytes = kSmallFileLimit};
// A carried file is data written into the program folder: never through a
// link, never over a program, never with a run bit.
constexpr FileRules kCarriedFile{.follow_link = false, .plain_data = true};
// The longest name a file can have.
constexpr std::size_t kLongestFileName = 255;
// Key lengths are stored as one byte, n + 100.
constexpr int kMaxKeyLength = 255 - 100;

int Value(char c) { return static_cast<unsigned char>(c); }

bool StorableByte(int value) { return value != 0 && value != '\n' && value != '\r'; }

// The stored form of key byte `key` at 1-based position i, and back.
int StoredKeyByte(int key, int i) { return (key + 32 + i % 3) & 0xFF; }

// Plain bytes placed as `base + prev rem 10` can never become NUL, LF or
// CR when `base` lies in this range, whatever the remainder (-9 to 9).
constexpr int kSafeLow = 23, kSafeHigh = 246;

// Encodes `plain` with `key` into *out; false when a stored byte would be
// NUL, LF or CR.
bool TryEncode(std::string_view plain, const std::vector<int>& key, std::string* out) {
  const int n = static_cast<int>(key.size());
  out->clear();
  out->reserve(1 + key.size() + plain.size());
  out->push_back(static_cast<char>(n + 100));
  for (int i = 1; i <= n; ++i) {
    const int stored = StoredKeyByte(key[i - 1], i);
    if (!StorableByte(stored)) return false;
    out->push_back(static_cast<char>(stored));
  }
  int prev = 0, j = 1;
  for (char c : plain) {
    const int k = key[j - 1];
    const int s = (Value(c) - k + j % 3 + prev % 10 + 128) & 0xFF;
    if (!StorableByte(s)) return false;
    out->push_back(static_cast<char>(s));
    // The decoder's value before it is cut to 8 bits: it feeds the next byte.
    prev = s + k - j % 3 - prev % 10 - 128;
    if (++j > n) j = 1;
  }
  return true;
}

// Picks a key of length n: each key byte is chosen, where possible, so that
// every plain byte it scrambles lands in the safe range; otherwise at random.
std::vector<int> PickKey(std::string_view plain, int n, std::mt19937& rng) {
  std::vector<int> key(n);
  std::vector<int> safe, bytes;
  safe.reserve(256);
  bytes.reserve(256);
  for (int j = 1; j <= n; ++j) {
    std::array<bool, 256> present{};
    bytes.clear();
    for (std::size_t p = j - 1; p < plain.size(); p += n) {
      const int c = Value(plain[p]);
      if (!present[c]) bytes.push_back(c);
      present[c] = true;
    }
    safe.clear();
    for (int k = 0; k < 256; ++k) {
      if (!StorableByte(StoredKeyByte(k, j))) continue;
      bool ok = true;
      for (std::size_t b = 0; b < bytes.size() && ok; ++b) {
        const int base = (bytes[b] - k + j % 3 + 128) & 0xFF;
        ok = base >= kSafeLow && base <= kSafeHigh;
      }
      if (ok) safe.push_back(k);
    }
    if (!safe.empty()) {
      key[j - 1] = safe[rng() % safe.size()];
    } else {
      do key[j - 1] = static_cast<int>(rng() & 0xFF);
      while (!StorableByte(StoredKeyByte(key[j - 1], j)));
    }
  }
  return key;
}

}  // namespace

std::string LookupMessage(const Mapper& mapper, const std::string& key) {
  if (!mapper.host.FileExists(mapper.ProgramFile(kCatalogue))) return key.substr(key.empty() ? 0 : 1);
  const std::vector<std::string> lines = ReadCatalogueLines(mapper);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == kEndMessages) break;
    if (lines[i] == key) return i + 1 < lines.size() ? lines[i + 1] : std::string();
  }
  return "[" + key + " not found]";
}

std::vector<std::string> ReadCatalogueLines(const Mapper& mapper) {
  return SplitLines(mapper.host.ReadOwnFile(mapper.ProgramFile(kCatalogue), kSmallFile));
}

std::string DecodeLanguageLine(std::string_view s) {
  std::string result;
  if (s.empty()) return result;
  const int n = Value(s[0]) - 100;
  const int key_length = n < 1 ? 0 : n;
  std::vector<int> key(key_length > 0 ? key_length : 1, 0);
  for (int i = 1; i <= key_length && i < static_cast<int>(s.size()); ++i) {
    key[i - 1] = (Value(s[i]) - 32 - i % 3) & 0xFF;
  }
  const std::size_t first = static_cast<std::size_t>(key_length) + 1;
  if (first >= s.size()) return result;
  result.reserve(s.size() - first);
  const int cycle = static_cast<int>(key.size());
  int prev = 0, j = 1;
  for (std::size_t p = first; p < s.size(); ++p) {
    // C++ % truncates toward zero, so prev % 10 carries the sign of prev.
    const int v = Value(s[p]) + key[j - 1] - j % 3 - prev % 10 - 128;
    if (++j > cycle) j = 1;
    result.push_back(static_cast<char>(v & 0xFF));
    prev = v;
  }
  return result;
}

std::string EncodeLanguageLine(std::string_view plain, unsigned seed) {
  if (plain.empty()) return std::string(1, static_cast<char>(100));
  std::mt19937 rng(seed);
  const int longest = std::min<int>(kMaxKeyLength, static_cast<int>(plain.size()));
  std::string out;
  // Short keys first (compact lines); a key as long as the line (or the
  // longest key) gives each key byte the fewest plain bytes to keep safe.
  for (int attempt = 0; attempt < 64; ++attempt) {
    const int n = attempt < 16 ? 1 + static_cast<int>(rng() % std::min(longest, 12)) : longest;
    if (TryEncode(plain, PickKey(plain, n, rng), &out)) return out;
  }
  throw std::invalid_argument("no key keeps this language line free of line breaks and NUL bytes");
}

std::string CarriedFileRefusal(std::string_view name) {
  if (name.empty()) return "no name";
  if (name.front() == '.') return "a hidden name, or one standing for a folder";
  if (name.size() > kLongestFileName) return "longer than a file name can be";
  if (name.find_first_of("/\\") != std::string_view::npos) return "holds a path separator";
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return "holds a control character";
  }
  for (const char* program : {"Zorvan32", "Vigilo32", "Zorvan32.exe", "Vigilo32.exe"}) {
    if (EqualsNoCase(name, program)) return "the name of one of the programs";
  }
  if (MatchWildcard("*.MAP", name)) return "the name of a map";
  for (const char* own : {"ZV.INI", "IGNORLST.TXT", "WINDIR.TMP", "vigilo.ini", "vigilo.dat"}) {
    if (EqualsNoCase(name, own)) return "a file the program keeps for itself";
  }
  if (EqualsNoCase(name, "#TRASH")) return "the trash folder";
  return {};
}

UnpackResult UnpackLanguageFile(Mapper& mapper, const std::string& file_name) {
  const std::string path = StartsWith(file_name, "/") ? file_name : mapper.SharedFile(file_name);
  if (!mapper.host.FileExists(path)) return UnpackResult::kMissing;
  const std::vector<std::string> stored = SplitLines(mapper.host.ReadOwnFile(path, kSmallFile));

  // The carried files left unwritten, each with its reason; told once.
  std::vector<std::string> refused;
  const auto tell_refusals = [&] {
    if (refused.empty()) return;
    std::string text = file_name + " carries files that were not written:";
    for (const std::string& line : refused) text += "\n" + line;
    mapper.person.ShowNotice("Error", text);
  };
  std::string current;  // name of the carried file being collected; empty: none
  bool skipping = false;  // the lines belong to a refused file
  std::vector<std::string> lines;
  const auto write_current = [&] {
    if (current.empty()) return;
    try {
      mapper.host.WriteOwnFile(mapper.ProgramFile(current), JoinLines(lines), kCarriedFile);
    } catch (const RefusedFileError& e) {
      refused.push_back(e.what());
    }
  };
  try {
    for (const std::string& line : stored) {
      const std::string plain = DecodeLanguageLine(std::string_view(line).substr(line.empty() ? 0 : 1));
      if (!StartsWith(plain, "***")) {
        if (current.empty() && !skipping) {
          throw HostError(path, "a text line stands before the first file header");
        }
        if (!skipping) lines.push_back(plain);
        continue;
      }
      const std::size_t close = plain.find("***", 3);
      const std::string name = close == std::string::npos ? std::string() : plain.substr(3, close - 3);
      // A carried file is written only once complete, so a file cut short
      // never replaces a good one.
      write_current();
      lines.clear();
      current.clear();
      if (name == "END") {
        tell_refusals();
        return UnpackResult::kDone;
      }
      const std::string refusal = CarriedFileRefusal(name);
      skipping = !refusal.empty();
      if (skipping) refused.push_back(name + ": " + refusal);
      else current = name;
    }
  } catch (const HostError&) {
    tell_refusals();
    throw;
  }
  tell_refusals();
  return UnpackResult::kCorrupt;
}

}  // namespace zv
