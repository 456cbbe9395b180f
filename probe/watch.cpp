#include "probe/watch.h"

#include <algorithm>

#include "platform/text.h"

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

bool SameEntries(const std::vector<FolderEntry>& a, const std::vector<FolderEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].name != b[i].name) return false;
  }
  return true;
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
    : host_(host), folders_(std::move(folders)), snapshots_(folders_.size()), seen_(folders_.size()), vouches_(folders_.size()) {
  host_paths_.reserve(folders_.size());
  for (const std::string& folder : folders_) host_paths_.push_back(ToHostPath(folder));
}

void Watch::ClearSnapshots() {
  for (auto& snapshot : snapshots_) snapshot.clear();
  for (Vouch& vouch : vouches_) vouch.trusted = false;
}

bool Watch::Tick() {
  bool changed = false;
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    std::vector<std::string>& snapshot = snapshots_[i];
    Vouch& vouch = vouches_[i];
    // Read before the listing, so that a change made while listing shows
    // in the next stamp.
    FolderStamp stamp;
    const bool stamped = host_.ReadFolderStamp(host_paths_[i], &stamp);
    if (vouch.trusted && stamped && stamp.SameAs(vouch.stamp)) continue;
    vouch.trusted = false;

    const bool listed = host_.ListFolder(host_paths_[i], &scratch_);
    if (!listed) scratch_.clear();
    Seen& seen = seen_[i];
    if (snapshot.empty() || !listed || !seen.listed || !SameEntries(scratch_, seen.entries)) {
      listing_.clear();
      if (listed) AppendListing(scratch_, &listing_);
      if (snapshot.empty()) {
        snapshot.swap(listing_);
      } else if (listing_ != snapshot) {
        changed = true;
        continue;
      }
      seen.listed = listed;
      seen.entries.swap(scratch_);
    }
    // The names as listed are the snapshot's, and any later change of names
    // moves the stamp read before the listing, unless it fell in the same
    // tick of the file system's coarse clock as the stamp's times: so the
    // stamp vouches only when those times were long past when it was read.
    // A stamp in the future (times set by hand, a clock set back) never does.
    vouch.stamp = stamp;
    vouch.trusted = stamped && !snapshot.empty() &&
                    std::max(stamp.modified_ns, stamp.changed_ns) <= stamp.read_ns - kStampTrustedAfterNs;
  }
  return changed;
}

}  // namespace zv
