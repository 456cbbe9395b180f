// Times `zorvan track` (the built program, as a user runs it) around an
// installation of `added` files on a synthetic tree that one first map
// holds, against the same program's one scan plus one comparison, `zorvan
// new-map` around the same kind of installation: both are whole runs of
// the program (start, texts, scan, comparison, the new map stored and the
// maps reloaded), so the ratio shows what tracking adds (with maps there,
// track walks the tree only after the installation). For scale it also
// times the bare engine calls in this process: ScanWindowsFolder and the
// comparison of compare_bench (every map read into the index, one lookup
// per snapshot line, the new lines written). The installation's own time
// (measured alone, into a folder outside the tree) is subtracted from both
// zorvan runs. Wall-clock and CPU (user + system) times are both printed:
// on a loaded machine the CPU times are the steadier.
// Usage: track_bench [entries=500000] [added=1000] [runs=5]
// Folders are a tenth of the entries, at most 8 levels deep.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "bench/bench_support.h"
#include "bench/engine_support.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/scanner.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

namespace {

// A shell script that installs `added` empty files into the folder named by
// its first argument, ten to a subfolder, and one more file beside it.
std::string WriteInstaller(const std::string& folder, std::size_t added) {
  const std::string path = folder + "/install.sh";
  std::ofstream script(path);
  script << "set -e\nmkdir -p \"$1\"\ncd \"$1\"\n";
  for (std::size_t i = 0; i < added; i += 10) {
    script << "mkdir part" << i / 10 << " && cd part" << i / 10 << " && touch";
    for (std::size_t k = i; k < std::min(added, i + 10); ++k) script << " file" << k << ".dll";
    script << " && cd ..\n";
  }
  script << "touch \"$1.ini\"\n";
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t entries = SizeArgument(argc, argv, 1, 500000);
  const std::size_t added = SizeArgument(argc, argv, 2, 1000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 3, 5));
  const std::string built = ZORVAN_BUILT_PROGRAM_DIR;
  const std::string zorvan = built + "/zorvan";

  TempFolder windows("track-tree"), program("track-program"), scratch("track-scratch");
  BuildTreeSaying(windows.path(), entries);

  if (::symlink((built + "/Zorvan32").c_str(), (program.path() + "/Zorvan32").c_str()) != 0) {
    throw std::runtime_error("cannot link the mapper into the program folder");
  }
  Shell("cp " + Quote(built + "/English.lng") + " " + Quote(program.path()));
  BenchMapper bench(windows.path(), program.path());
  Mapper& mapper = bench.mapper;
  const std::string installer = WriteInstaller(scratch.path(), added);
  const std::string run = "ZORVAN_WINDIR=" + Quote(windows.path()) + " XDG_RUNTIME_DIR=" + Quote(scratch.path()) +
                          " " + Quote(zorvan) + " --program-folder " + Quote(program.path());
  Shell(run + " new-map > /dev/null");
  std::printf("first map: %llu bytes\n",
              static_cast<unsigned long long>(FileBytes(program.path() + "/Windows (1st map).MAP")));

  const std::string reference_out = scratch.path() + "/new-lines.txt";
  std::size_t serial = 0;
  const auto install_into = [&](const std::string& folder) {
    return "sh " + Quote(installer) + " " + Quote(folder);
  };
  const auto track = [&] {
    ++serial;
    Shell(run + " track 'App " + std::to_string(serial) + "' -- " +
          install_into(windows.path() + "/App " + std::to_string(serial)) + " > /dev/null 2>&1");
  };
  const auto new_map = [&] {
    ++serial;
    Shell(install_into(windows.path() + "/App " + std::to_string(serial)));
    Shell(run + " new-map 'App " + std::to_string(serial) + "' > /dev/null 2>&1");
  };
  const auto install_alone = [&] {
    ++serial;
    Shell(install_into(scratch.path() + "/alone " + std::to_string(serial)));
  };
  const auto bare = [&] {
    ScanWindowsFolder(mapper, mapper.windows_folder);
    CompareWithMaps(mapper, reference_out);
  };

  // One untimed round of each warms the caches.
  bare();
  track();
  new_map();

  // Wall-clock and CPU seconds of each kind of run.
  std::vector<double> ours[2], plain[2], reference[2], installs[2];
  const auto keep = [](std::vector<double>* into, std::pair<double, double> times) {
    into[0].push_back(times.first);
    into[1].push_back(times.second);
  };
  for (std::size_t i = 0; i < runs; ++i) {
    keep(installs, TimeBoth(install_alone));
    keep(ours, TimeBoth(track));
    keep(reference, TimeBoth(bare));
    keep(plain, TimeBoth(new_map));
  }
  std::printf("snapshot: %llu lines, %llu bytes; maps: %zu; %zu runs\n",
              static_cast<unsigned long long>(mapper.entry_counter),
              static_cast<unsigned long long>(FileBytes(mapper.ProgramFile(kSnapshotFile))), MapFiles(mapper).size(),
              runs);
  for (int k = 0; k < 2; ++k) {
    const double install = Median(installs[k]);
    const double a = Median(ours[k]) - install, b = Median(reference[k]), c = Median(plain[k]) - install;
    std::printf("%s: installation alone %.3f s (%zu files, subtracted); zorvan track %.3f s; zorvan new-map %.3f s; "
                "bare scan + comparison %.3f s\n",
                k == 0 ? "wall clock" : "CPU", install, added, a, c, b);
    std::printf("  track / new-map %.2f (target at most 1.20); track / bare %.2f; new-map / bare %.2f\n", a / c, a / b,
                c / b);
  }
  return 0;
}
