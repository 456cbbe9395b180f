// A folder chain too deep for one path: test trees for walks that must
// reach every level, however long the paths below the root grow.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace zv::testing {

// A chain of `levels` folders with long names below `root`, made one level
// at a time relative to the level above (one mkdir cannot make a path this
// long); each level holds a file and two folders with a file each, "SideA"
// made before the next level and "SideB" after it, so that whatever order
// the file system lists them in, most levels still have a folder to walk
// after the chain below them. Throws std::runtime_error when it cannot be
// made. Removed with everything in it when the object goes away.
class DeepChain {
 public:
  DeepChain(const std::string& root, int levels, std::size_t name_length);
  ~DeepChain();
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;

  // The snapshot lines the chain should give ("\"-joined, relative to root).
  const std::set<std::string>& lines() const { return lines_; }
  // The relative path of the deepest level.
  const std::string& deepest() const { return deepest_; }

 private:
  std::string root_, first_, deepest_;
  std::set<std::string> lines_;
};

}  // namespace zv::testing
