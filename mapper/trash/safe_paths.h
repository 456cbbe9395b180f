// Checks that keep the trash's file operations inside the Windows folder
// and the trash folder. Map entries and trash records are text anyone can
// edit, so every path they give is checked before anything is moved,
// removed or created by it.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "mapper/engine/entry_path.h"
#include "mapper/engine/mapper.h"
#include "platform/text.h"

namespace zv {

// Tells whether paths stay below one root folder on the disk too: besides
// their text, each folder on the way to a path's last name that exists must
// be a real folder, not a symbolic link, which could lead anywhere. (The
// last name itself may be a link: the trash moves a link as a link.)
// Folders found real are remembered for the life of the object, so many
// paths in the same folders cost one look-up per folder.
class PathGuard {
 public:
  PathGuard(Host& host, std::string root) : host_(host), root_(std::move(root)) {}

  // True when `relative` does not climb out by its text and every existing
  // folder on its way is real. A missing folder ends the walk: nothing
  // lies below it.
  bool StaysInside(std::string_view relative);

 private:
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  Host& host_;
  std::string root_;
  std::unordered_set<std::string, TextHash, std::equal_to<>> real_;
};

// The notice, titled "Error", for a trashed name that is not a plain file
// name of the trash folder: "Refused: "<name>" is not a file of the trash
// folder". (A path that leaves the Windows folder: ShowLeavesWindowsFolder.)
void ShowNotInTrashFolder(Mapper& mapper, std::string_view trashed);

}  // namespace zv
