// The map viewer: `ShowMap` reads the current map and hands the file list
// `Map` its rows, as a plain list or as a detailed report with presence
// marks, sizes and totals. The window renders what it is given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

// One row of the file list.
struct MapItem {
  std::string caption;    // the entry exactly as the map holds it
  std::string size_text;  // detailed mode: size text, *IsFolder or *IsDeleted
  int state = 0;          // detailed mode: 1 present, 2 missing; 0 none
  std::string icon_path;  // host path whose system icon to show; empty: none
  std::int64_t bytes = -1;  // detailed mode: a present file's size; else -1
};

struct MapListing {
  std::vector<MapItem> items;  // sorted by caption (CompareNoCase)
  bool simple = true;          // plain list (no state images) or report
  std::string first_header;    // "present/count" + *FSTILL
  std::string second_header;   // size text of the total
  std::uint64_t total_bytes = 0;  // the total the second header shows
};

// What the main window offers the viewer and the commands that reload the
// catalogue. The shell implements it; tests record the calls.
class MapView {
 public:
  virtual ~MapView() = default;
  // Stop (false) or restart (true) the animation timers and the map list's
  // mouse-move hint while the list fills.
  virtual void SetAnimations(bool running) = 0;
  virtual void SetMapGroupCaption(const std::string& caption) = 0;
  virtual void ShowListing(const MapListing& listing) = 0;
  // Shows the map catalogue's rows and selection in the map list `MapsList`
  // beside the file list; a view without a map list ignores it.
  virtual void ShowCatalogue(const MapsList&) {}
};

// Size text of a byte count: "512 bytes", "1.5 Kb", "1.02E3 bytes", "118 Mb".
std::string SizeText(std::uint64_t bytes);

// Refreshes the file list from the selected map (see MapView). A missing map
// file gives the not-found box and leaves the list as it was; legacy
// absolute entries that begin with the Windows folder in one of its Windows
// spellings are made relative and the map written back atomically (every
// other line unchanged); other absolute entries stay as they are. An
// entry that leaves the Windows folder (LeavesWindowsFolder) is never
// looked up on disk: it shows as missing, without an icon.
void ShowMap(Mapper& mapper, MapView& view);

// Opens the selected entry through the shell, falling back to "notepad".
// An entry that leaves the Windows folder is refused with a notice saying
// so, and nothing is opened.
void OpenMapEntry(Mapper& mapper, const std::string& caption);

}  // namespace zv
