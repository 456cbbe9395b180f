// What a stored relative path (a map entry, a trash record's place) may
// name: only places below its root. Every command that touches the disk for
// such a path asks here first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mapper/engine/mapper.h"
#include "mapper/engine/presence.h"

namespace zv {

// What begins a folder entry of a map: "<DIR> " + its path.
inline constexpr std::string_view kFolderMark = "<DIR> ";

// The path an entry names: a folder entry's without its mark, a file
// entry's as it stands.
inline std::string_view EntryTarget(std::string_view entry) {
  return entry.starts_with(kFolderMark) ? entry.substr(kFolderMark.size()) : entry;
}

// True when `entry` does not stay inside the Windows folder as written: it
// is absolute (a drive, "C:...", or a leading "\" or "/"), one of its
// components, split at "\" and "/", is "..", or it names the Windows folder
// itself (empty, or only "." components). A leading "<DIR> " (a folder
// entry) is looked past. The test is on the text alone: a symbolic link
// inside the folder is not resolved here (lookups that must not leave the
// folder never follow links).
bool LeavesWindowsFolder(std::string_view entry);

// Whether the entry is on disk as what it names, looked up through
// `presence` (rooted at the Windows folder): a folder entry as a folder, a
// file entry as a file (a symbolic link counts as a file). An entry that
// leaves the Windows folder is not looked up and is not on disk. For a file
// found, *size (when given) receives its size as PresenceCache::Find gives it.
bool EntryOnDisk(PresenceCache& presence, std::string_view entry, std::int64_t* size = nullptr);

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
