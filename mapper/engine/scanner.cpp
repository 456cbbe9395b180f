#include "mapper/engine/scanner.h"

#include <array>

#include "mapper/engine/case_twins.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/text_buffer.h"
#include "mapper/engine/walk_path.h"
#include "platform/text.h"

namespace zv {
namespace {

// Shell ids of the special folders that get a default ignore line.
constexpr int kRecentFolder = 8;
constexpr int kStartMenuFolder = 11;
constexpr int kDesktopFolder = 16;
constexpr int kFavoritesFolder = 6;

// How often the walk shows its count and lets the window breathe.
constexpr std::uint64_t kPumpEvery = 4096;

// One level of the walk: the listing of a folder, which of its names have
// a twin in another case, whether the folder lies in a twin's subtree, the
// next entry to take from it, and where the parent's relative path ended
// before this folder's name was appended to it.
struct Level {
  std::vector<FolderEntry> entries;
  std::vector<char> twins;
  bool below_twin = false;
  std::size_t next = 0;
  std::size_t parent_relative_size = 0;
};

// The ignore line of a special folder: its path inside the Windows folder
// `windows`, "/" turned into "\", between "\" and "\" (so "\TEMP\" for
// its TEMP folder). Empty for a folder that is not inside the Windows
// folder: its path cut at the Windows folder's length would be a piece of
// some other path, which could match unrelated folders ("/home/ann/Desktop"
// against "/usr/local" gives "Desktop\", which skips "MyDesktop") and leave
// their files out of every map. Empty too for the Windows folder itself.
std::string IgnoreLineOf(const std::string& path, const std::string& windows) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.size() <= windows.size() + 1 || !EqualsNoCase(folder.substr(0, windows.size()), windows) ||
      folder[windows.size()] != '/') {
    return {};
  }
  std::string line = folder.substr(windows.size());
  for (char& c : line) {
    if (c == '/') c = '\\';
  }
  return line + '\\';
}

}  // namespace

IgnoreList::IgnoreList(std::string_view file_text) {
  for (std::string& line : SplitLines(file_text)) {
    patterns_.push_back(UpperAscii(line));
  }
}

bool IgnoreList::Skips(std::string_view folder_name) const {
  probe_.assign(1, '\\');
  for (char c : folder_name) probe_ += UpperAscii(c);
  probe_ += '\\';
  for (const std::string& pattern : patterns_) {
    if (!pattern.empty() && probe_.find(pattern) != std::string::npos) return true;
  }
  return false;
}

bool IsExcludedFile(std::string_view name) {
  // Every excluded extension is a dot and three letters; most names are
  // decided by that length alone.
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  const char ext[3] = {UpperAscii(name[dot + 1]), UpperAscii(name[dot + 2]), UpperAscii(name[dot + 3])};
  const std::string_view upper(ext, 3);
  return upper == "URL" || upper == "TMP" || upper == "LNK" || upper == "PIF";
}

bool NameFitsMap(std::string_view name) {
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\\' || b < 0x20 || b == 0x7F) return false;
  }
  return true;
}

void ScanWindowsFolder(Mapper& mapper, const std::string& folder) {
  const IgnoreList ignore(mapper.host.ReadFile(mapper.ProgramFile(kIgnoreListFile)));
  Person& person = mapper.person;

  TextBuffer snapshot, folders;
  std::uint64_t counter = 0, skipped = 0, twins = 0, unreadable = 0;
  CaseTwins case_twins;
  std::string line;  // a line that may lose to a twin, for CaseTwins

  // The folder being walked as a relative stored path ("" for the root);
  // it grows and shrinks with the walk.
  std::string relative;
  WalkPath path(mapper.host, folder);

  // Levels are kept when the walk climbs back, so each depth reuses its
  // listing's storage; the stack grows for trees of any depth.
  std::vector<Level> levels(1);
  if (!path.ListRoot(&levels[0].entries)) ++unreadable;
  case_twins.Mark(levels[0].entries, &levels[0].twins);

  for (;;) {
    const std::size_t depth = path.depth();
    Level& level = levels[depth];
    if (level.next == level.entries.size()) {
      if (depth == 0) break;
      relative.resize(level.parent_relative_size);
      path.Leave();
      continue;
    }
    const FolderEntry& entry = level.entries[level.next++];
    const bool is_folder = entry.kind == EntryKind::kFolder;
    if (is_folder ? ignore.Skips(entry.name) : IsExcludedFile(entry.name)) continue;
    if (!NameFitsMap(entry.name)) {
      ++skipped;
      continue;
    }

    ++counter;
    if (counter % kPumpEvery == 0) {
      person.SetProgressMessage(std::to_string(counter) + " entries");
      person.PumpMessages();
    }

    // Only a name with a twin, or anything below one, can lose to a twin.
    const bool may_lose = level.below_twin || level.twins[level.next - 1];
    if (!is_folder) {
      if (!relative.empty()) snapshot << relative << '\\';
      snapshot << entry.name << "\r\n";
      if (may_lose) {
        line.assign(relative).append(relative.empty() ? "" : "\\").append(entry.name);
        twins += case_twins.Loses(line);
      }
      continue;
    }

    const std::size_t parent_relative_size = relative.size();
    if (!relative.empty()) relative += '\\';
    relative += entry.name;
    snapshot << "<DIR> " << relative << "\r\n";
    folders << relative << "\r\n";
    if (may_lose) twins += case_twins.Loses(line.assign("<DIR> ").append(relative));

    if (depth + 1 == levels.size()) levels.emplace_back();  // invalidates `level` and `entry`
    Level& child = levels[depth + 1];
    child.next = 0;
    child.parent_relative_size = parent_relative_size;
    child.below_twin = may_lose;
    const Level& parent = levels[depth];
    if (!path.Enter(parent.entries[parent.next - 1].name, &child.entries)) ++unreadable;
    case_twins.Mark(child.entries, &child.twins);
  }

  mapper.host.WriteFile(mapper.ProgramFile(kSnapshotFile), snapshot.view());
  mapper.host.WriteFile(mapper.ProgramFile(kProbeFolderList), folders.view());
  mapper.entry_counter = counter;
  mapper.skipped_names = skipped;
  mapper.twin_names = twins;
  mapper.unreadable_folders = unreadable;
}

void ScanWithProgress(Mapper& mapper, const std::string& folder, const std::string& caption) {
  Person& person = mapper.person;
  struct CursorGuard {
    Person& person;
    bool was_busy;
    ~CursorGuard() { person.SetBusy(was_busy); }
  } guard{person, person.SetBusy(true)};

  person.SetProgressCaption(caption);
  person.SetProgressMessage("Initializing...");
  person.PumpMessages();
  ScanWindowsFolder(mapper, folder);
  ShowScanReport(mapper);
}

void ShowScanReport(Mapper& mapper) {
  const std::string report = ScanReportText(mapper);
  if (!report.empty()) mapper.person.SetStatus(kButtonFace, report);
}

std::string ScanReportText(const Mapper& mapper) {
  const std::pair<const char*, std::uint64_t> counts[] = {
      {"*SKIPNAMES", mapper.skipped_names},
      {"*CASETWINS", mapper.twin_names},
      {"*UNREADABLE", mapper.unreadable_folders},
  };
  std::string text;
  for (const auto& [key, count] : counts) {
    if (count == 0) continue;
    if (!text.empty()) text += "; ";
    text += std::to_string(count) + LookupMessage(mapper, key);
  }
  return text;
}

std::vector<std::string> DefaultIgnoreLines(Mapper& mapper) {
  std::vector<std::string> lines = {"\\Temporary Internet Files\\", "\\Cronologia\\", "\\Cookies\\",
                                    "\\Pif\\", "\\Applog\\"};
  const std::array<std::string, 5> places = {
      mapper.host.GetSystemFolder(2),
      mapper.host.SpecialFolderPath(kRecentFolder),
      mapper.host.SpecialFolderPath(kStartMenuFolder),
      mapper.host.SpecialFolderPath(kDesktopFolder),
      mapper.host.SpecialFolderPath(kFavoritesFolder),
  };
  for (const std::string& place : places) {
    std::string line = IgnoreLineOf(place, mapper.windows_folder);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

void WriteDefaultIgnoreList(Mapper& mapper) {
  mapper.host.WriteFile(mapper.ProgramFile(kIgnoreListFile), JoinLines(DefaultIgnoreLines(mapper)));
}

}  // namespace zv
