// The folder listings of a scan, handed to the walk folder by folder in the
// order it enters them, and read ahead of it on other threads where the
// host allows several listing threads.
//
// The walk is depth-first and pre-order and takes each folder's entries in
// the order the host listed them, so what it writes depends on the listings
// alone: which thread read a folder, and when, changes nothing. The feed
// keeps the folders it knows of in one chain in walk order. Listing a
// folder links the subfolders the walk will enter right after it, ahead of
// everything that followed it, which is exactly where the walk meets them.
// Helper threads list the earliest folders of the chain nobody has taken
// yet; the walk lists a folder itself when no helper has got to it, and
// while a helper is still reading the folder it needs, it lists another one
// ahead instead of waiting idle. With one listing thread there are no
// helpers and the walk lists every folder as it comes to it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "mapper/engine/case_twins.h"
#include "mapper/engine/scanner.h"
#include "platform/host.h"

namespace zv {

// What the walk makes of one entry of a listing; decided on the thread
// that listed the folder.
enum class EntryUse : std::uint8_t {
  kLeftOut,  // a folder the ignore list names or an excluded file type: no line, not counted
  kBadName,  // a name no map line can hold: no line, its subtree left out, counted
  kFile,     // a file line
  kFolder,   // a folder line, and the walk enters the folder
};

struct FolderListing {
  std::vector<FolderEntry> entries;  // the host's order
  std::vector<EntryUse> uses;        // uses[i] belongs to entries[i]
  std::vector<char> twins;           // 1 where a name has a twin in another case (CaseTwins::Mark)
  bool readable = true;              // false: the folder could not be read, and entries is empty
};

class ScanFeed {
 public:
  // Below the root, at most this many folders are held open (each holds a
  // descriptor); the feed lets go of those it took longest ago, and a
  // folder it let go of is opened again, one level at a time from its
  // nearest ancestor still held, when one of its subfolders is listed.
  static constexpr std::size_t kHeldBelowRoot = 63;
  // The helpers pause while this many listed folders, or entries, wait for
  // the walk, so the memory read ahead stays small whatever the tree.
  static constexpr std::size_t kAheadFolders = 1024;
  static constexpr std::size_t kAheadEntries = std::size_t{1} << 15;

  // Lists `root` (a host path) on the calling thread, then starts
  // `listing_threads` - 1 helpers. The calling thread is the walk's: Root,
  // Enter and Leave are called on it alone.
  ScanFeed(Host& host, const std::string& root, const IgnoreList& ignore, unsigned listing_threads);
  // Stops the helpers and waits for them; a listing under way is finished.
  ~ScanFeed();
  ScanFeed(const ScanFeed&) = delete;
  ScanFeed& operator=(const ScanFeed&) = delete;

  const FolderListing& Root() const;
  // The listing of the folder the walk enters next: the one named by the
  // current folder's next kFolder entry, which the walk has just reached.
  // The folder becomes the current folder. Throws on this thread what a
  // helper threw.
  const FolderListing& Enter();
  // Makes the current folder's parent the current folder again. The
  // listing of the folder left is no longer valid.
  void Leave();

 private:
  struct Node;
  struct Job;
  // What one listing thread needs of its own: the ignore list (which keeps
  // scratch space) and the case-twin marker.
  struct Lister {
    explicit Lister(const IgnoreList& list) : ignore(list) {}
    void Prepare(FolderListing& listing);
    IgnoreList ignore;
    CaseTwins twins;
  };
  using Handles = std::vector<std::shared_ptr<FolderHandle>>;

  void Help();
  // All but Run are called with mutex_ held.
  bool RoomAhead() const { return ahead_folders_ < kAheadFolders && ahead_ < kAheadEntries; }
  Node* NextPending();
  Job Claim(Node* node);
  void Run(Job& job, Lister& lister);
  void Publish(Job& job, Handles& closing);
  std::size_t LinkSubfolders(Node* node);
  void Hold(Node* node, std::shared_ptr<FolderHandle> handle, Handles& closing);
  void Release(Node* node, Handles& closing);
  // Lists `node` on the walk's thread; `lock` is held on entry and on return.
  void ListHere(Node* node, std::unique_lock<std::mutex>& lock);

  Host& host_;
  const IgnoreList ignore_;
  Lister walk_lister_;
  Handles walk_closing_;  // handles the walk's own listings let go of

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Node> nodes_;  // every folder met; a deque never moves what it holds
  Node* root_ = nullptr;
  Node* last_entered_ = nullptr;  // the folder the walk entered last
  std::vector<Node*> path_;       // the walk's current folder and its ancestors
  Node* cursor_ = nullptr;        // where the search for a folder to list resumes
  std::size_t pending_ = 0;       // folders nobody has taken to list yet
  std::size_t ahead_ = 0;         // entries listed that the walk has not taken
  std::size_t ahead_folders_ = 0; // folders listed that the walk has not entered
  std::size_t held_ = 0;          // folders below the root held open
  std::uint64_t hold_serial_ = 0;
  std::deque<std::pair<Node*, std::uint64_t>> held_order_;  // oldest hold first
  std::vector<FolderListing> spare_;  // listings the walk is done with, to reuse
  bool stop_ = false;
  std::exception_ptr error_;
  std::vector<std::thread> helpers_;
};

}  // namespace zv
