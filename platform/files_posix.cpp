// Reading and writing whole files on Linux: only regular files are read,
// opened without blocking and checked before a byte is read; writes go
// through a temporary twin renamed over the target, so a file is never
// left half-written.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/posix_support.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace zv::posix {
namespace {

// Asks the kernel to back the memory of a big text with huge pages: reading
// a map of 50 MB into fresh memory otherwise costs a page fault per 4 KB,
// which on a virtual machine is most of the read. Only the whole 2 MB
// pages inside the range are meant; a kernel that declines changes nothing.
void PreferHugePages(char* data, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) static_cast<void>(::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE));
}

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) { throw RefusedFileError(path, reason); }

// Why an entry of this kind is not read or written as a file.
std::string NotRegularReason(mode_t mode) {
  if (S_ISDIR(mode)) return SystemReason(EISDIR);
  if (S_ISLNK(mode)) return "is a symbolic link, not a regular file";
  if (S_ISFIFO(mode)) return "is a named pipe, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  return "is not a regular file";
}

[[noreturn]] void RefuseSize(const std::string& path, std::uint64_t limit) {
  const std::string amount = limit % (1u << 20) == 0 ? std::to_string(limit >> 20) + " MB"
                                                      : std::to_string(limit) + " bytes";
  Refuse(path, "larger than " + amount + ", more than such a file can hold");
}

// The host path under which `path` exists (as spelled, else resolved for
// letter case), its status in *st: a final link followed or not. Throws
// HostError when there is nothing there.
std::string Locate(const std::string& path, bool follow_link, struct stat* st) {
  const auto look = [&](const std::string& host) {
    return follow_link ? ::stat(host.c_str(), st) : ::lstat(host.c_str(), st);
  };
  std::string host = ToHostPath(path);
  if (look(host) == 0) return host;
  if (errno == ENOENT) {
    host = ResolveCase(path);
    if (look(host) == 0) return host;
  }
  ThrowSystemError(path, errno);
}

bool HasRunBit(mode_t mode) { return (mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0; }

}  // namespace

std::string ReadFile(const std::string& path, const FileRules& rules) {
  struct stat st;
  const std::string host = Locate(path, rules.follow_link, &st);
  // Looked at before opening: opening a device can have effects of its own.
  if (!S_ISREG(st.st_mode)) Refuse(path, NotRegularReason(st.st_mode));
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (rules.follow_link ? 0 : O_NOFOLLOW);
  UniqueFd fd(::open(host.c_str(), flags));
  if (!fd.valid()) {
    if (errno == ELOOP && !rules.follow_link) Refuse(path, NotRegularReason(S_IFLNK));
    ThrowSystemError(path, errno);
  }
  // The entry may have been swapped between the look and the open.
  if (::fstat(fd.get(), &st) != 0) ThrowSystemError(path, errno);
  if (!S_ISREG(st.st_mode)) Refuse(path, NotRegularReason(st.st_mode));
  const std::uint64_t limit = rules.max_bytes;
  if (limit != 0 && static_cast<std::uint64_t>(st.st_size) > limit) RefuseSize(path, limit);

  // Read straight into the text, sized by the file's size and grown in
  // case the file grows while it is read.
  std::string data;
  data.reserve(static_cast<std::size_t>(st.st_size) + 1);
  PreferHugePages(data.data(), data.capacity());
  data.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t size = 0;
  for (;;) {
    if (size == data.size()) data.resize(size + (1 << 16));
    const ssize_t got = ::read(fd.get(), data.data() + size, data.size() - size);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError(path, errno);
    }
    size += static_cast<std::size_t>(got);
    // A file that grows while it is read is held to the same limit.
    if (limit != 0 && size > limit) RefuseSize(path, limit);
  }
  data.resize(size);
  return data;
}

namespace {

// One replacement of a file under way: the target looked at and a temporary
// twin made beside it when it begins, the data written into the twin, and
// the twin renamed over the target at Commit. Until then the target is
// untouched; a replacement that ends without Commit (or fails in it)
// removes its twin.
class Replacement : public FileInPieces {
 public:
  Replacement(const std::string& path, const FileRules& rules) : path_(path), plain_data_(rules.plain_data) {
    target_ = ResolveCase(path);
    bool replacing = ::lstat(target_.c_str(), &old_) == 0;
    if (replacing && S_ISLNK(old_.st_mode)) {
      if (!rules.follow_link) Refuse(path, NotRegularReason(old_.st_mode));
      // Writing through a link updates the file it points to, as an editor would.
      if (char* real = ::realpath(target_.c_str(), nullptr)) {
        target_ = real;
        std::free(real);
        replacing = ::lstat(target_.c_str(), &old_) == 0;
      } else {
        replacing = false;
      }
    }
    if (replacing && S_ISDIR(old_.st_mode)) Refuse(path, NotRegularReason(old_.st_mode));
    if (replacing && !rules.follow_link && !S_ISREG(old_.st_mode)) Refuse(path, NotRegularReason(old_.st_mode));

    if (replacing && IsReadOnlyMode(old_)) ThrowSystemError(path, EACCES);

    temp_ = CreateTempBeside(target_, 0666, &out_);
    if (temp_.empty()) ThrowSystemError(path, errno);
    // Where a new file gets run bits too, the file system keeps none of its
    // own (FAT, exFAT, NTFS mounts): they say nothing about a file there, and
    // the bits of a replaced file cannot be changed either.
    keep_bits_ = replacing;
    if (rules.plain_data) {
      struct stat fresh;
      const bool bits_mean_nothing = ::fstat(out_.get(), &fresh) == 0 && HasRunBit(fresh.st_mode);
      if (replacing && HasRunBit(old_.st_mode) && !bits_mean_nothing) {
        Discard();
        Refuse(path, "is a program (it has a run bit), which data never replaces");
      }
      keep_bits_ = replacing && !bits_mean_nothing;
    }
  }
  ~Replacement() override { Discard(); }

  void Add(std::string_view data) override {
    if (temp_.empty()) ThrowSystemError(path_, EBADF);
    for (std::size_t done = 0; done < data.size();) {
      const ssize_t put = ::write(out_.get(), data.data() + done, data.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) Fail(errno);
      done += static_cast<std::size_t>(put);
    }
    written_ += data.size();
    // A large file is sent on its way to the disk while the rest is still
    // coming, so the flush of Commit waits only for its tail.
    if (written_ - started_ >= kStartWritingEvery) {
      ::sync_file_range(out_.get(), static_cast<off_t>(started_), static_cast<off_t>(written_ - started_),
                        SYNC_FILE_RANGE_WRITE);
      started_ = written_;
    }
  }

  void Commit() override {
    if (temp_.empty()) ThrowSystemError(path_, EBADF);
    const mode_t kept = old_.st_mode & (plain_data_ ? 0666 : 07777);
    bool ok = !keep_bits_ || ::fchmod(out_.get(), kept) == 0;
    ok = ok && ::fsync(out_.get()) == 0;
    ok = ok && out_.Close();
    ok = ok && ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) Fail(errno);
    temp_.clear();
    SyncFolder(ParentFolder(target_));
  }

 private:
  static constexpr std::uint64_t kStartWritingEvery = 8u << 20;

  void Discard() {
    if (temp_.empty()) return;
    out_ = UniqueFd();
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  [[noreturn]] void Fail(int error_number) {
    Discard();
    ThrowSystemError(path_, error_number);
  }

  std::string path_, target_, temp_;
  bool plain_data_;
  bool keep_bits_ = false;
  struct stat old_ {};
  UniqueFd out_;
  std::uint64_t written_ = 0, started_ = 0;
};

}  // namespace

void WriteFile(const std::string& path, std::string_view data, const FileRules& rules) {
  Replacement replacement(path, rules);
  replacement.Add(data);
  replacement.Commit();
}

std::unique_ptr<FileInPieces> WriteFileInPieces(const std::string& path) {
  return std::make_unique<Replacement>(path, FileRules{});
}

}  // namespace zv::posix
