// The probe's watch: the tracked folders, one snapshot listing per folder,
// and the tick that lists every folder again and compares. Plain C++; every
// folder is read through the host layer.
#pragma once

#include <cstdint>
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

  // A folder stamp whose times are at least this much older than the moment
  // it was read proves that no later change of names can leave it as it was:
  // far more than the granularity of any file system's clock.
  static constexpr std::int64_t kStampTrustedAfterNs = 2'000'000'000;

  // Forgets every snapshot (and the stamps that vouch for them): the next
  // tick only takes snapshots.
  void ClearSnapshots();

  // Lists every tracked folder in order. A folder without a snapshot (an
  // empty one) gets its listing stored; one with a snapshot is compared
  // with it: count first, then entry by entry, case-sensitively. Every folder
  // is compared even after a difference. Changed listings are not stored.
  // True when any folder changed.
  // A folder is not read when its stamp equals the one read just before the
  // listing that was last found equal to its snapshot, and that stamp was
  // trusted: its names are then known to be the snapshot's.
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
  // Per folder, the stamp read just before the listing last found equal to
  // (or stored as) the snapshot; `trusted` when its times were old enough
  // when read, and the snapshot is not empty.
  struct Vouch {
    bool trusted = false;
    FolderStamp stamp;
  };
  std::vector<Vouch> vouches_;
  std::vector<FolderEntry> scratch_;
  std::vector<std::string> listing_;
};

}  // namespace zv
