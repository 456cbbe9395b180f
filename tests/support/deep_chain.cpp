#include "tests/support/deep_chain.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace zv::testing {
namespace {

// Removes the entry `name` of the open folder `parent` with everything
// below it, relative to open folders, so that no path length limits it.
void RemoveBelow(int parent, const std::string& name) {
  const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    ::unlinkat(parent, name.c_str(), 0);
    return;
  }
  DIR* dir = ::fdopendir(fd);
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string child = entry->d_name;
    if (child != "." && child != "..") names.push_back(child);
  }
  for (const std::string& child : names) RemoveBelow(::dirfd(dir), child);
  ::closedir(dir);
  ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
}

void Touch(int folder, const char* name) { ::close(::openat(folder, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0600)); }

void MakeSide(int folder, const char* name) {
  ::mkdirat(folder, name, 0700);
  const int side = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  Touch(side, "s.txt");
  ::close(side);
}

}  // namespace

DeepChain::DeepChain(const std::string& root, int levels, std::size_t name_length) : root_(root) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string relative;
  for (int level = 0; level < levels; ++level) {
    std::string name = "L" + std::to_string(level) + "_";
    name.resize(name_length, 'x');
    if (level == 0) first_ = name;
    MakeSide(fd, "SideA");
    const bool made = ::mkdirat(fd, name.c_str(), 0700) == 0;
    MakeSide(fd, "SideB");
    Touch(fd, "f.txt");
    const std::string prefix = relative.empty() ? "" : relative + "\\";
    lines_.insert(prefix + "f.txt");
    for (const char* side : {"SideA", "SideB"}) {
      lines_.insert("<DIR> " + prefix + side);
      lines_.insert(prefix + side + "\\s.txt");
    }
    relative = prefix + name;
    lines_.insert("<DIR> " + relative);
    const int next = made ? ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    ::close(fd);
    fd = next;
    if (fd < 0) throw std::runtime_error("cannot make level " + std::to_string(level) + " of a deep chain");
  }
  deepest_ = relative;
  Touch(fd, "f.txt");
  lines_.insert(relative + "\\f.txt");
  ::close(fd);
}

DeepChain::~DeepChain() {
  const int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  RemoveBelow(fd, first_);
  ::close(fd);
}

}  // namespace zv::testing
