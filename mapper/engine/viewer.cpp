#include "mapper/engine/viewer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "mapper/engine/busy_cursor.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_index.h"
#include "mapper/engine/entry_path.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/presence.h"
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

// `value` in the general format with at most 3 significant digits: fixed
// notation while the integer part has at most 3 digits, else "d.ddE<exp>";
// trailing zeros dropped, no plus sign. Ties round away from zero.
std::string GeneralFormat3(float value) {
  if (value == 0) return "0";
  const bool negative = value < 0;
  // A float's exact decimal expansion never needs 40 digits after the point.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.40e", static_cast<double>(negative ? -value : value));
  std::string digits{buf[0], buf[2], buf[3]};
  int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  if (buf[4] >= '5') {
    int i = 2;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits = "100";
      ++exponent;
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 3 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
  } else if (exponent < 0) {
    out += "0." + std::string(-exponent - 1, '0') + digits;
  } else {
    const std::size_t integer = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integer) {
      out += digits + std::string(integer - digits.size(), '0');
    } else {
      out += digits.substr(0, integer) + "." + digits.substr(integer);
    }
  }
  return out;
}

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

}  // namespace

std::string SizeText(std::uint64_t bytes) {
  // The unit is chosen on the count; the value is shown in single precision.
  if (bytes < 1000) return std::to_string(bytes) + " bytes";
  if (bytes < 1024) return GeneralFormat3(static_cast<float>(bytes)) + " bytes";
  if (bytes < 1048576) return GeneralFormat3(static_cast<float>(bytes) / 1024.0f) + " Kb";
  return GeneralFormat3(static_cast<float>(bytes) / 1048576.0f) + " Mb";
}

void ShowMap(Mapper& mapper, MapView& view) {
  AnimationPause pause(view);
  if (!mapper.maps.HasSelection()) return;
  const std::string name = mapper.maps.SelectedName();
  const std::string file = mapper.ProgramFile(name + ".MAP");
  if (!mapper.host.FileExists(file)) {
    mapper.person.ShowNotice(mapper.main_caption,
                             "Map file of \"" + name + "\" (" + name + ".MAP) not found");
    return;
  }
  view.SetMapGroupCaption(LookupMessage(mapper, "*FINSTBY") + name + "\"");
  // The file list is the last reader the catalogue load kept texts for.
  const std::shared_ptr<const std::string> kept = MapText(mapper, file);
  mapper.map_texts.Clear();
  const std::string& text = *kept;
  // Every line as a view into the text; a converted legacy entry is the end
  // of its own line, so it stays one.
  std::vector<std::string_view> lines;
  ForEachLine(text, [&](std::string_view line) { lines.push_back(line); });
  BusyCursor busy(mapper.person);

  const std::size_t count = lines.empty() ? 0 : lines.size() - 1;
  const std::string_view* const entries = lines.data() + 1;
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
    rewritten.reserve(text.size());
    for (std::string_view line : lines) rewritten.append(line).append("\r\n");
    WriteMapFile(mapper, file, rewritten);
  }

  const bool detailed = !mapper.options.simple_list;
  const bool icons = mapper.options.use_sys_icons;
  const std::string count_text = "/" + std::to_string(count);
  MapListing listing;
  listing.simple = !detailed;
  listing.items.resize(count);
  std::uint64_t present = 0;
  // A 64-bit total: the sum of a large application's files overflows 32 bits.
  std::uint64_t total = 0;
  // An icon's path: the Windows folder as a host path, "/" and the entry's
  // place with "\" turned into "/".
  const std::string icon_root = ToHostPath(mapper.windows_folder) + "/";
  // Every folder is listed once instead of searched once per entry, and
  // the entries are taken in the list's order, so that neighbours, which
  // mostly share their folder, are looked up one after the other.
  std::optional<PresenceCache> presence;
  if (detailed) presence.emplace(mapper.host, mapper.windows_folder);

  const std::vector<std::size_t> order = CaptionOrder(entries, count);
  for (std::size_t number = 1; number <= count; ++number) {
    const std::string_view entry = entries[order[number - 1]];
    MapItem& item = listing.items[number - 1];
    item.caption.assign(entry);
    if (number % 64 == 0) {
      mapper.person.SetStatus(kButtonFace, std::to_string(number) + count_text);
      mapper.person.PumpMessages();
    }
    // An entry that leaves the Windows folder is never looked up: it gets
    // no icon and shows as missing.
    const std::string_view target = EntryTarget(entry);
    if (icons && !LeavesWindowsFolder(entry)) {
      std::string& path = item.icon_path;
      path.reserve(icon_root.size() + target.size());
      path.assign(icon_root).append(target);
      for (std::size_t at = icon_root.size(); (at = path.find('\\', at)) != std::string::npos; ++at) path[at] = '/';
    }
    if (!detailed) continue;
    std::int64_t size = -1;
    if (!EntryOnDisk(*presence, entry, &size)) {
      item.state = 2;
      item.size_text = mapper.texts.is_deleted;
      continue;
    }
    ++present;
    item.state = 1;
    if (entry.starts_with(kFolderMark)) {
      item.size_text = mapper.texts.is_folder;
      continue;
    }
    size = std::max<std::int64_t>(size, 0);
    total += static_cast<std::uint64_t>(size);
    item.bytes = size;
    item.size_text = SizeText(static_cast<std::uint64_t>(size));
  }

  listing.first_header = std::to_string(present) + "/" + std::to_string(count) + LookupMessage(mapper, "*FSTILL");
  listing.second_header = SizeText(total);
  listing.total_bytes = total;
  view.ShowListing(listing);
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
