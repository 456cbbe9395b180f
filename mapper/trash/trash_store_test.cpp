#include "mapper/trash/trash_store.h"

#include <fcntl.h>
#include <unistd.h>

#include "mapper/trash/trash_manager.h"
#include "mapper/trash/trash_test_support.h"
#include "platform/posix_test_support.h"

namespace zv {
namespace {

using namespace trash_testing;

class TrashStoreTest : public TrashTest {
 protected:
  bool Trash(const std::string& entry) { return TrashEntry(mapper_, entry); }
  // Restores the trash manager's row of this trashed name.
  void RestoreRow(const std::string& trashed) {
    TrashManager manager(mapper_);
    manager.Refresh();
    for (std::size_t i = 0; i < manager.rows().size(); ++i) {
      if (manager.rows()[i].trashed == trashed) manager.Restore({i}, "Restore");
    }
  }
};

TEST_F(TrashStoreTest, StartUpCreatesTheFolderAndHeaderOnce) {
  EXPECT_EQ(LogBytes(), "***TrashManager 2.0***\r\n");
  SetLog({"***TrashManager 2.0***", Record("a", "b", "c", "")});
  EXPECT_TRUE(CreateTrashStore(mapper_));  // an existing log is kept as it is
  EXPECT_EQ(Log().size(), 2u);

  ScratchFolder other;
  WriteBytes(other / "#TRASH", "a file in the way");
  mapper_.program_folder = other.path();
  EXPECT_FALSE(CreateTrashStore(mapper_));
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Error");
  EXPECT_EQ(person_.notices[0].text, "Cannot create #TRASH folder");
}

TEST_F(TrashStoreTest, NamesAreNumberedPerNameAndFreedNumbersReused) {
  Map("Paint", {});
  Install("A\\Foo.dll", "first");
  Install("B\\foo.dll", "second");
  Install("Root.txt");
  EXPECT_TRUE(Trash("A\\Foo.dll"));
  EXPECT_TRUE(Trash("B\\foo.dll"));  // the number ignores case
  EXPECT_TRUE(Trash("Root.txt"));
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0Foo.dll", "DEL0Root.txt", "DEL1foo.dll"}));
  EXPECT_EQ(ReadBytes(InTrash("DEL1foo.dll")), "second");
  // Byte for byte: header, then the records in case-ignoring order.
  EXPECT_EQ(LogBytes(), "***TrashManager 2.0***\r\n"
                        "|N{Foo.dll}N|M{Paint}M|T{DEL0Foo.dll}T|P{A\\}P|\r\n"
                        "|N{foo.dll}N|M{Paint}M|T{DEL1foo.dll}T|P{B\\}P|\r\n"
                        "|N{Root.txt}N|M{Paint}M|T{DEL0Root.txt}T|P{}P|\r\n");

  RestoreRow("DEL0Foo.dll");
  EXPECT_EQ(ReadBytes(InWindows("A/Foo.dll")), "first");
  Install("C\\FOO.DLL");
  EXPECT_TRUE(Trash("C\\FOO.DLL"));
  EXPECT_TRUE(Exists(InTrash("DEL0FOO.DLL")));

  // A record whose file is gone (a crash, a hand-made deletion) keeps its
  // number until the trash manager drops it.
  ::unlink(InTrash("DEL0Root.txt").c_str());
  Install("Root.txt");
  EXPECT_TRUE(Trash("Root.txt"));
  EXPECT_TRUE(Exists(InTrash("DEL1Root.txt")));
  EXPECT_TRUE(person_.notices.empty());
}

TEST_F(TrashStoreTest, FolderIsRemovedOnlyWhenEmpty) {
  Map("Paint", {});
  MakeFolders(InWindows("SYSTEM/NewDir"));
  Install("SYSTEM\\Full\\other.txt");
  EXPECT_TRUE(Trash("<DIR> SYSTEM\\NewDir"));
  EXPECT_FALSE(Exists(InWindows("SYSTEM/NewDir")));
  EXPECT_FALSE(Trash("<DIR> SYSTEM\\Full"));
  EXPECT_FALSE(Trash("<DIR> SYSTEM\\Gone"));  // missing: nothing, no word
  EXPECT_TRUE(Exists(InWindows("SYSTEM/Full/other.txt")));
  EXPECT_EQ(Log(), (Lines{"***TrashManager 2.0***", "|N{NewDir}N|M{Paint}M|T{<DIR>}T|P{SYSTEM\\NewDir}P|"}));
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Zorvan");
  EXPECT_EQ(person_.notices[0].text, "VIO-DIR \"" + InWindows("SYSTEM/Full") + "\"\nDIRNOTEMPTY");
}

TEST_F(TrashStoreTest, ProgressIsToldAsTheMovesAreDoneNotAsTheyAreQueued) {
  Map("Big", {});
  for (int i = 0; i < 130; ++i) Install("Big\\f" + std::to_string(i) + ".dat");
  std::vector<std::pair<std::size_t, std::size_t>> told;  // (added, files in the trash)
  TrashSession session(mapper_);
  session.on_progress = [&](std::size_t added) { told.emplace_back(added, TrashFiles().size()); };
  session.Add("Big\\gone.dat");  // missing: counted as added, nothing moves
  for (int i = 0; i < 130; ++i) session.Add("Big\\f" + std::to_string(i) + ".dat");
  EXPECT_TRUE(told.empty()) << "the moves are held back until the run ends";
  session.Finish();
  EXPECT_EQ(told, (std::vector<std::pair<std::size_t, std::size_t>>{{65, 64}, {129, 128}}));
  EXPECT_EQ(session.trashed(), 130u);
}

TEST_F(TrashStoreTest, DeclinedReadOnlyFileStaysUnlogged) {
  Map("Paint", {});
  const std::string file = Install("SYSTEM\\Foo.dll");
  ::chmod(file.c_str(), 0444);
  const std::string before = LogBytes();
  person_.QueueConfirm(false);
  EXPECT_FALSE(Trash("SYSTEM\\Foo.dll"));
  EXPECT_TRUE(IsReadOnly(file));
  EXPECT_EQ(LogBytes(), before);
  EXPECT_EQ(TrashFiles(), Lines{});
  EXPECT_EQ(person_.notices.back().text, "Cannot trash Foo.dll");

  person_.QueueConfirm(true);
  EXPECT_TRUE(Trash("SYSTEM\\Foo.dll"));
  EXPECT_FALSE(IsReadOnly(InTrash("DEL0Foo.dll")));
}

TEST_F(TrashStoreTest, BothHeaderFormsAreExtendedAlike) {
  Map("Paint", {});
  for (const char* header : {"***TrashManager 2.0***", "*** TrashManager v2.0 ***"}) {
    SetLog({header, Record("Zed.dll", "Old", "DEL0Zed.dll", "")});
    Install("Abc.dll");
    EXPECT_TRUE(Trash("Abc.dll"));
    EXPECT_EQ(Log(), (Lines{header, Record("Abc.dll", "Paint", "DEL0Abc.dll", ""),
                            Record("Zed.dll", "Old", "DEL0Zed.dll", "")}));
    ::unlink(InTrash("DEL0Abc.dll").c_str());
  }
}

TEST_F(TrashStoreTest, EntriesLeavingTheWindowsFolderAreRefused) {
  Map("Paint", {});
  ScratchFolder outside;
  WriteBytes(outside / "run.sh", "outside");
  const std::string climb = "..\\" + outside.path().substr(outside.path().rfind('/') + 1) + "\\run.sh";
  ::symlink(outside.path().c_str(), InWindows("Link").c_str());
  Install("Fine.txt");
  for (const std::string& entry : {climb, outside.path() + "/run.sh", std::string("C:\\WINDOWS\\Fine.txt"),
                                   std::string("Link\\run.sh"), std::string("<DIR> ..\\..")}) {
    SCOPED_TRACE(entry);
    person_.notices.clear();
    EXPECT_FALSE(Trash(entry));
    ASSERT_EQ(person_.notices.size(), 1u);
    EXPECT_EQ(person_.notices[0].text, "Refused: \"" + DisplayPath(entry) + "\" leaves the Windows folder");
  }
  EXPECT_EQ(ReadBytes(outside / "run.sh"), "outside");
  EXPECT_EQ(TrashFiles(), Lines{});
  EXPECT_EQ(Log().size(), 1u);
  // The link itself is an entry like any file: it goes as a link.
  EXPECT_TRUE(Trash("Link"));
  EXPECT_EQ(ReadBytes(InTrash("DEL0Link/run.sh")), "outside");
}

TEST_F(TrashStoreTest, CaseTwinsAreEachTakenByTheirOwnName) {
  Map("Paint", {});
  Install("Twin.dll", "mixed");
  Install("TWIN.DLL", "upper");
  EXPECT_TRUE(Trash("TWIN.DLL"));
  EXPECT_EQ(ReadBytes(InTrash("DEL0TWIN.DLL")), "upper");
  EXPECT_EQ(ReadBytes(InWindows("Twin.dll")), "mixed");
  EXPECT_TRUE(Trash("Twin.dll"));
  EXPECT_EQ(ReadBytes(InTrash("DEL1Twin.dll")), "mixed");

  // Only the name as spelled holds a restore back; a twin in another case
  // does not, and each file goes back to its own spelling.
  Install("TWIN.DLL", "back in place");
  RestoreRow("DEL0TWIN.DLL");
  EXPECT_EQ(ReadBytes(InTrash("DEL0TWIN.DLL")), "upper");
  ::unlink(InWindows("TWIN.DLL").c_str());
  Install("twin.dll", "third");
  RestoreRow("DEL0TWIN.DLL");
  EXPECT_EQ(ReadBytes(InWindows("TWIN.DLL")), "upper");
  EXPECT_EQ(ListNames(windows_.path()), (Lines{"TWIN.DLL", "twin.dll"}));
  EXPECT_TRUE(person_.notices.empty());
}

TEST_F(TrashStoreTest, AWindowsFolderOnAnotherFileSystemTravelsWhole) {
  host_testing::OtherFileSystemFolder other(program_.path());
  if (other.path().empty()) GTEST_SKIP() << "/dev/shm is on the same file system as the program folder";
  mapper_.windows_folder = other.path();
  Map("Paint", {});
  const std::string file = other.path() + "/SYSTEM/Foo.dll";
  WriteBytes(file, std::string(1 << 20, 'f'));
  ::chmod(file.c_str(), 0751);
  const timespec times[2] = {{1000000000, 5}, {1100000000, 7}};
  ::utimensat(AT_FDCWD, file.c_str(), times, 0);
  ASSERT_TRUE(Trash("SYSTEM\\Foo.dll"));
  EXPECT_FALSE(Exists(file));
  RestoreRow("DEL0Foo.dll");
  struct stat st {};
  ASSERT_EQ(::lstat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 7);
  EXPECT_EQ(ReadBytes(file), std::string(1 << 20, 'f'));
  EXPECT_EQ(TrashFiles(), Lines{});
}

// The log went away or cannot be written while entries are being trashed.
TEST_F(TrashStoreTest, LogProblemsAreSaidOnceAndLoseNothing) {
  Map("Paint", {});
  Install("b.txt");
  Install("c.txt");
  SetLog({"***TrashManager 2.0***", Record("a.txt", "Paint", "DEL0a.txt", "")});
  TrashSession second(mapper_);
  second.Add("b.txt");  // reads the log
  ::unlink((program_ / "#TRASH/!TRASH!.DAT").c_str());
  second.Add("c.txt");
  second.Finish();
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0b.txt", "DEL0c.txt"}));
  EXPECT_EQ(Log(), (Lines{"***TrashManager 2.0***", Record("a.txt", "Paint", "DEL0a.txt", ""),
                          Record("b.txt", "Paint", "DEL0b.txt", ""), Record("c.txt", "Paint", "DEL0c.txt", "")}));
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_NE(person_.notices[0].text.find("was missing"), std::string::npos);

  // A log that cannot be written: nothing more moves, one box says so.
  person_.notices.clear();
  Install("d.txt");
  Install("e.txt");
  ::chmod((program_ / "#TRASH/!TRASH!.DAT").c_str(), 0444);
  const std::string before = LogBytes();
  TrashSession third(mapper_);
  third.Add("d.txt");
  ::chmod(InWindows("e.txt").c_str(), 0444);
  third.Add("e.txt");  // not asked about once d.txt's record failed
  third.Finish();
  EXPECT_TRUE(person_.confirm_questions.empty());
  EXPECT_EQ(third.trashed(), 0u);
  EXPECT_TRUE(Exists(InWindows("d.txt")));
  EXPECT_TRUE(IsReadOnly(InWindows("e.txt")));
  EXPECT_EQ(LogBytes(), before);
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].text, "Cannot write the trash log " + program_.path() +
                                         "/#TRASH/!TRASH!.DAT: Permission denied.\nNothing more is put into "
                                         "the trash. \"" + InWindows("d.txt") + "\" stays where it is.");
  ::chmod(InWindows("e.txt").c_str(), 0644);

  // A read-only file let into the trash keeps its mark when its record
  // cannot be written.
  Install("f.txt");
  ::chmod(InWindows("f.txt").c_str(), 0444);
  person_.QueueConfirm(true);
  TrashSession fourth(mapper_);
  fourth.Add("f.txt");
  fourth.Finish();
  EXPECT_EQ(fourth.trashed(), 0u);
  EXPECT_TRUE(IsReadOnly(InWindows("f.txt")));
  ::chmod(InWindows("f.txt").c_str(), 0644);

  // A log without a line end at its end gets one before the next record.
  ::chmod((program_ / "#TRASH/!TRASH!.DAT").c_str(), 0644);
  WriteBytes(program_ / "#TRASH/!TRASH!.DAT", "***TrashManager 2.0***\r\n|N{cut");
  EXPECT_TRUE(TrashEntry(mapper_, "d.txt"));
  EXPECT_EQ(Log(), (Lines{"***TrashManager 2.0***", "|N{cut", Record("d.txt", "Paint", "DEL0d.txt", "")}));
}

}  // namespace
}  // namespace zv
