// zorvan remove and zorvan trash as processes: an installation goes into
// the trash and comes back whole, read-only files only with --force, and
// the trash the mapper's windows read is the one zorvan wrote.
#include <sys/stat.h>
#include <unistd.h>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/trash/trash_manager.h"
#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

class ZorvanTrashTest : public ZorvanTest {
 protected:
  // Tracks an installation of `App` as the map Foo. Its names are chosen so
  // that the trash manager's order by name puts a file ("a.txt") before
  // the folders it needs ("App", "Sub").
  void InstallFoo() {
    const std::string install =
        "set -e; cd \"$ZORVAN_WINDIR\"; mkdir -p App/Sub App/Empty; echo a > App/Sub/a.txt; "
        "printf '#!/bin/sh\\n' > App/run; chmod 755 App/run; echo key > App/key.pem; chmod 600 App/key.pem; "
        "echo g > App/Sub/group.cfg; chmod 640 App/Sub/group.cfg; ln -s ../win.ini App/ini-link; "
        "echo ro > App/ro.dat; chmod 444 App/ro.dat";
    const ZorvanRun run = Zorvan({"track", "Foo", "--", "sh", "-c", install});
    ASSERT_EQ(run.code, 0) << run.err;
  }

  // The trash as the mapper's trash manager lists it.
  std::vector<TrashRow> ManagerRows() {
    FakePerson person;
    Mapper mapper(*host_, person);
    mapper.program_folder = program_.path();
    mapper.windows_folder = windows_.path();
    TrashManager trash(mapper);
    trash.Refresh();
    return trash.rows();
  }
};

TEST_F(ZorvanTrashTest, RemoveThenRestoreBringsTheWholeApplicationBack) {
  InstallFoo();
  const auto installed = Tree(windows_.path());

  // Nobody to answer: nothing moves, and the message says how to answer.
  ZorvanRun run = Zorvan({"remove", "foo"});
  ASSERT_TRUE(run.code.has_value()) << "it waited for an answer";
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "Delete all the mapped files of \"Foo\"")) << run.err;
  EXPECT_TRUE(Holds(run.err, "run the command again with --yes")) << run.err;
  EXPECT_EQ(Tree(windows_.path()), installed);

  // --yes without --force: the read-only file and the folders that hold it
  // stay, each named; everything else goes.
  run = Zorvan({"remove", "Foo", "--yes"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "\"Foo\": 7 of 9 entries on disk moved into the trash " + program_ / "#TRASH" + ".\n");
  EXPECT_TRUE(Holds(run.err, "is a read-only file.")) << run.err;
  EXPECT_TRUE(Holds(run.err, "run the command again with --force")) << run.err;
  EXPECT_TRUE(Holds(run.err, "zorvan: still on disk: App\\ro.dat: read-only, and moving it was declined "
                             "(--force moves it)\n")) << run.err;
  EXPECT_TRUE(Holds(run.err, "zorvan: still on disk: <DIR> App: the folder still holds files of this map\n")) << run.err;
  EXPECT_EQ(ListNames(windows_ / "App"), Lines{"ro.dat"});

  run = Zorvan({"remove", "Foo", "--yes", "--force"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "\"Foo\": 2 of 2 entries on disk moved into the trash " + program_ / "#TRASH" + ".\n");
  EXPECT_FALSE(Exists(windows_ / "App"));

  // The mapper's trash manager reads the same rows zorvan lists.
  run = Zorvan({"trash", "list", "--format=tsv", "--map", "FOO"});
  ASSERT_EQ(run.code, 0) << run.err;
  std::string listed = "name\tmap\ttrashed\ttype\toriginal\n";
  for (const TrashRow& row : ManagerRows()) {
    const bool folder = row.trashed == "<DIR>";
    std::string original = folder ? row.place : row.place + row.name;
    for (std::size_t at = 0; (at = original.find('\\', at)) != std::string::npos; at += 2) original.insert(at, "\\");
    listed += row.name + "\t" + row.map + "\t" + (folder ? "" : row.trashed) + "\t" + (folder ? "folder" : "file") +
              "\t" + original + "\n";
  }
  EXPECT_EQ(run.out, listed);
  EXPECT_TRUE(Holds(listed, "a.txt\tFoo\tDEL0a.txt\tfile\tApp\\\\Sub\\\\a.txt\n")) << listed;
  EXPECT_TRUE(Holds(listed, "Sub\tFoo\t\tfolder\tApp\\\\Sub\n")) << listed;
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 10);

  // One step, with no question answered: folders come back before the
  // files that need them.
  run = Zorvan({"trash", "restore", "--map", "Foo"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "9 of 9 rows restored; the trash holds 0 records.\n");
  auto expected = installed;
  expected["/App/ro.dat"] = "file 420 ro\n";  // it lost its read-only mark when it was let move, as in the mapper
  EXPECT_EQ(Tree(windows_.path()), expected);
  EXPECT_TRUE(ManagerRows().empty());
  EXPECT_TRUE(Holds(Zorvan({"show", "Foo"}).out, "9/9 still on disk")) << "the map never changed";
}

TEST_F(ZorvanTrashTest, OneEntryAndThePurge) {
  InstallFoo();
  ZorvanRun run = Zorvan({"remove", "Foo", "--entry", windows_ / "App/Sub/a.txt", "--yes"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "\"Foo\": 1 of 1 entry on disk moved into the trash " + program_ / "#TRASH" + ".\n");
  EXPECT_FALSE(Exists(windows_ / "App/Sub/a.txt"));
  EXPECT_TRUE(Exists(windows_ / "App/Sub/group.cfg"));

  const struct {
    std::vector<std::string> args;
    std::string says;
  } refused[] = {
      {{"remove", "Foo", "--entry", "App/Sub/a.txt", "--yes"}, "This file is already gone from the disk."},
      {{"remove", "Foo", "--entry", "App/none", "--yes"}, "the map \"Foo\" lists no entry \"App/none\""},
      {{"remove", "Foo", "--entry", "App/Sub", "--yes"}, "It is not empty or cannot be removed"},
      {{"remove", "Bar", "--yes"}, "there is no map \"Bar\""},
      {{"trash", "restore", "--map", "Bar"}, "the trash holds no row of the map \"Bar\""},
  };
  for (const auto& c : refused) {
    run = Zorvan(c.args);
    EXPECT_EQ(run.code, 1) << c.says;
    EXPECT_TRUE(Holds(run.err, c.says)) << run.err;
  }
  EXPECT_TRUE(Exists(windows_ / "App/Sub"));

  // A read-only file in the trash is purged only with --force; without
  // --yes nothing is purged.
  WriteBytes(program_ / "#TRASH/DEL0old.txt", "old");
  ::chmod((program_ / "#TRASH/DEL0old.txt").c_str(), 0444);
  std::string log = ReadBytes(program_ / "#TRASH/!TRASH!.DAT");
  WriteBytes(program_ / "#TRASH/!TRASH!.DAT", log + "|N{old.txt}N|M{Old}M|T{DEL0old.txt}T|P{}P|\r\n");
  run = Zorvan({"trash", "purge", "--all"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "Delete them for good?")) << run.err;
  EXPECT_TRUE(Holds(run.err, "nothing was deleted.")) << run.err;
  EXPECT_TRUE(Exists(program_ / "#TRASH/DEL0a.txt"));
  // Answered no on a terminal: the no is the reason, not --force.
  run = ZorvanAtTerminal({"trash", "purge", "--all"}, "n\n");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Holds(run.err, "Delete them for good? [y/N] ")) << run.err;
  EXPECT_TRUE(Holds(run.err, "nothing was deleted: the answer was no.")) << run.err;
  EXPECT_FALSE(Holds(run.err, "--force")) << run.err;
  EXPECT_TRUE(Exists(program_ / "#TRASH/DEL0a.txt"));

  run = Zorvan({"trash", "purge", "--all", "--yes"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "1 of 2 rows deleted for good; the trash holds 1 record.\n");
  EXPECT_TRUE(Holds(run.err, "still in the trash: old.txt (DEL0old.txt, map \"Old\")")) << run.err;
  EXPECT_FALSE(Exists(program_ / "#TRASH/DEL0a.txt"));

  run = Zorvan({"trash", "purge", "--name", "OLD.TXT", "--yes", "--force"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(ListNames(program_ / "#TRASH"), Lines{"!TRASH!.DAT"});
  EXPECT_EQ(Zorvan({"trash", "list"}).out, "0 records in the trash\n");
  EXPECT_EQ(ReadLines(program_ / "#TRASH/!TRASH!.DAT"), Lines{"*** TrashManager v2.0 ***"});
}

TEST_F(ZorvanTrashTest, AFolderSharedWithAnotherApplicationStaysAndThatIsNoFailure) {
  InstallFoo();
  const std::string install = "set -e; cd \"$ZORVAN_WINDIR\"; mkdir App/Bar; echo b > App/Bar/b.txt; echo c > App/c.txt";
  ASSERT_EQ(Zorvan({"track", "Bar", "--", "sh", "-c", install}).code, 0);
  const ZorvanRun run = Zorvan({"remove", "Foo", "--yes", "--force"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.err, "a folder stays, as it also holds what this map does not list: <DIR> App.")) << run.err;
  EXPECT_FALSE(Holds(run.err, "still on disk")) << run.err;
  EXPECT_EQ(ListNames(windows_ / "App"), (Lines{"Bar", "c.txt"}));
}

TEST_F(ZorvanTrashTest, NamesThatDifferOnlyInLetterCaseAreReportedForWhatHappened) {
  // Two maps list two spellings of one name; only one spelling is on disk,
  // so the first map's entry names the second's file and must not take it.
  WriteBytes(windows_ / "App/FOO", "other's");
  WriteBytes(windows_ / "App/own.txt", "own");
  WriteLines(program_ / "Mine.MAP", {"***Mine***", "<DIR> App", "App\\foo", "App\\own.txt"});
  WriteLines(program_ / "Other.MAP", {"***Other***", "App\\FOO"});
  ZorvanRun run = Zorvan({"remove", "Mine", "--yes", "--dry-run"});
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_TRUE(Holds(run.out, "would stay: App\\foo: not moved: the disk has it only in another letter case")) << run.out;
  EXPECT_TRUE(Holds(run.out, "would move: App\\own.txt")) << run.out;
  run = Zorvan({"remove", "Mine", "--yes"});
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_TRUE(Holds(run.err, "still on disk: App\\foo: not moved: the disk has it only in another letter case"))
      << run.err;
  EXPECT_EQ(ListNames(windows_ / "App"), (Lines{"FOO"}));

  // Both spellings on disk: the map's own file goes, and its twin left
  // behind is said, not counted as a failure.
  WriteBytes(windows_ / "App/foo", "mine");
  WriteLines(program_ / "Mine.MAP", {"***Mine***", "App\\foo"});
  run = Zorvan({"remove", "Mine", "--yes"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "\"Mine\": 1 of 1 entry on disk moved into the trash " + program_ / "#TRASH" + ".\n");
  EXPECT_TRUE(Holds(run.err, "moved into the trash, though a name that differs only in letter case is still on disk: "
                             "App\\foo"))
      << run.err;
  EXPECT_FALSE(Holds(run.err, "zorvan: still on disk:")) << run.err;
  EXPECT_EQ(ListNames(windows_ / "App"), (Lines{"FOO"}));
}

}  // namespace
}  // namespace zv::testing
