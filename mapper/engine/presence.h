// Presence of many stored paths below one root folder, answered from folder
// listings: each folder is listed once, however many entries lie in it, so
// a map of a hundred thousand entries costs a few hundred listings instead
// of a search per missing entry.
#pragma once

#include <cstdint>
#include <functional>
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
  // names something; then *kind is what it is (a link counts as a file),
  // *host_path its path with every component as the disk spells it and, when
  // `size` is given, *size its size in bytes as the listing read it (-1 for
  // a folder or an unreadable size). A folder that cannot be listed holds
  // nothing. Listings are taken on first use and kept for the life of the
  // object.
  bool Find(std::string_view relative, EntryKind* kind, std::string* host_path,
            std::int64_t* size = nullptr);

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
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, Folder*, TextHash, std::equal_to<>> by_text_, by_path_;
  std::vector<FolderEntry> listing_;  // reused by every listing
  std::vector<std::int64_t> sizes_;
  std::string last_text_;
  Folder* last_ = nullptr;
  Folder* missing_ = nullptr;
};

}  // namespace zv
