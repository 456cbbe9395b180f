// Trees of the Linux host: every call reaches its path's folder from the
// tree's root held open, never following a symbolic link and never leaving
// the root, then acts on the last name relative to that folder. Where the
// kernel has openat2, the folders of a path spelled as on disk are opened
// in one call that refuses links and escapes (RESOLVE_BENEATH,
// RESOLVE_NO_SYMLINKS); otherwise, and for a path that needs another letter
// case or is too long for one call, one component at a time with
// O_PATH | O_NOFOLLOW | O_DIRECTORY.
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/posix_support.h"
#include "platform/text.h"

namespace zv::posix {
namespace {

class PosixTree : public TreeHandle {
 public:
  PosixTree(std::string root, UniqueFd folder) : TreeHandle(std::move(root)), folder_(std::move(folder)) {}
  int folder() const { return folder_.get(); }

 private:
  UniqueFd folder_;
};

std::atomic<bool> use_openat2{true};

enum class Reach : std::uint8_t { kFound, kMissing, kBlocked };

// The components of a relative path, empty and "." ones left out; false
// when the path begins with a separator or holds "..".
bool SplitRelative(std::string_view relative, std::vector<std::string_view>* parts) {
  parts->clear();
  if (!relative.empty() && (relative[0] == '/' || relative[0] == '\\')) return false;
  std::size_t begin = 0;
  while (begin <= relative.size()) {
    std::size_t end = relative.find_first_of("\\/", begin);
    if (end == std::string_view::npos) end = relative.size();
    const std::string_view part = relative.substr(begin, end - begin);
    if (part == "..") return false;
    if (!part.empty() && part != ".") parts->push_back(part);
    begin = end + 1;
  }
  return true;
}

// The one entry of the open folder equal to `name` ignoring ASCII case;
// empty when there is none, or more than one (twins), or the folder cannot
// be read.
std::string OnlyEntryNoCase(int folder, std::string_view name) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {};
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return {};
  }
  std::string found;
  int matches = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view candidate(entry->d_name);
    if (candidate == "." || candidate == ".." || !EqualsNoCase(candidate, name)) continue;
    if (++matches > 1) break;
    found = candidate;
  }
  ::closedir(dir);
  return matches == 1 ? found : std::string();
}

// Opens the subfolder `name` of the open folder without following a link,
// as spelled or else as its only twin in another case.
Reach OpenStep(int folder, std::string_view name, UniqueFd* out, std::string* spelled) {
  std::string candidate(name);
  for (bool retried = false;; retried = true) {
    const int fd = ::openat(folder, candidate.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      *out = UniqueFd(fd);
      *spelled = std::move(candidate);
      return Reach::kFound;
    }
    // A link opened without following, or a file, is no folder.
    if (errno == ENOTDIR || errno == ELOOP) return Reach::kBlocked;
    if (errno != ENOENT || retried) return Reach::kMissing;
    candidate = OnlyEntryNoCase(folder, name);
    if (candidate.empty()) return Reach::kMissing;
  }
}

std::string Joined(const std::vector<std::string_view>& parts, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += '/';
    text.append(parts[i]);
  }
  return text;
}

// Opens the folder that the first `count` (at least one) components name.
Reach OpenFolderBelow(int root, const std::vector<std::string_view>& parts, std::size_t count, UniqueFd* out,
                      std::string* spelled) {
  if (use_openat2) {
    const std::string path = Joined(parts, count);
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const int fd = static_cast<int>(::syscall(SYS_openat2, root, path.c_str(), &how, sizeof how));
    if (fd >= 0) {
      *out = UniqueFd(fd);
      *spelled = path;
      return Reach::kFound;
    }
    if (errno == ELOOP || errno == EXDEV || errno == ENOTDIR) return Reach::kBlocked;
    // A kernel or a sandbox without it; anything else (a name in another
    // case, a path too long for one call) is for the walk below.
    if (errno == ENOSYS || errno == EPERM) use_openat2 = false;
  }
  UniqueFd current;
  for (std::size_t i = 0; i < count; ++i) {
    UniqueFd next;
    std::string name;
    const Reach reach = OpenStep(i == 0 ? root : current.get(), parts[i], &next, &name);
    if (reach != Reach::kFound) return reach;
    if (i > 0) *spelled += '/';
    *spelled += name;
    current = std::move(next);
  }
  *out = std::move(current);
  return Reach::kFound;
}

// Opens the folder that the first `count` components name, below `root`:
// *folder is its descriptor, which *out owns unless it is the root itself.
// *spelled: those components joined as the disk spells them.
Reach OpenFolderBeneath(int root, const std::vector<std::string_view>& parts, std::size_t count, UniqueFd* out,
                        int* folder, std::string* spelled) {
  if (root < 0) return Reach::kMissing;
  spelled->clear();
  *folder = root;
  if (count == 0) return Reach::kFound;
  const Reach reach = OpenFolderBelow(root, parts, count, out, spelled);
  *folder = out->get();
  return reach;
}

// The last name of a path, found in its folder: as spelled when it exists,
// else its only twin in another case.
bool FindLast(int folder, std::string_view name, std::string* spelled, struct stat* st) {
  std::string candidate(name);
  if (::fstatat(folder, candidate.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return false;
    candidate = OnlyEntryNoCase(folder, name);
    if (candidate.empty() || ::fstatat(folder, candidate.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  }
  *spelled = std::move(candidate);
  return true;
}

// A path below a tree with its folder held open: the folder as the disk
// spells it and the last name as given.
struct Located {
  Reach reach = Reach::kMissing;
  int folder = -1;  // the folder's descriptor, owned by `owned` unless it is the root
  UniqueFd owned;
  std::string folder_spelled;
  std::string last;
};

Located Locate(TreeHandle& tree, const std::string& relative) {
  Located located;
  std::vector<std::string_view> parts;
  const auto* own = dynamic_cast<PosixTree*>(&tree);
  if (!SplitRelative(relative, &parts)) {
    located.reach = Reach::kBlocked;
  } else if (own != nullptr && !parts.empty()) {
    located.reach = OpenFolderBeneath(own->folder(), parts, parts.size() - 1, &located.owned, &located.folder,
                                      &located.folder_spelled);
    located.last = parts.back();
  }
  return located;
}

// Locate, and the last name found in its folder.
bool LocateExisting(TreeHandle& tree, const std::string& relative, Located* located, std::string* last,
                    struct stat* st) {
  *located = Locate(tree, relative);
  return located->reach == Reach::kFound && FindLast(located->folder, located->last, last, st);
}

}  // namespace

void SetTreesUseOpenat2(bool use) { use_openat2 = use; }

std::unique_ptr<TreeHandle> OpenTree(const std::string& root) {
  UniqueFd folder(::open(ResolveCase(root).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  return std::make_unique<PosixTree>(root, std::move(folder));
}

TreeEntry LookInTree(TreeHandle& tree, const std::string& relative) {
  TreeEntry entry;
  std::vector<std::string_view> parts;
  if (!SplitRelative(relative, &parts)) {
    entry.what = TreeFind::kBlocked;
    return entry;
  }
  struct stat st;
  if (parts.empty()) {
    const auto* own = dynamic_cast<PosixTree*>(&tree);
    if (own == nullptr || ::fstat(own->folder(), &st) != 0) return entry;
  } else {
    Located located;
    std::string last;
    if (!LocateExisting(tree, relative, &located, &last, &st)) {
      if (located.reach == Reach::kBlocked) entry.what = TreeFind::kBlocked;
      return entry;
    }
    entry.spelled = located.folder_spelled.empty() ? last : located.folder_spelled + "/" + last;
  }
  entry.what = S_ISDIR(st.st_mode) ? TreeFind::kFolder : TreeFind::kFile;
  entry.read_only = IsReadOnlyMode(st);
  return entry;
}

bool PathClearInTree(TreeHandle& tree, const std::string& relative) {
  return Locate(tree, relative).reach != Reach::kBlocked;
}

bool SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool read_only) {
  Located located;
  std::string last;
  struct stat st;
  if (!LocateExisting(tree, relative, &located, &last, &st)) return false;
  // A link has no permission bits of its own: it is never read-only.
  if (S_ISLNK(st.st_mode)) return !read_only;
  const mode_t bits = st.st_mode & 07777;
  const mode_t wanted = read_only ? (bits & ~S_IWUSR) : (bits | S_IWUSR);
  return wanted == bits || ::fchmodat(located.folder, last.c_str(), wanted, AT_SYMLINK_NOFOLLOW) == 0;
}

bool DeleteInTree(TreeHandle& tree, const std::string& relative) {
  Located located;
  std::string last;
  struct stat st;
  if (!LocateExisting(tree, relative, &located, &last, &st)) return false;
  if (S_ISDIR(st.st_mode) || IsReadOnlyMode(st)) return false;
  return ::unlinkat(located.folder, last.c_str(), 0) == 0;
}

bool MakeFolderInTree(TreeHandle& tree, const std::string& relative) {
  const Located located = Locate(tree, relative);
  return located.reach == Reach::kFound && ::mkdirat(located.folder, located.last.c_str(), 0777) == 0;
}

bool RemoveFolderInTree(TreeHandle& tree, const std::string& relative) {
  Located located;
  std::string last;
  struct stat st;
  if (!LocateExisting(tree, relative, &located, &last, &st) || !S_ISDIR(st.st_mode)) return false;
  return ::unlinkat(located.folder, last.c_str(), AT_REMOVEDIR) == 0;
}

bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree, const std::string& to,
                      bool flush) {
  Located source;
  std::string last;
  struct stat st;
  if (!LocateExisting(from_tree, from, &source, &last, &st)) return false;
  const Located target = Locate(to_tree, to);
  if (target.reach != Reach::kFound) return false;
  return MoveAt({source.folder, last}, {target.folder, target.last}, flush);
}

bool FlushTree(TreeHandle& tree) {
  // One syncfs of the root's file system: the renames of a whole restore
  // reach the disk together instead of one folder flush each. syncfs takes
  // no O_PATH descriptor, which is how the root is held, so the root is
  // opened once more for reading.
  const int folder = static_cast<PosixTree&>(tree).folder();
  if (folder < 0) return false;
  const UniqueFd readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return readable.valid() && ::syncfs(readable.get()) == 0;
}

}  // namespace zv::posix
