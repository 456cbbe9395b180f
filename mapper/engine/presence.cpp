#include "mapper/engine/presence.h"

#include "platform/text.h"

namespace zv {

struct PresenceCache::Folder {
  bool exists = false;
  std::string path;  // host form, every component as the disk spells it
  // Names grouped by their ASCII upper-case form.
  std::unordered_map<std::string, std::vector<FolderEntry>> names;

  const FolderEntry* Match(std::string_view name) const {
    const auto group = names.find(UpperAscii(name));
    if (group == names.end()) return nullptr;
    const FolderEntry* first = nullptr;
    for (const FolderEntry& entry : group->second) {
      if (entry.name == name) return &entry;
      if (!first || entry.name < first->name) first = &entry;
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
  std::vector<FolderEntry> listing;
  folder->exists = host_.ListFolder(path, &listing);
  for (FolderEntry& entry : listing) {
    std::string upper = UpperAscii(entry.name);
    folder->names[std::move(upper)].push_back(std::move(entry));
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
  const auto known = by_text_.find(std::string(relative));
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
        const FolderEntry* match = parent->Match(name);
        result = match && match->kind == EntryKind::kFolder ? Load(parent->path + "/" + match->name) : Missing();
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

bool PresenceCache::Find(std::string_view relative, EntryKind* kind, std::string* host_path) {
  const auto [folder_text, name] = SplitLast(relative);
  if (name.empty() || name == "." || name == "..") return false;
  const Folder* folder = FolderOf(folder_text);
  if (!folder->exists) return false;
  const FolderEntry* match = folder->Match(name);
  if (!match) return false;
  *kind = match->kind;
  host_path->assign(folder->path).append("/").append(match->name);
  return true;
}

}  // namespace zv
