// The host of a Linux machine: files, folders and locks. Reading and
// writing whole files live in files_posix.cpp, listings in
// folders_posix.cpp, moves and copies in moves_posix.cpp, temporary files in
// temporaries_posix.cpp, places in places_posix.cpp, launching in
// shell_posix.cpp, program links in progman_posix.cpp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/host.h"
#include "platform/lock_posix.h"
#include "platform/posix_support.h"
#include "platform/programs.h"
#include "platform/progman_posix.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace zv {
namespace {

using posix::IsReadOnlyMode;
using posix::UniqueFd;

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

class PosixHost : public Host {
 public:
  std::string ReadFile(const std::string& path) override { return posix::ReadFile(path, {}); }
  std::string ReadOwnFile(const std::string& path, const FileRules& rules) override {
    return posix::ReadFile(path, rules);
  }
  void WriteFile(const std::string& path, std::string_view data) override { posix::WriteFile(path, data, {}); }
  void WriteOwnFile(const std::string& path, std::string_view data, const FileRules& rules) override {
    posix::WriteFile(path, data, rules);
  }
  std::unique_ptr<FileInPieces> WriteFileInPieces(const std::string& path) override {
    return posix::WriteFileInPieces(path);
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
      // A name holding "\\" would stand for a path once joined to the folder.
      if (entry.kind == EntryKind::kFile && entry.name[0] != '.' && entry.name.find('\\') == std::string::npos &&
          MatchWildcard(pattern, entry.name)) {
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
  // Listings are system calls on descriptors of their own, and their
  // buffers are the thread's. More than four listing threads gain little:
  // they contend for the kernel's locks of the folders they read.
  unsigned ListingThreads() override { return std::min(posix::UsableProcessors(), 4u); }
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
  bool ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                          std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened) override {
    if (!posix::IsOwnFolder(parent)) return Host::ListSubfolderSizes(parent, name, out, sizes, opened);
    return posix::ListSubfolderSizes(parent, name, out, sizes, opened);
  }
  bool ReadFolderStamp(const std::string& path, FolderStamp* out) override {
    return posix::ReadFolderStamp(path, out);
  }
  bool ReadFileStamp(const std::string& path, FileStamp* out) override { return posix::ReadFileStamp(path, out); }
  bool ReadOpenFolderStamp(FolderHandle& folder, FolderStamp* out) override {
    if (!posix::IsOwnFolder(folder)) return Host::ReadOpenFolderStamp(folder, out);
    return posix::ReadOpenFolderStamp(folder, out);
  }

  bool MoveFile(const std::string& from, const std::string& to) override { return posix::MoveFile(from, to); }
  bool MoveFileAsSpelled(const std::string& from, const std::string& to) override {
    return posix::MoveFileAsSpelled(from, to);
  }
  void AppendFile(const std::string& path, std::string_view data, bool flush) override {
    posix::AppendFile(path, data, flush);
  }
  bool CopyFile(const std::string& from, const std::string& to) override { return posix::CopyFile(from, to); }

  bool DeleteFile(const std::string& path) override {
    const std::string host = posix::ResolveCase(path);
    struct stat st;
    if (::lstat(host.c_str(), &st) == 0 && IsReadOnlyMode(st)) return false;
    return ::unlink(host.c_str()) == 0;
  }

  bool MakeFolder(const std::string& path) override { return ::mkdir(posix::ResolveCase(path).c_str(), 0777) == 0; }

  bool RemoveFolder(const std::string& path) override { return ::rmdir(posix::ResolveCase(path).c_str()) == 0; }
  int RemoveStaleTemporaries(const std::string& folder) override { return posix::RemoveStaleTemporaries(folder); }

  std::unique_ptr<TreeHandle> OpenTree(const std::string& root) override { return posix::OpenTree(root); }
  TreeEntry LookInTree(TreeHandle& tree, const std::string& relative) override {
    return posix::LookInTree(tree, relative);
  }
  bool PathClearInTree(TreeHandle& tree, const std::string& relative) override {
    return posix::PathClearInTree(tree, relative);
  }
  bool SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool read_only) override {
    return posix::SetReadOnlyInTree(tree, relative, read_only);
  }
  bool DeleteInTree(TreeHandle& tree, const std::string& relative) override {
    return posix::DeleteInTree(tree, relative);
  }
  bool MakeFolderInTree(TreeHandle& tree, const std::string& relative) override {
    return posix::MakeFolderInTree(tree, relative);
  }
  bool RemoveFolderInTree(TreeHandle& tree, const std::string& relative) override {
    return posix::RemoveFolderInTree(tree, relative);
  }
  bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree, const std::string& to,
                        bool flush) override {
    return posix::MoveBetweenTrees(from_tree, from, to_tree, to, flush);
  }
  void FlushTree(TreeHandle& tree) override { posix::FlushTree(tree); }

  std::string GetSystemFolder(int kind) override { return posix::GetSystemFolder(kind); }
  std::string SpecialFolderPath(int id) override { return posix::SpecialFolderPath(id); }
  std::string GetCurrentFolder() override { return posix::GetCurrentFolder(); }
  std::string ExpandPath(const std::string& path) override { return posix::ExpandPath(path); }
  ProgramPlaces FindProgramPlaces(const std::string& named) override {
    return posix::PlacesOfExecutable(OwnProgramFolder(), named);
  }

  int ShellOpen(const std::string& file, const std::string& params, const std::string& folder, int) override {
    return posix::ShellOpen(file, params, folder);
  }

  std::unique_ptr<ServiceConversation> OpenConversation(const std::string& service,
                                                        const std::string& topic) override {
    if (!EqualsNoCase(service, "Progman") || !EqualsNoCase(topic, "Progman")) return nullptr;
    return posix::OpenProgman(*this);
  }

  std::unique_ptr<HeldMutex> AcquireNamedMutex(const std::string& name) override {
    return posix::AcquireLock(LockFolder(), name);
  }

  std::unique_ptr<HeldMutex> AcquireFolderLock(const std::string& folder, const std::string& holder) override {
    return posix::AcquireLock(LockFolder(), posix::FolderLockName(folder), holder);
  }

  std::string FolderLockHolder(const std::string& folder) override {
    try {
      return posix::LockHolder(LockFolder(), posix::FolderLockName(folder));
    } catch (const HostError&) {
      return {};
    }
  }

 private:
  static std::string LockFolder() { return posix::LockFolder(posix::Env("XDG_RUNTIME_DIR"), "/tmp"); }

  static bool Lstat(const std::string& path, struct stat* st) {
    // The path as spelled first, so that a name that exists costs one call.
    if (::lstat(ToHostPath(path).c_str(), st) == 0) return true;
    return errno == ENOENT && ::lstat(posix::ResolveCase(path).c_str(), st) == 0;
  }
};

}  // namespace

std::unique_ptr<Host> NewPosixHost() { return std::make_unique<PosixHost>(); }

}  // namespace zv
