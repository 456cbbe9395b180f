#include "mapper/engine/identify.h"

#include <algorithm>
#include <optional>

#include "mapper/engine/busy_cursor.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_index.h"
#include "mapper/engine/entry_path.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/presence.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"
#include "platform/wine_paths.h"

namespace zv {
namespace {

// The entry's own last component: for a folder entry, of the path after
// "<DIR> " (so a folder directly below the Windows folder loses the mark).
std::string_view OwnName(std::string_view entry) {
  entry = EntryTarget(entry);
  const std::size_t cut = entry.find_last_of("\\/");
  return cut == std::string_view::npos ? entry : entry.substr(cut + 1);
}

// Whether the entry is on disk, tested as the viewer's detailed list tests
// it: a legacy absolute entry that begins with a Windows spelling of the
// Windows folder loses that beginning; an entry that still leaves the
// Windows folder is missing without being looked up.
bool IsPresent(PresenceCache& presence, std::string_view entry, const std::vector<std::string>& windows_forms) {
  entry.remove_prefix(LegacyPrefixLength(entry, windows_forms));
  return EntryOnDisk(presence, entry);
}

// The progress window for the length of a search, hidden again however the
// search ends.
class SearchWindow {
 public:
  SearchWindow(Person& person, const std::string& message) : person_(person) {
    person_.SetProgressCaption("Searching...");
    person_.SetProgressMessage(message);
    person_.SetGauge(true, 0);
    person_.ShowProgress(true);
    person_.PumpMessages();
  }
  ~SearchWindow() {
    person_.ShowProgress(false);
    person_.SetGauge(false, 0);
  }
  SearchWindow(const SearchWindow&) = delete;
  SearchWindow& operator=(const SearchWindow&) = delete;

 private:
  Person& person_;
};

// Makes the map `name` the current map and shows it, when the catalogue
// lists it.
void SelectMap(Mapper& mapper, const std::string& name) {
  const auto& rows = mapper.maps.rows;
  const auto row = std::find_if(rows.begin(), rows.end(), [&](const std::string& r) { return EqualsNoCase(r, name); });
  if (row == rows.end()) return;
  mapper.maps.selected = static_cast<int>(row - rows.begin());
  if (mapper.view == nullptr) return;
  // The map list's highlight moves to the map before its files are shown.
  mapper.view->ShowCatalogue(mapper.maps);
  ShowMap(mapper, *mapper.view);
}

}  // namespace

std::string SearchName(std::string_view entered) {
  const std::size_t cut = entered.find_last_of("\\:/");
  return UpperAscii(cut == std::string_view::npos ? entered : entered.substr(cut + 1));
}

bool EntryMatches(std::string_view entry, std::string_view search_name) {
  return FindNoCase(OwnName(entry), search_name) != std::string_view::npos;
}

std::string ResultLine(const IdentifiedEntry& hit) {
  return (hit.present ? "> " : "X ") + hit.entry + " (" + hit.map_file + ")";
}

Identification SearchMaps(Mapper& mapper, const std::string& search_name) {
  Identification result;
  // Made at the first hit: most searches look up only a handful of entries.
  std::optional<PresenceCache> presence;
  const std::vector<std::string> windows_forms = WindowsFormsOf(mapper.windows_folder);
  for (const std::string& file : MapFiles(mapper)) {
    std::string text;
    try {
      text = ReadMapFile(mapper, mapper.ProgramFile(file));
    } catch (const RefusedFileError&) {
      continue;  // a link, pipe or device: the catalogue leaves it out as well
    }
    bool header = true;
    ForEachLine(text, [&](std::string_view entry) {
      if (header || !EntryMatches(entry, search_name)) {
        header = false;
        return;
      }
      if (!presence) presence.emplace(mapper.host, mapper.windows_folder);
      result.hits.push_back({IsPresent(*presence, entry, windows_forms), std::string(entry), file});
      result.last_map_file = file;
    });
  }
  // Sorted by their lines, each line made once.
  std::vector<std::string> lines;
  std::vector<std::size_t> order;
  for (const IdentifiedEntry& hit : result.hits) {
    order.push_back(lines.size());
    lines.push_back(ResultLine(hit));
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return LessNoCase(lines[a], lines[b]); });
  std::vector<IdentifiedEntry> sorted;
  sorted.reserve(order.size());
  for (const std::size_t i : order) sorted.push_back(std::move(result.hits[i]));
  result.hits = std::move(sorted);
  return result;
}

void IdentifyFile(Mapper& mapper, const std::string& caption, const std::string& selected_entry) {
  Person& person = mapper.person;
  TextRequest request;
  request.caption = caption;
  request.note = LookupMessage(mapper, "*INNAME");
  request.text = selected_entry;
  request.browse = true;
  const std::string entered = person.AskText(request);
  // The file dialog leaves the process's working folder alone, and every
  // file of the program is named by its absolute path, so there is no
  // folder to go back to after browsing.
  const std::string search_name = SearchName(entered);
  if (search_name.empty()) return;

  const std::string results_caption = "\"" + search_name + "\"";
  Identification found;
  {
    BusyCursor busy(person);
    SearchWindow window(person, results_caption);
    found = SearchMaps(mapper, search_name);
  }
  std::vector<std::string> lines;
  if (found.last_map_file.empty()) {
    lines = {LookupMessage(mapper, "*NOTMAP")};
  } else {
    for (const IdentifiedEntry& hit : found.hits) lines.push_back(ResultLine(hit));
    SelectMap(mapper, MapNameOf(found.last_map_file));
  }
  person.ShowResults(results_caption, lines);
}

}  // namespace zv
