// Times the "Identify a file" command (every map file read, every entry's
// own name matched, presence looked up for the hits, the results sorted)
// against `LC_ALL=C grep -F -i -c NAME *.MAP`, which reads the same warm
// files and matches the name anywhere in a line. Two searches: one file
// listed in two maps, and the broad "DLL" that hits every ".dll" entry.
// The Windows folder is a synthetic tree on disk, so hits are looked up
// among real folders and files.
// Usage: identify_bench [map_lines=500000] [runs=5]
#include <cstdio>

#include "bench/bench_support.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/identify.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

namespace {

constexpr std::size_t kMaps = 20;

struct Search {
  const char* what;
  std::string entered;
  std::vector<double> ours, ours_cpu, grep;
  std::size_t hits = 0;
};

// One whole command, as F3 runs it, with the person typing `entered`.
std::size_t Identify(Mapper& mapper, FakePerson& person, const std::string& entered) {
  person = FakePerson();
  person.QueueText(entered);
  IdentifyFile(mapper, "Identify a file...", "");
  return person.results.empty() ? 0 : person.results.back().lines.size();
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t map_lines = SizeArgument(argc, argv, 1, 500000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 2, 5));

  TempFolder windows("identify-tree"), program("identify-program");
  std::printf("building a tree of %zu entries...\n", map_lines);
  std::fflush(stdout);
  std::vector<std::string> lines = BuildTree(windows.path(), map_lines, map_lines / 10);

  // Twenty maps of consecutive lines, as twenty installations would leave
  // them; one file of the middle map is listed by the last map too.
  const std::string twice = lines[map_lines / 2 + 1];
  std::vector<std::string> maps(kMaps);
  for (std::size_t m = 0; m < kMaps; ++m) maps[m] = "***App " + std::to_string(m) + "***\r\n";
  for (std::size_t i = 0; i < lines.size(); ++i) maps[i * kMaps / lines.size()] += lines[i] + "\r\n";
  maps.back() += twice + "\r\n";

  auto host = NewPosixHost();
  FakePerson person;
  Mapper mapper(*host, person);
  mapper.windows_folder = windows.path();
  mapper.program_folder = program.path();
  std::uint64_t bytes = 0;
  for (std::size_t m = 0; m < kMaps; ++m) {
    const std::string file = mapper.ProgramFile("App " + std::to_string(m) + ".MAP");
    host->WriteFile(file, maps[m]);
    bytes += FileBytes(file);
  }
  maps.clear();
  LoadMaps(mapper, "");
  std::printf("%zu map lines in %zu maps, %.1f MB\n", map_lines + 1, kMaps, bytes / 1e6);

  std::vector<Search> searches = {
      {"one file in two maps", "C:\\WINDOWS\\" + twice, {}, {}, {}},
      {"\"DLL\", every .dll entry", "dll", {}, {}, {}},
  };
  for (Search& search : searches) {
    const std::string name = SearchName(search.entered);
    const std::string grep = "cd " + Quote(program.path()) + " && LC_ALL=C grep -F -i -c " + Quote(name) +
                             " -- *.MAP > /dev/null";
    // One untimed round of each, then alternating.
    search.hits = Identify(mapper, person, search.entered);
    Shell(grep);
    for (std::size_t i = 0; i < runs; ++i) {
      // The CPU time too, which other programs running at the same time
      // disturb far less than the elapsed time.
      const auto [wall, cpu] = TimeBoth([&] { Identify(mapper, person, search.entered); });
      search.ours.push_back(wall);
      search.ours_cpu.push_back(cpu);
      search.grep.push_back(TimeOnce([&] { Shell(grep); }));
    }
  }
  for (const Search& search : searches) {
    const double ours = Median(search.ours), grep = Median(search.grep);
    std::printf("%s: %zu result lines; ours median %.3f s (CPU %.3f s), grep median %.3f s, ratio %.2f"
                " (target well under 1 s)\n",
                search.what, search.hits, ours, Median(search.ours_cpu), grep, ours / grep);
  }
  return 0;
}
