#include "platform/lock_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix_support.h"
#include "platform/system_error.h"

namespace zv::posix {
namespace {

class HeldFlock : public HeldMutex {
 public:
  explicit HeldFlock(UniqueFd fd) : fd_(std::move(fd)) {}

 private:
  UniqueFd fd_;  // closing the descriptor releases the lock
};

bool OursAndClosed(const struct stat& st) { return st.st_uid == ::getuid() && (st.st_mode & 077) == 0; }

// Opens `path` as a folder without following a link; HostError when it is
// no folder of ours.
UniqueFd OpenOwnFolder(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ELOOP || errno == ENOTDIR) throw HostError(path, "Not a folder but a link or a file");
    ThrowSystemError(path, errno);
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowSystemError(path, errno);
  if (st.st_uid != ::getuid()) throw HostError(path, "Belongs to another user");
  return fd;
}

}  // namespace

std::string LockFolder(const std::string& runtime, const std::string& tmp_root) {
  struct stat st;
  if (!runtime.empty() && runtime[0] == '/' && ::stat(runtime.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
      OursAndClosed(st)) {
    return runtime;
  }
  // In a shared folder such as /tmp another user could otherwise place a
  // file or a link at the lock's name first.
  const std::string folder = JoinHost(tmp_root, "zorvan-" + std::to_string(::getuid()));
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) ThrowSystemError(folder, errno);
  const UniqueFd fd = OpenOwnFolder(folder);
  if (::fstat(fd.get(), &st) != 0) ThrowSystemError(folder, errno);
  if ((st.st_mode & 077) != 0 && ::fchmod(fd.get(), 0700) != 0) ThrowSystemError(folder, errno);
  return folder;
}

std::unique_ptr<HeldMutex> AcquireLock(const std::string& folder, const std::string& name) {
  std::string file = name + ".lock";
  std::replace(file.begin(), file.end(), '/', '_');
  const std::string path = JoinHost(folder, file);
  // Close-on-exec: a program started by ShellOpen must not keep the lock.
  // Non-blocking: opening a pipe someone put there must not hang.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
  if (!fd.valid()) {
    if (errno == ELOOP) throw HostError(path, "A link stands where the lock file belongs");
    ThrowSystemError(path, errno);
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowSystemError(path, errno);
  if (!S_ISREG(st.st_mode)) throw HostError(path, "Not a plain file, so it cannot be the lock file");
  if (st.st_uid != ::getuid()) throw HostError(path, "Belongs to another user");
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return nullptr;
    ThrowSystemError(path, errno);
  }
  return std::make_unique<HeldFlock>(std::move(fd));
}

}  // namespace zv::posix
