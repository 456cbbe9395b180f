// Measures the peak memory (VmHWM) of a whole CreateNewMap over a large
// tree and compares it with 4 x (size of WINDIR.TMP + size of the maps).
// Each run happens in a fresh child process (this program started again
// with --child), so building the tree does not count. Two runs: the first
// map (no maps yet, the whole tree is new), then a second run after
// `new_entries` more files appeared (the first map is the index).
// Usage: new_map_memory_bench [entries=500000] [new_entries=20000]
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "bench/bench_support.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/scanner.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

namespace {

// A line of /proc/self/status in kB ("VmHWM", "VmRSS").
std::uint64_t StatusKb(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::strtoull(line.c_str() + key.size() + 1, nullptr, 10);
  }
  return 0;
}

int Child(const std::string& windows, const std::string& program, const std::string& answer) {
  auto host = NewPosixHost();
  FakePerson person;
  person.QueueText(answer);
  Mapper mapper(*host, person);
  mapper.windows_folder = windows;
  mapper.program_folder = program;
  for (const std::string& file : MapFiles(mapper)) mapper.maps.rows.push_back(MapNameOf(file));
  if (!mapper.maps.rows.empty()) mapper.maps.selected = 0;
  const std::uint64_t before = StatusKb("VmRSS");
  const double seconds = TimeOnce([&] { CreateNewMap(mapper, windows); });
  std::printf("%llu %llu %.3f\n", static_cast<unsigned long long>(before),
              static_cast<unsigned long long>(StatusKb("VmHWM")), seconds);
  return 0;
}

std::uint64_t MapBytes(const std::string& program) {
  std::uint64_t total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(program)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".MAP")) total += entry.file_size();
  }
  return total;
}

void Measure(const std::string& self, const std::string& label, const std::string& windows,
             const std::string& program, const std::string& answer) {
  const std::uint64_t maps = MapBytes(program);
  const std::string command = Quote(self) + " --child " + Quote(windows) + " " + Quote(program) + " " + Quote(answer);
  FILE* pipe = ::popen(command.c_str(), "r");
  unsigned long long before = 0, peak = 0;
  double seconds = 0;
  const bool read = pipe && std::fscanf(pipe, "%llu %llu %lf", &before, &peak, &seconds) == 3;
  if (pipe) ::pclose(pipe);
  if (!read) throw std::runtime_error("the child run failed");
  const std::uint64_t snapshot = FileBytes(program + "/" + kSnapshotFile);
  const double budget_mb = 4.0 * static_cast<double>(snapshot + maps) / (1024 * 1024);
  std::printf("%s: WINDIR.TMP %.1f MB, maps before %.1f MB, run %.2f s\n", label.c_str(),
              static_cast<double>(snapshot) / (1024 * 1024), static_cast<double>(maps) / (1024 * 1024), seconds);
  std::printf("  peak RSS %.1f MB (%.1f MB at the start of the run); budget 4 x (snapshot + maps) = %.1f MB;"
              " ratio %.2f\n",
              peak / 1024.0, before / 1024.0, budget_mb, (peak / 1024.0) / budget_mb);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child") return Child(argv[2], argv[3], argv[4]);
  const std::size_t entries = SizeArgument(argc, argv, 1, 500000);
  const std::size_t added = SizeArgument(argc, argv, 2, 20000);

  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  TempFolder windows("memory-tree"), program("memory-program");
  BuildTree(windows.path(), entries, entries / 10);
  std::ofstream(program.path() + "/" + kIgnoreListFile) << "\\Temporary Internet Files\\\r\n";

  Measure(self, "first map (every line new)", windows.path(), program.path(), "unused");
  std::filesystem::create_directory(windows.path() + "/Installed");
  BuildTree(windows.path() + "/Installed", added, added / 10, 4, 99);
  Measure(self, "second map (" + std::to_string(added) + " new entries)", windows.path(), program.path(), "Installed");
  return 0;
}
