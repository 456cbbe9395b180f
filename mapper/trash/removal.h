// The removal commands of the main window: delete the current map's whole
// application, or the one entry selected in the file list, into the trash.
// Each asks once; nothing is deleted for good, and the map itself does not
// change (the removed entries show as missing afterwards).
#pragma once

#include "mapper/engine/mapper.h"
#include "mapper/engine/viewer.h"

namespace zv {

// Delete application: without a current map the "*NOFSEL" notice. Otherwise
// asks with the confirm dialog ("*ATODEL" + name + a quote, a line break,
// "*AMOVEDTO" + the trash folder), shows the map again (ShowMap, through
// mapper.view when there is one; legacy entries are converted there) and
// puts its entries into the trash from the last row to the first of the
// viewer's order, so that files go before their folders and sub-folders
// before their parents. A failure of one entry is reported and the others
// go on. True when the command ran past its confirmation: the caller then
// refreshes the catalogue (the main window's Refresh1Click). False when it
// stopped before changing anything.
bool DeleteApplication(Mapper& mapper);

// Delete file: `selected` is the file list's selected row, null when there
// is none ("*NOFSEL"); a row carrying the missing mark gives "*GIADEL".
// Otherwise asks ("*FTODEL" + entry + a quote, a line break, "*FMOVEDTO" +
// the trash folder) and puts the entry into the trash. True when the
// command ran past its confirmation: the caller then refreshes the
// catalogue (Refresh1Click). False when it stopped before changing anything.
bool DeleteSelectedFile(Mapper& mapper, const MapItem* selected);

}  // namespace zv
