// A host that remembers the folder listings of one walk of a tree, each
// with the folder's stamp read just before the listing, and answers the
// next walk's listing of a folder whose stamp has not changed from memory:
// the kernel then reads one stamp instead of the whole folder. A stamp
// vouches for unchanged names only when its times were already older than
// the file system clock's granularity when it was read (see FolderStamp),
// so a folder changed just before the first walk, a folder on a file
// system without stamps and a folder that could not be listed are read
// again. Listings come back in the order the first walk read them, which is
// the order the file system still gives for a folder whose names did not
// change, so the second walk sees exactly what a fresh walk would.
#pragma once

#include <cstdint>
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
    kReplay,    // unchanged folders are answered from memory, others read
  };

  // A stamp must be at least this much older than its reading to vouch for
  // its folder: far more than any file system clock's granularity.
  static constexpr std::int64_t kStampTrustedAfterNs = 2'000'000'000;

  explicit ListingMemoryHost(Host& target) : ForwardingHost(target), target_(target) {}

  // kRemember starts from an empty memory.
  void SetMode(Mode mode);
  // Listings answered from memory since kReplay was set.
  std::uint64_t replayed() const { return replayed_; }

  bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) override;
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) override;
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override;

 private:
  struct Remembered {
    FolderStamp stamp;
    std::vector<FolderEntry> entries;
  };
  // Answers `path` from memory when its folder is unchanged.
  bool Replay(const std::string& path, std::vector<FolderEntry>* out);
  // Reads the folder's stamp before `list` lists it, and remembers both.
  template <typename List>
  bool ListAndRemember(const std::string& path, std::vector<FolderEntry>* out, List&& list);

  Host& target_;
  Mode mode_ = Mode::kForward;
  std::unordered_map<std::string, Remembered> memory_;
  std::uint64_t replayed_ = 0;
};

}  // namespace zv
