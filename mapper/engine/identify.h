// Identification: which application put a file on the disk. The person
// names a file; every entry of every map whose own last component holds
// that name is listed with its map and whether it is still on disk, and the
// map of the last hit becomes the current map.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

// What a search looks for: the entered text upper-cased (ASCII) and reduced
// to its last path component, the text after the last "\", ":" or "/" (the
// file dialog gives host paths). Empty when nothing is left to look for.
std::string SearchName(std::string_view entered);

// True when `search_name` (upper case) occurs, ignoring ASCII case, in the
// entry's own last component: the file name of a file entry, the last
// folder name of a folder entry ("<DIR> " + path).
bool EntryMatches(std::string_view entry, std::string_view search_name);

// One hit of a search, the parts of its result line.
struct IdentifiedEntry {
  bool present = false;  // on disk when searched
  std::string entry;     // as the map holds it
  std::string map_file;  // "Office.MAP", as the folder spells it
};

// A hit's line in the results: "> " (on disk) or "X " (missing) + entry +
// " (" + map file name + ")".
std::string ResultLine(const IdentifiedEntry& hit);

struct Identification {
  // Sorted by their result lines in the program's order (CompareNoCase), so
  // every present hit comes before every missing one.
  std::vector<IdentifiedEntry> hits;
  // The map file ("Office.MAP", as the folder spells it) of the last hit,
  // maps taken in catalogue order and entries in file order; empty when
  // nothing matched.
  std::string last_map_file;
};

// Reads every map file of the program folder (catalogue order) and lists
// every entry that matches `search_name`. Presence is looked up only for
// hits, as the viewer's detailed list does (a file entry is present when
// that file exists below the Windows folder, a folder entry when that folder
// does; a legacy absolute entry that begins with a Windows spelling of the
// Windows folder is taken without it; an entry that leaves the Windows
// folder is missing, never looked up). Lets no window messages run. Throws HostError when a map cannot be read.
Identification SearchMaps(Mapper& mapper, const std::string& search_name);

// The "Identify a file" command. `caption` is the menu item's caption (a
// leading "&" is not shown), `selected_entry` the caption of the selected
// row of the file list, or empty. Asks for the file in the input dialog
// (prefilled with the entry, "*INNAME" as its note, the "..." browser
// offered); an empty answer, or one with no file name in it, ends the
// command with nothing changed. Otherwise searches every map with the
// progress window "Searching..." shown and the hourglass set (both put back
// also when an error ends the search), selects the map of the last hit in
// mapper.maps and, when mapper.view is set, shows the catalogue with that
// selection and then the map, before the results (a map file missing
// from the catalogue's rows changes no selection), and shows the result
// lines, or the "*NOTMAP" text when nothing matched, through
// Person::ShowResults captioned with the quoted search name. Throws
// HostError when a map cannot be read.
void IdentifyFile(Mapper& mapper, const std::string& caption, const std::string& selected_entry);

}  // namespace zv
