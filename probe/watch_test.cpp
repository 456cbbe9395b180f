#include "probe/watch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::MakeFolders;
using testing::ScratchFolder;
using testing::WriteBytes;
using Listing = std::vector<std::string>;

TEST(ListWatchedFolderTest, NamesFoldersInBracketsWithSelfAndParentInByteOrder) {
  ScratchFolder windir;
  WriteBytes(windir / "b.txt", "x");
  WriteBytes(windir / "B.TXT", "x");
  WriteBytes(windir / ".hidden", "x");
  WriteBytes(windir / "_under", "x");
  MakeFolders(windir / "SYSTEM");
  MakeFolders(windir / "fonts");
  std::filesystem::create_symlink(windir / "SYSTEM", windir / "link");
  auto host = NewPosixHost();

  // Plain byte order: upper case before lower case, "[..]" before "[.]"
  // ("." < "]"); a link is a plain entry, never a folder.
  EXPECT_EQ(ListWatchedFolder(*host, windir.path()),
            (Listing{".hidden", "B.TXT", "[..]", "[.]", "[SYSTEM]", "[fonts]", "_under", "b.txt", "link"}));
  EXPECT_EQ(ListWatchedFolder(*host, windir.path() + "\\SYSTEM"), (Listing{"[..]", "[.]"}));
  // What cannot be listed lists as nothing, never as an error.
  EXPECT_EQ(ListWatchedFolder(*host, windir / "gone"), Listing{});
  EXPECT_EQ(ListWatchedFolder(*host, windir / "b.txt"), Listing{});
}

TEST(TrackedFoldersTest, IniLinesBelowTheWindowsFolderThenItselfWithoutALimit) {
  EXPECT_EQ(TrackedFolders("/w", {"SYSTEM", "SYSTEM\\COLOR", "", "fonts"}),
            (Listing{"/w\\SYSTEM", "/w\\SYSTEM\\COLOR", "/w\\fonts", "/w"}));
  EXPECT_EQ(TrackedFolders("/w", {}), Listing{"/w"});
  const Listing many(250, "D");
  const Listing tracked = TrackedFolders("/w", many);
  ASSERT_EQ(tracked.size(), 251u);
  EXPECT_EQ(tracked.back(), "/w");
}

class WatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFolders(windir / "SYSTEM\\COLOR");
    WriteBytes(windir / "win.ini", "[windows]\r\n");
    watch = std::make_unique<Watch>(*host, TrackedFolders(windir.path(), {"SYSTEM", "SYSTEM\\COLOR"}));
  }
  void Create(const std::string& relative) { WriteBytes(windir / relative, "data"); }

  ScratchFolder windir;
  std::unique_ptr<Host> host = NewPosixHost();
  std::unique_ptr<Watch> watch;
};

TEST_F(WatchTest, FirstTickOnlySnapshotsThenEveryNameChangeCounts) {
  struct Case {
    const char* what;
    std::function<void(const ScratchFolder&)> change;
    bool reported;
  };
  const Case cases[] = {
      {"nothing", [](const ScratchFolder&) {}, false},
      {"contents and size", [](const ScratchFolder& w) { WriteBytes(w / "win.ini", "much longer now"); }, false},
      {"new file deep", [](const ScratchFolder& w) { WriteBytes(w / "SYSTEM\\COLOR\\new.icm", ""); }, true},
      {"new folder", [](const ScratchFolder& w) { MakeFolders(w / "SYSTEM\\NewDir"); }, true},
      {"deleted file", [](const ScratchFolder& w) { std::filesystem::remove(w / "win.ini"); }, true},
      {"renamed in case only",
       [](const ScratchFolder& w) { std::filesystem::rename(w / "win.ini", w / "WIN.INI"); }, true},
      {"file replaced by folder of the same name",
       [](const ScratchFolder& w) {
         std::filesystem::remove(w / "win.ini");
         MakeFolders(w / "win.ini");
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder fresh;
    MakeFolders(fresh / "SYSTEM\\COLOR");
    WriteBytes(fresh / "win.ini", "[windows]\r\n");
    Watch w(*host, TrackedFolders(fresh.path(), {"SYSTEM", "SYSTEM\\COLOR"}));
    EXPECT_FALSE(w.Tick());
    c.change(fresh);
    EXPECT_EQ(w.Tick(), c.reported);
  }
}

TEST_F(WatchTest, ChangedListingsAreNotStoredSoTheChangeIsSeenAgain) {
  EXPECT_FALSE(watch->Tick());
  Create("SYSTEM\\new.dll");
  EXPECT_TRUE(watch->Tick());
  EXPECT_TRUE(watch->Tick());
  EXPECT_EQ(watch->snapshots()[0], (Listing{"[..]", "[.]", "[COLOR]"}));
  watch->ClearSnapshots();
  EXPECT_FALSE(watch->Tick());
  EXPECT_FALSE(watch->Tick());
}

TEST_F(WatchTest, AFolderThatVanishesIsAChangeAndAfterClearingIsSimplyEmpty) {
  EXPECT_FALSE(watch->Tick());
  std::filesystem::remove_all(windir / "SYSTEM\\COLOR");  // an uninstaller took it
  EXPECT_TRUE(watch->Tick());

  watch->ClearSnapshots();
  EXPECT_FALSE(watch->Tick());
  EXPECT_TRUE(watch->snapshots()[1].empty()) << "an unlistable folder keeps no snapshot";
  EXPECT_FALSE(watch->Tick());

  MakeFolders(windir / "SYSTEM\\COLOR");
  EXPECT_TRUE(watch->Tick()) << "SYSTEM's listing gained the folder again";
  watch->ClearSnapshots();
  EXPECT_FALSE(watch->Tick());
  EXPECT_FALSE(watch->snapshots()[1].empty());
  Create("SYSTEM\\COLOR\\again.icm");
  EXPECT_TRUE(watch->Tick());
}

TEST_F(WatchTest, AnEmptyFolderThatVanishesIsAChangeOfItsOwn) {
  // Only the folder itself is tracked below the Windows folder, so its own
  // listing ("[..]" and "[.]" against nothing) is all that changes.
  Watch w(*host, TrackedFolders(windir.path(), {"SYSTEM\\COLOR"}));
  EXPECT_FALSE(w.Tick());
  EXPECT_FALSE(w.Tick());
  std::filesystem::remove(windir / "SYSTEM\\COLOR");
  EXPECT_TRUE(w.Tick());
  MakeFolders(windir / "SYSTEM\\COLOR");
  EXPECT_FALSE(w.Tick()) << "back as it was";
}

TEST_F(WatchTest, FolderNamesInIniMatchTheDiskWithoutRegardToCase) {
  Watch w(*host, TrackedFolders(windir.path(), {"system\\color"}));
  EXPECT_FALSE(w.Tick());
  EXPECT_EQ(w.snapshots()[0], (Listing{"[..]", "[.]"}));
  Create("SYSTEM\\COLOR\\x.icm");
  EXPECT_TRUE(w.Tick());
}

}  // namespace
}  // namespace zv
