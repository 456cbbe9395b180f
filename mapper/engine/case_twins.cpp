#include "mapper/engine/case_twins.h"

#include "mapper/engine/entry_index.h"
#include "platform/text.h"

namespace zv {

void CaseTwins::Mark(const std::vector<FolderEntry>& entries, std::vector<char>* twins) {
  twins->assign(entries.size(), 0);
  if (entries.size() < 2) return;
  std::size_t capacity = 4;
  while (capacity < 2 * entries.size()) capacity *= 2;
  slots_.assign(capacity, Slot{0, kFree});
  const std::size_t mask = capacity - 1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& name = entries[i].name;
    const auto hash = static_cast<std::uint32_t>(HashNoCase(name));
    std::size_t at = hash & mask;
    for (;; at = (at + 1) & mask) {
      Slot& slot = slots_[at];
      if (slot.index == kFree) {
        slot = Slot{hash, static_cast<std::uint32_t>(i)};
        break;
      }
      if (slot.hash == hash && EqualsNoCase(entries[slot.index].name, name)) {
        (*twins)[slot.index] = 1;
        (*twins)[i] = 1;
        break;
      }
    }
  }
}

bool CaseTwins::Loses(std::string_view line) { return !seen_.insert(UpperAscii(line)).second; }

}  // namespace zv
