// Files of earlier versions of the mapper, cleared away at every catalogue
// load: the application list "appllst.txt", and the numbered maps "000.TXT"
// to "999.TXT", which become maps of the current format.
#pragma once

#include <string>
#include <string_view>

#include "mapper/engine/mapper.h"

namespace zv {

// The map name a numbered old map is converted under: the name its first
// line gives between a leading "***" and the next "***". When the line is
// not of that form, or the name is empty or cannot name a map file (".",
// "..", a name holding "\", "/" or ".MAP", any name IsBadMapName
// refuses), the file's own number instead, so that no old map is renamed
// out of the program folder or out of the catalogue's sight.
std::string OldMapName(std::string_view first_line, const std::string& number);

// Deletes "appllst.txt" unread. Then, in number order, every "nnn.TXT" of
// the program folder loses its read-only mark, is copied to "nnn.OLD"
// through GuardedCopy (which reports its own failures; the conversion goes
// on) and is renamed to OldMapName + ".MAP", or, when that map exists, to
// the name followed by the first free number from 2 on; a rename never
// replaces a file. When at least one was converted, one box titled with the
// main window's caption says so. A rename that fails leaves the old map as
// it was, to be tried again at the next load, and is reported. An old map
// that cannot be read as a map is read (ReadMapFile) stays as it is, is
// reported in a box of its own, and the conversion goes on.
void ConvertOldMaps(Mapper& mapper);

}  // namespace zv
