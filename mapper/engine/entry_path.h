// What a stored relative path (a map entry, a trash record's place) may
// name: only places below its root. Every command that touches the disk for
// such a path asks here first.
#pragma once

#include <string_view>

namespace zv {

// True when `entry` does not stay inside the Windows folder as written: it
// is absolute (a drive, "C:...", or a leading "\" or "/") or one of its
// components, split at "\" and "/", is "..". A leading "<DIR> " (a folder
// entry) is looked past. The test is on the text alone: a symbolic link
// inside the folder is not resolved here (lookups that must not leave the
// folder never follow links).
bool LeavesWindowsFolder(std::string_view entry);

}  // namespace zv
