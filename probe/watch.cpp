#include "probe/watch.h"

#include <algorithm>

namespace zv {

namespace {

void AppendListing(const std::vector<FolderEntry>& entries, std::vector<std::string>* out) {
  out->clear();
  out->reserve(entries.size() + 2);
  out->emplace_back("[.]");
  out->emplace_back("[..]");
  for (const FolderEntry& entry : entries) {
    if (entry.kind == EntryKind::kFolder) {
      std::string name;
      name.reserve(entry.name.size() + 2);
      name += '[';
      name += entry.name;
      name += ']';
      out->push_back(std::move(name));
    } else {
      out->push_back(entry.name);
    }
  }
  std::sort(out->begin(), out->end());
}

}  // namespace

std::vector<std::string> ListWatchedFolder(Host& host, const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::vector<std::string> listing;
  if (host.ListFolder(folder, &entries)) AppendListing(entries, &listing);
  return listing;
}

std::vector<std::string> TrackedFolders(const std::string& windows_folder,
                                        const std::vector<std::string>& ini_lines) {
  std::vector<std::string> folders;
  folders.reserve(ini_lines.size() + 1);
  for (const std::string& line : ini_lines) {
    if (!line.empty()) folders.push_back(windows_folder + "\\" + line);
  }
  folders.push_back(windows_folder);
  return folders;
}

Watch::Watch(Host& host, std::vector<std::string> folders)
    : host_(host), folders_(std::move(folders)), snapshots_(folders_.size()) {}

void Watch::ClearSnapshots() {
  for (auto& snapshot : snapshots_) snapshot.clear();
}

bool Watch::Tick() {
  bool changed = false;
  std::vector<std::string> listing;
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    listing.clear();
    if (host_.ListFolder(folders_[i], &scratch_)) AppendListing(scratch_, &listing);
    std::vector<std::string>& snapshot = snapshots_[i];
    if (snapshot.empty()) {
      snapshot.swap(listing);
    } else if (listing != snapshot) {
      changed = true;
    }
  }
  return changed;
}

}  // namespace zv
