#include "cli/arguments.h"

#include <gtest/gtest.h>

namespace zv::cli {
namespace {

TEST(ArgumentsTest, OptionsMayStandBeforeOrAfterTheCommand) {
  const Invocation a = ParseArguments({"--program-folder", "/p", "show", "Foo", "--format=json", "--host-paths"});
  EXPECT_EQ(a.command->name, "show");
  EXPECT_EQ(a.arguments, std::vector<std::string>{"Foo"});
  EXPECT_EQ(a.program_folder, "/p");
  EXPECT_EQ(a.format, Format::kJson);
  EXPECT_TRUE(a.host_paths);

  const Invocation b = ParseArguments({"--format", "tsv", "maps", "--program-folder=/q", "--yes"});
  EXPECT_EQ(b.format, Format::kTsv);
  EXPECT_EQ(b.program_folder, "/q");
  EXPECT_TRUE(b.yes);
}

TEST(ArgumentsTest, EverythingAfterTheSeparatorIsTheProgram) {
  const Invocation call = ParseArguments({"track", "Foo", "--yes", "--", "pip", "install", "--prefix", "--", "-h"});
  EXPECT_EQ(call.arguments, std::vector<std::string>{"Foo"});
  EXPECT_TRUE(call.yes);
  EXPECT_FALSE(call.help);
  EXPECT_EQ(call.program, (std::vector<std::string>{"pip", "install", "--prefix", "--", "-h"}));
}

TEST(ArgumentsTest, HelpNeedsNothingElse) {
  EXPECT_TRUE(ParseArguments({"--help"}).help);
  const Invocation call = ParseArguments({"track", "-h"});
  EXPECT_TRUE(call.help);
  EXPECT_EQ(call.command->name, "track");
  EXPECT_TRUE(ParseArguments({"--version"}).version);
  EXPECT_EQ(ParseArguments({"new-map"}).arguments.size(), 0u) << "the name is optional";
}

TEST(ArgumentsTest, TwoWordCommandsAndTheOptionsOfSomeCommands) {
  const Invocation restore = ParseArguments({"--map", "Foo 2.1", "trash", "--force", "restore", "--name=a.dll"});
  EXPECT_EQ(restore.command->name, "trash restore");
  EXPECT_EQ(restore.map_rows, "Foo 2.1");
  EXPECT_EQ(restore.name_rows, "a.dll");
  EXPECT_TRUE(restore.force);
  EXPECT_FALSE(restore.all);

  const Invocation remove = ParseArguments({"remove", "Foo", "--entry", "SYSTEM\\Foo.dll"});
  EXPECT_EQ(remove.arguments, std::vector<std::string>{"Foo"});
  EXPECT_EQ(remove.entry, "SYSTEM\\Foo.dll");
  EXPECT_EQ(ParseArguments({"identify", "a", "b", "c"}).arguments.size(), 3u);

  const Invocation group = ParseArguments({"trash", "--help"});
  EXPECT_TRUE(group.help);
  EXPECT_EQ(group.command, nullptr);
  EXPECT_EQ(group.group, "trash");

  try {
    ParseArguments({"trash", "empty"});
    FAIL();
  } catch (const UsageError& error) {
    EXPECT_EQ(error.command(), "trash");
    EXPECT_STREQ(error.what(), "zorvan trash: unknown command 'empty': give list, restore or purge. Run 'zorvan trash "
                               "--help' to see how to use it.");
  }
}

TEST(ArgumentsTest, AMistakeNamesTheCommandAndWhereToLook) {
  try {
    ParseArguments({"show", "Foo", "--frob"});
    FAIL();
  } catch (const UsageError& error) {
    EXPECT_EQ(error.command(), "show");
    EXPECT_STREQ(error.what(), "zorvan show: unknown option '--frob'. Run 'zorvan show --help' to see how to use it.");
  }
}

TEST(ArgumentsTest, TheSeparatorEndsTheOptionsAndTrackTakesItsProgramAfterItsName) {
  const Invocation show = ParseArguments({"show", "--format=tsv", "--", "-dash"});
  EXPECT_EQ(show.arguments, std::vector<std::string>{"-dash"});
  EXPECT_EQ(show.format, Format::kTsv);
  EXPECT_EQ(ParseArguments({"--", "show", "--help"}).arguments, std::vector<std::string>{"--help"})
      << "after it, even --help is an argument";
  EXPECT_FALSE(ParseArguments({"--", "show", "--help"}).help);

  const Invocation track = ParseArguments({"track", "--", "-new", "--", "make", "--", "-k"});
  EXPECT_EQ(track.arguments, std::vector<std::string>{"-new"});
  EXPECT_EQ(track.program, (std::vector<std::string>{"make", "--", "-k"}));
  EXPECT_EQ(ParseArguments({"track", "new", "--", "make"}).program, std::vector<std::string>{"make"});

  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"show", "-dash"}, {"show", "Foo", "--", "--format=json"}, {"track", "--", "x"},
        {"maps", "--wait"}, {"scan", "--wait=soon"}, {"scan", "--wait=-1"}, {"files", "Foo", "-0", "--", "x"}}) {
    EXPECT_THROW(ParseArguments(wrong), UsageError) << wrong[1];
  }
  EXPECT_FALSE(ParseArguments({"scan"}).wait.has_value());
  EXPECT_EQ(ParseArguments({"scan", "--wait"}).wait, kWaitForever);
  EXPECT_EQ(ParseArguments({"--wait=2.5", "scan"}).wait, 2.5);
  EXPECT_TRUE(ParseArguments({"files", "Foo", "-0"}).nul);
  EXPECT_TRUE(ParseArguments({"scan", "--list-skipped"}).list_skipped);
}

}  // namespace
}  // namespace zv::cli
