// The host of a Linux machine: files, folders, listings, moves and locks.
// Places live in places_posix.cpp, launching in shell_posix.cpp.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/host.h"
#include "platform/posix_support.h"
#include "platform/system_error.h"
#include "platform/text.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace zv {
namespace {

using posix::UniqueFd;

// The record layout of the getdents64 system call.
struct KernelDirent64 {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[1];
};

bool IsDots(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

int RenameNoReplace(const char* from, const char* to) {
  return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
}

// Sets the access and modification times of `fd` to those in `st`.
void CopyTimes(int fd, const struct stat& st) {
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ::futimens(fd, times);
}

// Writes a copy of the regular file open as `source` (described by `st`) to a
// fresh temporary file beside `target`: content, permission bits and times,
// flushed to disk. Answers the temporary path, or empty (errno set) on failure,
// in which case no temporary file is left.
std::string CopyToTempBeside(int source, const struct stat& st, const std::string& target) {
  UniqueFd out;
  const std::string temp = posix::CreateTempBeside(target, 0600, &out);
  if (temp.empty()) return temp;
  const bool ok = posix::CopyContent(source, out.get()) && ::fchmod(out.get(), st.st_mode & 07777) == 0 &&
                  ::fsync(out.get()) == 0;
  if (ok) CopyTimes(out.get(), st);
  if (ok && out.Close()) return temp;
  const int saved = errno;
  ::unlink(temp.c_str());
  errno = saved;
  return {};
}

// The owner's write bit is clear; a link has no bits of its own and never is.
bool IsReadOnlyMode(const struct stat& st) { return !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0; }

// File systems that update a folder's times in place, from this machine's
// clock, whenever an entry is created, removed or renamed, and answer stat
// from that same state. Network and user-space file systems are left out:
// their times may come from a cache or from another machine's clock.
bool KeepsFolderTimes(const std::string& host_path) {
  struct statfs fs;
  if (::statfs(host_path.c_str(), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC:  // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
      return true;
    default:
      return false;
  }
}

// A time as nanoseconds since the epoch; false beyond what 64 bits hold
// (before 1678 or after 2262, as times set by hand can be).
bool ToNanoseconds(std::int64_t seconds, std::int64_t nanoseconds, std::int64_t* out) {
  return !__builtin_mul_overflow(seconds, std::int64_t{1'000'000'000}, out) &&
         !__builtin_add_overflow(*out, nanoseconds, out);
}

class HeldFlock : public HeldMutex {
 public:
  explicit HeldFlock(UniqueFd fd) : fd_(std::move(fd)) {}

 private:
  UniqueFd fd_;  // closing the descriptor releases the lock
};

// Reads the open folder `fd` into *out ("." and ".." left out), in the
// file system's order; false, with *out empty, when it cannot be read.
bool ReadFolder(int fd, std::vector<FolderEntry>* out) {
  // Entries are overwritten in place so that the caller's vector and the
  // names' buffers are reused from one folder to the next.
  std::size_t count = 0;
  thread_local std::vector<char> buffer(1 << 17);
  for (;;) {
    const long got = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      out->clear();
      return false;
    }
    for (long offset = 0; offset < got;) {
      const auto* entry = reinterpret_cast<const KernelDirent64*>(buffer.data() + offset);
      offset += entry->d_reclen;
      if (IsDots(entry->d_name)) continue;
      EntryKind kind = entry->d_type == DT_DIR ? EntryKind::kFolder : EntryKind::kFile;
      if (entry->d_type == DT_UNKNOWN) {
        struct stat st;
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
          kind = EntryKind::kFolder;
        }
      }
      if (count < out->size()) {
        FolderEntry& slot = (*out)[count];
        slot.name.assign(entry->d_name);
        slot.kind = kind;
      } else {
        out->push_back(FolderEntry{entry->d_name, kind});
      }
      ++count;
    }
  }
  out->resize(count);
  return true;
}

// A folder held open by its descriptor.
class PosixFolderHandle : public FolderHandle {
 public:
  PosixFolderHandle(std::string path, UniqueFd fd) : FolderHandle(std::move(path)), fd_(std::move(fd)) {}
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
};

int OpenFolderAt(const std::string& path) {
  // Opening as spelled first keeps the common case at one system call.
  const int fd = ::open(ToHostPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0 || errno != ENOENT) return fd;
  return ::open(posix::ResolveCase(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

class PosixHost : public Host {
 public:
  std::string ReadFile(const std::string& path) override {
    UniqueFd fd(::open(ToHostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid() && errno == ENOENT) fd = UniqueFd(::open(posix::ResolveCase(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) ThrowSystemError(path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) ThrowSystemError(path, errno);
    if (S_ISDIR(st.st_mode)) ThrowSystemError(path, EISDIR);
    std::string data;
    if (S_ISREG(st.st_mode) && st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
      const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        ThrowSystemError(path, errno);
      }
      data.append(buffer, static_cast<std::size_t>(got));
    }
    return data;
  }

  void WriteFile(const std::string& path, std::string_view data) override {
    std::string target = posix::ResolveCase(path);
    struct stat old;
    bool replacing = ::lstat(target.c_str(), &old) == 0;
    if (replacing && S_ISLNK(old.st_mode)) {
      // Writing through a link updates the file it points to, as an editor would.
      if (char* real = ::realpath(target.c_str(), nullptr)) {
        target = real;
        std::free(real);
        replacing = ::lstat(target.c_str(), &old) == 0;
      } else {
        replacing = false;
      }
    }
    if (replacing && S_ISDIR(old.st_mode)) ThrowSystemError(path, EISDIR);
    if (replacing && IsReadOnlyMode(old)) ThrowSystemError(path, EACCES);

    UniqueFd out;
    const std::string temp = posix::CreateTempBeside(target, 0666, &out);
    if (temp.empty()) ThrowSystemError(path, errno);
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
      const ssize_t put = ::write(out.get(), data.data() + done, data.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) ok = false;
      else done += static_cast<std::size_t>(put);
    }
    ok = ok && (!replacing || ::fchmod(out.get(), old.st_mode & 07777) == 0);
    ok = ok && ::fsync(out.get()) == 0;
    ok = ok && out.Close();
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
      const int saved = errno;
      ::unlink(temp.c_str());
      ThrowSystemError(path, saved);
    }
    posix::SyncFolder(posix::ParentFolder(target));
  }

  bool FileExists(const std::string& path) override {
    struct stat st;
    return Lstat(path, &st) && !S_ISDIR(st.st_mode);
  }

  bool FolderExists(const std::string& path) override {
    if (path.empty()) return true;
    struct stat st;
    return Lstat(path, &st) && S_ISDIR(st.st_mode);
  }

  bool PathExists(const std::string& path) override {
    struct stat st;
    return Lstat(path, &st);
  }

  std::int64_t FileSize(const std::string& path) override {
    struct stat st;
    const std::string name = LastComponent(path);
    if (!HasWildcard(name)) return Lstat(path, &st) ? static_cast<std::int64_t>(st.st_size) : -1;
    // The first match in byte order, so that the answer does not depend on
    // the order in which the file system happens to list the folder.
    const std::string folder = posix::ResolveCase(path.substr(0, path.size() - name.size()));
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder.empty() ? "." : folder, &entries)) return -1;
    const FolderEntry* first = nullptr;
    for (const FolderEntry& entry : entries) {
      if (MatchWildcard(name, entry.name) && (!first || entry.name < first->name)) first = &entry;
    }
    if (!first) return -1;
    const std::string found = posix::JoinHost(folder, first->name);
    return ::lstat(found.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
  }

  bool IsReadOnly(const std::string& path) override {
    struct stat st;
    return Lstat(path, &st) && IsReadOnlyMode(st);
  }

  bool SetReadOnly(const std::string& path, bool read_only) override {
    const std::string host = posix::ResolveCase(path);
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) return false;
    // A link has no permission bits of its own: it is never read-only.
    if (S_ISLNK(st.st_mode)) return !read_only;
    const mode_t bits = st.st_mode & 07777;
    const mode_t wanted = read_only ? (bits & ~S_IWUSR) : (bits | S_IWUSR);
    return wanted == bits || ::chmod(host.c_str(), wanted) == 0;
  }

  bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                       std::vector<std::int64_t>* sizes) override {
    sizes->clear();
    int raw = ::open(ToHostPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (raw < 0 && errno == ENOENT) raw = ::open(posix::ResolveCase(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (raw < 0 || !ListFolder(path, out)) {
      if (raw >= 0) ::close(raw);
      out->clear();
      return false;
    }
    UniqueFd fd(raw);
    // Each size is looked up relative to the open folder: no walk of the
    // whole path per file.
    sizes->reserve(out->size());
    struct stat st;
    for (const FolderEntry& entry : *out) {
      const bool known = entry.kind == EntryKind::kFile &&
                         ::fstatat(fd.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
      sizes->push_back(known ? static_cast<std::int64_t>(st.st_size) : -1);
    }
    return true;
  }

  bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) override {
    UniqueFd fd(OpenFolderAt(path));
    if (!fd.valid()) {
      out->clear();
      return false;
    }
    return ReadFolder(fd.get(), out);
  }

  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) override {
    UniqueFd fd(OpenFolderAt(path));
    if (!fd.valid()) return nullptr;
    return std::make_unique<PosixFolderHandle>(path, std::move(fd));
  }

  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    auto* own = dynamic_cast<PosixFolderHandle*>(&parent);
    if (own == nullptr) return Host::ListSubfolder(parent, name, out, opened);
    if (opened != nullptr) opened->reset();
    // One plain name: openat would walk a "/" and climb out with "..".
    const bool plain = !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
    UniqueFd fd(plain ? ::openat(own->fd(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1);
    if (!fd.valid() || !ReadFolder(fd.get(), out)) {
      out->clear();
      return false;
    }
    if (opened != nullptr) *opened = std::make_unique<PosixFolderHandle>(parent.path() + "/" + name, std::move(fd));
    return true;
  }

  bool ReadFolderStamp(const std::string& path, FolderStamp* out) override {
    constexpr unsigned kWanted = STATX_TYPE | STATX_INO | STATX_MTIME | STATX_CTIME;
    // Resolved as ListFolder opens the folder: as spelled, then by case; a
    // final link is followed, as open() follows it.
    std::string host = ToHostPath(path);
    struct statx st;
    int result = ::statx(AT_FDCWD, host.c_str(), 0, kWanted, &st);
    if (result != 0 && errno == ENOENT) {
      host = posix::ResolveCase(path);
      result = ::statx(AT_FDCWD, host.c_str(), 0, kWanted, &st);
    }
    if (result != 0 || (st.stx_mask & kWanted) != kWanted || !S_ISDIR(st.stx_mode) || !KeepsFolderTimes(host)) {
      return false;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    out->device = (std::uint64_t{st.stx_dev_major} << 32) | st.stx_dev_minor;
    out->inode = st.stx_ino;
    return ToNanoseconds(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec, &out->modified_ns) &&
           ToNanoseconds(st.stx_ctime.tv_sec, st.stx_ctime.tv_nsec, &out->changed_ns) &&
           ToNanoseconds(now.tv_sec, now.tv_nsec, &out->read_ns);
  }

  std::vector<std::string> FindFiles(const std::string& folder, const std::string& pattern) override {
    std::vector<FolderEntry> entries;
    std::vector<std::string> names;
    if (!ListFolder(folder.empty() ? "." : folder, &entries)) return names;
    for (FolderEntry& entry : entries) {
      if (entry.kind == EntryKind::kFile && entry.name[0] != '.' && MatchWildcard(pattern, entry.name)) {
        names.push_back(std::move(entry.name));
      }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      const int order = CompareNoCase(a, b);
      return order != 0 ? order < 0 : a < b;
    });
    return names;
  }

  bool MoveFile(const std::string& from, const std::string& to) override {
    const std::string source = posix::ResolveCase(from);
    std::string target = posix::ResolveCase(to);
    if (target == source && BaseNameOf(to) != posix::BaseName(source)) {
      // Only the letter case changes: the target is the source itself.
      target = posix::JoinHost(posix::ParentFolder(source), BaseNameOf(to));
    }
    if (RenameNoReplace(source.c_str(), target.c_str()) == 0) {
      posix::SyncFolder(posix::ParentFolder(target));
      return true;
    }
    if (errno == EXDEV) return MoveAcross(source, target);
    if (errno == EINVAL || errno == ENOSYS) return MoveWithoutFlag(source, target);
    return false;
  }

  bool CopyFile(const std::string& from, const std::string& to) override {
    UniqueFd in(::open(posix::ResolveCase(from).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!in.valid() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::string target = posix::ResolveCase(to);
    struct stat old;
    if (::lstat(target.c_str(), &old) == 0 && IsReadOnlyMode(old)) return false;
    const std::string temp = CopyToTempBeside(in.get(), st, target);
    if (temp.empty()) return false;
    if (::rename(temp.c_str(), target.c_str()) != 0) {
      ::unlink(temp.c_str());
      return false;
    }
    posix::SyncFolder(posix::ParentFolder(target));
    return true;
  }

  bool DeleteFile(const std::string& path) override {
    const std::string host = posix::ResolveCase(path);
    struct stat st;
    if (::lstat(host.c_str(), &st) == 0 && IsReadOnlyMode(st)) return false;
    return ::unlink(host.c_str()) == 0;
  }

  bool MakeFolder(const std::string& path) override { return ::mkdir(posix::ResolveCase(path).c_str(), 0777) == 0; }

  bool RemoveFolder(const std::string& path) override { return ::rmdir(posix::ResolveCase(path).c_str()) == 0; }

  std::string GetSystemFolder(int kind) override { return posix::GetSystemFolder(kind); }
  std::string SpecialFolderPath(int id) override { return posix::SpecialFolderPath(id); }
  std::string GetCurrentFolder() override { return posix::GetCurrentFolder(); }
  std::string ExpandPath(const std::string& path) override { return posix::ExpandPath(path); }

  int ShellOpen(const std::string& file, const std::string& params, const std::string& folder, int) override {
    return posix::ShellOpen(file, params, folder);
  }

  std::unique_ptr<HeldMutex> AcquireNamedMutex(const std::string& name) override {
    std::string safe = name;
    std::replace(safe.begin(), safe.end(), '/', '_');
    const std::string runtime = posix::Env("XDG_RUNTIME_DIR");
    struct stat st;
    const bool use_runtime = !runtime.empty() && runtime[0] == '/' && ::stat(runtime.c_str(), &st) == 0 &&
                             S_ISDIR(st.st_mode);
    const std::string lock_path = use_runtime
                                      ? posix::JoinHost(runtime, safe + ".lock")
                                      : "/tmp/" + safe + "-" + std::to_string(::getuid()) + ".lock";
    // Close-on-exec: a program started by ShellOpen must not keep the lock.
    UniqueFd fd(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid()) ThrowSystemError(lock_path, errno);
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno == EWOULDBLOCK) return nullptr;
      ThrowSystemError(lock_path, errno);
    }
    return std::make_unique<HeldFlock>(std::move(fd));
  }

 private:
  static bool Lstat(const std::string& path, struct stat* st) {
    return ::lstat(posix::ResolveCase(path).c_str(), st) == 0;
  }

  static std::string BaseNameOf(const std::string& path) { return posix::BaseName(ToHostPath(path)); }

  // A file system that does not know RENAME_NOREPLACE: a file is linked into
  // place (link never replaces) and its old name removed; a folder is renamed
  // after checking that the target is free.
  static bool MoveWithoutFlag(const std::string& source, const std::string& target) {
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

  // A move between file systems: the copy is complete and on disk under its
  // final name before the source is removed; any failure undoes the copy.
  static bool MoveAcross(const std::string& source, const std::string& target) {
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
    posix::SyncFolder(posix::ParentFolder(target));
    if (::unlink(source.c_str()) != 0) {
      ::unlink(target.c_str());
      return false;
    }
    posix::SyncFolder(posix::ParentFolder(source));
    return true;
  }

  // A new link beside `target` pointing where the link `source` points.
  static std::string CopyLinkBeside(const std::string& source, const struct stat& st, const std::string& target) {
    std::string destination(static_cast<std::size_t>(st.st_size) + 1, '\0');
    const ssize_t length = ::readlink(source.c_str(), destination.data(), destination.size());
    if (length < 0 || static_cast<std::size_t>(length) >= destination.size()) return {};
    destination.resize(static_cast<std::size_t>(length));
    // Reserve a free name with an ordinary file, then put the link in its place.
    UniqueFd placeholder;
    const std::string temp = posix::CreateTempBeside(target, 0600, &placeholder);
    if (temp.empty()) return temp;
    placeholder.Close();
    ::unlink(temp.c_str());
    if (::symlink(destination.c_str(), temp.c_str()) != 0) return {};
    return temp;
  }
};

}  // namespace

std::unique_ptr<Host> NewPosixHost() { return std::make_unique<PosixHost>(); }

}  // namespace zv
