// Running another program in the foreground and waiting for it, and finding
// the folder of our own executable.
#pragma once

#include <string>
#include <vector>

namespace zv {

// How a program run by RunProgram ended.
struct ProgramEnd {
  bool started = false;  // false: it could not be started (`error` says why)
  int exit_code = 0;     // its exit code, when it ended by itself
  int signal = 0;        // the signal that ended it, else 0
  std::string signal_name;  // its name ("SIGTERM"), when the system knows one
  std::string error;     // why it could not be started
  int error_number = 0;  // the system's number for that reason (ENOENT: no such program)
};

// Runs `command` (its first element a program name, looked up in PATH when
// it holds no "/", then its arguments) with our environment and our
// standard streams, so its output passes through, and waits for it to end.
// While it runs, the terminal's interrupt and quit keys reach it but do not
// end us, as with a shell's foreground job. An empty command is not started.
ProgramEnd RunProgram(const std::vector<std::string>& command);

// The folder holding the running executable, links resolved, as an
// absolute host path. Throws HostError when the system does not tell.
std::string OwnProgramFolder();

}  // namespace zv
