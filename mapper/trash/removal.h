// The removal commands of the main window: delete the current map's whole
// application, or the one entry selected in the file list, into the trash.
// Each asks once; nothing is deleted for good, and the map itself does not
// change (the removed entries show as missing afterwards). Each command is
// whole: once past its confirmation it ends with the refresh of the main
// window (RefreshMaps), so a caller adds nothing after it.
#pragma once

#include "mapper/engine/mapper.h"
#include <vector>

#include "mapper/engine/viewer.h"
#include "mapper/trash/trash_store.h"

namespace zv {

// Delete application: without a current map the "*NOFSEL" notice. Otherwise
// asks with the confirm dialog ("*ATODEL" + name + a quote, a line break,
// "*AMOVEDTO" + the trash folder), shows the map again (ShowMap, through
// mapper.view when there is one; legacy entries are converted there) and
// puts its entries into the trash from the last row to the first of the
// viewer's order, so that files go before their folders and sub-folders
// before their parents. A failure of one entry is reported and the others
// go on. Then RefreshMaps: the catalogue reloaded, a fresh snapshot, the
// current map shown again (its entries now missing), "*REFDONE" on the
// status line. True when the command ran past its confirmation; false when
// it stopped before changing anything (no refresh either). Throws
// HostError when the refresh cannot read the maps, the ignore list or the
// Windows folder; the trash and its log are complete by then.
// What a removal did with the entries on disk: those that stayed, with why
// (TrashSession::stayed), and those put into the trash (TrashSession::moved).
struct RemovalOutcome {
  std::vector<TrashStay> stayed;
  std::vector<std::string> moved;
};

// When `outcome` is given it receives what became of the entries.
bool DeleteApplication(Mapper& mapper, RemovalOutcome* outcome = nullptr);

// Delete file: `selected` is the file list's selected row, null when there
// is none ("*NOFSEL"); a row carrying the missing mark gives "*GIADEL".
// Otherwise asks ("*FTODEL" + entry + a quote, a line break, "*FMOVEDTO" +
// the trash folder), puts the entry into the trash and refreshes
// (RefreshMaps), as DeleteApplication does. True when the command ran past
// its confirmation; false when it stopped before changing anything.
// `outcome` as for DeleteApplication.
bool DeleteSelectedFile(Mapper& mapper, const MapItem* selected, RemovalOutcome* outcome = nullptr);

}  // namespace zv
