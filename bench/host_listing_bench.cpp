// Times a whole-tree walk through Host::ListFolder against
// `find ROOT -printf '%y %P\n'` on the same tree of about 500,000 entries,
// both writing their lines to /dev/null. Prints the times and the ratio
// (ours / find); the target is at most 0.7.
//
// Usage: host_listing_bench [entries]   (the tree is built below $TMPDIR)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/host.h"

namespace {

using Clock = std::chrono::steady_clock;

// 100 files and a few subfolders per folder, three levels deep.
void BuildTree(const std::string& root, long entries) {
  long made = 0;
  long folder_number = 0;
  std::vector<std::string> queue = {root};
  for (std::size_t next = 0; made < entries; ++next) {
    const std::string folder = queue[next];
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 100 && made < entries; ++i, ++made) {
      std::ofstream(folder + "/File" + std::to_string(i) + ".DLL");
    }
    for (int i = 0; i < 8 && made < entries; ++i, ++made) {
      const std::string sub = folder + "/Sub" + std::to_string(folder_number++);
      std::filesystem::create_directory(sub);
      queue.push_back(sub);
    }
  }
}

struct Walker {
  zv::Host& host;
  std::FILE* out;
  std::vector<std::vector<zv::FolderEntry>> levels;  // one reused listing per depth
  std::string line;
  long count = 0;

  void Walk(const std::string& root, const std::string& relative, std::size_t depth) {
    if (levels.size() <= depth) levels.resize(depth + 1);
    if (!host.ListFolder(relative.empty() ? root : root + "/" + relative, &levels[depth])) return;
    for (std::size_t i = 0; i < levels[depth].size(); ++i) {
      const zv::FolderEntry& entry = levels[depth][i];
      const std::string path = relative.empty() ? entry.name : relative + "/" + entry.name;
      line.assign(entry.kind == zv::EntryKind::kFolder ? "d " : "f ");
      line += path;
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), out);
      ++count;
      if (entry.kind == zv::EntryKind::kFolder) Walk(root, path, depth + 1);
    }
  }
};

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

int main(int argc, char** argv) {
  const long entries = argc > 1 ? std::atol(argv[1]) : 500000;
  const char* tmp = std::getenv("TMPDIR");
  std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/zorvan-listing-bench-XXXXXX";
  if (!mkdtemp(root.data())) return 1;
  std::printf("building %ld entries in %s\n", entries, root.c_str());
  BuildTree(root + "/tree", entries);

  auto host = zv::NewPosixHost();
  const std::string command = "find " + root + "/tree -printf '%y %P\\n' > /dev/null";
  double best_ours = 1e9, best_find = 1e9;
  long walked = 0;
  for (int round = 0; round < 3; ++round) {
    auto start = Clock::now();
    if (std::system(command.c_str()) != 0) return 1;
    best_find = std::min(best_find, Seconds(start));

    std::FILE* out = std::fopen("/dev/null", "w");
    Walker walker{*host, out, {}, {}, 0};
    start = Clock::now();
    walker.Walk(root + "/tree", "", 0);
    std::fflush(out);
    best_ours = std::min(best_ours, Seconds(start));
    std::fclose(out);
    walked = walker.count;
  }
  std::printf("entries walked: %ld\nListFolder walk: %.3f s\nfind -printf:    %.3f s\nratio: %.2f (target <= 0.70)\n",
              walked, best_ours, best_find, best_ours / best_find);
  std::filesystem::remove_all(root);
  return 0;
}
