// How a Windows program would spell a folder of this machine: the forms in
// which maps written on Windows, or under Wine, name the Windows folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv {

// The Windows spellings of the host folder `folder` (an absolute host path),
// components joined by "\", the drive letter upper-cased, no trailing "\":
// - inside a Wine prefix, its drive form: what lies below the last
//   "drive_c" component behind "C:" ("/home/ann/.wine/drive_c/windows"
//   gives "C:\windows"), or below the last "dosdevices/<letter>:" behind
//   that letter;
// - for every folder, its form on Wine's drive "Z:", which every prefix maps
//   to the root of the file system ("/usr/local" gives "Z:\usr\local").
// The drive form, when there is one, comes first.
std::vector<std::string> WindowsFormsOf(std::string_view folder);

}  // namespace zv
