#include "mapper/trash/safe_paths.h"

#include "platform/text.h"

namespace zv {

bool PathGuard::StaysInside(std::string_view relative) {
  if (LeavesWindowsFolder(relative)) return false;
  for (std::size_t cut = relative.find_first_of("\\/"); cut != std::string_view::npos;
       cut = relative.find_first_of("\\/", cut + 1)) {
    const std::string_view folder = relative.substr(0, cut);
    if (folder.empty() || real_.contains(folder)) continue;
    const std::string path = root_ + "\\" + std::string(folder);
    if (!host_.FolderExists(path)) return !host_.PathExists(path);
    real_.emplace(folder);
  }
  return true;
}

void ShowNotInTrashFolder(Mapper& mapper, std::string_view trashed) {
  mapper.person.ShowNotice("Error", "Refused: \"" + std::string(trashed) + "\" is not a file of the trash folder");
}

}  // namespace zv
