// Times the whole `zorvan trash restore` and `zorvan trash purge` of an
// application of N files in F folders against moving the same number of
// files out of one folder with `find -exec mv` (and removing them with
// `find -exec rm`), in the same run; at N/10 and N files, so that the
// time per file can be compared; and restores once more with K and 2K
// folder records of another map already in the log, so that the time's
// growth with the log shows. Each tree is flushed (sync) before it is timed.
// Targets: restore and purge at most 3 times `find -exec mv` back; time per
// file flat from N/10 to N; with 2K other records at most about twice the
// extra time of K (linear, not square).
// Usage: trash_restore_bench [files=10000] [folders=100] [other=10000] [runs=3]
#include <unistd.h>

#include <cstdio>

#include "bench/bench_support.h"
#include "mapper/trash/trash_log.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

namespace {

struct Times {
  double restore = 0, purge = 0;
};

// A program folder whose map "App" lists a fresh tree, removed into the
// trash, with `other` folder records of the map "Other" added to its log.
class TrashedApp {
 public:
  TrashedApp(std::size_t files, std::size_t folders, std::size_t other)
      : windows_("restore-windows"), program_("restore-program"), scratch_("restore-scratch") {
    std::vector<std::string> lines = BuildTree(windows_.path(), files + folders, folders, 1);
    lines.insert(lines.begin(), "***App***");
    const std::string built = ZORVAN_BUILT_PROGRAM_DIR;
    // A program folder is one that holds the mapper.
    Shell("ln -s " + Quote(built + "/Zorvan32") + " " + Quote(program_.path() + "/Zorvan32"));
    Shell("cp " + Quote(built + "/English.lng") + " " + Quote(program_.path()));
    Shell(Zorvan() + " scan > /dev/null 2>&1");
    WriteText(program_.path() + "/App.MAP", JoinLines(lines));
    Shell(Zorvan() + " remove App --yes > /dev/null 2>&1");
    std::vector<std::string> log = SplitLines(ReadText(program_.path() + "/#TRASH/!TRASH!.DAT"));
    for (std::size_t i = 0; i < other; ++i) {
      const std::string place = "Gone\\Folder" + std::to_string(i);
      log.push_back(RecordLine({"Folder" + std::to_string(i), "Other", "<DIR>", place}));
    }
    WriteText(program_.path() + "/#TRASH/!TRASH!.DAT", JoinLines(log));
    ::sync();
  }
  std::string Zorvan() const {
    return "ZORVAN_WINDIR=" + Quote(windows_.path()) + " XDG_RUNTIME_DIR=" + Quote(scratch_.path()) + " " +
           Quote(std::string(ZORVAN_BUILT_PROGRAM_DIR) + "/zorvan") + " --program-folder " + Quote(program_.path());
  }

 private:
  static void WriteText(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
      throw std::runtime_error("cannot write " + path);
    }
    std::fclose(file);
  }
  static std::string ReadText(const std::string& path) {
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw std::runtime_error("cannot read " + path);
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
    std::fclose(file);
    return text;
  }

  TempFolder windows_, program_, scratch_;
};

Times TimeOurs(std::size_t files, std::size_t folders, std::size_t other) {
  Times times;
  {
    TrashedApp app(files, folders, other);
    times.restore = TimeOnce([&] { Shell(app.Zorvan() + " trash restore --map App --yes > /dev/null 2>&1"); });
  }
  TrashedApp app(files, folders, other);
  times.purge = TimeOnce([&] { Shell(app.Zorvan() + " trash purge --map App --yes > /dev/null 2>&1"); });
  return times;
}

// The same number of files moved out of one folder, as the trash holds
// them, with `find -exec mv`; then removed with `find -exec rm`.
Times TimeReference(std::size_t files, std::size_t folders) {
  Times times;
  TempFolder tree("restore-reference"), flat("restore-flat");
  BuildTree(tree.path(), files + folders, folders, 1);
  Shell("find " + Quote(tree.path()) + " -type f -exec mv -t " + Quote(flat.path()) + " {} +");
  ::sync();
  times.restore = TimeOnce(
      [&] { Shell("find " + Quote(flat.path()) + " -type f -exec mv -t " + Quote(tree.path()) + " {} +"); });
  ::sync();
  times.purge = TimeOnce([&] { Shell("find " + Quote(tree.path()) + " -type f -exec rm {} +"); });
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t files = SizeArgument(argc, argv, 1, 10000);
  const std::size_t folders = SizeArgument(argc, argv, 2, 100);
  const std::size_t other = SizeArgument(argc, argv, 3, 10000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 4, 3));
  double per_file[2][2] = {};
  for (int size = 0; size < 2; ++size) {
    const std::size_t n = size == 0 ? files / 10 : files;
    std::vector<double> restores, purges, reference_restores, reference_purges;
    for (std::size_t i = 0; i < runs; ++i) {
      const Times ours = TimeOurs(n, folders, 0), theirs = TimeReference(n, folders);
      restores.push_back(ours.restore);
      purges.push_back(ours.purge);
      reference_restores.push_back(theirs.restore);
      reference_purges.push_back(theirs.purge);
    }
    const double restore = Median(restores), purge = Median(purges);
    per_file[size][0] = restore / static_cast<double>(n);
    per_file[size][1] = purge / static_cast<double>(n);
    std::printf("%zu files in %zu folders: restore %.3f s (find+mv back %.3f s, ratio %.2f), purge %.3f s "
                "(find+rm %.3f s, ratio %.2f)\n",
                n, folders, restore, Median(reference_restores), restore / Median(reference_restores), purge,
                Median(reference_purges), purge / Median(reference_purges));
  }
  std::printf("time per file, %zu against %zu files: restore %.2f, purge %.2f (target about 1)\n", files,
              files / 10, per_file[1][0] / per_file[0][0], per_file[1][1] / per_file[0][1]);
  double with[3] = {};
  for (int k = 0; k < 3; ++k) {
    std::vector<double> restores;
    for (std::size_t i = 0; i < runs; ++i) restores.push_back(TimeOurs(files / 10, folders, other * k).restore);
    with[k] = Median(restores);
    std::printf("restore of %zu files with %zu folder records of another map in the log: %.3f s\n", files / 10,
                other * k, with[k]);
  }
  std::printf("extra time for %zu records against %zu: %.2f (linear: about 2)\n", 2 * other, other,
              (with[2] - with[0]) / std::max(1e-9, with[1] - with[0]));
  return 0;
}
