#include "mapper/trash/safe_paths.h"

#include <algorithm>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_index.h"
#include "mapper/trash/trash_log.h"
#include "platform/text.h"

namespace zv {

bool ReachableInTree(Host& host, TreeHandle& tree, std::string_view relative) {
  return !LeavesWindowsFolder(relative) && host.PathClearInTree(tree, std::string(relative));
}

bool OtherCaseRule::MayStandFor(std::string_view entry, std::string_view found,
                                const std::vector<std::string>& log_lines) {
  const std::size_t cut = entry.find_last_of("\\/");
  const std::string_view name = cut == std::string_view::npos ? entry : entry.substr(cut + 1);
  const std::string_view place = cut == std::string_view::npos ? std::string_view() : entry.substr(0, cut + 1);
  TrashRecord record;
  for (std::size_t i = 1; i < log_lines.size(); ++i) {
    if (ReadRecord(log_lines[i], &record) && record.name == name && record.place == place) return false;
  }
  if (!loaded_) {
    loaded_ = true;
    for (const std::string& file : MapFiles(m_)) {
      try {
        texts_.push_back(MapText(m_, m_.ProgramFile(file)));
      } catch (const HostError&) {
        continue;  // a map that cannot be read lists nothing here
      }
      ForEachLine(*texts_.back(), [this](std::string_view line) { listed_.insert(line); });
    }
  }
  std::string line(found);
  std::replace(line.begin(), line.end(), '/', '\\');
  return !listed_.contains(line);
}

void ShowNotInTrashFolder(Mapper& mapper, std::string_view trashed) {
  mapper.person.ShowNotice("Error", "Refused: \"" + std::string(trashed) + "\" is not a file of the trash folder");
}

}  // namespace zv
