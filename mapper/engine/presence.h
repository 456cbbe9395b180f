// Presence of many stored paths below one root folder, answered from folder
// listings: each folder is listed once, however many entries lie in it, so
// a map of a hundred thousand entries costs a few hundred listings instead
// of a search per missing entry.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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
  // names something; then *kind is what it is (a link counts as a file) and
  // *host_path its path with every component as the disk spells it. A
  // folder that cannot be listed holds nothing. Listings are taken on first
  // use and kept for the life of the object.
  bool Find(std::string_view relative, EntryKind* kind, std::string* host_path);

 private:
  struct Folder;
  Folder* FolderOf(std::string_view relative);
  Folder* Load(std::string path);
  Folder* Missing();

  Host& host_;
  std::string root_;
  std::vector<std::unique_ptr<Folder>> folders_;
  // Keyed by the relative folder text as the entries spell it, and by the
  // host path, so two spellings of one folder share one listing.
  std::unordered_map<std::string, Folder*> by_text_, by_path_;
  std::string last_text_;
  Folder* last_ = nullptr;
  Folder* missing_ = nullptr;
};

}  // namespace zv
