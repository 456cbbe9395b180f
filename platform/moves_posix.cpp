// Moves and copies of the Linux host: a move never replaces an existing
// file, a copy replaces its target whole, and neither leaves a half-written
// file behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix_support.h"
#include "platform/text.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace zv::posix {
namespace {

int RenameNoReplace(const char* from, const char* to) {
  return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
}

// Sets the access and modification times of `fd` to those in `st`.
bool CopyTimes(int fd, const struct stat& st) {
  const timespec times[2] = {st.st_atim, st.st_mtim};
  return ::futimens(fd, times) == 0;
}

// Writes a copy of the regular file open as `source` (described by `st`) to a
// fresh temporary file beside `target`: content, permission bits and times,
// flushed to disk. Answers the temporary path, or empty (errno set) on failure,
// in which case no temporary file is left.
std::string CopyToTempBeside(int source, const struct stat& st, const std::string& target) {
  UniqueFd out;
  const std::string temp = CreateTempBeside(target, 0600, &out);
  if (temp.empty()) return temp;
  // The times are set before the flush, so that they reach the disk with
  // the content, before the source can be removed.
  const bool ok = CopyContent(source, out.get()) && ::fchmod(out.get(), st.st_mode & 07777) == 0 &&
                  CopyTimes(out.get(), st) && ::fsync(out.get()) == 0;
  if (ok && out.Close()) return temp;
  const int saved = errno;
  ::unlink(temp.c_str());
  errno = saved;
  return {};
}

std::string BaseNameOf(const std::string& path) { return BaseName(ToHostPath(path)); }

// A file system that does not know RENAME_NOREPLACE: a file is linked into
// place (link never replaces) and its old name removed; a folder is renamed
// after checking that the target is free.
bool MoveWithoutFlag(const std::string& source, const std::string& target) {
  struct stat st;
  if (::lstat(source.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (::link(source.c_str(), target.c_str()) != 0) return false;
    if (::unlink(source.c_str()) != 0) {
      ::unlink(target.c_str());
      return false;
    }
    return true;
  }
  if (::lstat(target.c_str(), &st) == 0 || errno != ENOENT) return false;
  return ::rename(source.c_str(), target.c_str()) == 0;
}

// A new link beside `target` pointing where the link `source` points.
std::string CopyLinkBeside(const std::string& source, const struct stat& st, const std::string& target) {
  std::string destination(static_cast<std::size_t>(st.st_size) + 1, '\0');
  const ssize_t length = ::readlink(source.c_str(), destination.data(), destination.size());
  if (length < 0 || static_cast<std::size_t>(length) >= destination.size()) return {};
  destination.resize(static_cast<std::size_t>(length));
  // Reserve a free name with an ordinary file, then put the link in its place.
  UniqueFd placeholder;
  const std::string temp = CreateTempBeside(target, 0600, &placeholder);
  if (temp.empty()) return temp;
  placeholder.Close();
  ::unlink(temp.c_str());
  if (::symlink(destination.c_str(), temp.c_str()) != 0) return {};
  return temp;
}

// A move between file systems: the copy is complete and on disk under its
// final name before the source is removed; any failure undoes the copy.
bool MoveAcross(const std::string& source, const std::string& target) {
  struct stat st;
  if (::lstat(source.c_str(), &st) != 0) return false;
  UniqueFd temp_fd;
  std::string temp;
  if (S_ISREG(st.st_mode)) {
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in.valid()) return false;
    temp = CopyToTempBeside(in.get(), st, target);
  } else if (S_ISLNK(st.st_mode)) {
    temp = CopyLinkBeside(source, st, target);
  } else {
    // Folders (and devices, sockets, pipes) are not carried across.
    return false;
  }
  if (temp.empty()) return false;
  const bool placed = ::link(temp.c_str(), target.c_str()) == 0;
  ::unlink(temp.c_str());
  if (!placed) return false;
  SyncFolder(ParentFolder(target));
  if (::unlink(source.c_str()) != 0) {
    ::unlink(target.c_str());
    return false;
  }
  SyncFolder(ParentFolder(source));
  return true;
}

// Moves between host paths already resolved; `sync` flushes the target's
// folder after a rename (a move across file systems always flushes).
bool MoveResolved(const std::string& source, const std::string& target, bool sync) {
  if (RenameNoReplace(source.c_str(), target.c_str()) == 0) {
    if (sync) SyncFolder(ParentFolder(target));
    return true;
  }
  if (errno == EXDEV) return MoveAcross(source, target);
  if (errno == EINVAL || errno == ENOSYS) return MoveWithoutFlag(source, target);
  return false;
}

}  // namespace

bool MoveFile(const std::string& from, const std::string& to) {
  const std::string source = ResolveCase(from);
  std::string target = ResolveCase(to);
  if (target == source && BaseNameOf(to) != BaseName(source)) {
    // Only the letter case changes: the target is the source itself.
    target = JoinHost(ParentFolder(source), BaseNameOf(to));
  }
  return MoveResolved(source, target, true);
}

bool MoveFileAsSpelled(const std::string& from, const std::string& to) {
  const std::string spelled = ToHostPath(to);
  const std::string target = JoinHost(ResolveCase(ParentFolder(spelled)), BaseName(spelled));
  return MoveResolved(ResolveCase(from), target, false);
}

bool CopyFile(const std::string& from, const std::string& to) {
  UniqueFd in(::open(ResolveCase(from).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (!in.valid() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const std::string target = ResolveCase(to);
  struct stat old;
  if (::lstat(target.c_str(), &old) == 0 && IsReadOnlyMode(old)) return false;
  const std::string temp = CopyToTempBeside(in.get(), st, target);
  if (temp.empty()) return false;
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(ParentFolder(target));
  return true;
}

}  // namespace zv::posix
