// Shared pieces of the benchmarks that drive the map engine: the ignore
// list they scan with, and the comparison of new-map as one call.
#pragma once

#include <string>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_index.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"

namespace zv::bench {

// The engine on the real disk with a scripted person: `windows` as the
// Windows folder, `program` as the program folder, whose ignore list holds
// the fixed lines of the default one (the lines of the user's own folders
// are left out, so a tree below $TMPDIR is scanned whole).
struct BenchMapper {
  BenchMapper(const std::string& windows, const std::string& program) {
    mapper.windows_folder = windows;
    mapper.program_folder = program;
    host->WriteFile(mapper.ProgramFile(kIgnoreListFile),
                    JoinLines({"\\Temporary Internet Files\\", "\\Cronologia\\", "\\Cookies\\", "\\Pif\\",
                               "\\Applog\\"}));
  }

  std::unique_ptr<Host> host = NewPosixHost();
  FakePerson person;
  Mapper mapper{*host, person};
};

// A file list that keeps nothing but the number of rows it was given.
class DiscardingView : public MapView {
 public:
  void SetAnimations(bool) override {}
  void SetMapGroupCaption(const std::string&) override {}
  void ShowListing(const MapListing& listing) override { items = listing.items.size(); }
  // Takes the rows as the window's list does: kept, nothing spelled out.
  void ShowRows(std::shared_ptr<const MapRows> rows) override { items = rows->size(); }
  std::size_t items = 0;
};

// The whole comparison as new-map creation runs it, through the engine's
// own calls: index every map file in catalogue order, read the snapshot,
// collect the lines no map knows and write the new map's text to `out`.
// Answers how many new lines there were.
inline std::size_t CompareWithMaps(Mapper& mapper, const std::string& out) {
  EntryIndex index;
  IndexMaps(mapper, index);
  const std::string snapshot = mapper.host.ReadFile(mapper.ProgramFile(kSnapshotFile));
  const NewMapComparison found = CompareSnapshot(mapper, index, snapshot);
  mapper.host.WriteFile(out, found.map_text.view());
  return found.new_lines;
}

}  // namespace zv::bench
