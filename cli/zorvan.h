// The zorvan program from its arguments to its exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/session.h"
#include "cli/terminal_person.h"

namespace zv::cli {

// Runs the program on `args` (without the program's name): --help and
// --version print to `terminal.err`'s sibling `out`, a command runs through
// RunCommand. A usage error (of the command line, or of an argument only the
// command can judge) is said on standard error with exit code 2; a runtime
// error that ends a command is said there with exit code 1.
int RunZorvan(const std::vector<std::string>& args, System& system, const TerminalPerson::Terminal& terminal,
              std::ostream& out);

}  // namespace zv::cli
