#include "probe/watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "platform/forwarding_host.h"
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

// The real host, counting the folders it lists. Its stamps can be withheld,
// read as if the clock were `clock_ahead_ns` later (so that a folder made a
// moment ago counts as old), or held at the first stamp read of each folder,
// as a file system's coarse clock leaves them for changes within one tick.
class StampHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;

  bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) override {
    ++listings;
    return ForwardingHost::ListFolder(path, out);
  }
  bool ReadFolderStamp(const std::string& path, FolderStamp* out) override {
    if (!stamps || !ForwardingHost::ReadFolderStamp(path, out)) return false;
    if (held) {
      const std::int64_t read_ns = out->read_ns;
      *out = held_stamps.emplace(path, *out).first->second;
      out->read_ns = read_ns;
    }
    out->read_ns += clock_ahead_ns;
    return true;
  }

  int listings = 0;
  bool stamps = true;
  bool held = false;
  std::int64_t clock_ahead_ns = 0;
  std::map<std::string, FolderStamp> held_stamps;
};

constexpr std::int64_t kTenSeconds = 10'000'000'000;

class StampedWatchTest : public WatchTest {
 protected:
  // Ticks and answers whether a change was seen; *read is the number of
  // folders the tick listed.
  bool TickCounting(int* read) {
    stamp_host.listings = 0;
    const bool changed = stamped->Tick();
    *read = stamp_host.listings;
    return changed;
  }
  // Lets the file system's clock move on, so that a change gets times of its own.
  static void NextClockTick() { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }

  StampHost stamp_host{*host};
  std::unique_ptr<Watch> stamped =
      std::make_unique<Watch>(stamp_host, TrackedFolders(windir.path(), {"SYSTEM", "SYSTEM\\COLOR"}));
};

TEST_F(StampedWatchTest, AnOldUnchangedFolderIsNotReadUntilItsNamesChange) {
  stamp_host.clock_ahead_ns = kTenSeconds;
  int read = 0;
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 3) << "the first tick lists every folder";
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 0) << "old stamps as they were vouch for every snapshot";

  NextClockTick();
  WriteBytes(windir / "win.ini", "contents and size change, names do not");
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 0);

  Create("SYSTEM\\COLOR\\new.icm");
  EXPECT_TRUE(TickCounting(&read));
  EXPECT_EQ(read, 1) << "only the folder whose stamp moved is read";
  EXPECT_TRUE(TickCounting(&read)) << "a changed listing vouches for nothing";
  EXPECT_EQ(read, 1);

  // Resume and stand-by empty the snapshots: every folder is read afresh.
  stamped->ClearSnapshots();
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 3);
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 0);
}

TEST_F(StampedWatchTest, EveryChangeOfNamesAfterAnOldStampIsReported) {
  using Change = std::function<void(const ScratchFolder& w, const ScratchFolder& elsewhere)>;
  struct Case {
    const char* what;
    Change change;
  };
  const Case cases[] = {
      {"new file", [](auto& w, auto&) { WriteBytes(w / "SYSTEM\\COLOR\\new.icm", ""); }},
      {"deleted file", [](auto& w, auto&) { std::filesystem::remove(w / "win.ini"); }},
      {"renamed in case only", [](auto& w, auto&) { std::filesystem::rename(w / "win.ini", w / "WIN.INI"); }},
      {"moved between folders",
       [](auto& w, auto&) { std::filesystem::rename(w / "win.ini", w / "SYSTEM\\win.ini"); }},
      {"moved out of the tree",
       [](auto& w, auto& e) { std::filesystem::rename(w / "SYSTEM\\COLOR\\old.icm", e / "old.icm"); }},
      {"tracked folder swapped for an empty one",
       [](auto& w, auto& e) {
         std::filesystem::rename(w / "SYSTEM\\COLOR", e / "COLOR");
         MakeFolders(w / "SYSTEM\\COLOR");
       }},
      {"tracked folder gone", [](auto& w, auto&) { std::filesystem::remove_all(w / "SYSTEM\\COLOR"); }},
      {"new file behind a linked folder", [](auto& w, auto&) { WriteBytes(w / "REAL\\new.dll", ""); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder fresh, elsewhere;
    WriteBytes(fresh / "SYSTEM\\COLOR\\old.icm", "");
    WriteBytes(fresh / "win.ini", "[windows]\r\n");
    MakeFolders(fresh / "REAL");
    std::filesystem::create_directory_symlink(fresh / "REAL", fresh / "LINKED");
    StampHost old_stamps(*host);
    old_stamps.clock_ahead_ns = kTenSeconds;
    Watch w(old_stamps, TrackedFolders(fresh.path(), {"SYSTEM", "system\\color", "LINKED"}));
    EXPECT_FALSE(w.Tick());
    old_stamps.listings = 0;
    EXPECT_FALSE(w.Tick());
    EXPECT_EQ(old_stamps.listings, 0);
    NextClockTick();
    c.change(fresh, elsewhere);
    EXPECT_TRUE(w.Tick());
  }
}

TEST_F(StampedWatchTest, AYoungStampVouchesForNothing) {
  int read = 0;
  // Made just now: the real clock says every stamp is young, so a name
  // created within the same second as the snapshot is still seen.
  EXPECT_FALSE(TickCounting(&read));
  Create("SYSTEM\\fresh.dll");
  EXPECT_TRUE(TickCounting(&read));
  EXPECT_EQ(read, 3);
  std::filesystem::remove(windir / "SYSTEM\\fresh.dll");

  // A change made in the same tick of the file system's clock as the
  // snapshot's stamp leaves the stamp as it was: young, it is not believed.
  stamp_host.held = true;
  stamped->ClearSnapshots();
  EXPECT_FALSE(TickCounting(&read));
  Create("SYSTEM\\same-tick.dll");
  EXPECT_TRUE(TickCounting(&read));
  EXPECT_EQ(read, 3);

  // The same unmoved stamp, once old, is believed: that is all that spares
  // the reading, so the age is what keeps such a change from being missed.
  stamp_host.clock_ahead_ns = kTenSeconds;
  stamp_host.held_stamps.clear();
  stamped->ClearSnapshots();
  EXPECT_FALSE(TickCounting(&read));
  Create("SYSTEM\\unseen.dll");
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 0);
}

TEST_F(StampedWatchTest, WithoutStampsEveryFolderIsListedAsBefore) {
  stamp_host.stamps = false;
  int read = 0;
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 3);
  Create("SYSTEM\\COLOR\\new.icm");
  EXPECT_TRUE(TickCounting(&read));
  EXPECT_EQ(read, 3);

  // Stamps that stop being readable (the folder moved to a file system
  // without them) no longer spare any reading.
  stamp_host.stamps = true;
  stamp_host.clock_ahead_ns = kTenSeconds;
  stamped->ClearSnapshots();
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 0);
  stamp_host.stamps = false;
  EXPECT_FALSE(TickCounting(&read));
  EXPECT_EQ(read, 3);
}

}  // namespace
}  // namespace zv
