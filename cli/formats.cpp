#include "cli/formats.h"

#include <algorithm>
#include <cstdio>

namespace zv::cli {

std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  for (char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return columns;
}

namespace {

// The length of the UTF-8 character starting at `text[i]`, or 0 when the
// bytes there are not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
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
  return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

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
    // A stray byte: the character of the same number, in UTF-8.
    out += static_cast<char>(0xC0 | (b >> 6));
    out += static_cast<char>(0x80 | (b & 0x3F));
    ++i;
  }
  return out + "\"";
}

std::string TsvField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\t') {
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
