// Guarded single-file operations: each checks its source, asks before
// touching a read-only file, offers to create a missing destination folder,
// reports a missing source in a box titled after the failed operation, and
// answers whether it succeeded. A source that names a folder counts as
// missing. Every box quotes its path as shown to the person (with "/").
// They belong to the engine library because both the catalogue load (the
// backups of old maps) and the trash use them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "mapper/engine/mapper.h"

namespace zv {

// Moves a file without replacing an existing destination. When the person
// agreed to clear a read-only attribute and the move then fails, the
// attribute is set again: a failed move leaves the file as it was.
bool GuardedMove(Mapper& mapper, const std::string& source, const std::string& destination);
// Deletes a file; a failed delete likewise keeps its read-only attribute.
bool GuardedDelete(Mapper& mapper, const std::string& path);
// Copies a file, replacing the destination.
bool GuardedCopy(Mapper& mapper, const std::string& source, const std::string& destination);

// A file or folder below a tree held open (Host::OpenTree): what the trash
// acts on, so that no folder swapped for a link after a check can redirect
// the act. Boxes show it as the root's path + "\\" + relative.
struct TreePlace {
  TreeHandle& tree;
  std::string relative;
};

// The guarded move and delete on tree places, as above. The move offers
// to create the destination's missing folder and, on yes, creates every
// missing level below the root (none through a link); with `flush` it is
// flushed to disk before it answers, else the caller flushes the tree
// (Host::FlushTree) before it records the move anywhere.
bool GuardedMove(Mapper& mapper, const TreePlace& source, const TreePlace& destination, bool flush = true);
bool GuardedDelete(Mapper& mapper, const TreePlace& place);

// What the guarded move's checks and questions decided, for a caller that
// moves the file itself a little later.
struct PreparedMove {
  bool cleared_read_only = false;  // the source's read-only attribute was cleared
};
// The guarded move up to the move itself: the missing-source notice, the
// read-only question and the missing-folder offer. std::nullopt when the
// move must not be attempted (source missing, read-only question declined).
// `before_box`, when given, runs before any box is shown, so that a caller
// holding work back can finish it first and boxes keep the order of the work;
// when it answers false, no box is shown and std::nullopt is returned with
// the source as it was.
std::optional<PreparedMove> PrepareGuardedMove(Mapper& mapper, const TreePlace& source,
                                               const TreePlace& destination,
                                               const std::function<bool()>& before_box = nullptr);
// After the prepared move failed: sets the read-only attribute again if it
// was cleared.
void UndoPreparedMove(Mapper& mapper, const TreePlace& source, const PreparedMove& prepared);

}  // namespace zv
