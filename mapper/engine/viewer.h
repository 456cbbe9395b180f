// The map viewer: `ShowMap` reads the current map and hands the file list
// `Map` its rows, as a plain list or as a detailed report with presence
// marks, sizes and totals. The window renders what it is given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapper/engine/map_rows.h"
#include "mapper/engine/mapper.h"

namespace zv {

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
  // Shows the rows of a map. A view that draws rows as they come into
  // sight keeps `rows`; this default hands ShowListing every row spelled
  // out.
  virtual void ShowRows(std::shared_ptr<const MapRows> rows) { ShowListing(rows->Listing()); }
  // Shows the map catalogue's rows and selection in the map list `MapsList`
  // beside the file list; a view without a map list ignores it.
  virtual void ShowCatalogue(const MapsList&) {}
};

// Refreshes the file list from the selected map (see MapView). A missing map
// file gives the not-found box and leaves the list as it was; legacy
// absolute entries that begin with the Windows folder in one of its Windows
// spellings are made relative and the map written back atomically (every
// other line unchanged); other absolute entries stay as they are. An
// entry that leaves the Windows folder (LeavesWindowsFolder) is never
// looked up on disk: it shows as missing, without an icon. While the rows
// are read the status line shows "i/count" about every 50 ms and the
// window's events are handled; when one of them shows another listing
// (another map chosen meanwhile), this one is dropped unshown.
void ShowMap(Mapper& mapper, MapView& view);

// Opens the selected entry through the shell, falling back to "notepad".
// An entry that leaves the Windows folder is refused with a notice saying
// so, and nothing is opened.
void OpenMapEntry(Mapper& mapper, const std::string& caption);

}  // namespace zv
