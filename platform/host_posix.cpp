// The host of a Linux machine: files, folders and locks. Listings live in
// folders_posix.cpp, moves and copies in moves_posix.cpp, places in
// places_posix.cpp, launching in shell_posix.cpp.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/host.h"
#include "platform/posix_support.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace zv {
namespace {

using posix::IsReadOnlyMode;
using posix::UniqueFd;

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

class HeldFlock : public HeldMutex {
 public:
  explicit HeldFlock(UniqueFd fd) : fd_(std::move(fd)) {}

 private:
  UniqueFd fd_;  // closing the descriptor releases the lock
};

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

  bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) override {
    return posix::ListFolder(path, out);
  }
  bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                       std::vector<std::int64_t>* sizes) override {
    return posix::ListFolderSizes(path, out, sizes);
  }
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) override { return posix::OpenFolder(path); }
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    if (!posix::IsOwnFolder(parent)) return Host::ListSubfolder(parent, name, out, opened);
    return posix::ListSubfolder(parent, name, out, opened);
  }
  std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) override {
    if (!posix::IsOwnFolder(parent)) return Host::OpenSubfolder(parent, name);
    return posix::OpenSubfolder(parent, name);
  }
  bool ReadFolderStamp(const std::string& path, FolderStamp* out) override {
    return posix::ReadFolderStamp(path, out);
  }

  bool MoveFile(const std::string& from, const std::string& to) override { return posix::MoveFile(from, to); }
  bool CopyFile(const std::string& from, const std::string& to) override { return posix::CopyFile(from, to); }

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
};

}  // namespace

std::unique_ptr<Host> NewPosixHost() { return std::make_unique<PosixHost>(); }

}  // namespace zv
