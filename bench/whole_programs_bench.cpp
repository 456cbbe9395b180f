// Times the whole programs a person waits for on a large tree whose first
// map holds the whole tree, each against a reference run in the same run:
//
// - Zorvan32, the real mapper started offscreen with nothing new, from exec
//   until it is ready, against `zorvan scan` of the same tree; and its
//   resident memory when ready, above that of the same start with an empty
//   first map, against the map file's size.
// - `zorvan show` of the first map and `zorvan maps`, their output to a
//   file, against `find ROOT -printf '%y %s %P\n' > FILE`; and the peak
//   memory of `zorvan show` against the map file's size.
//
// "Ready" is observed from outside, without any help from the program: its
// start-up runs on the main thread from exec until the window shows the
// filled list and the totals, and then the main thread waits for events
// (its logo animation wakes it every 70 ms for a fraction of a
// millisecond). The main thread's CPU time and state are read from /proc
// every millisecond or so; the start is ready when the main thread was
// last busy before the first quiet stretch of kQuiet seconds (see
// StartMapper for "busy").
//
// Usage: whole_programs_bench [entries=500000] [runs=3]
// Folders are a tenth of the entries, at most 8 levels deep.
#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "bench/bench_support.h"

using namespace zv::bench;

namespace {

constexpr double kQuiet = 0.3;

using Environment = std::map<std::string, std::string>;

// Starts `argv` in `folder` with `env` added, its output to `out`.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& folder, const Environment& env,
            const std::string& out) {
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid > 0) return pid;
  for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
  const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
  ::dup2(fd, 1);
  ::dup2(fd, 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

struct Run {
  double seconds = 0;
  double peak_mb = 0;
};

// Runs `argv` to its end; its wall time and peak resident memory.
Run RunToEnd(const std::vector<std::string>& argv, const std::string& folder, const Environment& env,
             const std::string& out) {
  const double start = Now();
  const pid_t pid = Spawn(argv, folder, env, out);
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(argv[0] + " " + argv[1] + " failed; see " + out);
  }
  return {Now() - start, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

// Seconds the main thread of `pid` has run so far, and whether it is
// runnable now (running or waiting for a processor); false once it is gone.
bool MainThread(pid_t pid, double* cpu, bool* runnable) {
  const std::string task = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid);
  std::ifstream schedstat(task + "/schedstat");
  double ns = 0;
  if (!(schedstat >> ns)) return false;
  *cpu = ns / 1e9;
  std::ifstream stat(task + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(") ");
  *runnable = close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'R';
  return true;
}

double ResidentMb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

// Starts the mapper and waits until it is ready (see above); its time from
// exec until ready and its resident memory then. The mapper is then asked
// to end and waited for.
Run StartMapper(const std::string& program, const Environment& env, const std::string& out) {
  const double start = Now();
  const pid_t pid = Spawn({program + "/Zorvan32"}, program, env, out);
  // The main thread is busy while it has run kBusyCpu within the last
  // kWindow seconds, or been runnable for kWindow without a break (on a
  // loaded machine it may wait that long for a processor).
  constexpr double kWindow = 0.05, kBusyCpu = 0.005;
  std::vector<std::pair<double, double>> samples;  // (wall, main thread CPU)
  double runnable_since = -1, last_busy = -1;
  Run run;
  for (;;) {
    ::usleep(1000);
    double cpu = 0;
    bool runnable = false;
    if (!MainThread(pid, &cpu, &runnable)) throw std::runtime_error("the mapper ended before it was ready; see " + out);
    const double now = Now();
    samples.emplace_back(now, cpu);
    if (!runnable) runnable_since = -1;
    if (runnable && runnable_since < 0) runnable_since = now;
    std::size_t back = samples.size() - 1;
    while (back > 0 && now - samples[back - 1].first < kWindow) --back;
    if (back > 0) --back;
    if (cpu - samples[back].second >= kBusyCpu || (runnable_since >= 0 && now - runnable_since >= kWindow)) {
      last_busy = now;
    }
    if (last_busy >= 0 && now - last_busy >= kQuiet) {
      run.seconds = last_busy - start;
      run.peak_mb = ResidentMb(pid);
      break;
    }
  }
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 500 && ::waitpid(pid, nullptr, WNOHANG) == 0; ++i) ::usleep(10000);
  if (::waitpid(pid, nullptr, WNOHANG) == 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  return run;
}

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t entries = SizeArgument(argc, argv, 1, 500000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 2, 3));
  const std::string built = ZORVAN_BUILT_PROGRAM_DIR;
  const std::string zorvan = built + "/zorvan";

  TempFolder windows("whole-tree"), program("whole-program"), empty("whole-empty"), home("whole-home");
  BuildTreeSaying(windows.path(), entries);
  const Environment env = {{"ZORVAN_WINDIR", windows.path()},      {"XDG_RUNTIME_DIR", home.path()},
                           {"HOME", home.path()},                  {"XDG_CONFIG_HOME", home.path() + "/config"},
                           {"XDG_DATA_HOME", home.path() + "/data"}, {"QT_QPA_PLATFORM", "offscreen"},
                           {"ZORVAN_UNATTENDED", "1"}};
  const std::string out = home.path() + "/out.txt";
  const std::string log = home.path() + "/log.txt";
  for (const std::string& folder : {program.path(), empty.path()}) {
    // A copy, not a link: the mapper's program folder is the folder its
    // executable really lies in.
    Shell("cp " + Quote(built + "/Zorvan32") + " " + Quote(built + "/English.lng") + " " + Quote(folder));
    // Settings of this version, so no first-run question; and a probe that
    // does nothing when the mapper starts it at its end.
    Shell("printf 'Zorvan 3.0\\r\\nVersion=3.0\\r\\nBlue=Y\\r\\nFX=Y\\r\\nSimpleMap=Y\\r\\n' > " +
          Quote(folder + "/ZV.INI"));
    Shell("printf '#!/bin/sh\\n' > " + Quote(folder + "/Vigilo32") + " && chmod +x " + Quote(folder + "/Vigilo32"));
    RunToEnd({zorvan, "--program-folder", folder, "new-map"}, folder, env, log);
  }
  const std::string map_name = "Windows (1st map)";
  const std::string map_file = program.path() + "/" + map_name + ".MAP";
  // The empty program folder's first map keeps its header only.
  {
    std::ofstream header(empty.path() + "/" + map_name + ".MAP", std::ios::binary | std::ios::trunc);
    header << FirstLine(map_file) << "\n";
  }
  const double map_mb = static_cast<double>(FileBytes(map_file)) / (1024.0 * 1024.0);
  std::printf("first map %.1f MB\n", map_mb);
  // Maps as old as those of an earlier day, and caches warm.
  ::usleep(2'500'000);
  StartMapper(program.path(), env, log);
  StartMapper(empty.path(), env, log);

  const std::vector<std::string> scan = {zorvan, "--program-folder", program.path(), "scan"};
  const std::vector<std::string> show = {zorvan, "--program-folder", program.path(), "show", map_name};
  const std::vector<std::string> maps = {zorvan, "--program-folder", program.path(), "maps"};
  const std::vector<std::string> find = {"/usr/bin/find", windows.path(), "-printf", "%y %s %P\\n"};
  std::vector<double> start, scan_s, start_mb, empty_mb, show_s, show_mb, maps_s, find_s;
  for (std::size_t i = 0; i < runs; ++i) {
    const Run started = StartMapper(program.path(), env, log);
    start.push_back(started.seconds);
    start_mb.push_back(started.peak_mb);
    empty_mb.push_back(StartMapper(empty.path(), env, log).peak_mb);
    scan_s.push_back(RunToEnd(scan, program.path(), env, out).seconds);
    const Run shown = RunToEnd(show, program.path(), env, out);
    show_s.push_back(shown.seconds);
    show_mb.push_back(shown.peak_mb);
    maps_s.push_back(RunToEnd(maps, program.path(), env, out).seconds);
    find_s.push_back(RunToEnd(find, program.path(), env, out).seconds);
  }
  std::printf("Zorvan32 start until ready: median %.3f s; zorvan scan %.3f s; ratio %.2f (target at most 2.00)\n",
              Median(start), Median(scan_s), Median(start) / Median(scan_s));
  std::printf("Zorvan32 resident when ready: %.1f MB, with an empty map %.1f MB; above it %.1f MB = %.2f x the map"
              " file (target at most 3.00)\n",
              Median(start_mb), Median(empty_mb), Median(start_mb) - Median(empty_mb),
              (Median(start_mb) - Median(empty_mb)) / map_mb);
  std::printf("zorvan show: median %.3f s, peak %.1f MB = %.2f x the map file (target at most 2.00); find -printf %.3f s;"
              " ratio %.2f (target at most 1.00)\n",
              Median(show_s), Median(show_mb), Median(show_mb) / map_mb, Median(find_s), Median(show_s) / Median(find_s));
  std::printf("zorvan maps: median %.3f s; ratio to find %.2f (target at most 1.20); %zu runs\n", Median(maps_s),
              Median(maps_s) / Median(find_s), runs);
  return 0;
}
