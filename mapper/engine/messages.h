// The message catalogue "MESSAGES.DAT" and the language files it is unpacked
// from: lookups by key and the scrambled line format.
#pragma once

#include <string>
#include <string_view>

#include "mapper/engine/mapper.h"

namespace zv {

// The text of a message key ("*NOFSEL") from the program folder's
// "MESSAGES.DAT", read afresh on every call. No catalogue: the key without
// its "*". Key not in the message region: "[" + key + " not found]".
// Throws HostError when the catalogue exists but cannot be read.
std::string LookupMessage(const Mapper& mapper, const std::string& key);

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

enum class UnpackResult { kDone, kMissing, kCorrupt };
// Writes every file the language file carries into the program folder.
// kMissing: no such file ("Cannot find " + name); kCorrupt: it ended before
// the header "END" (name + " file corrupt?"); the caller shows the error and
// ends the process. Each carried file is written whole and atomically when
// the next header is met, so a cut language file never leaves a half-written
// one. Throws HostError when a carried file cannot be written, when a plain
// line stands before the first header, or when a header names anything but
// a plain file name (which would land outside the program folder).
UnpackResult UnpackLanguageFile(Mapper& mapper, const std::string& file_name);

}  // namespace zv
