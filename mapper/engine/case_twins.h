// Names that differ only in ASCII letter case. A Linux folder may hold both
// "xt_connmark.h" and "xt_CONNMARK.h", but maps compare lines without
// regard to case, so of snapshot lines equal but for case a map keeps only
// the first. CaseTwins finds such names in a listing and counts, during a
// walk, the lines that lose to an earlier twin.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/host.h"

namespace zv {

class CaseTwins {
 public:
  // Sets (*twins)[i] to 1 when entries[i]'s name equals another entry's
  // name of the listing ignoring ASCII case, else 0.
  void Mark(const std::vector<FolderEntry>& entries, std::vector<char>* twins);
  // Records `line` and answers whether a line equal to it ignoring ASCII
  // case was recorded before: then it loses to that line. Two lines of a
  // walk can be equal but for case only where a name or one of its folders
  // has a twin, so only those lines need recording.
  bool Loses(std::string_view line);

 private:
  struct Slot {
    std::uint32_t hash;
    std::uint32_t index;  // kFree for a free slot
  };
  static constexpr std::uint32_t kFree = 0xFFFFFFFF;
  std::vector<Slot> slots_;  // reused from one listing to the next
  std::unordered_set<std::string> seen_;
};

}  // namespace zv
