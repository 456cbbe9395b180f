// Reading the zorvan command line into an Invocation.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "cli/command.h"

namespace zv::cli {

// A wrong command line. what() says what is wrong and how to see the right
// form; `command` is the command it concerns, empty when none.
class UsageError : public std::runtime_error {
 public:
  UsageError(const std::string& command, const std::string& problem);
  const std::string& command() const { return command_; }

 private:
  std::string command_;
};

// Reads the arguments after the program's name. Options may stand before or
// after the command's name; the first "--" ends them, so that every word
// after it is an argument even when it begins with "-". For a command that
// runs a program (track), a "--" that follows the command's own arguments
// starts the program instead: "track NAME -- CMD" and "track -- -NAME --
// CMD". --wait is taken only by commands that change files. A two-word command ("trash list") is named
// by its two words. --help and --version need nothing else (after the first
// word of a two-word command, --help asks for its group's help). Throws
// UsageError.
Invocation ParseArguments(const std::vector<std::string>& args);

}  // namespace zv::cli
