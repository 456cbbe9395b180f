#include "cli/help.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/formats.h"
#include "mapper/shell/startup_steps.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv::cli {
namespace {

using testing::Holds;

TEST(HelpTest, EveryCommandsHelpSaysAllItTakes) {
  const std::string program = RenderText(ProgramHelp());
  for (const Command& command : Commands()) {
    EXPECT_TRUE(Holds(program, command.Synopsis())) << command.name;
    const std::string help = RenderText(CommandHelp(command));
    EXPECT_TRUE(Holds(help, "Usage: zorvan [OPTIONS] " + command.Synopsis())) << help;
    for (const ArgumentHelp& argument : command.arguments) EXPECT_TRUE(Holds(help, argument.name)) << help;
    EXPECT_EQ(Holds(help, "--format=text|tsv|json"), (command.options & kFormatOption) != 0) << command.name;
    EXPECT_EQ(Holds(help, "--host-paths"), (command.options & kHostPathsOption) != 0) << command.name;
    for (const char* everywhere : {"--program-folder DIR", "--yes", "--help"}) {
      EXPECT_TRUE(Holds(help, everywhere)) << command.name;
    }
    // Lines fit a terminal, examples aside.
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
      if (!Holds(line, "zorvan ")) {
        EXPECT_LE(line.size(), 79u) << line;
      }
    }
  }
  for (const char* topic : {"Exit status", "ZORVAN_WINDIR", "IGNORLST.TXT", "One writer at a time", "Formats",
                            "\\udcXX", "--wait[=SECONDS]"}) {
    EXPECT_TRUE(Holds(program, topic)) << topic;
  }
  // The writers and the readers are named as the table marks them.
  std::string flat;
  for (const HelpSection& section : ProgramHelp()) {
    for (const std::string& paragraph : section.paragraphs) flat += paragraph + "\n";
  }
  EXPECT_TRUE(Holds(flat, "(scan, new-map, track, rename, unmap, remove, trash list, trash restore and trash purge)"))
      << flat;
  EXPECT_TRUE(Holds(flat, "(maps, show, files, identify and owner)")) << flat;
  const std::string trash = RenderText(GroupHelp("trash"));
  EXPECT_TRUE(Holds(trash, "Usage: zorvan [OPTIONS] trash COMMAND")) << trash;
  EXPECT_TRUE(Holds(trash, "  trash purge ")) << trash;
}

TEST(HelpTest, TheBuiltManualPageIsTheHelpInRoff) {
  const std::string page = RenderManPage(ManualPage(), kVersionText);
  EXPECT_EQ(testing::ReadBytes(testing::BuiltProgramFolder() + "/zorvan.1"), page);
  EXPECT_TRUE(Holds(page, ".TH ZORVAN 1 \"\" \"Zorvan 3.0\""));
  EXPECT_TRUE(Holds(page, ".SH \"ONE WRITER AT A TIME\"\n"));
  EXPECT_TRUE(Holds(page, ".SS \"track NAME \\-\\- COMMAND [ARGS...]\"\n"));
  EXPECT_TRUE(Holds(page, ".TP\n\\fB\\-\\-format=text|tsv|json\\fR\n"));
  // A backslash is the escape character of roff; it is written as \e.
  EXPECT_TRUE(Holds(page, "SYSTEM\\eFoo.dll"));
  std::istringstream lines(page);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_FALSE(line.starts_with("'")) << line;
    if (line.starts_with(".")) {
      const std::string request = line.substr(0, line.find(' '));
      EXPECT_TRUE(Holds(" .TH .SH .SS .PP .TP .RS .RE .nf .fi ", " " + request + " ")) << line;
    }
  }
}

// docs/formats.md, the help and the manual page describe the same formats
// and statuses.
TEST(HelpTest, TheFormatPageAndTheHelpSayTheSame) {
  const std::string page = testing::ReadBytes(std::string(ZORVAN_SOURCE_DIR) + "/docs/formats.md");
  const std::string help = RenderText(ProgramHelp(), 100000);
  const std::string manual = RenderText(ManualPage(), 100000);
  EXPECT_TRUE(Holds(page, "now `" + std::to_string(kJsonFormat) + "`")) << "the json format's version";
  EXPECT_TRUE(Holds(help, "(now " + std::to_string(kJsonFormat) + ")")) << help;
  for (const std::string both : {"\\udcXX", "map_file", "--wait[=SECONDS]", "128+N", "126", "127", "--host-paths",
                                  "dpkg -S", "file or folder", "present or missing",
                                  // The lines of a dry run.
                                  "would ask: QUESTION: yes (--yes)", "would ask: QUESTION: open (--yes answers yes)",
                                  "would move: ENTRY", "would restore: ENTRY", "would delete: ENTRY",
                                  "would stay: ENTRY: CAUSE"}) {
    EXPECT_TRUE(Holds(page, both) || Holds(page, "`" + both.substr(0, both.find(' ')) + "`")) << both;
    EXPECT_TRUE(Holds(help, both) || Holds(help + manual, both)) << both;
  }
  for (const Command& command : Commands()) {
    if (!(command.options & kFormatOption)) continue;
    EXPECT_TRUE(Holds(page, "| `" + command.name + "`")) << command.name << " has a row of tsv columns";
    EXPECT_TRUE(Holds(manual, command.Synopsis())) << command.name;
  }
}

}  // namespace
}  // namespace zv::cli
