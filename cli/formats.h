// The pieces of the output formats: a JSON string, a TSV field, the fixed
// words of the machine formats, counts as a person writes them, and a text
// table in aligned columns. docs/formats.md describes the formats these
// pieces make.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv::cli {

// The version of the json documents, "format" in each; it grows when a
// field changes its meaning or goes, not when one is added.
inline constexpr int kJsonFormat = 1;

// `text` as a quoted JSON string. Valid UTF-8 passes through, '"' and '\'
// are escaped, control characters become "\u00XX". A byte XX that is not
// part of a UTF-8 character becomes the escape "\udcXX" (a lone low
// surrogate, which valid UTF-8 never holds), so the document stays UTF-8,
// no two names print alike, and the bytes come back exactly (in Python:
// os.fsencode(json.loads(...))).
std::string JsonString(std::string_view text);

// The start of a json document that lists rows: {"format": N, "key": [
std::string JsonListStart(const std::string& key);
// Its end, after `rows` rows.
std::string JsonListEnd(std::size_t rows);
// The separator before the row numbered `row` of such a list.
const char* JsonRowBreak(std::size_t row);

// `text` as one TSV field that decodes back to its exact bytes: a
// backslash, tab, CR or LF becomes "\\", "\t", "\r", "\n".
std::string TsvField(std::string_view text);

// The fixed words of tsv and json, whatever the language.
const char* TypeWord(bool folder);  // "folder" or "file"

// "1 new entry", "2 new entries".
std::string Counted(std::uint64_t count, const std::string& one, const std::string& many);

// The columns `text` takes on a terminal: two for a wide (East Asian)
// character, none for a combining mark, one for any other character and
// for every byte that is not part of a UTF-8 character.
std::size_t Columns(std::string_view text);

// The words joined by ", " and, before the last, by " " + `last` + " ":
// "list, restore or purge".
std::string JoinWords(const std::vector<std::string>& words, const std::string& last);

// Rows printed in columns as wide as their widest cell (counted in
// terminal columns), two blanks apart; columns marked right-aligned are padded on
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
