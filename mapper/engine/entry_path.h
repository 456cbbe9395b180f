// What a stored relative path (a map entry, a trash record's place) may
// name: only places below its root. Every command that touches the disk for
// such a path asks here first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

// True when `entry` does not stay inside the Windows folder as written: it
// is absolute (a drive, "C:...", or a leading "\" or "/") or one of its
// components, split at "\" and "/", is "..". A leading "<DIR> " (a folder
// entry) is looked past. The test is on the text alone: a symbolic link
// inside the folder is not resolved here (lookups that must not leave the
// folder never follow links).
bool LeavesWindowsFolder(std::string_view entry);

// The notice of a path refused for that, titled "Error": "Refused: "<path>"
// leaves the Windows folder", the path shown with "/".
void ShowLeavesWindowsFolder(Mapper& mapper, std::string_view path);

// For a legacy absolute entry (second character ":") that begins, ASCII case
// ignored, with one of `forms` (the Windows folder's Windows spellings,
// WindowsFormsOf) followed by "\" or "/" and more text: the length of that
// beginning with its separator, which the entry loses to become relative.
// 0 for every other entry, which stays exactly as it is.
std::size_t LegacyPrefixLength(std::string_view entry, const std::vector<std::string>& forms);

}  // namespace zv
