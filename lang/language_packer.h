// Packs the plain source of a language (the carried files, each after its
// "***NAME***" header, closed by "***END***") into the stored form of a
// language file: every plain line scrambled with EncodeLanguageLine behind one
// ignored leading character, CR LF line ends.
#pragma once

#include <string>
#include <string_view>

namespace zv {

struct PackedLanguage {
  bool ok = false;
  std::string error;   // why the source was refused, with its line number
  std::string stored;  // the whole language file when ok
};

// Refuses (ok false, error set) a source holding a NUL byte or a CR that does
// not end a line, a source whose first line is not a header "***NAME***", a
// header naming a file the unpacker refuses to write (CarriedFileRefusal: a
// path, a hidden or over-long name, a program, a map, a file the program
// keeps), a source without the closing header "***END***", and lines after
// it (the unpacker never reads them).
// Lines end with LF or CR LF. The output is the same for the same source:
// each line's key and leading character follow from its line number.
PackedLanguage PackLanguageSource(std::string_view source);

}  // namespace zv
