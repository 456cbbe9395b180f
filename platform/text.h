// Byte-string helpers shared by every layer: lines, ASCII case, the program's
// one sort order, wildcards and the stored ("\") versus host ("/") path forms.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv {

// Splits text into lines; CR LF, LF and CR all end a line. A last line with
// no line end counts; a final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Joins lines, each followed by CR LF (the form every written file has).
std::string JoinLines(const std::vector<std::string>& lines);

// Inline: loops over every byte of long texts call it.
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
std::string UpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// The program's sorted-list order: bytes compared after ASCII upper-casing
// (so "*" < "|", "<DIR> " < letters and digits, "A" < "A\B"). <0, 0, >0.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool LessNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; }
// Position of the first occurrence of `needle`, ASCII case ignored, or npos.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle);
inline bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The part of `text` from byte `first` on, at most `max_bytes` long, moved to
// whole UTF-8 characters: a `first` inside a character moves on past it, and
// the end moves back so that no character is cut in two. Bytes that begin no
// valid sequence count as characters of one byte. Every text cut to a fixed
// length (the tray tip, the list font's name) or losing its first character
// is cut here.
std::string_view CutAtCharacters(std::string_view text, std::size_t first,
                                 std::size_t max_bytes = std::string_view::npos);

// "*" matches any run, "?" one byte; ASCII case ignored.
bool MatchWildcard(std::string_view pattern, std::string_view name);

// The host form of a stored path: every "\" becomes "/".
std::string ToHostPath(std::string_view path);
// How a path is shown to the person: with "/".
inline std::string DisplayPath(std::string_view path) { return ToHostPath(path); }
// True when `name` is one plain name of a folder: not empty, without "\"
// or "/", and neither "." nor "..".
inline bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string_view::npos;
}
// How a path is named in a message: shown with "/", between double quotes.
inline std::string QuotedPath(std::string_view path) { return "\"" + DisplayPath(path) + "\""; }

// True for "\" and "/", which a stored path may hold alike.
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Text after the last "\" or "/" (the whole text when there is none).
std::string LastComponent(std::string_view path);

}  // namespace zv
