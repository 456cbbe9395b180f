// The shell completion beside the built program: it knows every command
// and option the command table has, and bash completes map names from
// the program folder.
#include <gtest/gtest.h>

#include <chrono>

#include "cli/command.h"
#include "platform/text.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv::cli {
namespace {

using namespace std::chrono_literals;
using testing::BuiltProgramFolder;
using testing::Holds;
using Lines = std::vector<std::string>;

// The options a command takes, as its help names them.
Lines OptionsOf(const Command& command) {
  Lines options = {"--program-folder", "--yes", "--help", "--version"};
  const std::pair<unsigned, const char*> own[] = {
      {kFormatOption, "--format"}, {kHostPathsOption, "--host-paths"}, {kForceOption, "--force"},
      {kEntryOption, "--entry"},   {kRowsOption, "--map"},             {kRowsOption, "--name"},
      {kAllOption, "--all"},       {kNulOption, "-0"},                 {kListSkippedOption, "--list-skipped"},
      {kDryRunOption, "--dry-run"},
  };
  for (const auto& [bit, name] : own) {
    if (command.options & bit) options.push_back(name);
  }
  if (command.changes_files) options.push_back("--wait");
  return options;
}

// How fish spells an option: "-l name", "-o 0", "-s h".
std::string FishSpelling(const std::string& option) {
  if (option == "-0") return "-o 0";
  return "-l " + option.substr(2);
}

TEST(CompletionTest, EveryShellKnowsEveryCommandAndOption) {
  const std::string folder = BuiltProgramFolder();
  for (const std::string file : {"zorvan.bash", "_zorvan", "zorvan.fish"}) {
    SCOPED_TRACE(file);
    const std::string text = testing::ReadBytes(folder + "/" + file);
    ASSERT_FALSE(text.empty());
    for (const Command& command : Commands()) {
      const std::string last = command.name.substr(command.name.rfind(' ') + 1);
      EXPECT_TRUE(Holds(text, last)) << command.name;
      for (const std::string& option : OptionsOf(command)) {
        EXPECT_TRUE(Holds(text, file == "zorvan.fish" ? FishSpelling(option) : option)) << command.name << " " << option;
      }
    }
  }
}

// What bash completes for the command line `words`, the last one being
// completed.
Lines BashCompletes(const Lines& words) {
  std::string array;
  for (const std::string& word : words) array += " '" + word + "'";
  const std::string script = "source \"$0\"; COMP_WORDS=(" + array + "); COMP_CWORD=" +
                             std::to_string(words.size() - 1) + "; _zorvan; printf '%s\\n' \"${COMPREPLY[@]}\"";
  testing::ChildProcess bash("/bin/bash", {"-c", script, BuiltProgramFolder() + "/zorvan.bash"}, "/", {});
  EXPECT_EQ(bash.WaitExit(30s), 0) << bash.ErrorOutput();
  Lines lines;
  const std::string out = bash.Output();
  for (std::size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
    if (end > at) lines.push_back(out.substr(at, end - at));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(CompletionTest, BashCompletesCommandsOptionsAndTheMapsOfTheProgramFolder) {
  testing::ScratchFolder program;
  testing::WriteBytes(program / "Foo 2.1.MAP", "***Foo 2.1***\r\n");
  testing::WriteBytes(program / "bar.map", "***bar***\r\n");
  testing::WriteBytes(program / "Baz.MAP.old", "");
  testing::WriteBytes(program / ".hidden.MAP", "");
  testing::WriteBytes(program / "notes.txt", "");

  EXPECT_EQ(BashCompletes({"zorvan", "tr"}), (Lines{"track", "trash"}));
  EXPECT_EQ(BashCompletes({"zorvan", "trash", ""}), (Lines{"list", "purge", "restore"}));
  EXPECT_EQ(BashCompletes({"zorvan", "files", "Foo", "-"}).front(), "--");
  const Lines scan = BashCompletes({"zorvan", "scan", "--"});
  EXPECT_NE(std::find(scan.begin(), scan.end(), "--list-skipped"), scan.end());
  EXPECT_NE(std::find(scan.begin(), scan.end(), "--wait"), scan.end());
  EXPECT_EQ(std::find(scan.begin(), scan.end(), "--format"), scan.end());
  EXPECT_EQ(BashCompletes({"zorvan", "--program-folder", program.path(), "show", ""}),
            (Lines{"Foo\\ 2.1", "bar"}));
  EXPECT_EQ(BashCompletes({"zorvan", "--program-folder", program.path(), "remove", "F"}), Lines{"Foo\\ 2.1"});
  EXPECT_EQ(BashCompletes({"zorvan", "--program-folder", program.path(), "trash", "restore", "--map", "b"}),
            Lines{"bar"});
  EXPECT_EQ(BashCompletes({"zorvan", "--program-folder", program.path(), "show", "Foo", ""}), Lines{})
      << "show takes one map";
}

}  // namespace
}  // namespace zv::cli
