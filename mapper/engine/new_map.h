// New-map creation, the search for new files: a fresh snapshot of the
// Windows folder is compared with every entry of every map, and the lines
// no map knows are stored as a new map that the person names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mapper/engine/entry_index.h"
#include "mapper/engine/mapper.h"
#include "mapper/engine/text_buffer.h"

namespace zv {

// The name of the first map, taken without asking when no map exists.
inline constexpr const char* kFirstMapName = "Windows (1st map)";

// The longest map name: a file name holds at most 255 bytes, ".MAP" included.
inline constexpr std::size_t kLongestMapName = 255 - 4;

// The one rule for a map's name, whoever gives it (a new map, a rename, the
// dialogs and zorvan alike): true when `name` cannot name a map: it holds
// one of \ / : * ? " < > | or a control character, it holds ".MAP" in any
// case (the catalogue would list the map under the text before it), it is
// blanks only, it is "." or ".." or begins with "." (a hidden file the
// catalogue would never list), or it is longer than 251 bytes (a file name
// holds 255, ".MAP" included). "*BADNAME" says this rule. The empty name
// (the person gave up) is not bad.
bool IsBadMapName(std::string_view name);

// Whether `name` may name the new map: no map file of that name exists (nor,
// with no map yet, is it the first map's name, which the first map takes)
// and IsBadMapName refuses it not. When it may not, says why in a box
// titled `caption` ("*FAlreadyExists" then "*BADNAME", each when it holds).
bool NewMapNameAccepted(Mapper& mapper, const std::string& name, const std::string& caption);

// Reads every map file of the program folder (MapFiles, in that order) into
// `index`, each through MapText, so a text the last load kept is not read
// again. A file that is not a regular file is no map of the catalogue and
// is left out; a map that cannot be read throws HostError.
void IndexMaps(Mapper& mapper, EntryIndex& index);

// What CompareSnapshot found: the new map's text ("***NewMap***" and the new
// lines, CR LF), the snapshot lines looked at and how many were new.
struct NewMapComparison {
  TextBuffer map_text;
  std::uint64_t examined = 0;
  std::uint64_t new_lines = 0;
};

// Looks every line of `snapshot` up in `index` and collects those it does
// not hold, in snapshot order, each ".HLP" line followed by its help index
// companion (companions are not counted). Every 200 lines the gauge moves
// (against mapper.entry_counter, the snapshot's line count) and pending
// window messages run.
NewMapComparison CompareSnapshot(Mapper& mapper, const EntryIndex& index, std::string_view snapshot);

// Scans `folder` (ScanWithProgress, caption "Scanning..."), indexes every
// entry of every map file (case ignored), and collects the snapshot lines
// no map lists, in snapshot order, each ".HLP" line followed by its help
// index companion (companions are not counted). The progress window shows
// the phases and a gauge; pending window messages run every 200 lines.
// Nothing new: a box titled with the Scan menu's caption (only while the
// main window is visible). Otherwise the map is named "Windows (1st map)"
// when the catalogue is empty and no file of that name exists (one left
// out of the catalogue is never replaced), else through the input dialog,
// asked again while the name exists as a map ("*FAlreadyExists" box) or is
// bad ("*BADNAME" box); an empty answer shows "*ABORT" and writes nothing. The
// map is written atomically, its header set, the catalogue reloaded with it
// selected, the viewer refreshed (when mapper.view is set), and the status
// line reports the count in lime. The cursor state found is restored and
// the progress window hidden also when a HostError (a missing ignore list,
// a map or snapshot that cannot be read, a map that cannot be written)
// ends the run.
void CreateNewMap(Mapper& mapper, const std::string& folder);

}  // namespace zv
