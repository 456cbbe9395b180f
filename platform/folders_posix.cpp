// Folder listings of the Linux host: getdents64 over an open descriptor, so
// that no entry costs a stat, and the stamps that tell whether a folder's
// names may have changed.
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/posix_support.h"
#include "platform/text.h"

namespace zv::posix {
namespace {

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

// File systems that update a folder's times in place, from this machine's
// clock, whenever an entry is created, removed or renamed (and a file's
// whenever it is written), and answer stat from that same state. Network and user-space file systems are left out:
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

// KeepsFolderTimes by the folder's mount, asked once per mount and second
// instead of once per folder: a walk stamps thousands of folders on one or
// two mounts. A mount is known by its device and mount id; an answer serves
// for one second only, so a file system mounted later in the place of
// another (which may get the same numbers) is asked afresh.
bool MountKeepsFolderTimes(const struct statx& st, const std::string& host_path) {
  if ((st.stx_mask & STATX_MNT_ID) == 0) return KeepsFolderTimes(host_path);
  struct Known {
    std::uint64_t device = 0, mount = 0;
    bool keeps = false;
    std::int64_t until_ns = 0;
  };
  thread_local std::array<Known, 8> known{};
  thread_local std::size_t next = 0;
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const std::int64_t now_ns = std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
  const std::uint64_t device = (std::uint64_t{st.stx_dev_major} << 32) | st.stx_dev_minor;
  for (const Known& k : known) {
    if (k.until_ns > now_ns && k.device == device && k.mount == st.stx_mnt_id) return k.keeps;
  }
  const bool keeps = KeepsFolderTimes(host_path);
  known[next++ % known.size()] = {device, st.stx_mnt_id, keeps, now_ns + 1'000'000'000};
  return keeps;
}

// A time as nanoseconds since the epoch; false beyond what 64 bits hold
// (before 1678 or after 2262, as times set by hand can be).
bool ToNanoseconds(std::int64_t seconds, std::int64_t nanoseconds, std::int64_t* out) {
  return !__builtin_mul_overflow(seconds, std::int64_t{1'000'000'000}, out) &&
         !__builtin_add_overflow(*out, nanoseconds, out);
}

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
  return ::open(ResolveCase(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Opens the subfolder `name` of `parent`, never through a link, with
// `flags` added; -1 when `parent` is not ours or `name` is not one plain
// name (openat would walk a "/" and climb out with "..").
int OpenSubfolderFd(FolderHandle& parent, const std::string& name, int flags) {
  auto* own = dynamic_cast<PosixFolderHandle*>(&parent);
  const bool plain = !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
  if (own == nullptr || !plain) return -1;
  return ::openat(own->fd(), name.c_str(), flags | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The size of each file entry of `entries`, the listing of the open folder
// `fd`, -1 for a folder or a size that cannot be read. Each is looked up
// relative to the open folder: no walk of the whole path per file.
void ReadSizes(int fd, const std::vector<FolderEntry>& entries, std::vector<std::int64_t>* sizes) {
  sizes->clear();
  sizes->reserve(entries.size());
  struct stat st;
  for (const FolderEntry& entry : entries) {
    const bool known = entry.kind == EntryKind::kFile && ::fstatat(fd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    sizes->push_back(known ? static_cast<std::int64_t>(st.st_size) : -1);
  }
}

}  // namespace

bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) {
  UniqueFd fd(OpenFolderAt(path));
  if (!fd.valid()) {
    out->clear();
    return false;
  }
  return ReadFolder(fd.get(), out);
}

bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out, std::vector<std::int64_t>* sizes) {
  sizes->clear();
  UniqueFd fd(OpenFolderAt(path));
  if (!fd.valid() || !ReadFolder(fd.get(), out)) {
    out->clear();
    return false;
  }
  ReadSizes(fd.get(), *out, sizes);
  return true;
}

std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) {
  UniqueFd fd(OpenFolderAt(path));
  if (!fd.valid()) return nullptr;
  return std::make_unique<PosixFolderHandle>(path, std::move(fd));
}

bool IsOwnFolder(const FolderHandle& handle) { return dynamic_cast<const PosixFolderHandle*>(&handle) != nullptr; }

bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                   std::unique_ptr<FolderHandle>* opened) {
  if (opened != nullptr) opened->reset();
  UniqueFd fd(OpenSubfolderFd(parent, name, O_RDONLY));
  if (!fd.valid() || !ReadFolder(fd.get(), out)) {
    out->clear();
    return false;
  }
  if (opened != nullptr) *opened = std::make_unique<PosixFolderHandle>(parent.path() + "/" + name, std::move(fd));
  return true;
}

bool ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                        std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened) {
  sizes->clear();
  std::unique_ptr<FolderHandle> own;
  std::unique_ptr<FolderHandle>& held = opened != nullptr ? *opened : own;
  if (!ListSubfolder(parent, name, out, &held)) return false;
  ReadSizes(static_cast<PosixFolderHandle&>(*held).fd(), *out, sizes);
  return true;
}

std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) {
  // O_PATH: the folder is only a place to open its subfolders from, so it
  // needs neither reading rights nor a full open.
  UniqueFd fd(OpenSubfolderFd(parent, name, O_PATH));
  if (!fd.valid()) return nullptr;
  return std::make_unique<PosixFolderHandle>(parent.path() + "/" + name, std::move(fd));
}

namespace {

constexpr unsigned kStampWanted = STATX_TYPE | STATX_INO | STATX_MTIME | STATX_CTIME;
constexpr unsigned kStampAsked = kStampWanted | STATX_MNT_ID;

// The identity and times of `st` (the statx of the file or folder at
// `host`) into a folder's or a file's stamp; false when `st` lacks `wanted`
// or the mount does not keep times to go by.
template <typename Stamp>
bool FillStamp(const struct statx& st, const std::string& host, unsigned wanted, Stamp* out) {
  if ((st.stx_mask & wanted) != wanted || !MountKeepsFolderTimes(st, host)) return false;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  out->device = (std::uint64_t{st.stx_dev_major} << 32) | st.stx_dev_minor;
  out->inode = st.stx_ino;
  return ToNanoseconds(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec, &out->modified_ns) &&
         ToNanoseconds(st.stx_ctime.tv_sec, st.stx_ctime.tv_nsec, &out->changed_ns) &&
         ToNanoseconds(now.tv_sec, now.tv_nsec, &out->read_ns);
}

// The stamp in `st`, the statx of the folder at `host`; false when it is no
// folder or gives no stamp to go by.
bool StampOf(const struct statx& st, const std::string& host, FolderStamp* out) {
  return S_ISDIR(st.stx_mode) && FillStamp(st, host, kStampWanted, out);
}

// statx of `path` resolved as spelled, then by case; *host receives the
// path asked about last. False when neither answers.
bool StatxResolved(const std::string& path, int flags, unsigned mask, struct statx* st, std::string* host) {
  *host = ToHostPath(path);
  int result = ::statx(AT_FDCWD, host->c_str(), flags, mask, st);
  if (result != 0 && errno == ENOENT) {
    *host = ResolveCase(path);
    result = ::statx(AT_FDCWD, host->c_str(), flags, mask, st);
  }
  return result == 0;
}

}  // namespace

bool ReadFolderStamp(const std::string& path, FolderStamp* out) {
  // Resolved as ListFolder opens the folder; a final link is followed, as
  // open() follows it.
  std::string host;
  struct statx st;
  return StatxResolved(path, 0, kStampAsked, &st, &host) && StampOf(st, host, out);
}

bool ReadFileStamp(const std::string& path, FileStamp* out) {
  // Resolved as ReadOwnFile resolves a path whose final link it does not
  // follow; a link has no stamp of content.
  std::string host;
  struct statx st;
  if (!StatxResolved(path, AT_SYMLINK_NOFOLLOW, kStampAsked | STATX_SIZE, &st, &host) || !S_ISREG(st.stx_mode)) {
    return false;
  }
  out->size = st.stx_size;
  return FillStamp(st, host, kStampWanted | STATX_SIZE, out);
}

bool ReadOpenFolderStamp(FolderHandle& folder, FolderStamp* out) {
  auto* own = dynamic_cast<PosixFolderHandle*>(&folder);
  struct statx st;
  if (own == nullptr || ::statx(own->fd(), "", AT_EMPTY_PATH, kStampAsked, &st) != 0) return false;
  return StampOf(st, ToHostPath(folder.path()), out);
}

}  // namespace zv::posix
