// Checks that keep the trash's file operations inside the Windows folder
// and the trash folder. Map entries and trash records are text anyone can
// edit, so every path they give is checked before anything is moved,
// removed or created by it.
#pragma once

#include <string>
#include <string_view>

#include "mapper/engine/entry_path.h"
#include "mapper/engine/mapper.h"
#include "platform/text.h"

namespace zv {

// Whether `relative` may be acted on below the tree: it does not climb out
// by its text, and no symbolic link (or anything else but a folder) stands
// where a folder on its way should be, which could lead anywhere. A missing
// folder ends the look: nothing lies below it. (The last name itself may
// be a link: the trash moves a link as a link.) The acts themselves go
// through the tree, so a folder swapped after this look redirects nothing;
// the look only decides which notice a refused entry gets.
bool ReachableInTree(Host& host, TreeHandle& tree, std::string_view relative);

// The notice, titled "Error", for a trashed name that is not a plain file
// name of the trash folder: "Refused: "<name>" is not a file of the trash
// folder". (A path that leaves the Windows folder: ShowLeavesWindowsFolder.)
void ShowNotInTrashFolder(Mapper& mapper, std::string_view trashed);

}  // namespace zv
