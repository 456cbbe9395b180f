// The help of the zorvan program, as one document model that is rendered
// twice: as text for --help, and as the manual page zorvan.1 that the build
// generates, so the two always say the same.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace zv::cli {

// A term and what it means: an option, an argument, an exit status.
struct HelpItem {
  std::string term;
  std::string text;
};

struct HelpSection {
  explicit HelpSection(std::string heading = "", int depth = 1) : title(std::move(heading)), level(depth) {}

  std::string title;  // empty: no heading
  int level = 1;      // 1 a section; 2 a part of one (a command in the manual)
  std::vector<std::string> paragraphs;
  std::vector<HelpItem> items;        // after the paragraphs
  std::vector<std::string> examples;  // command lines, shown as they stand
};
using HelpDocument = std::vector<HelpSection>;

// zorvan --help: everything about the program and the list of commands.
HelpDocument ProgramHelp();
// zorvan COMMAND --help: everything about one command, with the options
// every command takes.
HelpDocument CommandHelp(const Command& command);
// zorvan trash --help: the commands of a two-word group ("trash").
HelpDocument GroupHelp(const std::string& group);
// The manual page: the program's help with every command's in full.
HelpDocument ManualPage();

// Plain text, paragraphs wrapped to `width` columns.
std::string RenderText(const HelpDocument& document, std::size_t width = 79);
// A manual page in roff (man macros), section 1.
std::string RenderManPage(const HelpDocument& document, const std::string& version);

}  // namespace zv::cli
