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

// The order of the list: the entries' numbers sorted by caption in the
// program's order (CompareNoCase), entries with equal captions in file
// order. A map comes sorted from the catalogue, which one pass over
// neighbours tells.
std::vector<std::size_t> CaptionOrder(const std::string_view* captions, std::size_t count) {
  const auto before = [captions](std::size_t a, std::size_t b) {
    const int order = CompareNoCase(captions[a], captions[b]);
    return order != 0 ? order < 0 : a < b;
  };
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  if (!std::is_sorted(order.begin(), order.end(), before)) std::sort(order.begin(), order.end(), before);
  return order;
}

// Lists ahead, on the host's listing threads, every folder the entries
// that stay inside the Windows folder lie in.
void ListFoldersOf(PresenceCache& presence, const std::string_view* entries, std::size_t count) {
  std::vector<std::string_view> paths;
  paths.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (!LeavesWindowsFolder(entries[i])) paths.push_back(EntryTarget(entries[i]));
  }
  presence.ListAhead(paths);
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
  // Every line as a view into the text; a converted legacy entry is the end
  // of its own line, so it stays one.
  std::vector<std::string_view> lines;
  ForEachLine(*text, [&](std::string_view line) { lines.push_back(line); });
  BusyCursor busy(mapper.person);

  // A legacy absolute entry ("C:\WINDOWS\SYSTEM\X.DLL") loses the Windows
  // folder and its backslash when it really begins with them; the map is
  // written back only then, every other line as it was.
  const std::vector<std::string> windows_forms = WindowsFormsOf(mapper.windows_folder);
  bool converted = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (const std::size_t cut = LegacyPrefixLength(lines[i], windows_forms); cut > 0) {
      lines[i].remove_prefix(cut);
      converted = true;
    }
  }
  if (converted) {
    std::string rewritten;
    rewritten.reserve(text->size());
    for (std::string_view line : lines) rewritten.append(line).append("\r\n");
    WriteMapFile(mapper, file, rewritten);
    // The rows point into the text as written.
    text = std::make_shared<const std::string>(std::move(rewritten));
    lines.clear();
    ForEachLine(*text, [&](std::string_view line) { lines.push_back(line); });
  }

  const std::size_t count = lines.empty() ? 0 : lines.size() - 1;
  const std::string_view* const entries = lines.data() + 1;
  const bool detailed = !mapper.options.simple_list;
  auto rows = std::make_shared<MapRows>();
  rows->text = text;
  rows->simple = !detailed;
  rows->folder_text = mapper.texts.is_folder;
  rows->deleted_text = mapper.texts.is_deleted;
  rows->icon_root = ToHostPath(mapper.windows_folder) + "/";
  rows->rows.resize(count);
  const bool icons = mapper.options.use_sys_icons;
  const std::string count_text = "/" + std::to_string(count);
  std::uint64_t present = 0;
  // A 64-bit total: the sum of a large application's files overflows 32 bits.
  std::uint64_t total = 0;
  // Every folder is listed once instead of searched once per entry, and
  // the entries are taken in the list's order, so that neighbours, which
  // mostly share their folder, are looked up one after the other.
  std::optional<PresenceCache> presence;
  const std::vector<std::size_t> order = CaptionOrder(entries, count);
  if (detailed) {
    presence.emplace(mapper.host, mapper.windows_folder);
    ListFoldersOf(*presence, entries, count);
  }
  ProgressClock clock(mapper.progress_period);
  for (std::size_t number = 1; number <= count; ++number) {
    const std::string_view entry = entries[order[number - 1]];
    MapRow& row = rows->rows[number - 1];
    row.entry = entry;
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
