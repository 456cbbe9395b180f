// Times deleting an application into the trash (DeleteApplication: the map
// shown, every file moved into "#TRASH" with its record, the folders
// removed, the log rewritten sorted, then the refresh that ends the command:
// the catalogue reloaded, the Windows folder scanned, the map shown again)
// against moving the same files with
// `find SRC -type f -exec mv -t DEST {} +`, on fresh copies of one tree on
// the same disk, alternating, in the same run; once with a tenth of the
// files and once with all, so that the time per file can be compared.
// Each tree is flushed to disk (sync) before it is timed, as an installed
// application's files are: otherwise the command's first flush would also
// pay for writing out the tree just built. The Windows folder holds only
// the application, so the refresh's scan walks what the deletion left; the
// refresh is also timed alone, run once more on the same state, to show its
// share.
// Targets: the whole command at most 3 times the reference at the larger
// size; the time per file at the larger size at most 1.5 times the one at
// the smaller size.
// Usage: trash_delete_bench [files=10000] [folders=100] [runs=5]
#include <unistd.h>

#include <cstdio>

#include "bench/bench_support.h"
#include "bench/engine_support.h"
#include "mapper/engine/maintenance.h"
#include "mapper/trash/removal.h"
#include "mapper/trash/trash_store.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

namespace {

struct Sizes {
  std::size_t files, folders;
};

struct Timing {
  double command = 0;  // the whole command, its refresh included
  double refresh = 0;  // the refresh alone, run again afterwards
};

// Builds the application in a fresh Windows folder, maps it and deletes it.
Timing TimeOurs(const Sizes& sizes, std::size_t* trashed) {
  TempFolder windows("trash-windows"), program("trash-program");
  std::vector<std::string> lines = BuildTree(windows.path(), sizes.files + sizes.folders, sizes.folders, 1);
  lines.insert(lines.begin(), "***App***");
  BenchMapper bench(windows.path(), program.path());
  Mapper& mapper = bench.mapper;
  mapper.maps = {{"App"}, 0};
  mapper.options.simple_list = false;  // the detailed list, with presence marks
  bench.host->WriteFile(mapper.ProgramFile("App.MAP"), JoinLines(lines));
  if (!CreateTrashStore(mapper)) throw std::runtime_error("no trash folder");
  ::sync();
  bench.person.QueueConfirmDialog(true);
  Timing timing;
  timing.command = TimeOnce([&] { DeleteApplication(mapper); });
  std::vector<FolderEntry> left;
  bench.host->ListFolder(windows.path(), &left);
  if (!left.empty() || !bench.person.notices.empty() || bench.person.LastStatus().text != "REFDONE") {
    throw std::runtime_error("the application was not deleted whole");
  }
  std::vector<FolderEntry> in_trash;
  bench.host->ListFolder(mapper.ProgramFile("#TRASH"), &in_trash);
  *trashed = in_trash.size() - 1;
  timing.refresh = TimeOnce([&] { RefreshMaps(mapper); });
  return timing;
}

double TimeReference(const Sizes& sizes) {
  TempFolder source("trash-source"), target("trash-target");
  BuildTree(source.path(), sizes.files + sizes.folders, sizes.folders, 1);
  ::sync();
  return TimeOnce([&] {
    Shell("find " + Quote(source.path()) + " -type f -exec mv -t " + Quote(target.path()) + " {} +");
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t files = SizeArgument(argc, argv, 1, 10000);
  const std::size_t folders = SizeArgument(argc, argv, 2, 100);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 3, 5));
  double per_file[2] = {0, 0};
  int index = 0;
  for (const Sizes sizes : {Sizes{files / 10, folders}, Sizes{files, folders}}) {
    std::size_t trashed = 0;
    TimeOurs(sizes, &trashed);  // one untimed round of each
    TimeReference(sizes);
    std::vector<double> ours, refreshes, reference;
    for (std::size_t i = 0; i < runs; ++i) {
      const Timing timing = TimeOurs(sizes, &trashed);
      ours.push_back(timing.command);
      refreshes.push_back(timing.refresh);
      reference.push_back(TimeReference(sizes));
    }
    const double our = Median(ours), their = Median(reference);
    per_file[index++] = our / static_cast<double>(sizes.files);
    std::printf("%zu files in %zu folders (%zu trashed): ours %.3f s (%.1f us/file; the refresh alone %.3f s),"
                " find+mv %.3f s, ratio %.2f%s\n",
                sizes.files, sizes.folders, trashed, our, 1e6 * our / static_cast<double>(sizes.files),
                Median(refreshes), their, our / their, index == 2 ? " (target at most 3)" : "");
  }
  std::printf("time per file, %zu against %zu files: %.2f (target at most 1.5)\n", files, files / 10,
              per_file[1] / per_file[0]);
  return 0;
}
