#include "mapper/engine/viewer.h"

#include <algorithm>
#include <optional>

#include "mapper/engine/busy_cursor.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_index.h"
#include "mapper/engine/entry_path.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/presence.h"
#include "mapper/engine/progress_clock.h"
#include "platform/text.h"
#include "platform/wine_paths.h"

namespace zv {
namespace {

// Stops the window's animations and list hint for the length of a scope.
class AnimationPause {
 public:
  explicit AnimationPause(MapView& view) : view_(view) { view_.SetAnimations(false); }
  ~AnimationPause() { view_.SetAnimations(true); }
  AnimationPause(const AnimationPause&) = delete;
  AnimationPause& operator=(const AnimationPause&) = delete;

 private:
  MapView& view_;
};

// Puts the rows in the list's order: sorted by entry in the program's order
// (CompareNoCase), equal entries in file order. A map comes sorted from
// the catalogue, which one pass over neighbours tells.
void SortRows(std::vector<MapRow>& rows) {
  const auto before = [](const MapRow& a, const MapRow& b) { return CompareNoCase(a.entry(), b.entry()) < 0; };
  if (!std::is_sorted(rows.begin(), rows.end(), before)) std::stable_sort(rows.begin(), rows.end(), before);
}

// Lists ahead, on the host's listing threads, every folder the entries
// that stay inside the Windows folder lie in. Neighbours mostly share
// their folder, so one entry stands for a run of them.
void ListFoldersOf(PresenceCache& presence, const std::vector<MapRow>& rows) {
  std::vector<std::string_view> paths;
  std::string_view last_folder;
  for (const MapRow& row : rows) {
    if (LeavesWindowsFolder(row.entry())) continue;
    const std::string_view target = EntryTarget(row.entry());
    const std::size_t cut = target.find_last_of("\\/");
    const std::string_view folder = target.substr(0, cut == std::string_view::npos ? 0 : cut);
    if (!paths.empty() && folder == last_folder) continue;
    paths.push_back(target);
    last_folder = folder;
  }
  presence.ListAhead(std::move(paths));
}

// The entries of a map's text, one row each, in file order: every line
// but the header.
std::vector<MapRow> RowsOf(std::string_view text) {
  std::size_t lines = 0;
  ForEachLine(text, [&](std::string_view) { ++lines; });
  std::vector<MapRow> rows;
  rows.reserve(lines);
  bool header = true;
  ForEachLine(text, [&](std::string_view line) {
    if (!header) rows.emplace_back(line);
    header = false;
  });
  return rows;
}

}  // namespace

void ShowMap(Mapper& mapper, MapView& view) {
  AnimationPause pause(view);
  if (!mapper.maps.HasSelection()) return;
  const std::uint64_t serial = ++mapper.file_list_serial;
  const std::string name = mapper.maps.SelectedName();
  const std::string file = mapper.ProgramFile(name + ".MAP");
  if (!mapper.host.FileExists(file)) {
    mapper.person.ShowNotice(mapper.main_caption,
                             "Map file of \"" + name + "\" (" + name + ".MAP) not found");
    return;
  }
  view.SetMapGroupCaption(LookupMessage(mapper, "*FINSTBY") + name + "\"");
  // The file list is the last reader the catalogue load kept texts for.
  std::shared_ptr<const std::string> text = MapText(mapper, file);
  mapper.map_texts.Clear();
  // Every entry as a view into the text; a converted legacy entry is the
  // end of its own line, so it stays one.
  auto rows = std::make_shared<MapRows>();
  rows->rows = RowsOf(*text);
  BusyCursor busy(mapper.person);

  // A legacy absolute entry ("C:\WINDOWS\SYSTEM\X.DLL") loses the Windows
  // folder and its backslash when it really begins with them; the map is
  // written back only then, every other line as it was.
  const std::vector<std::string> windows_forms = WindowsFormsOf(mapper.windows_folder);
  bool converted = false;
  for (MapRow& row : rows->rows) {
    if (const std::size_t cut = LegacyPrefixLength(row.entry(), windows_forms); cut > 0) {
      row.SetEntry(row.entry().substr(cut));
      converted = true;
    }
  }
  if (converted) {
    std::string rewritten;
    rewritten.reserve(text->size());
    bool header = true;
    ForEachLine(*text, [&](std::string_view line) {
      if (header) rewritten.append(line).append("\r\n");
      header = false;
    });
    for (const MapRow& row : rows->rows) rewritten.append(row.entry()).append("\r\n");
    WriteMapFile(mapper, file, rewritten);
    // The rows point into the text as written.
    text = std::make_shared<const std::string>(std::move(rewritten));
    rows->rows = RowsOf(*text);
  }
  SortRows(rows->rows);

  const std::size_t count = rows->size();
  const bool detailed = !mapper.options.simple_list;
  rows->text = text;
  rows->simple = !detailed;
  rows->folder_text = mapper.texts.is_folder;
  rows->deleted_text = mapper.texts.is_deleted;
  rows->icon_root = ToHostPath(mapper.windows_folder) + "/";
  const bool icons = mapper.options.use_sys_icons;
  const std::string count_text = "/" + std::to_string(count);
  std::uint64_t present = 0;
  // A 64-bit total: the sum of a large application's files overflows 32 bits.
  std::uint64_t total = 0;
  // Every folder is listed once instead of searched once per entry, and
  // the entries are taken in the list's order, so that neighbours, which
  // mostly share their folder, are looked up one after the other.
  std::optional<PresenceCache> presence;
  if (detailed) {
    presence.emplace(mapper.host, mapper.windows_folder);
    ListFoldersOf(*presence, rows->rows);
  }
  ProgressClock clock(mapper.progress_period);
  for (std::size_t number = 1; number <= count; ++number) {
    MapRow& row = rows->rows[number - 1];
    const std::string_view entry = row.entry();
    if (clock.Due(number)) {
      mapper.person.SetStatus(kButtonFace, std::to_string(number) + count_text);
      mapper.person.PumpMessages();
      // Another listing was shown meanwhile: it stays.
      if (mapper.file_list_serial != serial) return;
    }
    // An entry that leaves the Windows folder is never looked up: it gets
    // no icon and shows as missing.
    row.icon = icons && !LeavesWindowsFolder(entry);
    if (!detailed) continue;
    std::int64_t size = -1;
    if (!EntryOnDisk(*presence, entry, &size)) {
      row.state = 2;
      continue;
    }
    ++present;
    row.state = 1;
    if (entry.starts_with(kFolderMark)) continue;
    size = std::max<std::int64_t>(size, 0);
    total += static_cast<std::uint64_t>(size);
    row.bytes = size;
  }

  rows->first_header = std::to_string(present) + "/" + std::to_string(count) + LookupMessage(mapper, "*FSTILL");
  rows->second_header = SizeText(total);
  rows->total_bytes = total;
  view.ShowRows(std::move(rows));
}

void OpenMapEntry(Mapper& mapper, const std::string& caption) {
  // Only a leading "<DIR> " marks a folder: a name may hold "<DIR>" too.
  const std::string text(EntryTarget(caption));
  if (LeavesWindowsFolder(caption)) {
    ShowLeavesWindowsFolder(mapper, text);
    return;
  }
  const std::string path = ToHostPath(mapper.WindowsPath(text));
  if (mapper.host.ShellOpen(path, "", "", 1) <= 32) mapper.host.ShellOpen("notepad", path, "", 1);
}

}  // namespace zv
