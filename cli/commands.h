// The command families of zorvan, one file each; command_table.cpp puts
// them in the order the help lists them.
#pragma once

#include "cli/command.h"

namespace zv::cli {

// map_commands.cpp: the catalogue and one map, as the mapper shows them.
Command MapsCommand();
Command ShowCommand();

// identify_command.cpp: which maps list a file.
Command IdentifyCommand();

// path_commands.cpp: a map's entries as host paths, and a path's maps.
Command FilesCommand();
Command OwnerCommand();

// scan_commands.cpp: the snapshot and new maps.
Command ScanCommand();
Command NewMapCommand();
Command TrackCommand();

// maintenance_commands.cpp: the Map menu's commands on one map.
Command RenameCommand();
Command UnmapCommand();

// removal_commands.cpp: an application, or one entry, into the trash.
Command RemoveCommand();

// trash_commands.cpp: the trash manager.
Command TrashListCommand();
Command TrashRestoreCommand();
Command TrashPurgeCommand();

}  // namespace zv::cli
