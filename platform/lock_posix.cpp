#include "platform/lock_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

// Opens the lock file `name` + ".lock" in `folder`, made when `create`;
// an invalid descriptor when it is missing and not to be made.
UniqueFd OpenLockFile(const std::string& folder, const std::string& name, bool create) {
  std::string file = name + ".lock";
  std::replace(file.begin(), file.end(), '/', '_');
  const std::string path = JoinHost(folder, file);
  // Close-on-exec: a program started by ShellOpen must not keep the lock.
  // Non-blocking: opening a pipe someone put there must not hang.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (create ? O_CREAT : 0), 0600));
  if (!fd.valid()) {
    if (!create && errno == ENOENT) return fd;
    if (errno == ELOOP) throw HostError(path, "A link stands where the lock file belongs");
    ThrowSystemError(path, errno);
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowSystemError(path, errno);
  if (!S_ISREG(st.st_mode)) throw HostError(path, "Not a plain file, so it cannot be the lock file");
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

std::unique_ptr<HeldMutex> AcquireLock(const std::string& folder, const std::string& name, const std::string& holder) {
  UniqueFd fd = OpenLockFile(folder, name, true);
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return nullptr;
    ThrowSystemError(JoinHost(folder, name + ".lock"), errno);
  }
  // Who holds it, for the message of whoever finds it taken; a holder that
  // cannot say so still holds the lock.
  const std::string said = holder.empty() ? holder : holder + " (process " + std::to_string(::getpid()) + ")";
  if (::ftruncate(fd.get(), 0) == 0 && !said.empty()) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd.get(), said.data(), said.size(), 0);
  }
  return std::make_unique<HeldFlock>(std::move(fd));
}

std::string LockHolder(const std::string& folder, const std::string& name) {
  const UniqueFd fd = OpenLockFile(folder, name, false);
  if (!fd.valid()) return {};
  // A lock we can take is held by nobody: what the file says is stale.
  if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return {};
  char text[512];
  const ssize_t got = ::pread(fd.get(), text, sizeof text, 0);
  return got > 0 ? std::string(text, static_cast<std::size_t>(got)) : std::string();
}

std::string FolderLockName(const std::string& folder) {
  std::string path = folder;
  if (char* real = ::realpath(folder.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }
  // A path may be longer than a file name can be: its FNV-1a hash names it.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  char name[40];
  std::snprintf(name, sizeof name, "folder-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace zv::posix
