#include "mapper/engine/old_maps.h"

#include <cctype>
#include <vector>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/guarded.h"
#include "mapper/engine/new_map.h"
#include "platform/text.h"

namespace zv {
namespace {

constexpr std::string_view kMark = "***";

// The three digits of an old map's file name ("003" of "003.TXT", any
// case), or empty for any other name.
std::string OldMapNumber(const std::string& file) {
  if (file.size() != 7 || !EqualsNoCase(std::string_view(file).substr(3), ".TXT")) return {};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(file[i]))) return {};
  }
  return file.substr(0, 3);
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

// `name`, or when a map of that name exists (in any letter case), the name
// followed by the first number from 2 on that names no map.
std::string FreeMapName(Mapper& mapper, const std::string& name) {
  std::string candidate = name;
  for (unsigned number = 2; mapper.host.PathExists(mapper.ProgramFile(candidate + ".MAP")); ++number) {
    candidate = name + std::to_string(number);
  }
  return candidate;
}

}  // namespace

std::string OldMapName(std::string_view first_line, const std::string& number) {
  if (!StartsWith(first_line, kMark)) return number;
  const std::size_t end = first_line.find(kMark, kMark.size());
  if (end == std::string_view::npos) return number;
  const std::string_view name = first_line.substr(kMark.size(), end - kMark.size());
  // IsBadMapName refuses ".", "..", "\" and "/" among others; it lets the
  // empty name pass, which here would give the map file ".MAP", and a name
  // holding ".MAP", which the catalogue would list under its first part.
  if (name.empty() || IsBadMapName(name) || FindNoCase(name, ".MAP") != std::string_view::npos) return number;
  return std::string(name);
}

void ConvertOldMaps(Mapper& mapper) {
  Host& host = mapper.host;
  const std::string list = mapper.ProgramFile("appllst.txt");
  if (host.FileExists(list)) host.DeleteFile(list);

  // One listing instead of a thousand look-ups; the names come in the
  // program's order, which for three digits is number order.
  int converted = 0;
  for (const std::string& file : host.FindFiles(mapper.program_folder, "???.TXT")) {
    const std::string number = OldMapNumber(file);
    if (number.empty()) continue;
    const std::string old_map = mapper.ProgramFile(file);
    // Read as a map is read (a regular file of sensible size, never through
    // a link); one that cannot be read stays as it is and the load goes on.
    std::string text;
    try {
      text = ReadMapFile(mapper, old_map);
    } catch (const HostError& error) {
      mapper.person.ShowNotice(mapper.main_caption, "Old map " + file + " could not be read: " + error.what());
      continue;
    }
    const std::string name = FreeMapName(mapper, OldMapName(FirstLine(text), number));
    if (host.IsReadOnly(old_map)) host.SetReadOnly(old_map, false);
    GuardedCopy(mapper, old_map, mapper.ProgramFile(number + ".OLD"));
    if (host.MoveFile(old_map, mapper.ProgramFile(name + ".MAP"))) {
      ++converted;
    } else {
      mapper.person.ShowNotice(mapper.main_caption,
                               "Old map " + file + " could not be renamed to " + name + ".MAP");
    }
  }
  if (converted > 0) {
    mapper.person.ShowNotice(mapper.main_caption, "Old maps detected and converted\nBackup: nnn.TXT to nnn.OLD files");
  }
}

}  // namespace zv
