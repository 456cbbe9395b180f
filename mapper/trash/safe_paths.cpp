#include "mapper/trash/safe_paths.h"

#include "platform/text.h"

namespace zv {

bool ClimbsOutOfItsRoot(std::string_view relative) {
  if (relative.empty()) return false;
  if (relative[0] == '\\' || relative[0] == '/') return true;
  if (relative.size() >= 2 && relative[1] == ':') return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t cut = relative.find_first_of("\\/", start);
    if (relative.substr(start, cut == std::string_view::npos ? cut : cut - start) == "..") return true;
    if (cut == std::string_view::npos) return false;
    start = cut + 1;
  }
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string_view::npos;
}

bool PathGuard::StaysInside(std::string_view relative) {
  if (ClimbsOutOfItsRoot(relative)) return false;
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

void ShowLeavesWindowsFolder(Mapper& mapper, std::string_view path) {
  mapper.person.ShowNotice("Error", "Refused: \"" + DisplayPath(path) + "\" leaves the Windows folder");
}

void ShowNotInTrashFolder(Mapper& mapper, std::string_view trashed) {
  mapper.person.ShowNotice("Error", "Refused: \"" + std::string(trashed) + "\" is not a file of the trash folder");
}

}  // namespace zv
