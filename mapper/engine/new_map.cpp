#include "mapper/engine/new_map.h"

#include <cstdint>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_index.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/text_buffer.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"

namespace zv {
namespace {

// The gauge moves and the window breathes once per this many lines.
constexpr std::uint64_t kGaugeEvery = 200;

// Puts the cursor and the progress window back as the run found them,
// however it ends.
class RunGuard {
 public:
  explicit RunGuard(Person& person) : person_(person), was_busy_(person.SetBusy(true)) {}
  ~RunGuard() {
    if (person_.ProgressVisible()) person_.ShowProgress(false);
    person_.SetBusy(was_busy_);
  }
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

 private:
  Person& person_;
  bool was_busy_;
};

// The first map is named without asking only while no file holds its name:
// a first map left out of the catalogue (or anything else of that name) is
// never replaced.
bool TakesTheFirstMapName(Mapper& mapper) {
  return mapper.maps.rows.empty() && !mapper.host.PathExists(mapper.ProgramFile(std::string(kFirstMapName) + ".MAP"));
}

// Asks for the new map's name until it is acceptable; empty when the
// person gave up.
std::string AskMapName(Mapper& mapper, std::uint64_t new_lines) {
  Person& person = mapper.person;
  TextRequest request;
  request.caption = LookupMessage(mapper, "*NEWMAP");
  request.note = std::to_string(new_lines) + LookupMessage(mapper, "*NEWFOUND") + " " +
                 LookupMessage(mapper, "*NEWNAM");
  request.text = "NewMap";
  request.ok_caption = LookupMessage(mapper, "*MAPNOW");
  for (;;) {
    const std::string name = person.AskText(request);
    if (name.empty()) return name;
    request.text = name;  // the person corrects what was typed
    if (NewMapNameAccepted(mapper, name, request.caption)) return name;
  }
}

}  // namespace

bool NewMapNameAccepted(Mapper& mapper, const std::string& name, const std::string& caption) {
  const bool exists = mapper.host.PathExists(mapper.ProgramFile(name + ".MAP")) ||
                      (mapper.maps.rows.empty() && EqualsNoCase(name, kFirstMapName));
  const bool bad = IsBadMapName(name);
  if (exists) mapper.person.ShowNotice(caption, LookupMessage(mapper, "*FAlreadyExists"));
  if (bad) mapper.person.ShowNotice(caption, LookupMessage(mapper, "*BADNAME"));
  return !exists && !bad;
}

void IndexMaps(Mapper& mapper, EntryIndex& index) {
  for (const std::string& file : MapFiles(mapper)) {
    try {
      index.AddMapText(MapText(mapper, mapper.ProgramFile(file)));
    } catch (const RefusedFileError&) {
    }
  }
}

NewMapComparison CompareSnapshot(Mapper& mapper, const EntryIndex& index, std::string_view snapshot) {
  Person& person = mapper.person;
  const std::uint64_t total = mapper.entry_counter;
  NewMapComparison result;
  result.map_text << "***NewMap***\r\n";
  index.ForEachLineLookedUp(snapshot, [&](std::string_view line, bool known) {
    ++result.examined;
    if (result.examined % kGaugeEvery == 0 && total > 0) {
      const std::uint64_t percent = result.examined * 100 / total;
      person.SetGauge(true, static_cast<int>(percent > 100 ? 100 : percent));
      person.PumpMessages();
    }
    if (known) return;
    ++result.new_lines;
    result.map_text << line << "\r\n";
    if (line.size() < 4 || !EqualsNoCase(line.substr(line.size() - 4), ".HLP")) return;
    const std::string companion = HelpCompanion(std::string(line));
    if (!companion.empty()) result.map_text << companion << "\r\n";
  });
  return result;
}

bool IsBadMapName(std::string_view name) {
  if (name.empty()) return false;
  if (name.size() > kLongestMapName || name.front() == '.') return true;
  if (name.find_first_not_of(' ') == std::string_view::npos) return true;
  // The catalogue would list the map under the text before its ".MAP".
  if (MapNameOf(std::string(name) + ".MAP") != name) return true;
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return true;
    for (char forbidden : {'\\', '/', ':', '*', '?', '"', '<', '>', '|'}) {
      if (c == forbidden) return true;
    }
  }
  return false;
}

void CreateNewMap(Mapper& mapper, const std::string& folder) {
  Person& person = mapper.person;
  RunGuard guard(person);
  person.SetStatus(kButtonFace, "Scanning...");
  person.PumpMessages();
  person.ShowProgress(true);

  // The snapshot's text is kept from the scan rather than read back.
  TextBuffer snapshot;
  ScanWithProgress(mapper, folder, "Scanning...", &snapshot);

  NewMapComparison found;
  {
    // The index lives only while the snapshot is compared.
    EntryIndex index;
    person.SetProgressCaption("Loading maps...");
    IndexMaps(mapper, index);
    person.SetProgressCaption("Lightning mapper");
    person.SetGauge(true, 0);
    found = CompareSnapshot(mapper, index, snapshot.view());
  }
  snapshot.Release();
  person.ShowProgress(false);
  person.SetGauge(false, 0);

  if (found.new_lines == 0) {
    const std::string none = std::to_string(found.examined) + LookupMessage(mapper, "*NONEW");
    // The status line still says "Scanning...": at start-up, where no box
    // is shown, it would stay so and look as if the scan never ended.
    const std::string left_out = ScanReportText(mapper);
    person.SetStatus(kButtonFace, left_out.empty() ? none : none + " " + left_out);
    if (person.MainWindowVisible()) person.ShowNotice(mapper.scan_menu_caption, none);
    return;
  }

  const std::string name =
      TakesTheFirstMapName(mapper) ? std::string(kFirstMapName) : AskMapName(mapper, found.new_lines);
  if (name.empty()) {
    person.SetStatus(kButtonFace, LookupMessage(mapper, "*ABORT"));
    return;
  }

  const std::string map_file = mapper.ProgramFile(name + ".MAP");
  WriteMapFile(mapper, map_file, found.map_text.view());
  found.map_text.Release();
  WriteMapHeader(mapper, map_file, name);
  person.ShowProgress(true);
  person.PumpMessages();
  LoadMaps(mapper, name);
  if (mapper.view != nullptr) ShowMap(mapper, *mapper.view);
  person.SetStatus(kLime, " \"" + name + LookupMessage(mapper, "*HASMAP") + std::to_string(found.new_lines) +
                              LookupMessage(mapper, "*NEWFOUND"));
  person.ShowProgress(false);
}

}  // namespace zv
