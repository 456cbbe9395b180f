// Presence of many stored paths below one root folder, answered from folder
// listings: each folder is listed once, however many entries lie in it, so
// a map of a hundred thousand entries costs a few hundred listings instead
// of a search per missing entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace zv {

class PresenceCache {
 public:
  // `root` is a host path that is taken as spelled (the Windows folder).
  PresenceCache(Host& host, std::string root);
  ~PresenceCache();
  PresenceCache(const PresenceCache&) = delete;
  PresenceCache& operator=(const PresenceCache&) = delete;

  // Looks up `relative` (components joined by "\" or "/") below the root,
  // matching each component as the host does: as spelled when it exists,
  // else ignoring ASCII case, the first match in byte order. True when it
  // names something; then *kind is what it is (a link counts as a file),
  // *host_path (when given) its path with every component as the disk
  // spells it and, when `size` is given, *size its size in bytes as the
  // listing read it (-1 for a folder or an unreadable size). The lookup
  // never leaves the root: it descends only into folders its listings
  // show, never through a symbolic link, and a ".." component finds
  // nothing; empty and "." components stay where they are. A folder that
  // cannot be listed holds nothing. Listings are taken on first use and
  // kept for the life of the object. Time and memory grow linearly with the
  // length of `relative`, however many components it has.
  bool Find(std::string_view relative, EntryKind* kind, std::string* host_path,
            std::int64_t* size = nullptr);

  // Takes now, on the host's listing threads (Host::ListingThreads), the
  // listings Find would take for the folders `relatives` lie in, each
  // opened relative to its parent folder: Find then answers for them
  // from memory, exactly as it would have. Folders listed already are not
  // listed again. With one listing thread it does nothing.
  void ListAhead(std::vector<std::string_view> relatives);

 private:
  struct Folder;
  struct AheadJob;
  struct Ahead;
  // Lists the folders below job.folder that job.rests lead to, and below
  // them in turn, handing work to idle threads.
  void ListBelow(AheadJob& job, Ahead& ahead);
  // One step of the previous lookup's walk: where its component ended in
  // the text, and the folder it reached.
  struct Step {
    std::size_t end;
    Folder* folder;
  };
  Folder* FolderOf(std::string_view relative);
  Folder* Walk(std::string_view relative);
  Folder* Child(Folder& parent, std::string_view name);
  Folder* Load(Folder* parent, const std::string& name);
  Folder* Missing();
  std::string PathOf(const Folder& folder) const;

  Host& host_;
  std::string root_;
  std::vector<std::unique_ptr<Folder>> folders_;
  Folder* root_folder_ = nullptr;
  Folder* missing_ = nullptr;
  // The folder text of the previous lookup, the folder it named and the
  // walk that found it, which the next lookup resumes where the two texts
  // part.
  std::string last_text_;
  Folder* last_folder_ = nullptr;
  std::vector<Step> walk_;
};

}  // namespace zv
