// Checks that keep the trash's file operations inside the Windows folder
// and the trash folder. Map entries and trash records are text anyone can
// edit, so every path they give is checked before anything is moved,
// removed or created by it.
#pragma once

#include <string>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

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

// Whether a file found in another letter case than its entry spells may be
// taken for the entry's own file (a Linux folder can hold both "foo.txt"
// and "FOO.TXT"; the tree already answers only a name that is the one of
// its folder equal to the entry ignoring case). It may not when it could
// be the twin of the file the entry names: when the trash log holds a
// record of the entry as spelled (its own file went into the trash first),
// or when a map lists the name found in its own spelling (it is that map's
// file). The maps are read once, at the first question.
class OtherCaseRule {
 public:
  explicit OtherCaseRule(Mapper& mapper) : m_(mapper) {}
  // `entry` as the map spells it, `found` as the disk does ("/"-joined),
  // `log_lines` the trash log's lines (the first one, its header, skipped).
  bool MayStandFor(std::string_view entry, std::string_view found, const std::vector<std::string>& log_lines);

 private:
  Mapper& m_;
  bool loaded_ = false;
  std::vector<std::shared_ptr<const std::string>> texts_;
  std::unordered_set<std::string_view> listed_;  // every map line, as spelled
};

// The notice, titled "Error", for a trashed name that is not a plain file
// name of the trash folder: "Refused: "<name>" is not a file of the trash
// folder". (A path that leaves the Windows folder: ShowLeavesWindowsFolder.)
void ShowNotInTrashFolder(Mapper& mapper, std::string_view trashed);

}  // namespace zv
