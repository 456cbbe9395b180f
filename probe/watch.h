// The probe's watch: the tracked folders, one snapshot listing per folder,
// and the tick that lists every folder again and compares. Plain C++; every
// folder is read through the host layer.
#pragma once

#include <string>
#include <vector>

#include "platform/host.h"

namespace zv {

// The listing the probe compares: every entry name of the folder, folder
// names in square brackets, with "[.]" and "[..]" for the folder itself and
// its parent, sorted in byte order. Only names count, so a file whose
// contents change leaves the listing as it was. A folder that cannot be read
// (missing, no permission) lists as empty: never an error.
std::vector<std::string> ListWatchedFolder(Host& host, const std::string& folder);

// The folders to track: the Windows folder + "\" + each line of
// "vigilo.ini", in file order, then the Windows folder itself. Empty lines
// are skipped (they would name the Windows folder twice).
std::vector<std::string> TrackedFolders(const std::string& windows_folder,
                                        const std::vector<std::string>& ini_lines);

class Watch {
 public:
  Watch(Host& host, std::vector<std::string> folders);

  // Forgets every snapshot: the next tick only takes snapshots.
  void ClearSnapshots();

  // Lists every tracked folder in order. A folder without a snapshot (an
  // empty one) gets its listing stored; one with a snapshot is compared
  // with it: count first, then entry by entry, case-sensitively. Every folder
  // is listed and compared even after a difference. Changed listings are not
  // stored. True when any folder changed.
  bool Tick();

  const std::vector<std::string>& folders() const { return folders_; }
  const std::vector<std::vector<std::string>>& snapshots() const { return snapshots_; }

 private:
  Host& host_;
  std::vector<std::string> folders_;
  std::vector<std::string> host_paths_;
  std::vector<std::vector<std::string>> snapshots_;
  // Per folder, the host's entries as last seen equal to the snapshot, in
  // the host's own order. A listing that comes back the same in the same
  // order needs no sorting: the ticks of an unchanged tree stay cheap.
  struct Seen {
    bool listed = false;
    std::vector<FolderEntry> entries;
  };
  std::vector<Seen> seen_;
  std::vector<FolderEntry> scratch_;
  std::vector<std::string> listing_;
};

}  // namespace zv
