// Times the trash manager's refresh (TrashManager::Refresh: the log read,
// both tidying passes, the rows built and sorted, the log written twice) on
// a log of many records of which half are stale: files no longer in the
// trash and folders that exist again. The reference is the tidying done as
// it was first written, each pass started over after every removal, run on
// a smaller log (it grows with the square of the size) and checked to give
// the same log. Target: under one second for 10,000 records.
// Usage: trash_refresh_bench [records=10000] [runs=5] [reference records=2000]
#include <cstdio>

#include "bench/bench_support.h"
#include "mapper/engine/fake_person.h"
#include "mapper/trash/trash_log.h"
#include "mapper/trash/trash_manager.h"
#include "mapper/trash/trash_store.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

namespace {

// A program folder whose trash holds `records` records: per ten, four files
// in the trash, four files gone from it, one folder that exists again and
// one folder still gone, in a shuffled order.
struct Trash {
  explicit Trash(std::size_t records) : windows("refresh-windows"), program("refresh-program") {
    mapper.windows_folder = windows.path();
    mapper.program_folder = program.path();
    if (!CreateTrashStore(mapper)) throw std::runtime_error("no trash folder");
    NameMaker names(3);
    lines.push_back("***TrashManager 2.0***");
    for (std::size_t i = 0; i < records; ++i) {
      const std::string name = names.File();
      const std::string trashed = "DEL0" + name;
      switch (i % 10) {
        case 0: case 1: case 2: case 3:
          host->WriteFile(TrashedFilePath(mapper, trashed), "");
          [[fallthrough]];
        case 4: case 5: case 6: case 7:
          lines.push_back(RecordLine({name, "App", trashed, "SYSTEM\\"}));
          break;
        default: {
          const std::string folder = names.Folder();
          if (i % 10 == 8) host->MakeFolder(windows.path() + "/" + folder);
          lines.push_back(RecordLine({folder, "App", "<DIR>", folder}));
        }
      }
    }
    std::mt19937 random(5);
    std::shuffle(lines.begin() + 1, lines.end(), random);
  }
  void ResetLog() { host->WriteFile(TrashLogPath(mapper), JoinLines(lines)); }

  TempFolder windows, program;
  std::unique_ptr<Host> host = NewPosixHost();
  FakePerson person;
  Mapper mapper{*host, person};
  std::vector<std::string> lines;
};

// The passes as first written: after each removal the pass starts over.
std::vector<std::string> RepeatedPasses(Trash& trash) {
  std::vector<std::string> lines = SplitLines(trash.host->ReadFile(TrashLogPath(trash.mapper)));
  for (bool removed = true; removed;) {
    removed = false;
    for (std::size_t i = 1; i < lines.size() && !removed; ++i) {
      if (IsLegacyLine(lines[i])) lines[i] = ConvertLegacyLine(lines[i]);
      TrashRecord record;
      ReadRecord(lines[i], &record);
      if (IsFolderRecord(record) && trash.host->FolderExists(trash.mapper.WindowsPath(record.place))) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        removed = true;
      }
    }
  }
  for (bool removed = true; removed;) {
    removed = false;
    for (std::size_t i = 1; i < lines.size() && !removed; ++i) {
      TrashRecord record;
      ReadRecord(lines[i], &record);
      if (!IsFolderRecord(record) && !trash.host->FileExists(TrashedFilePath(trash.mapper, record.trashed))) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        removed = true;
      }
    }
  }
  lines[0] = kManagerLogHeader;
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t records = SizeArgument(argc, argv, 1, 10000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 2, 5));
  const std::size_t reference_records = SizeArgument(argc, argv, 3, 2000);

  Trash trash(records);
  TrashManager manager(trash.mapper);
  trash.ResetLog();
  manager.Refresh();  // one untimed round
  std::vector<double> times;
  for (std::size_t i = 0; i < runs; ++i) {
    trash.ResetLog();
    times.push_back(TimeOnce([&] { manager.Refresh(); }));
  }
  std::printf("%zu records, %zu listed: refresh median %.3f s over %zu runs (target under 1 s)\n", records,
              manager.rows().size(), Median(times), runs);

  Trash small(reference_records);
  TrashManager small_manager(small.mapper);
  small.ResetLog();
  std::vector<std::string> expected;
  const double literal = TimeOnce([&] { expected = RepeatedPasses(small); });
  const double ours = TimeOnce([&] { small_manager.Refresh(); });
  const bool same = small_manager.lines() == expected;
  std::printf("%zu records: repeated passes %.3f s, ours %.3f s (ratio %.1f), same log: %s\n", reference_records,
              literal, ours, literal / ours, same ? "yes" : "NO");
  return same ? 0 : 1;
}
