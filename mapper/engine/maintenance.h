// The map maintenance commands: edit the current map as text, rename it,
// unmap it (forget it by deleting its map file) and refresh everything. They
// act on the current map, the selected row of the catalogue, and never touch
// the mapped files themselves. Every command but the refresh first needs a
// selected map: without one it shows the "*NOFSEL" box, titled with the
// main window's caption, and does nothing else.
#pragma once

#include <string>
#include <string_view>

#include "mapper/engine/mapper.h"

namespace zv {

// Reloads the catalogue keeping the current map selected (when its file is
// gone, LoadMaps's fallback: the first row), shows the catalogue in the map
// list as soon as it is loaded (also when a later step fails), takes a fresh
// snapshot (ScanWithProgress, caption "Refreshing...", the progress window
// not shown), shows the current map in the file list, or an empty list when
// no map is left, and writes "*REFDONE" on the status line in the
// button-face colour; after a scan that could not read the Windows folder
// the scan's own report stays there instead (the snapshot files of the last
// scan kept). Every command that changes the map files ends with it.
// Throws HostError when a map cannot be read or written or the snapshot
// cannot be taken.
void RefreshMaps(Mapper& mapper);

// Opens the current map's file in the editor with the "*EDITWARN" note and,
// once the editor has closed, refreshes (RefreshMaps), so the catalogue,
// the snapshot and the file list reflect what was saved; the editor reports
// a file it cannot read.
void EditMap(Mapper& mapper);

// Asks for the current map's new name in the input dialog titled `caption`
// (the rename command's caption) with the "*RENAM" note, again with the text
// entered after a "*BADNAME" box while the name breaks the rule of map names
// (IsBadMapName, as for a new map) and after a "*FAlreadyExists" box while
// it belongs to another map's file (letter case ignored; a change of case
// only is accepted). An empty answer changes nothing. Otherwise the map
// file is renamed (a failure is not reported), the catalogue reloaded
// selecting the new name (LoadMaps rewrites the header) or, when the rename
// failed, keeping the selection, and the current map shown again.
void RenameMap(Mapper& mapper, const std::string& caption);

// Asks with the confirm dialog whether to unmap the current map ("*DEL",
// the map file's name, "*MAPOF", the map name, a double quote and a closing
// parenthesis); on yes deletes the map file with GuardedDelete (which asks
// about a read-only file and reports a missing one; a delete the host
// refuses is not reported) and, when it was deleted, refreshes. The application's files stay where they are; the next new-map
// run finds them new again.
void UnmapMap(Mapper& mapper);

// Opens the ignore list "IGNORLST.TXT" in the editor with the "*ADDIGNORE"
// note; the editor reports a list it cannot read.
void EditIgnoreList(Mapper& mapper);

}  // namespace zv
