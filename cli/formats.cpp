#include "cli/formats.h"

#include <algorithm>
#include <cstdio>

namespace zv::cli {

namespace {

// The length of the UTF-8 character starting at `text[i]`, or 0 when the
// bytes there are not one; its code point into `*code_point` when given.
std::size_t Utf8Length(std::string_view text, std::size_t i, unsigned* code_point = nullptr) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  unsigned minimum = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
    minimum = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    minimum = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  unsigned code = b & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (code < minimum || code > 0x10FFFF || surrogate) return 0;
  if (code_point != nullptr) *code_point = code;
  return length;
}

struct Range {
  unsigned first, last;
};

// Characters a terminal draws two columns wide: the East Asian wide and
// full-width blocks and the emoji blocks.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF}, {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};
// Characters drawn on the one before them: combining marks and zero-width
// characters.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F},
};

template <std::size_t N>
bool In(const Range (&ranges)[N], unsigned code) {
  for (const Range& range : ranges) {
    if (code >= range.first && code <= range.last) return true;
  }
  return false;
}

}  // namespace

std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    unsigned code = 0;
    const std::size_t length = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : Utf8Length(text, i, &code);
    if (length <= 1) {
      ++columns;
      ++i;
      continue;
    }
    columns += In(kWide, code) ? 2 : In(kZeroWidth, code) ? 0 : 1;
    i += length;
  }
  return columns;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if (b == '"' || b == '\\') {
        out += '\\';
        out += static_cast<char>(b);
      } else if (b < 0x20 || b == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
        out += escaped;
      } else {
        out += static_cast<char>(b);
      }
      ++i;
      continue;
    }
    const std::size_t length = Utf8Length(text, i);
    if (length > 0) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\udc%02x", b);
    out += escaped;
    ++i;
  }
  return out + "\"";
}

std::string TsvField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string JsonListStart(const std::string& key) {
  return "{\"format\": " + std::to_string(kJsonFormat) + ", \"" + key + "\": [";
}

std::string JsonListEnd(std::size_t rows) { return rows == 0 ? "]}\n" : "\n]}\n"; }

const char* JsonRowBreak(std::size_t row) { return row == 0 ? "\n  " : ",\n  "; }

const char* TypeWord(bool folder) { return folder ? "folder" : "file"; }

std::string Counted(std::uint64_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string JoinWords(const std::vector<std::string>& words, const std::string& last) {
  std::string text;
  for (std::size_t k = 0; k < words.size(); ++k) {
    text += (k == 0 ? "" : k + 1 == words.size() ? " " + last + " " : ", ") + words[k];
  }
  return text;
}

std::string TextTable::Render() const {
  std::vector<std::size_t> widths;
  for (const auto& row : rows_) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Columns(row[c]));
  }
  std::string out;
  for (const auto& row : rows_) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::size_t pad = widths[c] - Columns(row[c]);
      const bool right = c < right_.size() && right_[c];
      if (c > 0) line += "  ";
      if (right) line += std::string(pad, ' ');
      line += row[c];
      if (!right && c + 1 < row.size()) line += std::string(pad, ' ');
    }
    out += line + "\n";
  }
  return out;
}

}  // namespace zv::cli
