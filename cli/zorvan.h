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

// The exit code once standard output is flushed: a write to it that failed
// (`reason` says why) turns `code` into 1, said on `err`, unless the reader
// had gone away (a closed pipe), which ends the program quietly with 1, as
// a writer ended by SIGPIPE says nothing.
int ExitAfterOutput(int code, bool failed, bool broken_pipe, const std::string& reason, std::ostream& err);

}  // namespace zv::cli
