// Times ShowMap on one large map in the detailed mode (presence and size of
// every entry looked up on disk) with a view that discards the listing.
// There is no reference tool; the target is an absolute time.
// Usage: show_map_bench [entries=100000] [runs=5]
#include <cstdio>

#include "bench/bench_support.h"
#include "bench/engine_support.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

int main(int argc, char** argv) {
  const std::size_t entries = SizeArgument(argc, argv, 1, 100000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 2, 5));

  TempFolder windows("show-tree"), program("show-program");
  std::vector<std::string> lines = BuildTree(windows.path(), entries, entries / 10);
  lines.insert(lines.begin(), "***Big***");

  auto host = NewPosixHost();
  FakePerson person;
  Mapper mapper(*host, person);
  mapper.windows_folder = windows.path();
  mapper.program_folder = program.path();
  mapper.options.simple_list = false;
  mapper.maps.rows = {"Big"};
  mapper.maps.selected = 0;
  host->WriteFile(mapper.ProgramFile("Big.MAP"), JoinLines(lines));

  DiscardingView view;
  ShowMap(mapper, view);  // warms the caches
  std::vector<double> times;
  for (std::size_t i = 0; i < runs; ++i) {
    person = FakePerson();
    times.push_back(TimeOnce([&] { ShowMap(mapper, view); }));
  }
  std::printf("map of %zu entries, %zu rows shown\n", entries, view.items);
  std::printf("ShowMap (detailed) median %.3f s over %zu runs (target under 0.5 s)\n", Median(times), runs);
  return 0;
}
