// The message catalogue "MESSAGES.DAT" and the language files it is unpacked
// from: lookups by key and the scrambled line format.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

// The text of a message key ("*NOFSEL") from the program folder's
// "MESSAGES.DAT", read afresh on every call. No catalogue: the key without
// its "*". Key not in the message region: "[" + key + " not found]".
// Throws HostError when the catalogue exists but cannot be read,
// RefusedFileError when it is not a regular file or over kSmallFileLimit.
std::string LookupMessage(const Mapper& mapper, const std::string& key);

// Every line of the program folder's "MESSAGES.DAT", read under the same
// rules as LookupMessage. Throws HostError when it is missing or cannot be
// read, RefusedFileError when it is not a regular file or too large.
std::vector<std::string> ReadCatalogueLines(const Mapper& mapper);

// One stored line (without its ignored first character) made plain. A line
// too short for what it announces is decoded as far as it goes, never read
// past its end: a key length below 1 means no key (a key byte of 0 for
// every character), and a line shorter than its key gives an empty line.
std::string DecodeLanguageLine(std::string_view scrambled);
// The inverse: a stored line for `plain`, without the ignored first
// character. `seed` picks the key. The result never holds CR, LF or NUL, so
// it always survives as one stored line. Throws std::invalid_argument when
// no key it tries avoids those bytes; that never happens for lines of
// printable characters nor for any line of up to 1085 bytes.
std::string EncodeLanguageLine(std::string_view plain, unsigned seed);

// Why a language file may not carry a file of this name; empty when it
// may. A carried file is written into the program folder under its own
// name, so the name must be one plain name (not empty, "." or "..", not
// hidden, no "/", "\\" or control character, at most 255 bytes) and never
// that of the programs ("Zorvan32", "Vigilo32", with or without ".exe"), a
// map ("*.MAP"), "ZV.INI", "IGNORLST.TXT", "WINDIR.TMP", "vigilo.ini",
// "vigilo.dat" or the trash folder "#TRASH", letter case ignored. The
// unpacker and the packer of language files share it.
std::string CarriedFileRefusal(std::string_view name);

enum class UnpackResult { kDone, kMissing, kCorrupt };
// Writes every file the language file carries into the program folder.
// kMissing: no such file ("Cannot find " + name); kCorrupt: it ended before
// the header "END" (name + " file corrupt?"); the caller shows the error and
// ends the process. Each carried file is written whole and atomically when
// the next header is met, so a cut language file never leaves a half-written
// one. A carried file is never written when its name is refused
// (CarriedFileRefusal) nor over a link, a program (a file with a run bit)
// or anything but a regular file, and what is written gets no run bit; the
// refused ones are skipped, the rest unpacked, and the person is told of
// them in one box titled "Error". Throws RefusedFileError when the language
// file is not a regular file or is larger than kSmallFileLimit, HostError
// when it cannot be read, when a carried file cannot be written, or when a
// plain line stands before the first header.
UnpackResult UnpackLanguageFile(Mapper& mapper, const std::string& file_name);

}  // namespace zv
