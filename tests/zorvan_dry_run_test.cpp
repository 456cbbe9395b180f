// zorvan remove, trash restore and trash purge with --dry-run as processes:
// not one byte of the program folder or the Windows folder changes, the
// lines say what the real run then does, and the questions a read-only file
// and a missing folder raise are shown with their answers.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

class ZorvanDryRunTest : public ZorvanTest {
 protected:
  // Tracks an installation of `App` as the map Foo: a folder of files, one
  // of them read-only, and a folder below.
  void InstallFoo() {
    const std::string install =
        "set -e; cd \"$ZORVAN_WINDIR\"; mkdir -p App/Sub; echo a > App/Sub/a.txt; echo b > App/b.txt; "
        "echo ro > App/ro.dat; chmod 444 App/ro.dat";
    const ZorvanRun run = Zorvan({"track", "Foo", "--", "sh", "-c", install});
    ASSERT_EQ(run.code, 0) << run.err;
  }

  // Both folders, whole.
  std::pair<std::map<std::string, std::string>, std::map<std::string, std::string>> Trees() const {
    return {Tree(program_.path()), Tree(windows_.path())};
  }

  // The lines of `out` that begin with `start`, without it.
  static Lines LinesStarting(const std::string& out, const std::string& start) {
    Lines found;
    std::size_t at = 0;
    while (at < out.size()) {
      const std::size_t end = out.find('\n', at);
      const std::string line = out.substr(at, end - at);
      if (line.starts_with(start)) found.push_back(line.substr(start.size()));
      at = end == std::string::npos ? out.size() : end + 1;
    }
    return found;
  }

  // A record the trash manager's tidying drops: its file is not in the
  // trash. Any rewrite of the log shows in the tree then.
  void AddStaleRecord() {
    const std::string log = program_ / "#TRASH/!TRASH!.DAT";
    WriteBytes(log, ReadBytes(log) + "|N{gone.txt}N|M{Foo}M|T{DEL0gone.txt}T|P{App\\}P|\r\n");
  }
};

TEST_F(ZorvanDryRunTest, RemoveChangesNothingAndSaysWhatTheRemovalDoes) {
  InstallFoo();
  // A dry run scans nothing: it neither writes nor claims to write the
  // ignore list a real run writes first.
  ASSERT_EQ(::unlink((program_ / "IGNORLST.TXT").c_str()), 0);
  const auto before = Trees();
  const std::string trash = program_ / "#TRASH";

  // No answers given: the confirmation is open and what follows shows a
  // yes; the read-only file stays, and so the folder that holds it.
  ZorvanRun run = Zorvan({"remove", "Foo", "--dry-run"});
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_EQ(Trees(), before);
  EXPECT_EQ(run.out, "would ask: Delete all the mapped files of \"Foo\" They will be moved into the trash folder " +
                         trash + ": open (--yes answers yes)\n"
                         "would move: App\\Sub\\a.txt\n"
                         "would ask: \"" + windows_ / "App/ro.dat" + "\" is a read-only file. Move it all the same?: "
                         "open (--force answers yes)\n"
                         "would move: App\\b.txt\n"
                         "would move: <DIR> App\\Sub\n"
                         "would stay: App\\ro.dat: read-only, and moving it was declined (--force moves it)\n"
                         "would stay: <DIR> App: the folder still holds files of this map\n");
  EXPECT_EQ(run.err, "zorvan: dry run: 3 of 5 entries on disk would move into the trash " + trash +
                         "; nothing was changed.\n");

  // While another command holds the program folder, a dry run still runs:
  // it takes no lock.
  {
    const auto held = HoldFolderLock(program_.path(), "zorvan track");
    ASSERT_NE(held, nullptr);
    run = Zorvan({"remove", "Foo", "--dry-run", "--yes", "--force"});
  }
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(Trees(), before);
  EXPECT_EQ(LinesStarting(run.out, "would ask: ").size(), 2u) << run.out;
  EXPECT_TRUE(Holds(run.out, "Move it all the same?: yes (--force)\n")) << run.out;
  const Lines moves = LinesStarting(run.out, "would move: ");
  EXPECT_EQ(moves, (Lines{"App\\Sub\\a.txt", "App\\ro.dat", "App\\b.txt", "<DIR> App\\Sub", "<DIR> App"}));
  EXPECT_TRUE(LinesStarting(run.out, "would stay: ").empty()) << run.out;

  // A file of no map in App keeps the folder, which is no failure.
  WriteBytes(windows_ / "App/other.txt", "other");
  run = Zorvan({"remove", "Foo", "--dry-run", "--yes", "--force"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(LinesStarting(run.out, "would stay: "), Lines{"<DIR> App: it also holds what this map does not list"});
  EXPECT_EQ(LinesStarting(run.out, "would move: ").size(), 4u) << run.out;
  ASSERT_EQ(::unlink((windows_ / "App/other.txt").c_str()), 0);

  // The real run then moves exactly those, and the trash lists them.
  run = Zorvan({"remove", "Foo", "--yes", "--force"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_FALSE(Exists(windows_ / "App"));
  run = Zorvan({"trash", "list", "--format=tsv"});
  for (const std::string& entry : moves) {
    std::string original = entry.starts_with("<DIR> ") ? entry.substr(6) : entry;
    for (std::size_t at = 0; (at = original.find('\\', at)) != std::string::npos; at += 2) original.insert(at, "\\");
    EXPECT_TRUE(Holds(run.out, "\t" + original + "\n")) << entry << "\n" << run.out;
  }

  // One entry; an entry already gone is refused as the real run refuses it.
  run = Zorvan({"remove", "Foo", "--entry", "App/b.txt", "--dry-run"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Holds(run.err, "nothing was moved into the trash")) << run.err;
}

TEST_F(ZorvanDryRunTest, RestoreChangesNothingAndShowsTheQuestionsOfAMissingFolderAndAReadOnlyFile) {
  InstallFoo();
  ASSERT_EQ(Zorvan({"remove", "Foo", "--yes", "--force"}).code, 0);
  // The file lost its read-only mark on its way into the trash; give it
  // one in the trash, and a record a refresh would drop.
  const Lines trashed = ListNames(program_ / "#TRASH");
  ASSERT_TRUE(std::find(trashed.begin(), trashed.end(), "DEL0ro.dat") != trashed.end());
  ::chmod((program_ / "#TRASH/DEL0ro.dat").c_str(), 0444);
  AddStaleRecord();
  auto before = Trees();

  // a.txt alone: its folder App\Sub is missing; the offer to make it is
  // open, so it stays.
  ZorvanRun run = Zorvan({"trash", "restore", "--name", "a.txt", "--dry-run"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(Trees(), before) << "the log is tidied in memory only";
  const std::string folder = windows_ / "App/Sub/";
  EXPECT_EQ(run.out, "would ask: The folder \"" + folder +
                         "\" does not exist. Create it now?: open (--yes answers yes)\n"
                     "would stay: App\\Sub\\a.txt: its folder " + folder +
                     " is missing and is not made (--yes makes it)\n");
  EXPECT_EQ(run.err, "zorvan: dry run: 0 of 1 row would be restored; nothing was changed.\n");

  // With --yes every missing level is made, App and App\Sub, and a.txt
  // comes back; the real run agrees.
  run = Zorvan({"trash", "restore", "--name", "a.txt", "--dry-run", "--yes"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(LinesStarting(run.out, "would restore: "), Lines{"App\\Sub\\a.txt"});
  EXPECT_EQ(Trees(), before);
  run = Zorvan({"trash", "restore", "--name", "a.txt", "--yes"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(ReadBytes(windows_ / "App/Sub/a.txt"), "a\n");

  // The whole map (App and App\Sub are there again, so the refresh
  // dropped their rows): b.txt finds a file in its place, and the
  // read-only one stays without --force.
  WriteBytes(windows_ / "App/b.txt", "new b");
  before = Trees();
  run = Zorvan({"trash", "restore", "--map", "Foo", "--dry-run"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(Trees(), before);
  EXPECT_EQ(run.out, "would stay: App\\b.txt: a file of that name is in its place again\n"
                     "would ask: \"" + program_ / "#TRASH/DEL0ro.dat" + "\" is a read-only file. Move it all the "
                     "same?: open (--force answers yes)\n"
                     "would stay: App\\ro.dat: read-only, and moving it was declined (--force moves it)\n");

  // With --force the read-only file comes back; the real run agrees.
  run = Zorvan({"trash", "restore", "--map", "Foo", "--dry-run", "--force"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(LinesStarting(run.out, "would restore: "), Lines{"App\\ro.dat"});
  EXPECT_EQ(LinesStarting(run.out, "would stay: "), Lines{"App\\b.txt: a file of that name is in its place again"});
  EXPECT_EQ(Trees(), before);
  run = Zorvan({"trash", "restore", "--map", "Foo", "--force"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "still in the trash: App\\b.txt")) << run.err;
  EXPECT_EQ(ReadBytes(windows_ / "App/ro.dat"), "ro\n");
  EXPECT_EQ(ReadBytes(windows_ / "App/b.txt"), "new b");
}

TEST_F(ZorvanDryRunTest, PurgeChangesNothingAndSaysWhatItDeletes) {
  // An empty trash with no trash folder: --all is nothing to do, and the
  // dry run makes no folder.
  ZorvanRun run = Zorvan({"trash", "purge", "--all", "--dry-run"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(Exists(program_ / "#TRASH"));

  InstallFoo();
  ASSERT_EQ(Zorvan({"remove", "Foo", "--yes", "--force"}).code, 0);
  ::chmod((program_ / "#TRASH/DEL0b.txt").c_str(), 0444);
  AddStaleRecord();
  const auto before = Trees();

  run = Zorvan({"trash", "purge", "--map", "Foo", "--dry-run"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(Trees(), before);
  const Lines asked = LinesStarting(run.out, "would ask: ");
  ASSERT_EQ(asked.size(), 2u) << run.out;
  EXPECT_TRUE(asked[0].ends_with(": open (--yes answers yes)")) << asked[0];
  EXPECT_EQ(asked[1], "\"" + program_ / "#TRASH/DEL0b.txt" + "\" is a read-only file. Delete it all the same?: open "
                      "(--force answers yes)");
  EXPECT_EQ(LinesStarting(run.out, "would stay: "),
            Lines{"App\\b.txt: read-only, and deleting it was declined (--force deletes it)"});
  EXPECT_EQ(LinesStarting(run.out, "would delete: ").size(), 4u) << run.out;
  EXPECT_TRUE(Holds(run.err, "dry run: 4 of 5 rows would be deleted for good; nothing was changed.")) << run.err;

  run = Zorvan({"trash", "purge", "--all", "--dry-run", "--yes", "--force"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(Trees(), before);
  const Lines deleted = LinesStarting(run.out, "would delete: ");
  EXPECT_EQ(deleted, (Lines{"App\\Sub\\a.txt", "<DIR> App", "App\\b.txt", "App\\ro.dat", "<DIR> App\\Sub"}));

  run = Zorvan({"trash", "purge", "--all", "--yes", "--force"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "5 of 5 rows deleted for good; the trash holds 0 records.\n");
}

}  // namespace
}  // namespace zv::testing
