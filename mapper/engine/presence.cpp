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
  // The listing, kept in a few blocks rather than a string per name (a
  // map of half a million entries keeps every listing of its tree): the
  // names one after another, entry i's ending at ends[i] & kEnd, and
  // kFolderBit set there for a folder. A listing's names never come near
  // 2 GB.
  static constexpr std::uint32_t kFolderBit = 0x8000'0000u;
  static constexpr std::uint32_t kEnd = kFolderBit - 1;
  std::string names;
  std::vector<std::uint32_t> ends;
  std::vector<std::int64_t> sizes;  // -1 for a folder
  // For each folder entry, in entry order: its number and its listing,
  // once taken.
  std::vector<std::pair<std::uint32_t, Folder*>> children;
  // An open-addressing table of entry numbers + 1 (0: free), placed by the
  // case-ignoring hash of the name, so that a look-up neither upper-cases
  // nor allocates, and names equal ignoring case share one probe run. A
  // folder of a few entries has none: they are compared one by one.
  static constexpr std::size_t kScannedWhole = 8;
  std::vector<std::uint32_t> slots;

  std::size_t size() const { return ends.size(); }
  std::string_view Name(std::size_t i) const {
    const std::uint32_t begin = i == 0 ? 0 : ends[i - 1] & kEnd;
    return std::string_view(names).substr(begin, (ends[i] & kEnd) - begin);
  }
  bool IsFolder(std::size_t i) const { return (ends[i] & kFolderBit) != 0; }
  // The slot of folder entry `i`'s listing.
  Folder*& ChildOf(std::size_t i) {
    const auto at = std::lower_bound(children.begin(), children.end(), i,
                                     [](const auto& child, std::size_t number) { return child.first < number; });
    return at->second;
  }

  // Keeps `listing` (whose sizes are in `sizes` already) and indexes it.
  void Keep(const std::vector<FolderEntry>& listing) {
    std::size_t total = 0;
    for (const FolderEntry& entry : listing) total += entry.name.size();
    names.reserve(total);
    ends.reserve(listing.size());
    for (const FolderEntry& entry : listing) {
      names += entry.name;
      const bool folder = entry.kind == EntryKind::kFolder;
      if (folder) children.emplace_back(static_cast<std::uint32_t>(ends.size()), nullptr);
      ends.push_back(static_cast<std::uint32_t>(names.size()) | (folder ? kFolderBit : 0));
    }
    if (size() <= kScannedWhole) return;
    std::size_t capacity = 16;
    while (capacity < size() + size() / 2) capacity *= 2;
    slots.assign(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < size(); ++i) {
      std::size_t at = HashNoCase(Name(i)) & mask;
      while (slots[at] != 0) at = (at + 1) & mask;
      slots[at] = static_cast<std::uint32_t>(i + 1);
    }
  }

  // The entry the host would take for `wanted`: the one spelled so, else
  // the first in byte order of those equal to it ignoring case; -1 for none.
  std::ptrdiff_t Match(std::string_view wanted) const {
    std::ptrdiff_t first = -1;
    // Answers for entry i: true when it is the one spelled so.
    const auto consider = [&](std::size_t i) {
      const std::string_view name = Name(i);
      if (!EqualsNoCase(name, wanted)) return false;
      if (name == wanted) {
        first = static_cast<std::ptrdiff_t>(i);
        return true;
      }
      if (first < 0 || name < Name(static_cast<std::size_t>(first))) first = static_cast<std::ptrdiff_t>(i);
      return false;
    };
    if (slots.empty()) {
      for (std::size_t i = 0; i < size(); ++i) {
        if (consider(i)) break;
      }
      return first;
    }
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = HashNoCase(wanted) & mask; slots[at] != 0; at = (at + 1) & mask) {
      if (consider(slots[at] - 1)) break;
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
  std::vector<FolderEntry> listing;
  folder->exists = host_.ListFolderSizes(PathOf(*folder), &listing, &folder->sizes);
  folder->Keep(listing);
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
  if (match < 0 || !parent.IsFolder(match)) return Missing();
  Folder*& child = parent.ChildOf(match);
  if (!child) child = Load(&parent, std::string(parent.Name(match)));
  return child;
}

PresenceCache::Folder* PresenceCache::FolderOf(std::string_view relative) {
  if (last_folder_ && relative == last_text_) return last_folder_;
  Folder* folder = Walk(relative);
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
  *kind = folder->IsFolder(match) ? EntryKind::kFolder : EntryKind::kFile;
  if (host_path) host_path->assign(PathOf(*folder)).append("/").append(folder->Name(match));
  if (size) *size = folder->sizes[match];
  return true;
}

// The folders below one listed folder that ListAhead is to list: the
// folder, held open, and the folder texts still to follow below it.
struct PresenceCache::AheadJob {
  Folder* folder = nullptr;
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

void PresenceCache::ListAhead(std::vector<std::string_view> relatives) {
  const unsigned threads = host_.ListingThreads();
  if (threads <= 1) return;
  // The folder texts, in the vector given, so that a big map's look-ups
  // need no second copy of them.
  std::vector<std::string_view>& texts = relatives;
  for (std::string_view& text : texts) text = SplitLast(text).first;
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  texts.shrink_to_fit();
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
  std::vector<std::pair<std::size_t, std::string_view>> steps;
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
    if (match < 0 || !folder.IsFolder(match)) continue;
    steps.emplace_back(match, start < rest.size() ? rest.substr(start) : std::string_view());
  }
  // What is held while the threads go deeper is only the rests each
  // subfolder still leads to.
  std::vector<std::string_view>().swap(job.rests);
  std::stable_sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<std::size_t, AheadJob>> children;
  for (std::size_t i = 0; i < steps.size();) {
    const std::size_t match = steps[i].first;
    AheadJob child;
    for (; i < steps.size() && steps[i].first == match; ++i) {
      if (!steps[i].second.empty()) child.rests.push_back(steps[i].second);
    }
    children.emplace_back(match, std::move(child));
  }
  std::vector<std::pair<std::size_t, std::string_view>>().swap(steps);

  for (auto& [match, child] : children) {
    Folder*& listed = folder.ChildOf(match);
    if (listed == nullptr) {
      auto made = std::make_unique<Folder>();
      made->parent = &folder;
      made->name = folder.Name(match);
      std::vector<FolderEntry> listing;
      made->exists = host_.ListSubfolderSizes(*job.handle, made->name, &listing, &made->sizes,
                                              child.rests.empty() ? nullptr : &child.handle);
      made->Keep(listing);
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
