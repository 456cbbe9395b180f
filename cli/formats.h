// The pieces of the output formats: a JSON string, a TSV field, and a text
// table in aligned columns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv::cli {

// `text` as a quoted JSON string. Valid UTF-8 passes through; a byte that
// is not part of a UTF-8 character becomes the character of that number
// (as the single-byte code page would read it), control characters "\u00XX".
std::string JsonString(std::string_view text);

// `text` as one TSV field: a tab, CR or LF becomes "\t", "\r", "\n".
std::string TsvField(std::string_view text);

// The columns `text` takes on a terminal: one per UTF-8 character (every
// byte that does not continue a character counts as one).
std::size_t Columns(std::string_view text);

// The words joined by ", " and, before the last, by " " + `last` + " ":
// "list, restore or purge".
std::string JoinWords(const std::vector<std::string>& words, const std::string& last);

// Rows printed in columns as wide as their widest cell (counted in UTF-8
// characters), two blanks apart; columns marked right-aligned are padded on
// the left. The last column is never padded on the right.
class TextTable {
 public:
  explicit TextTable(std::vector<bool> right_aligned) : right_(std::move(right_aligned)) {}
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
  std::string Render() const;

 private:
  std::vector<bool> right_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace zv::cli
