// The dry runs of zorvan trash restore and purge: the rows each would
// restore or delete, the questions it would ask and the rows that would
// stay, with why, from the trash manager's rows and the disk, changing
// nothing (DryRunLines gives the lines' form).
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"
#include "mapper/trash/trash_manager.h"

namespace zv::cli {

// Where the row came from, as a map lists it: "SYSTEM\Foo.dll", or
// "<DIR> SYSTEM\NewDir" for a folder.
std::string OriginalEntry(const TrashRow& row);

// The restore of `steps` (done in their order, each in its own), as
// RunTrashRestore would do it: a folder is made one level deep, a file
// goes back only where nothing stands, and the questions take the command
// line's answers (--force, --yes). The exit code the restore would give.
int PreviewRestore(CommandContext& c, const std::vector<std::vector<TrashRow>>& steps);

// The purge of `rows`: its confirmation, after which the lines show what a
// yes brings, and each row deleted or kept (a read-only file without
// --force). The exit code the purge would give after that yes.
int PreviewPurge(CommandContext& c, const std::vector<TrashRow>& rows);

}  // namespace zv::cli
