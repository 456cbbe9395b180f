// Times the comparison of new-map creation (the case-ignoring index of every
// map entry, then one lookup per snapshot line) against the sort-based
// pipeline `LC_ALL=C tr a-z A-Z | sort -u` on both sides + `comm -23`, on
// the same warm files. Both read the map files and the snapshot from disk
// and write out the new lines.
// Usage: compare_bench [map_lines=500000] [new_lines=20000] [runs=5]
#include <cstdio>

#include "bench/bench_support.h"
#include "bench/engine_support.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/scanner.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

namespace {

constexpr std::size_t kMaps = 20;

}  // namespace

int main(int argc, char** argv) {
  const std::size_t map_lines = SizeArgument(argc, argv, 1, 500000);
  const std::size_t new_lines = SizeArgument(argc, argv, 2, 20000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 3, 5));

  TempFolder program("compare-program");
  auto host = NewPosixHost();
  FakePerson person;
  Mapper mapper(*host, person);
  mapper.program_folder = program.path();

  // Realistic lines, without touching the disk: the names of a synthetic tree.
  NameMaker names(7);
  std::vector<std::string> folders = {""};
  std::vector<std::string> lines;
  const std::size_t total = map_lines + new_lines;
  for (std::size_t i = 0; i < total; ++i) {
    const std::string& parent = folders[names.Pick(folders.size())];
    if (i % 10 == 0) {
      const std::string folder = parent.empty() ? names.Folder() : parent + "\\" + names.Folder();
      lines.push_back("<DIR> " + folder);
      if (std::count(folder.begin(), folder.end(), '\\') < 7) folders.push_back(folder);
    } else {
      lines.push_back(parent.empty() ? names.File() : parent + "\\" + names.File());
    }
  }
  // The maps hold the first map_lines lines, some in another letter case;
  // the snapshot holds every line in its own case.
  std::vector<std::string> maps(kMaps);
  for (std::size_t m = 0; m < kMaps; ++m) maps[m] = "***Map " + std::to_string(m) + "***\r\n";
  for (std::size_t i = 0; i < map_lines; ++i) {
    std::string& map = maps[i % kMaps];
    map += i % 3 == 0 ? UpperAscii(lines[i]) : lines[i];
    map += "\r\n";
  }
  std::uint64_t map_bytes = 0;
  for (std::size_t m = 0; m < kMaps; ++m) {
    host->WriteFile(mapper.ProgramFile("Map " + std::to_string(m) + ".MAP"), maps[m]);
    map_bytes += maps[m].size();
  }
  std::vector<std::string>().swap(maps);
  host->WriteFile(mapper.ProgramFile(kSnapshotFile), JoinLines(lines));
  std::vector<std::string>().swap(lines);

  const std::string dir = Quote(program.path());
  const std::string reference =
      "cd " + dir + " && export LC_ALL=C && for f in *.MAP; do tail -n +2 \"$f\"; done | tr a-z A-Z | sort -u > idx.sorted"
      " && tr a-z A-Z < WINDIR.TMP | sort -u > snap.sorted && comm -23 snap.sorted idx.sorted > new.txt";
  const std::string ours_out = mapper.ProgramFile("ours.txt");

  std::size_t found = CompareWithMaps(mapper, ours_out);
  Shell(reference);
  std::vector<double> ours, theirs;
  for (std::size_t i = 0; i < runs; ++i) {
    ours.push_back(TimeOnce([&] { found = CompareWithMaps(mapper, ours_out); }));
    theirs.push_back(TimeOnce([&] { Shell(reference); }));
  }
  const std::size_t pipeline_found = SplitLines(host->ReadFile(mapper.ProgramFile("new.txt"))).size();
  std::printf("maps: %zu files, %zu lines, %llu bytes; snapshot %zu lines, %llu bytes\n", kMaps, map_lines,
              static_cast<unsigned long long>(map_bytes), total,
              static_cast<unsigned long long>(FileBytes(mapper.ProgramFile(kSnapshotFile))));
  std::printf("new lines: ours %zu, pipeline %zu\n", found, pipeline_found);
  const double a = Median(ours), b = Median(theirs);
  std::printf("index + lookups median %.3f s; tr|sort -u + comm -23 median %.3f s (%zu runs)\n", a, b, runs);
  std::printf("ratio %.2f (target at most 1.00)\n", a / b);
  return 0;
}
