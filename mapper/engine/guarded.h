// Guarded single-file operations: each checks its source, asks before
// touching a read-only file, offers to create a missing destination folder,
// reports a missing source in a box titled after the failed operation, and
// answers whether it succeeded. They belong to the engine library because
// both the catalogue load (the backups of old maps) and the trash use them.
#pragma once

#include <string>

#include "mapper/engine/mapper.h"

namespace zv {

// Moves a file without replacing an existing destination.
bool GuardedMove(Mapper& mapper, const std::string& source, const std::string& destination);
// Deletes a file.
bool GuardedDelete(Mapper& mapper, const std::string& path);
// Copies a file, replacing the destination.
bool GuardedCopy(Mapper& mapper, const std::string& source, const std::string& destination);

}  // namespace zv
