#include "mapper/engine/presence.h"

#include <algorithm>

#include "platform/text.h"

namespace zv {

// A listed folder. It knows its parent and its own name rather than its
// path, so that a chain of folders costs memory in proportion to its
// depth; the path is put together when it is needed.
struct PresenceCache::Folder {
  Folder* parent = nullptr;
  std::string name;  // as the disk spells it; empty for the root
  bool exists = false;
  struct Known {
    FolderEntry entry;
    std::int64_t size;        // -1 for a folder
    Folder* child = nullptr;  // the listing of a subfolder, once taken
  };
  // Names grouped by their ASCII upper-case form.
  std::unordered_map<std::string, std::vector<Known>> names;

  // `key` is scratch space for the upper-cased name, reused from call to
  // call so that a lookup allocates nothing.
  Known* Match(std::string_view wanted, std::string& key) {
    key.assign(wanted);
    for (char& c : key) c = UpperAscii(c);
    const auto group = names.find(key);
    if (group == names.end()) return nullptr;
    Known* first = nullptr;
    for (Known& known : group->second) {
      if (known.entry.name == wanted) return &known;
      if (!first || known.entry.name < first->entry.name) first = &known;
    }
    return first;
  }
};

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits at the last separator: the folder text before it, the name after.
std::pair<std::string_view, std::string_view> SplitLast(std::string_view relative) {
  std::size_t cut = relative.size();
  while (cut > 0 && !IsSeparator(relative[cut - 1])) --cut;
  if (cut == 0) return {std::string_view(), relative};
  return {relative.substr(0, cut - 1), relative.substr(cut)};
}

std::size_t CommonPrefix(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

PresenceCache::PresenceCache(Host& host, std::string root) : host_(host), root_(ToHostPath(root)) {}

PresenceCache::~PresenceCache() = default;

std::string PresenceCache::PathOf(const Folder& folder) const {
  std::vector<const std::string*> names;
  std::size_t size = root_.size();
  for (const Folder* f = &folder; f->parent != nullptr; f = f->parent) {
    names.push_back(&f->name);
    size += 1 + f->name.size();
  }
  std::string path;
  path.reserve(size);
  path += root_;
  for (auto name = names.rbegin(); name != names.rend(); ++name) path.append("/").append(**name);
  return path;
}

PresenceCache::Folder* PresenceCache::Load(Folder* parent, const std::string& name) {
  auto folder = std::make_unique<Folder>();
  folder->parent = parent;
  folder->name = name;
  folder->exists = host_.ListFolderSizes(PathOf(*folder), &listing_, &sizes_);
  folder->names.reserve(listing_.size());
  for (std::size_t i = 0; i < listing_.size(); ++i) {
    folder->names[UpperAscii(listing_[i].name)].push_back({listing_[i], sizes_[i]});
  }
  folders_.push_back(std::move(folder));
  return folders_.back().get();
}

PresenceCache::Folder* PresenceCache::Missing() {
  if (!missing_) {
    folders_.push_back(std::make_unique<Folder>());
    missing_ = folders_.back().get();
  }
  return missing_;
}

PresenceCache::Folder* PresenceCache::Child(Folder& parent, std::string_view name) {
  // A climb is never followed: the lookup stays below the root.
  if (name == "..") return Missing();
  Folder::Known* match = parent.Match(name, key_);
  if (!match || match->entry.kind != EntryKind::kFolder) return Missing();
  if (!match->child) match->child = Load(&parent, match->entry.name);
  return match->child;
}

PresenceCache::Folder* PresenceCache::FolderOf(std::string_view relative) {
  if (last_folder_ && relative == last_text_) return last_folder_;
  Folder* folder;
  if (const auto known = by_text_.find(relative); known != by_text_.end()) {
    folder = known->second;
    // No walk to resume from: the next lookup starts at the root, unless it
    // finds its own text here too.
    walk_.clear();
  } else {
    folder = Walk(relative);
    by_text_.emplace(std::string(relative), folder);
  }
  last_text_.assign(relative);
  return last_folder_ = folder;
}

PresenceCache::Folder* PresenceCache::Walk(std::string_view relative) {
  // Entries of a map come sorted, so a lookup shares most of its folders
  // with the one before: the walk resumes after the last component the two
  // texts have in common.
  const std::size_t common = CommonPrefix(relative, last_text_);
  std::size_t kept = 0;
  while (kept < walk_.size()) {
    const std::size_t end = walk_[kept].end;
    if (end > common || (end < relative.size() && !IsSeparator(relative[end]))) break;
    ++kept;
  }
  walk_.resize(kept);

  if (!root_folder_) root_folder_ = Load(nullptr, std::string());
  Folder* folder = kept == 0 ? root_folder_ : walk_.back().folder;
  std::size_t start = kept == 0 ? 0 : walk_.back().end + 1;
  while (folder->exists && start < relative.size()) {
    std::size_t end = start;
    while (end < relative.size() && !IsSeparator(relative[end])) ++end;
    const std::string_view name = relative.substr(start, end - start);
    if (!name.empty() && name != ".") {
      folder = Child(*folder, name);
      walk_.push_back({end, folder});
    }
    start = end + 1;
  }
  return folder;
}

bool PresenceCache::Find(std::string_view relative, EntryKind* kind, std::string* host_path,
                         std::int64_t* size) {
  const auto [folder_text, name] = SplitLast(relative);
  if (name.empty() || name == "." || name == "..") return false;
  Folder* folder = FolderOf(folder_text);
  if (!folder->exists) return false;
  const Folder::Known* match = folder->Match(name, key_);
  if (!match) return false;
  *kind = match->entry.kind;
  if (host_path) host_path->assign(PathOf(*folder)).append("/").append(match->entry.name);
  if (size) *size = match->size;
  return true;
}

}  // namespace zv
