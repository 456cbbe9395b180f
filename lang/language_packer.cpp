#include "lang/language_packer.h"

#include <stdexcept>
#include <vector>

#include "mapper/engine/messages.h"
#include "platform/text.h"

namespace zv {
namespace {

const std::string kHeaderMark = "***";

// 1-based number of the line holding byte `pos`.
std::size_t LineOf(std::string_view text, std::size_t pos) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < pos; ++i) line += text[i] == '\n';
  return line;
}

PackedLanguage Refuse(std::size_t line, const std::string& why) {
  PackedLanguage result;
  result.error = (line ? "line " + std::to_string(line) + ": " : std::string()) + why;
  return result;
}

// The file name of a header line "***NAME***", or false when the line is
// not a well-formed header.
bool HeaderName(const std::string& line, std::string* name) {
  if (!StartsWith(line, kHeaderMark)) return false;
  const std::size_t close = line.find(kHeaderMark, kHeaderMark.size());
  if (close == std::string::npos || close + kHeaderMark.size() != line.size()) return false;
  *name = line.substr(kHeaderMark.size(), close - kHeaderMark.size());
  return !name->empty();
}

// A spread of keys from the line number, so that neighbouring lines of equal
// text are not stored alike.
unsigned SeedFor(std::size_t index) { return static_cast<unsigned>(index * 2654435761u + 12345u); }
char LeadFor(std::size_t index) { return static_cast<char>('A' + (index * 7) % 26); }

}  // namespace

PackedLanguage PackLanguageSource(std::string_view source) {
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '\0') return Refuse(LineOf(source, i), "holds a NUL byte");
    if (source[i] == '\r' && (i + 1 == source.size() || source[i + 1] != '\n'))
      return Refuse(LineOf(source, i), "holds a CR that does not end the line");
  }
  const std::vector<std::string> lines = SplitLines(source);
  std::string name;
  if (lines.empty() || !HeaderName(lines[0], &name))
    return Refuse(1, "the first line must be a header such as ***MESSAGES.DAT***");

  std::size_t end = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!StartsWith(lines[i], kHeaderMark)) continue;
    if (!HeaderName(lines[i], &name))
      return Refuse(i + 1, "a line starting with *** must be a header ***NAME***");
    if (name == "END") {
      end = i;
      break;
    }
    // The unpacker would skip such a file: a shipped language never holds one.
    if (const std::string refusal = CarriedFileRefusal(name); !refusal.empty())
      return Refuse(i + 1, "the carried file \"" + name + "\" would be refused: " + refusal);
  }
  if (end == lines.size()) return Refuse(0, "the closing header ***END*** is missing");
  if (end + 1 != lines.size()) return Refuse(end + 2, "lines after ***END*** would never be read");

  std::vector<std::string> stored;
  stored.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string scrambled;
    try {
      scrambled = EncodeLanguageLine(lines[i], SeedFor(i));
    } catch (const std::invalid_argument& e) {
      return Refuse(i + 1, std::string("cannot be scrambled: ") + e.what());
    }
    // Packing is the one place a fault of the scrambler could slip into a
    // shipped file unnoticed, so every line is read back before it is kept.
    if (DecodeLanguageLine(scrambled) != lines[i])
      return Refuse(i + 1, "does not read back as written (scrambler fault)");
    stored.push_back(LeadFor(i) + scrambled);
  }
  PackedLanguage result;
  result.ok = true;
  result.stored = JoinLines(stored);
  return result;
}

}  // namespace zv
