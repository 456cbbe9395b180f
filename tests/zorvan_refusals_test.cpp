// zorvan as a process, where it must not go on: a wrong command line, a
// question nobody can answer, another writer at work, an unusable folder.
#include "mapper/engine/program_locks.h"
#include "platform/text.h"
#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

using ZorvanRefusalsTest = ZorvanTest;

TEST_F(ZorvanRefusalsTest, EveryUsageErrorExitsWith2AndSaysWhereToLook) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"frob"},
      {"maps", "extra"},
      {"show"},
      {"show", "Foo", "Bar"},
      {"maps", "--frob"},
      {"maps", "--format=xml"},
      {"maps", "--format"},
      {"scan", "--format=json"},
      {"new-map", "--host-paths"},
      {"new-map", "One", "Two"},
      {"track", "Foo"},
      {"track", "Foo", "--"},
      {"track", "--", "true"},
      {"track", "Foo", "make", "install"},
      {"maps", "--", "true"},
      {"--", "true"},
      {"maps", "--program-folder"},
      {"identify"},
      {"identify", "--force", "foo.dll"},
      {"rename", "Foo"},
      {"rename", "Foo", "Bar", "Baz"},
      {"unmap"},
      {"unmap", "--entry", "x"},
      {"remove"},
      {"remove", "Foo", "--entry"},
      {"remove", "Foo", "--entry="},
      {"remove", "Foo", "--all"},
      {"remove", "Foo", "--format=json"},
      {"trash"},
      {"trash", "frob"},
      {"trash", "list", "extra"},
      {"trash", "list", "--all"},
      {"trash", "list", "--force"},
      {"trash", "restore"},
      {"trash", "restore", "--all", "--map", "Foo"},
      {"trash", "restore", "--map"},
      {"trash", "purge", "--format=tsv", "--all"},
      {"trash", "purge", "--entry", "x", "--all"},
      {"list", "trash"},
      {"track", "Foo", "--force", "--", "true"},
  };
  for (const auto& args : wrong) {
    std::string shown;
    for (const std::string& arg : args) shown += " " + arg;
    const ZorvanRun run = Zorvan(args, false);
    EXPECT_EQ(run.code, 2) << shown;
    EXPECT_EQ(run.out, "") << shown;
    EXPECT_TRUE(StartsWith(run.err, "zorvan")) << shown << ": " << run.err;
    EXPECT_TRUE(Holds(run.err, " --help' to see ")) << shown << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << shown << ": " << run.err;
  }
  for (const std::vector<std::string>& help : {std::vector<std::string>{"--help"}, {"track", "--help"}, {"-h", "show"},
                                               {"trash", "--help"}, {"trash", "restore", "-h"}}) {
    const ZorvanRun run = Zorvan(help, false);
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(StartsWith(run.out, "Usage: zorvan ")) << run.out;
    EXPECT_EQ(run.err, "");
  }
  EXPECT_FALSE(Exists(program_ / "WINDIR.TMP"));
}

// A name the new map could not take is refused before the program runs or
// anything is scanned, with the new-map dialog's boxes; with no map yet the
// first map's name is taken already, in any letter case.
TEST_F(ZorvanRefusalsTest, ANameTheNewMapCannotTakeIsRefusedBeforeAnythingRuns) {
  const struct {
    std::string name, says;
  } refused[] = {
      {"WINDOWS (1st MAP)", "A map with this name already exists."},
      {"App:1", "A map name cannot contain any of these characters"},
      {".hidden", "A map name cannot contain any of these characters"},
  };
  for (const auto& c : refused) {
    const ZorvanRun run = Zorvan({"track", c.name, "--", "touch", windows_ / "ran"});
    EXPECT_EQ(run.code, 1) << c.name;
    EXPECT_TRUE(Holds(run.err, c.says)) << run.err;
    EXPECT_TRUE(Holds(run.err, "no map was written. Run the command again with another name.")) << run.err;
    EXPECT_FALSE(Exists(windows_ / "ran")) << c.name;
    EXPECT_EQ(host_->FindFiles(program_.path(), "*.MAP"), std::vector<std::string>{}) << c.name;
  }
}

TEST_F(ZorvanRefusalsTest, WithoutATerminalAQuestionIsDeclinedNotAwaited) {
  ASSERT_EQ(Zorvan({"new-map"}).code, 0);  // the first map needs no name
  WriteBytes(windows_ / "App/new.dll", "new");
  const ZorvanRun run = Zorvan({"new-map"});
  ASSERT_TRUE(run.code.has_value()) << "it waited for an answer";
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "2 new entries found. Name the new map")) << run.err;
  EXPECT_TRUE(Holds(run.err, "zorvan new-map NAME")) << run.err;
  EXPECT_TRUE(Holds(run.err, "Cancelled: no map was written.")) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(host_->FindFiles(program_.path(), "*.MAP"), std::vector<std::string>{"Windows (1st map).MAP"});
}

TEST_F(ZorvanRefusalsTest, WhileTheMapperRunsOnlyReadingCommandsGoOn) {
  WriteLines(program_ / "Foo.MAP", {"***Foo***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll", "win.ini"});
  {
    const std::unique_ptr<HeldMutex> mapper = HoldFolderLock(program_.path(), kMapperHolder);
    ASSERT_NE(mapper, nullptr);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"scan"}, {"new-map", "Bar"}, {"track", "Bar", "--", "touch", windows_ / "ran"},
          {"rename", "Foo", "Bar"}, {"unmap", "Foo", "--yes"}, {"remove", "Foo", "--yes"}, {"trash", "list"},
          {"trash", "restore", "--all"}, {"trash", "purge", "--all", "--yes"}}) {
      const ZorvanRun run = Zorvan(args);
      EXPECT_EQ(run.code, 3) << args[0];
      EXPECT_TRUE(Holds(run.err, "Zorvan32 (process " + std::to_string(::getpid()) + ") is running")) << run.err;
      EXPECT_TRUE(Holds(run.err, "Close it and run this command again")) << run.err;
    }
    EXPECT_FALSE(Exists(windows_ / "ran"));
    EXPECT_EQ(ListNames(program_.path()), (Lines{"English.lng", "Foo.MAP", "Italiano.lng", "Zorvan32"}))
        << "a busy command writes nothing";
    EXPECT_EQ(Zorvan({"maps"}).code, 0);
    EXPECT_EQ(Zorvan({"show", "foo"}).code, 0);
    EXPECT_EQ(Zorvan({"identify", "foo.dll"}).code, 0);
    EXPECT_TRUE(Exists(windows_ / "SYSTEM/Foo.dll"));
  }

  // A command that changes files keeps the mapper, and every other such
  // command, out until it has finished.
  const std::string go = home_ / "go";
  auto track = Start({"track", "Bar", "--", "sh", "-c",
                      "touch \"$HOME/started\"; while [ ! -e \"$HOME/go\" ]; do sleep 0.05; done; "
                      "touch \"$ZORVAN_WINDIR/bar.txt\""});
  ASSERT_TRUE(WaitFor([&] { return Exists(home_ / "started"); }, 60s)) << track->ErrorOutput();
  PrepareForMapper();
  auto mapper = StartMapper();
  EXPECT_EQ(mapper->WaitExit(60s), 0);
  EXPECT_TRUE(Holds(mapper->ErrorOutput(), "A zorvan command (zorvan track (process " +
                                               std::to_string(track->pid()) + ")) is changing the maps right now"))
      << mapper->ErrorOutput();
  const ZorvanRun second = Zorvan({"scan"});
  EXPECT_EQ(second.code, 3);
  EXPECT_TRUE(Holds(second.err, "zorvan track (process " + std::to_string(track->pid()) + ") is changing the files"))
      << second.err;
  EXPECT_EQ(Zorvan({"maps"}).code, 0);
  WriteBytes(go, "");
  ASSERT_EQ(track->WaitExit(60s), 0) << track->ErrorOutput();
  EXPECT_EQ(ReadLines(program_ / "Bar.MAP"), (Lines{"***Bar***", "bar.txt"}));
}

TEST_F(ZorvanRefusalsTest, AnUnusableFolderIsRefusedWithWhatToDo) {
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--program-folder", home_ / "nowhere", "maps"}, "there is no folder " + home_ / "nowhere"},
      {{"--program-folder", home_.path(), "scan"}, "it holds no Zorvan32. Give the folder"},
  };
  for (const auto& c : cases) {
    const ZorvanRun run = Zorvan(c.args, false);
    EXPECT_EQ(run.code, 1) << c.args.back();
    EXPECT_TRUE(Holds(run.err, c.says)) << run.err;
  }

  // The program folder inside the Windows folder.
  const std::string inside = windows_ / "Zorvan";
  MakeFolders(inside);
  LayOutProgramFolder(inside);
  ZorvanRun run = Zorvan({"--program-folder", inside, "new-map"}, false);
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "lies inside the Windows folder")) << run.err;

  // No Windows folder to map.
  ::rename(windows_.path().c_str(), (windows_.path() + ".gone").c_str());
  run = Zorvan({"scan"});
  ::rename((windows_.path() + ".gone").c_str(), windows_.path().c_str());
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "does not exist. Set ZORVAN_WINDIR")) << run.err;

  // No catalogue and no language file to unpack it from.
  ScratchFolder bare;
  symlink((BuiltProgramFolder() + "/Zorvan32").c_str(), (bare / "Zorvan32").c_str());
  run = Zorvan({"--program-folder", bare.path(), "maps"}, false);
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "Cannot find English.LNG in " + bare.path())) << run.err;
  EXPECT_TRUE(Holds(run.err, "copy the language files")) << run.err;

  // Settings that are no small regular file are refused, not waited on or
  // read whole.
  ::mkfifo((bare / "ZV.INI").c_str(), 0644);
  run = Zorvan({"--program-folder", bare.path(), "maps"}, false);
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "error: " + bare / "ZV.INI")) << run.err;
  ::unlink((bare / "ZV.INI").c_str());
  WriteBytes(bare / "ZV.INI", "Language=Italiano.lng\r\n" + std::string(kSmallFileLimit, ';'));
  run = Zorvan({"--program-folder", bare.path(), "maps"}, false);
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "error: " + bare / "ZV.INI")) << run.err;
}

}  // namespace
}  // namespace zv::testing
