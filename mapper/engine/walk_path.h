// The folders of a depth-first walk's current path, held open so that each
// subfolder is opened by its one name relative to its parent: the kernel
// never walks a whole path, and no path is too long or too deep to list.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/host.h"

namespace zv {

class WalkPath {
 public:
  // Below the root, at most this many folders of the path are held open
  // (each holds a descriptor); the walk lets go of the shallowest first.
  static constexpr std::size_t kHeldBelowRoot = 63;

  WalkPath(Host& host, std::string root);

  // Lists the root folder into *out and makes it the current folder (depth
  // 0). False, with *out empty, when it cannot be read.
  bool ListRoot(std::vector<FolderEntry>* out);
  // Lists the subfolder `name` (as the current folder's listing spelled it)
  // into *out and makes it the current folder, one level deeper. False,
  // with *out empty, when it cannot be read; it is the current folder all
  // the same, so that every Enter is matched by a Leave. A folder the walk
  // has let go of is opened again first, one level at a time from its
  // deepest ancestor still held.
  bool Enter(const std::string& name, std::vector<FolderEntry>* out);
  // Makes the current folder's parent the current folder again.
  void Leave();
  std::size_t depth() const { return depth_; }

 private:
  struct Level {
    std::string name;
    std::unique_ptr<FolderHandle> folder;  // null when not held
  };
  FolderHandle* Reach(std::size_t level);
  void Hold(std::size_t level, std::unique_ptr<FolderHandle> folder);

  Host& host_;
  std::string root_;
  // levels_[0] is the root; levels_[1..depth_] the path below it. Deeper
  // slots are kept when the walk climbs back, so names reuse their storage.
  std::vector<Level> levels_;
  std::size_t depth_ = 0;
  std::deque<std::size_t> held_;  // the levels below the root held open, shallowest first
};

}  // namespace zv
