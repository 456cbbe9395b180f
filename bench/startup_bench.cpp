// Times the engine calls of a start with nothing new, in the order start-up
// makes them: the catalogue load (LoadMaps), the new-map run (the scan, the
// maps indexed, the snapshot compared: nothing new) and the file list of the
// current map (ShowMap, with the options a first run leaves: the plain list
// with icons), against the scan alone (ScanWindowsFolder), alternately on
// the same warm tree. The first map holds the whole tree, so it is as large
// as the snapshot.
// Usage: startup_bench [entries=500000] [runs=5]
// Folders are a tenth of the entries, at most 8 levels deep.
#include <unistd.h>

#include <cstdio>

#include "bench/bench_support.h"
#include "bench/engine_support.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/viewer.h"

using namespace zv;
using namespace zv::bench;

namespace {

struct StartTimes {
  double load = 0, new_map = 0, show = 0;
  double total() const { return load + new_map + show; }
};

StartTimes Start(Mapper& mapper, MapView& view) {
  StartTimes t;
  t.load = TimeOnce([&] { LoadMaps(mapper, ""); });
  t.new_map = TimeOnce([&] { CreateNewMap(mapper, mapper.windows_folder); });
  t.show = TimeOnce([&] { ShowMap(mapper, view); });
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t entries = SizeArgument(argc, argv, 1, 500000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 2, 5));

  TempFolder windows("start-tree"), program("start-program");
  BuildTreeSaying(windows.path(), entries);
  BenchMapper bench(windows.path(), program.path());
  Mapper& mapper = bench.mapper;
  DiscardingView view;
  mapper.view = &view;

  // The first map takes the whole tree; the untimed rounds warm the caches.
  CreateNewMap(mapper, windows.path());
  if (MapFiles(mapper).size() != 1) throw std::runtime_error("the first map was not written");
  // A map's text is taken from the catalogue load only once the file's
  // times are old enough to vouch for it, as a map made on an earlier day is.
  std::printf("waiting 2.5 s so that the first map is as old as a map of an earlier run\n");
  ::usleep(2'500'000);
  Start(mapper, view);
  ScanWindowsFolder(mapper, windows.path());

  std::vector<double> load, new_map, show, start, start_cpu, scan, scan_cpu;
  for (std::size_t i = 0; i < runs; ++i) {
    bench.person = FakePerson();
    const double cpu = CpuSeconds();
    const StartTimes t = Start(mapper, view);
    start_cpu.push_back(CpuSeconds() - cpu);
    if (!bench.person.text_requests.empty() || MapFiles(mapper).size() != 1) throw std::runtime_error("something new");
    load.push_back(t.load);
    new_map.push_back(t.new_map);
    show.push_back(t.show);
    start.push_back(t.total());
    const auto [wall, scan_cpu_seconds] = TimeBoth([&] { ScanWindowsFolder(mapper, windows.path()); });
    scan.push_back(wall);
    scan_cpu.push_back(scan_cpu_seconds);
  }
  std::printf("tree: %llu snapshot lines, %llu bytes; first map %llu bytes; %zu rows shown\n",
              static_cast<unsigned long long>(mapper.entry_counter),
              static_cast<unsigned long long>(FileBytes(mapper.ProgramFile(kSnapshotFile))),
              static_cast<unsigned long long>(FileBytes(mapper.ProgramFile(std::string(kFirstMapName) + ".MAP"))),
              view.items);
  std::printf("start median %.3f s (LoadMaps %.3f, new map %.3f, ShowMap %.3f; CPU %.3f s); scan alone median %.3f s"
              " (CPU %.3f s; %zu runs)\n",
              Median(start), Median(load), Median(new_map), Median(show), Median(start_cpu), Median(scan),
              Median(scan_cpu), runs);
  std::printf("ratio %.2f (target at most 1.50)\n", Median(start) / Median(scan));
  return 0;
}
