#include "mapper/engine/scan_feed.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace zv {
namespace {

// Listings kept for reuse: their vectors and names keep their storage, so a
// walk allocates little once it is under way. Room for every listing read
// ahead, and for the walk's path.
constexpr std::size_t kSpareListings = ScanFeed::kAheadFolders + 64;

const std::string kNoName;

}  // namespace

// One folder the walk enters. Its parent and name never change; the rest is
// guarded by mutex_, except the listing, which its lister fills before it
// says kListed and the walk reads after it saw kListed.
struct ScanFeed::Node {
  enum class State : std::uint8_t { kPending, kClaimed, kListed };

  Node(Node* up, const std::string& own_name) : parent(up), name(own_name) {}

  Node* const parent;
  // Its entry in the parent's listing, which stays as it is for as long as
  // the walk has not left the parent, and so for as long as this folder or
  // anything below it is still to be listed; empty for the root.
  const std::string& name;
  Node* next = nullptr;    // the next folder in walk order
  State state = State::kPending;
  bool taken = false;             // the walk has entered it
  std::size_t unlisted = 0;       // its subfolders not listed yet
  std::shared_ptr<FolderHandle> handle;  // held while it may be needed to open a subfolder
  std::uint64_t hold_serial = 0;  // which entry of held_order_ holds it
  FolderListing listing;
};

// One folder being listed, and what its lister needs to open it: the
// parent held open, or the nearest ancestor held and the folders from
// there down to the parent, to open again one level at a time.
struct ScanFeed::Job {
  Node* node = nullptr;
  std::shared_ptr<FolderHandle> parent;
  std::shared_ptr<FolderHandle> anchor;
  std::vector<Node*> chain;
  std::vector<std::pair<Node*, std::shared_ptr<FolderHandle>>> reopened;
  std::unique_ptr<FolderHandle> opened;
  FolderListing listing;
};

void ScanFeed::Lister::Prepare(FolderListing& listing) {
  const std::size_t count = listing.entries.size();
  listing.uses.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const FolderEntry& entry = listing.entries[i];
    EntryUse use;
    if (entry.kind == EntryKind::kFolder) {
      use = ignore.Skips(entry.name) ? EntryUse::kLeftOut : EntryUse::kFolder;
    } else {
      use = IsExcludedFile(entry.name) ? EntryUse::kLeftOut : EntryUse::kFile;
    }
    if (use != EntryUse::kLeftOut && !NameFitsMap(entry.name)) use = EntryUse::kBadName;
    listing.uses[i] = use;
  }
  twins.Mark(listing.entries, &listing.twins);
}

ScanFeed::ScanFeed(Host& host, const std::string& root, const IgnoreList& ignore, unsigned listing_threads)
    : host_(host), ignore_(ignore), walk_lister_(ignore) {
  root_ = &nodes_.emplace_back(nullptr, kNoName);
  FolderListing& listing = root_->listing;
  listing.readable = host_.ListFolder(root, &listing.entries);
  if (!listing.readable) listing.entries.clear();
  if (std::unique_ptr<FolderHandle> handle = host_.OpenFolder(root)) root_->handle = std::move(handle);
  walk_lister_.Prepare(listing);
  root_->unlisted = LinkSubfolders(root_);
  root_->state = Node::State::kListed;
  root_->taken = true;
  last_entered_ = root_;
  path_.push_back(root_);
  // A tree without subfolders gives helpers nothing to do.
  const unsigned helpers = pending_ > 0 ? listing_threads : 1;
  for (unsigned i = 1; i < helpers; ++i) {
    try {
      helpers_.emplace_back([this] { Help(); });
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the walk lists what the others do not
    }
  }
}

ScanFeed::~ScanFeed() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

const FolderListing& ScanFeed::Root() const { return root_->listing; }

const FolderListing& ScanFeed::Enter() {
  std::unique_lock<std::mutex> lock(mutex_);
  Node* node = last_entered_->next;
  if (node == nullptr || node->parent != path_.back()) throw std::logic_error("the scan lost the order of its folders");
  while (node->state != Node::State::kListed) {
    if (error_) std::rethrow_exception(error_);
    if (node->state == Node::State::kPending) {
      ListHere(node, lock);
    } else if (Node* ahead = RoomAhead() ? NextPending() : nullptr) {
      // A helper reads this folder: the walk reads another meanwhile.
      ListHere(ahead, lock);
    } else {
      changed_.wait(lock);
    }
  }
  node->taken = true;
  const bool helpers_paused = !RoomAhead();
  ahead_ -= node->listing.entries.size();
  --ahead_folders_;
  if (helpers_paused && RoomAhead()) changed_.notify_all();
  last_entered_ = node;
  path_.push_back(node);
  return node->listing;
}

void ScanFeed::Leave() {
  const std::lock_guard<std::mutex> lock(mutex_);
  Node* node = path_.back();
  path_.pop_back();
  FolderListing done = std::exchange(node->listing, FolderListing());
  if (spare_.size() < kSpareListings) spare_.push_back(std::move(done));
}

void ScanFeed::Help() {
  Lister lister(ignore_);
  Handles closing;
  std::unique_lock<std::mutex> lock(mutex_);
  try {
    for (;;) {
      Node* node = nullptr;
      changed_.wait(lock, [&] { return stop_ || (RoomAhead() && (node = NextPending()) != nullptr); });
      if (stop_) return;
      {
        Job job = Claim(node);
        lock.unlock();
        Run(job, lister);
        lock.lock();
        Publish(job, closing);
        lock.unlock();
      }
      // Handles let go of are closed, and the job's own dropped, with the
      // lock free.
      closing.clear();
      lock.lock();
    }
  } catch (...) {
    if (!lock.owns_lock()) lock.lock();
    if (!error_) error_ = std::current_exception();
    changed_.notify_all();
  }
}

ScanFeed::Node* ScanFeed::NextPending() {
  if (pending_ == 0) return nullptr;
  // Nothing before the folder the walk entered last is pending.
  if (cursor_ == nullptr || cursor_->taken) cursor_ = last_entered_;
  for (Node* node = cursor_; node != nullptr; node = node->next) {
    if (node->state == Node::State::kPending) return cursor_ = node;
  }
  // Subfolders of folders listed after the search had passed them lie
  // behind the cursor.
  for (Node* node = last_entered_; node != nullptr && node != cursor_; node = node->next) {
    if (node->state == Node::State::kPending) return cursor_ = node;
  }
  return nullptr;
}

ScanFeed::Job ScanFeed::Claim(Node* node) {
  Job job;
  job.node = node;
  node->state = Node::State::kClaimed;
  --pending_;
  Node* parent = node->parent;
  if (parent->handle) {
    job.parent = parent->handle;
  } else {
    Node* held = parent;
    while (held != nullptr && !held->handle) {
      job.chain.push_back(held);
      held = held->parent;
    }
    // Without even the root held, nothing below it can be opened.
    if (held == nullptr) {
      job.chain.clear();
    } else {
      job.anchor = held->handle;
      std::reverse(job.chain.begin(), job.chain.end());
    }
  }
  if (!spare_.empty()) {
    job.listing = std::move(spare_.back());
    spare_.pop_back();
  }
  return job;
}

void ScanFeed::Run(Job& job, Lister& lister) {
  std::shared_ptr<FolderHandle> parent = job.parent;
  if (!parent && job.anchor) {
    parent = job.anchor;
    for (Node* level : job.chain) {
      std::unique_ptr<FolderHandle> opened = host_.OpenSubfolder(*parent, level->name);
      if (!opened) {
        parent.reset();
        break;
      }
      parent = std::move(opened);
      job.reopened.emplace_back(level, parent);
    }
  }
  FolderListing& listing = job.listing;
  listing.readable = parent && host_.ListSubfolder(*parent, job.node->name, &listing.entries, &job.opened);
  if (!listing.readable) listing.entries.clear();
  lister.Prepare(listing);
}

void ScanFeed::Publish(Job& job, Handles& closing) {
  Node* node = job.node;
  // A folder opened again on the way down is kept only while some of its
  // subfolders are still to be listed; nothing else would let go of it.
  for (auto& [level, handle] : job.reopened) {
    if (!level->handle && level->unlisted > 0) Hold(level, std::move(handle), closing);
  }
  node->listing = std::move(job.listing);
  node->unlisted = LinkSubfolders(node);
  if (node->unlisted > 0 && job.opened) Hold(node, std::move(job.opened), closing);
  if (--node->parent->unlisted == 0) Release(node->parent, closing);
  node->state = Node::State::kListed;
  ahead_ += node->listing.entries.size();
  ++ahead_folders_;
  changed_.notify_all();
}

std::size_t ScanFeed::LinkSubfolders(Node* node) {
  const FolderListing& listing = node->listing;
  Node* const after = node->next;
  Node* last = node;
  std::size_t count = 0;
  for (std::size_t i = 0; i < listing.entries.size(); ++i) {
    if (listing.uses[i] != EntryUse::kFolder) continue;
    Node* child = &nodes_.emplace_back(node, listing.entries[i].name);
    last->next = child;
    last = child;
    ++count;
  }
  last->next = after;
  pending_ += count;
  return count;
}

void ScanFeed::Hold(Node* node, std::shared_ptr<FolderHandle> handle, Handles& closing) {
  node->handle = std::move(handle);
  node->hold_serial = ++hold_serial_;
  held_order_.emplace_back(node, node->hold_serial);
  ++held_;
  const auto current = [](const std::pair<Node*, std::uint64_t>& entry) {
    return entry.first->handle && entry.first->hold_serial == entry.second;
  };
  while (!held_order_.empty() && (held_ > kHeldBelowRoot || !current(held_order_.front()))) {
    if (current(held_order_.front())) {
      closing.push_back(std::move(held_order_.front().first->handle));
      --held_;
    }
    held_order_.pop_front();
  }
}

void ScanFeed::Release(Node* node, Handles& closing) {
  if (node == root_ || !node->handle) return;
  closing.push_back(std::move(node->handle));
  --held_;
}

void ScanFeed::ListHere(Node* node, std::unique_lock<std::mutex>& lock) {
  {
    Job job = Claim(node);
    lock.unlock();
    Run(job, walk_lister_);
    lock.lock();
    Publish(job, walk_closing_);
    lock.unlock();
  }
  walk_closing_.clear();
  lock.lock();
}

}  // namespace zv
