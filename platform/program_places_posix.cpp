// Where the programs keep and find their files: a portable program folder,
// or an installation with a folder of each user's own.
#include <sys/stat.h>

#include "platform/posix_support.h"
#include "platform/text.h"

namespace zv::posix {
namespace {

constexpr char kUserFolderName[] = "zorvan";

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

ProgramPlaces Portable(const std::string& folder) { return {folder, folder, folder, false, {}}; }

// A path the marker gives: relative to the marker's folder, or absolute.
std::string MarkerPath(const std::string& executable_folder, const std::string& value) {
  return ExpandPath(!value.empty() && value[0] == '/' ? value : JoinHost(executable_folder, value));
}

}  // namespace

ProgramPlaces PlacesOfExecutable(const std::string& executable_folder, const std::string& named) {
  const std::string chosen = named.empty() ? Env(kProgramFolderVariable) : named;
  if (!chosen.empty()) return Portable(WithoutTrailingSeparators(ExpandPath(chosen)));

  const std::string marker = JoinHost(executable_folder, kInstallationMarker);
  struct stat st;
  if (::lstat(marker.c_str(), &st) != 0) return Portable(executable_folder);

  // "key=value" lines; a key the marker does not hold keeps its default.
  ProgramPlaces places{JoinHost(UserDataFolder(), kUserFolderName), executable_folder, executable_folder, true, {}};
  for (const std::string& line : SplitLines(ReadFile(marker, {.max_bytes = kSmallFileLimit}))) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || equals + 1 == line.size()) continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "shared") places.shared = MarkerPath(executable_folder, value);
    if (key == "menu-entry") places.menu_entry = MarkerPath(executable_folder, value);
  }
  return places;
}

}  // namespace zv::posix
