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

int RenameNoReplace(const NameAt& from, const NameAt& to) {
  return static_cast<int>(
      ::syscall(SYS_renameat2, from.folder, from.name.c_str(), to.folder, to.name.c_str(), RENAME_NOREPLACE));
}

// Sets the access and modification times of `fd` to those in `st`.
bool CopyTimes(int fd, const struct stat& st) {
  const timespec times[2] = {st.st_atim, st.st_mtim};
  return ::futimens(fd, times) == 0;
}

// Writes a copy of the regular file open as `source` (described by `st`) to a
// fresh temporary file in `folder`: content, permission bits and times,
// flushed to disk. Answers the temporary's name, or empty (errno set) on
// failure, in which case no temporary file is left.
std::string CopyToTempIn(int source, const struct stat& st, int folder) {
  UniqueFd out;
  const std::string temp = CreateTempIn(folder, 0600, &out);
  if (temp.empty()) return temp;
  // The times are set before the flush, so that they reach the disk with
  // the content, before the source can be removed.
  const bool ok = CopyContent(source, out.get()) && ::fchmod(out.get(), st.st_mode & 07777) == 0 &&
                  CopyTimes(out.get(), st) && ::fsync(out.get()) == 0;
  if (ok && out.Close()) return temp;
  const int saved = errno;
  ::unlinkat(folder, temp.c_str(), 0);
  errno = saved;
  return {};
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A file system that does not know RENAME_NOREPLACE: a file is linked into
// place (link never replaces) and its old name removed; a folder is renamed
// after checking that the target is free.
bool MoveWithoutFlag(const NameAt& source, const NameAt& target) {
  struct stat st;
  if (::fstatat(source.folder, source.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (::linkat(source.folder, source.name.c_str(), target.folder, target.name.c_str(), 0) != 0) return false;
    if (::unlinkat(source.folder, source.name.c_str(), 0) != 0) {
      ::unlinkat(target.folder, target.name.c_str(), 0);
      return false;
    }
    return true;
  }
  if (::fstatat(target.folder, target.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) return false;
  return ::renameat(source.folder, source.name.c_str(), target.folder, target.name.c_str()) == 0;
}

// A new link in `folder` pointing where the link `source` points.
std::string CopyLinkIn(const NameAt& source, const struct stat& st, int folder) {
  std::string destination(static_cast<std::size_t>(st.st_size) + 1, '\0');
  const ssize_t length = ::readlinkat(source.folder, source.name.c_str(), destination.data(), destination.size());
  if (length < 0 || static_cast<std::size_t>(length) >= destination.size()) return {};
  destination.resize(static_cast<std::size_t>(length));
  // Reserve a free name with an ordinary file, then put the link in its place.
  UniqueFd placeholder;
  const std::string temp = CreateTempIn(folder, 0600, &placeholder);
  if (temp.empty()) return temp;
  placeholder.Close();
  ::unlinkat(folder, temp.c_str(), 0);
  if (::symlinkat(destination.c_str(), folder, temp.c_str()) != 0) return {};
  return temp;
}

// A move between file systems: the copy is complete and on disk under its
// final name before the source is removed; any failure undoes the copy.
bool MoveAcross(const NameAt& source, const NameAt& target) {
  struct stat st;
  if (::fstatat(source.folder, source.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  std::string temp;
  if (S_ISREG(st.st_mode)) {
    UniqueFd in(::openat(source.folder, source.name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat opened;
    if (!in.valid() || ::fstat(in.get(), &opened) != 0 || !SameFile(st, opened)) return false;
    temp = CopyToTempIn(in.get(), st, target.folder);
  } else if (S_ISLNK(st.st_mode)) {
    temp = CopyLinkIn(source, st, target.folder);
  } else {
    // Folders (and devices, sockets, pipes) are not carried across.
    return false;
  }
  if (temp.empty()) return false;
  const bool placed = ::linkat(target.folder, temp.c_str(), target.folder, target.name.c_str(), 0) == 0;
  ::unlinkat(target.folder, temp.c_str(), 0);
  if (!placed) return false;
  SyncFolderAt(target.folder, ".");
  // Only the file that was copied is removed: a name given to another file
  // meanwhile keeps it, and the copy goes again.
  struct stat now;
  if (::fstatat(source.folder, source.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(st, now) ||
      ::unlinkat(source.folder, source.name.c_str(), 0) != 0) {
    ::unlinkat(target.folder, target.name.c_str(), 0);
    return false;
  }
  SyncFolderAt(source.folder, ".");
  return true;
}

// The folder holding a host path, held open; the last name in *name.
UniqueFd OpenParent(const std::string& host_path, std::string* name) {
  *name = BaseName(host_path);
  return UniqueFd(::open(ParentFolder(host_path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// Moves between host paths already resolved.
bool MoveResolved(const std::string& source, const std::string& target, bool sync) {
  NameAt from{-1, {}}, to{-1, {}};
  const UniqueFd from_folder = OpenParent(source, &from.name);
  const UniqueFd to_folder = OpenParent(target, &to.name);
  if (!from_folder.valid() || !to_folder.valid()) return false;
  from.folder = from_folder.get();
  to.folder = to_folder.get();
  return MoveAt(from, to, sync);
}

std::string BaseNameOf(const std::string& path) { return BaseName(ToHostPath(path)); }

}  // namespace

bool MoveAt(const NameAt& from, const NameAt& to, bool sync) {
  if (RenameNoReplace(from, to) == 0) {
    if (sync) SyncFolderAt(to.folder, ".");
    return true;
  }
  if (errno == EXDEV) return MoveAcross(from, to);
  if (errno == EINVAL || errno == ENOSYS) return MoveWithoutFlag(from, to);
  return false;
}

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
  std::string name;
  const UniqueFd folder = OpenParent(target, &name);
  if (!folder.valid()) return false;
  const std::string temp = CopyToTempIn(in.get(), st, folder.get());
  if (temp.empty()) return false;
  if (::renameat(folder.get(), temp.c_str(), folder.get(), name.c_str()) != 0) {
    ::unlinkat(folder.get(), temp.c_str(), 0);
    return false;
  }
  SyncFolderAt(folder.get(), ".");
  return true;
}

}  // namespace zv::posix
