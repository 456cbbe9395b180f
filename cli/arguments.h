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
// after the command's name; "--" ends them, and what follows is the program
// a command such as track runs. A two-word command ("trash list") is named
// by its two words. --help and --version need nothing else (after the first
// word of a two-word command, --help asks for its group's help). Throws
// UsageError.
Invocation ParseArguments(const std::vector<std::string>& args);

}  // namespace zv::cli
