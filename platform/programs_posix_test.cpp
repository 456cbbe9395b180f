#include "platform/programs.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "platform/host.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

TEST(RunProgramTest, ReportsHowTheProgramEnded) {
  EXPECT_EQ(RunProgram({"sh", "-c", "exit 0"}).exit_code, 0);
  const ProgramEnd failed = RunProgram({"sh", "-c", "exit 7"});
  EXPECT_TRUE(failed.started);
  EXPECT_EQ(failed.exit_code, 7);
  EXPECT_EQ(failed.signal, 0);

  const ProgramEnd killed = RunProgram({"sh", "-c", "kill -TERM $$"});
  EXPECT_TRUE(killed.started);
  EXPECT_EQ(killed.signal, SIGTERM);
  EXPECT_EQ(killed.signal_name, "SIGTERM");

  // The interrupt key ends the program, not us.
  const ProgramEnd interrupted = RunProgram({"sh", "-c", "kill -INT $$"});
  EXPECT_EQ(interrupted.signal, SIGINT);

  const ProgramEnd missing = RunProgram({"no-such-program-zorvan"});
  EXPECT_FALSE(missing.started);
  EXPECT_EQ(missing.error, "No such file or directory");
  EXPECT_FALSE(RunProgram({}).started);
}

TEST(RunProgramTest, ArgumentsReachTheProgramUnchanged) {
  testing::ScratchFolder folder;
  const std::string out = folder / "args.txt";
  ASSERT_EQ(RunProgram({"sh", "-c", "printf '%s|' \"$@\" > \"$0\"", out, "a b", "", "*", "$HOME"}).exit_code, 0);
  EXPECT_EQ(testing::ReadBytes(out), "a b||*|$HOME|");
}

TEST(OwnProgramFolderTest, IsTheFolderOfThisTestProgram) {
  const std::string folder = OwnProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_TRUE(NewPosixHost()->FileExists(folder + "/platform_tests"));
}

}  // namespace
}  // namespace zv
