// A host that remembers the folder listings of one walk of a tree, each
// with the folder's stamp, and answers the next walk's listing of a folder
// whose stamp has not changed from memory: the kernel then reads one stamp
// instead of the whole folder. A listing is remembered only when its
// folder's times were already older, by more than the file system clock's
// granularity, than the moment the listing began: a stamp like that proves
// that the listing saw every name, and one equal to it later proves that
// the names are still the same. So a folder changed just before the first
// walk, a folder on a file system without stamps and a folder that could
// not be listed are read again. Listings come back in the order the first
// walk read them, which is the order the file system still gives for a
// folder whose names did not change, so the second walk sees exactly what a
// fresh walk would.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/forwarding_host.h"

namespace zv {

class ListingMemoryHost : public ForwardingHost {
 public:
  enum class Mode {
    kForward,   // every call goes to the target host; the memory is kept
    kRemember,  // listings are read from the target and remembered
    kReplay,    // an unchanged folder is answered from memory (once), others read
  };

  // A folder's times must be at least this much older than the moment its
  // listing began for the listing to be remembered: far more than any file
  // system clock's granularity.
  static constexpr std::int64_t kStampTrustedAfterNs = 2'000'000'000;

  // The real-time clock, in nanoseconds since the epoch: the clock the file
  // systems stamp folders from.
  using Clock = std::function<std::int64_t()>;
  static std::int64_t SystemClock();

  explicit ListingMemoryHost(Host& target, Clock clock = SystemClock)
      : ForwardingHost(target), target_(target), clock_(std::move(clock)) {}

  // kRemember starts from an empty memory.
  void SetMode(Mode mode);
  // Listings answered from memory since kReplay was set.
  std::uint64_t replayed() const { return replayed_; }

  bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) override;
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) override;
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override;
  // Opens again, relative to the target's own open folder, a folder a walk
  // let go of, so that no depth or path length is too much for it.
  std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) override;
  // While it only forwards, relative to the target's own open folder;
  // otherwise through ListSubfolder above, each size asked by its path.
  bool ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                          std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened) override;
  // While it only forwards, as many threads as the target allows may list
  // through it; while it remembers or replays, one at a time.
  unsigned ListingThreads() override { return mode_ == Mode::kForward ? target_.ListingThreads() : 1; }
  // Neither is a listing, and this host changes no file and reads none
  // itself, so both reach the target as they are: a large file is written
  // as it goes and a map's stamp can vouch for a text read earlier.
  std::unique_ptr<FileInPieces> WriteFileInPieces(const std::string& path) override {
    return target_.WriteFileInPieces(path);
  }
  bool ReadFileStamp(const std::string& path, FileStamp* out) override { return target_.ReadFileStamp(path, out); }

 private:
  // A listing kept in two blocks rather than a string per name: the names,
  // each ended by a NUL (which no name holds), and their kinds.
  struct Remembered {
    FolderStamp stamp;
    std::string names;
    std::vector<EntryKind> kinds;
  };
  // In kRemember, keeps `entries` of `path` when `stamp`, read after the
  // listing that began at `began_ns`, vouches for it.
  void Remember(const std::string& path, bool stamped, const FolderStamp& stamp, std::int64_t began_ns,
                const std::vector<FolderEntry>& entries);
  using Memory = std::unordered_map<std::string, Remembered>;
  // In kReplay, the remembered listing of `path`; memory_.end() when none.
  Memory::iterator Recall(const std::string& path);
  // Hands over the remembered listing `kept` when `now` is the stamp it was
  // remembered with.
  bool Replay(Memory::iterator kept, bool stamped, const FolderStamp& now, std::vector<FolderEntry>* out);

  Host& target_;
  Clock clock_;
  Mode mode_ = Mode::kForward;
  Memory memory_;
  std::uint64_t replayed_ = 0;
};

}  // namespace zv
