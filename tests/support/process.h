// Test support: one of our programs started as a real process, with its own
// working folder and environment, its standard output and standard error
// captured to files and its standard input empty, or a terminal on which
// the test types its answers.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zv::testing {

class ChildProcess {
 public:
  // Starts `program` with `args` in `folder`; `env` entries are added to (or
  // replace those of) this process's environment. Given `typed`, standard
  // input is a terminal on which that text has been typed, followed by the
  // end of input; otherwise it is empty and no terminal. Throws
  // std::runtime_error when the process cannot be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
               const std::map<std::string, std::string>& env, const std::optional<std::string>& typed = {});
  // Kills the process if it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit code once it ended within `limit`; nothing when it still runs
  // (or ended by a signal).
  std::optional<int> WaitExit(std::chrono::milliseconds limit);
  void Signal(int signal);
  // What the process wrote to its standard error so far.
  std::string ErrorOutput() const;
  // What the process wrote to its standard output so far.
  std::string Output() const;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  std::string error_file_, output_file_;
  int terminal_ = -1;  // the terminal's controlling side, while the process may read it
};

// Polls `condition` every 20 ms until it holds or `limit` passes.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    struct timespec pause = {0, 20 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  return true;
}

// True when process `pid` holds an flock on the file at `path`.
bool HoldsLock(pid_t pid, const std::string& path);

// The folder the build lays the ready program folder out in.
std::string BuiltProgramFolder();

// The environment a test runs our programs in: `windows` as the Windows
// folder, `runtime` for the locks, `home` as the home folder with its
// configuration and data folders, windows drawn offscreen, and message boxes
// written to standard error instead of waiting for a person. Given
// `program`, that folder is the programs' program folder wherever they are.
std::map<std::string, std::string> ProgramEnvironment(const std::string& windows, const std::string& runtime,
                                                      const std::string& home, const std::string& program = "");

// Makes `folder` a program folder of the built programs: a link to the
// built mapper and copies of the language files.
void LayOutProgramFolder(const std::string& folder);

}  // namespace zv::testing
