// Running one parsed command: the host it works through, the mapper's state
// for the program folder, the program folder's lock for a command that
// changes files, the checks the mapper makes before it starts, and the texts.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/terminal_person.h"
#include "platform/host.h"

namespace zv::cli {

// What a command needs from the system besides the host.
struct System {
  Host& host;
  std::function<ProgramEnd(const std::vector<std::string>&)> run_program;
};

// Runs `call` (a command, not --help or --version) and answers its exit
// code. A command that only reads, and a dry run, works through a
// NoWriteHost without a lock, so nothing on disk changes. A command that
// changes files first takes the program folder's lock (busy, with its
// holder named, when it cannot; with --wait it tries again until the time
// is up), needs a program folder that holds Zorvan32 and lies outside the
// Windows folder (a dry run too), and then writes as the mapper would. Every
// refusal is said through `person`. HostError and other runtime errors
// escape to the caller.
int RunCommand(const Invocation& call, System& system, TerminalPerson& person, std::ostream& out);

}  // namespace zv::cli
