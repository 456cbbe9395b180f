#include "mapper/engine/presence.h"

#include "platform/text.h"

namespace zv {

struct PresenceCache::Folder {
  bool exists = false;
  std::string path;  // host form, every component as the disk spells it
  struct Known {
    FolderEntry entry;
    std::int64_t size;  // -1 for a folder
  };
  // Names grouped by their ASCII upper-case form.
  std::unordered_map<std::string, std::vector<Known>> names;

  const Known* Match(std::string_view name) const {
    const auto group = names.find(UpperAscii(name));
    if (group == names.end()) return nullptr;
    const Known* first = nullptr;
    for (const Known& known : group->second) {
      if (known.entry.name == name) return &known;
      if (!first || known.entry.name < first->entry.name) first = &known;
    }
    return first;
  }
};

namespace {

// Splits at the last separator: the folder text before it, the name after.
std::pair<std::string_view, std::string_view> SplitLast(std::string_view relative) {
  const std::size_t cut = relative.find_last_of("\\/");
  if (cut == std::string_view::npos) return {std::string_view(), relative};
  return {relative.substr(0, cut), relative.substr(cut + 1)};
}

}  // namespace

PresenceCache::PresenceCache(Host& host, std::string root) : host_(host), root_(ToHostPath(root)) {}

PresenceCache::~PresenceCache() = default;

PresenceCache::Folder* PresenceCache::Load(std::string path) {
  auto known = by_path_.find(path);
  if (known != by_path_.end()) return known->second;
  auto folder = std::make_unique<Folder>();
  folder->exists = host_.ListFolderSizes(path, &listing_, &sizes_);
  folder->names.reserve(listing_.size());
  for (std::size_t i = 0; i < listing_.size(); ++i) {
    folder->names[UpperAscii(listing_[i].name)].push_back({listing_[i], sizes_[i]});
  }
  folder->path = std::move(path);
  Folder* result = folder.get();
  folders_.push_back(std::move(folder));
  by_path_.emplace(result->path, result);
  return result;
}

PresenceCache::Folder* PresenceCache::FolderOf(std::string_view relative) {
  // Entries of a map come sorted, so most lookups repeat the previous folder.
  if (last_ && relative == last_text_) return last_;
  Folder* result;
  const auto known = by_text_.find(relative);
  if (known != by_text_.end()) {
    result = known->second;
  } else {
    if (relative.empty()) {
      result = Load(root_);
    } else {
      const auto [parent_text, name] = SplitLast(relative);
      Folder* parent = FolderOf(parent_text);
      if (!parent->exists || name.empty()) {
        result = parent->exists ? parent : Missing();
      } else if (name == "." || name == "..") {
        result = Load(parent->path + "/" + std::string(name));
      } else {
        const Folder::Known* match = parent->Match(name);
        result = match && match->entry.kind == EntryKind::kFolder ? Load(parent->path + "/" + match->entry.name)
                                                                  : Missing();
      }
    }
    by_text_.emplace(std::string(relative), result);
  }
  last_text_.assign(relative);
  last_ = result;
  return result;
}

PresenceCache::Folder* PresenceCache::Missing() {
  if (!missing_) {
    folders_.push_back(std::make_unique<Folder>());
    missing_ = folders_.back().get();
  }
  return missing_;
}

bool PresenceCache::Find(std::string_view relative, EntryKind* kind, std::string* host_path,
                         std::int64_t* size) {
  const auto [folder_text, name] = SplitLast(relative);
  if (name.empty() || name == "." || name == "..") return false;
  const Folder* folder = FolderOf(folder_text);
  if (!folder->exists) return false;
  const Folder::Known* match = folder->Match(name);
  if (!match) return false;
  *kind = match->entry.kind;
  host_path->assign(folder->path).append("/").append(match->entry.name);
  if (size) *size = match->size;
  return true;
}

}  // namespace zv
