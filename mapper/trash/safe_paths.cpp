#include "mapper/trash/safe_paths.h"

#include "platform/text.h"

namespace zv {

bool ReachableInTree(Host& host, TreeHandle& tree, std::string_view relative) {
  return !LeavesWindowsFolder(relative) && host.LookInTree(tree, std::string(relative)).what != TreeFind::kBlocked;
}

void ShowNotInTrashFolder(Mapper& mapper, std::string_view trashed) {
  mapper.person.ShowNotice("Error", "Refused: \"" + std::string(trashed) + "\" is not a file of the trash folder");
}

}  // namespace zv
