// Times the snapshot scan (ScanWindowsFolder) against
// `find ROOT -printf '%y %P\n' > FILE` on the same warm synthetic tree.
// Usage: scan_bench [entries=500000] [runs=5]
// Folders are a tenth of the entries, at most 8 levels deep.
#include <cstdio>

#include "bench/bench_support.h"
#include "bench/engine_support.h"
#include "mapper/engine/scanner.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

int main(int argc, char** argv) {
  const std::size_t entries = SizeArgument(argc, argv, 1, 500000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 2, 5));

  TempFolder windows("scan-tree"), program("scan-program"), out("scan-out");
  BuildTreeSaying(windows.path(), entries);

  BenchMapper bench(windows.path(), program.path());
  Mapper& mapper = bench.mapper;
  const std::string find = "find " + Quote(windows.path()) + " -printf '%y %P\\n' > " + Quote(out.path() + "/find.txt");

  // One untimed round of each warms the caches.
  ScanWindowsFolder(mapper, windows.path());
  Shell(find);

  std::vector<double> ours, ours_cpu, reference;
  for (std::size_t i = 0; i < runs; ++i) {
    bench.person = FakePerson();
    const auto [wall, cpu] = TimeBoth([&] { ScanWindowsFolder(mapper, windows.path()); });
    ours.push_back(wall);
    ours_cpu.push_back(cpu);
    reference.push_back(TimeOnce([&] { Shell(find); }));
  }
  const double a = Median(ours), b = Median(reference);
  std::printf("snapshot: %llu lines, %llu bytes; vigilo.ini %llu bytes; %u listing threads\n",
              static_cast<unsigned long long>(mapper.entry_counter),
              static_cast<unsigned long long>(FileBytes(mapper.ProgramFile(kSnapshotFile))),
              static_cast<unsigned long long>(FileBytes(mapper.ProgramFile(kProbeFolderList))),
              bench.host->ListingThreads());
  std::printf("ScanWindowsFolder median %.3f s (CPU %.3f s); find median %.3f s (%zu runs)\n", a, Median(ours_cpu), b,
              runs);
  std::printf("ratio %.2f (target at most 0.50)\n", a / b);
  return 0;
}
