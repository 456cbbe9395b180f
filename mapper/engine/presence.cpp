#include "mapper/engine/presence.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "mapper/engine/entry_index.h"
#include "platform/text.h"

namespace zv {

// A listed folder. It knows its parent and its own name rather than its
// path, so that a chain of folders costs memory in proportion to its
// depth; the path is put together when it is needed.
struct PresenceCache::Folder {
  Folder* parent = nullptr;
  std::string name;  // as the disk spells it; empty for the root
  bool exists = false;
  std::vector<FolderEntry> entries;
  std::vector<std::int64_t> sizes;  // -1 for a folder
  std::vector<Folder*> children;    // the listing of a subfolder, once taken
  // An open-addressing table of entry numbers + 1 (0: free), placed by the
  // case-ignoring hash of the name, so that a look-up neither upper-cases
  // nor allocates, and names equal ignoring case share one probe run.
  std::vector<std::uint32_t> slots;

  void Index() {
    children.assign(entries.size(), nullptr);
    std::size_t capacity = 8;
    while (capacity < 2 * entries.size()) capacity *= 2;
    slots.assign(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      std::size_t at = HashNoCase(entries[i].name) & mask;
      while (slots[at] != 0) at = (at + 1) & mask;
      slots[at] = static_cast<std::uint32_t>(i + 1);
    }
  }

  // The entry the host would take for `wanted`: the one spelled so, else
  // the first in byte order of those equal to it ignoring case; -1 for none.
  std::ptrdiff_t Match(std::string_view wanted) const {
    if (entries.empty()) return -1;
    const std::size_t mask = slots.size() - 1;
    std::ptrdiff_t first = -1;
    for (std::size_t at = HashNoCase(wanted) & mask; slots[at] != 0; at = (at + 1) & mask) {
      const std::size_t i = slots[at] - 1;
      const std::string& name = entries[i].name;
      if (!EqualsNoCase(name, wanted)) continue;
      if (name == wanted) return static_cast<std::ptrdiff_t>(i);
      if (first < 0 || name < entries[first].name) first = static_cast<std::ptrdiff_t>(i);
    }
    return first;
  }
};

namespace {

// Splits at the last separator: the folder text before it, the name after.
std::pair<std::string_view, std::string_view> SplitLast(std::string_view relative) {
  std::size_t cut = relative.size();
  while (cut > 0 && !IsPathSeparator(relative[cut - 1])) --cut;
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
  folder->exists = host_.ListFolderSizes(PathOf(*folder), &folder->entries, &folder->sizes);
  folder->Index();
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
  const std::ptrdiff_t match = parent.Match(name);
  if (match < 0 || parent.entries[match].kind != EntryKind::kFolder) return Missing();
  Folder*& child = parent.children[match];
  if (!child) child = Load(&parent, parent.entries[match].name);
  return child;
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
    if (end > common || (end < relative.size() && !IsPathSeparator(relative[end]))) break;
    ++kept;
  }
  walk_.resize(kept);

  if (!root_folder_) root_folder_ = Load(nullptr, std::string());
  Folder* folder = kept == 0 ? root_folder_ : walk_.back().folder;
  std::size_t start = kept == 0 ? 0 : walk_.back().end + 1;
  while (folder->exists && start < relative.size()) {
    std::size_t end = start;
    while (end < relative.size() && !IsPathSeparator(relative[end])) ++end;
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
  const std::ptrdiff_t match = folder->Match(name);
  if (match < 0) return false;
  const FolderEntry& entry = folder->entries[match];
  *kind = entry.kind;
  if (host_path) host_path->assign(PathOf(*folder)).append("/").append(entry.name);
  if (size) *size = folder->sizes[match];
  return true;
}

// The folders below one listed folder that ListAhead is to list: the
// folder, held open, and the folder texts still to follow below it.
struct PresenceCache::AheadJob {
  Folder* folder;
  std::unique_ptr<FolderHandle> handle;
  std::vector<std::string_view> rests;
};

// What ListAhead's threads share: jobs handed out, and how many are still
// queued or under way.
struct PresenceCache::Ahead {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<AheadJob> queue;
  std::size_t open = 0;  // jobs queued or under way
  unsigned threads = 1;
  std::exception_ptr error;
};

void PresenceCache::ListAhead(const std::vector<std::string_view>& relatives) {
  const unsigned threads = host_.ListingThreads();
  if (threads <= 1) return;
  std::vector<std::string_view> texts;
  texts.reserve(relatives.size());
  for (const std::string_view relative : relatives) texts.push_back(SplitLast(relative).first);
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  if (!root_folder_) root_folder_ = Load(nullptr, std::string());
  std::unique_ptr<FolderHandle> root = root_folder_->exists ? host_.OpenFolder(root_) : nullptr;
  if (!root) return;  // Find lists what it needs itself

  Ahead ahead;
  ahead.threads = threads;
  ahead.queue.push_back(AheadJob{root_folder_, std::move(root), std::move(texts)});
  ahead.open = 1;
  const auto work = [this, &ahead] {
    std::unique_lock<std::mutex> lock(ahead.mutex);
    for (;;) {
      ahead.changed.wait(lock, [&] { return !ahead.queue.empty() || ahead.open == 0 || ahead.error; });
      if (ahead.queue.empty() || ahead.error) return;
      AheadJob job = std::move(ahead.queue.front());
      ahead.queue.pop_front();
      lock.unlock();
      try {
        ListBelow(job, ahead);
      } catch (...) {
        lock.lock();
        if (!ahead.error) ahead.error = std::current_exception();
        ahead.changed.notify_all();
        continue;
      }
      lock.lock();
      if (--ahead.open == 0) ahead.changed.notify_all();
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the others list it all
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (ahead.error) std::rethrow_exception(ahead.error);
}

void PresenceCache::ListBelow(AheadJob& job, Ahead& ahead) {
  Folder& folder = *job.folder;
  // The rests grouped by the subfolder their first component names, as
  // Walk would match it; a ".." or a name that is no folder leads nowhere.
  std::vector<std::pair<std::ptrdiff_t, std::string_view>> steps;
  for (std::string_view rest : job.rests) {
    std::size_t start = 0;
    std::string_view name;
    while (start < rest.size()) {
      std::size_t end = start;
      while (end < rest.size() && !IsPathSeparator(rest[end])) ++end;
      name = rest.substr(start, end - start);
      start = end + 1;
      if (!name.empty() && name != ".") break;
      name = std::string_view();
    }
    if (name.empty() || name == "..") continue;
    const std::ptrdiff_t match = folder.Match(name);
    if (match < 0 || folder.entries[match].kind != EntryKind::kFolder) continue;
    steps.emplace_back(match, start < rest.size() ? rest.substr(start) : std::string_view());
  }
  std::stable_sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < steps.size();) {
    const std::ptrdiff_t match = steps[i].first;
    AheadJob child;
    for (; i < steps.size() && steps[i].first == match; ++i) {
      if (!steps[i].second.empty()) child.rests.push_back(steps[i].second);
    }
    Folder*& listed = folder.children[match];
    if (listed == nullptr) {
      auto made = std::make_unique<Folder>();
      made->parent = &folder;
      made->name = folder.entries[match].name;
      made->exists = host_.ListSubfolderSizes(*job.handle, made->name, &made->entries, &made->sizes,
                                              child.rests.empty() ? nullptr : &child.handle);
      made->Index();
      listed = made.get();
      const std::lock_guard<std::mutex> lock(ahead.mutex);
      folders_.push_back(std::move(made));
    } else if (!child.rests.empty()) {
      child.handle = host_.OpenSubfolder(*job.handle, listed->name);
    }
    if (child.rests.empty() || !child.handle || !listed->exists) continue;
    child.folder = listed;
    // Work goes to the queue while some thread may lack it; otherwise this
    // thread goes on depth first, so at most a path's folders per thread
    // are held open.
    {
      const std::lock_guard<std::mutex> lock(ahead.mutex);
      if (ahead.queue.size() < ahead.threads) {
        ++ahead.open;
        ahead.queue.push_back(std::move(child));
        ahead.changed.notify_one();
        continue;
      }
    }
    ListBelow(child, ahead);
  }
}

}  // namespace zv
