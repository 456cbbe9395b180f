#include "mapper/engine/new_map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/recording_view.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::ListNames;
using testing::MakeFolders;
using testing::ReadLines;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;

using Lines = std::vector<std::string>;

class NewMapTest : public ::testing::Test {
 protected:
  NewMapTest() : host_(NewPosixHost()), mapper_(*host_, person_) {
    mapper_.windows_folder = windows_.path();
    UseProgramFolder(program_.path());
    mapper_.scan_menu_caption = "&Scan";
    File("Win.ini");
    File("SYSTEM\\Foo.dll");
  }

  void UseProgramFolder(const std::string& folder) {
    mapper_.program_folder = folder;
    mapper_.maps = MapsList();
    WriteLines(folder + "/" + kIgnoreListFile, {"\\Temporary Internet Files\\"});
  }
  void File(const std::string& relative) { WriteBytes(windows_ / relative, "x"); }
  void Folder(const std::string& relative) { MakeFolders(windows_ / relative); }

  void Run() { CreateNewMap(mapper_, windows_.path()); }
  // The first map holds the whole tree; what the person saw is forgotten.
  void RunFirst() {
    Run();
    ASSERT_EQ(mapper_.maps.rows, Lines{kFirstMapName});
    person_ = FakePerson();
  }

  std::string MapFile(const std::string& name) const { return mapper_.program_folder + "/" + name + ".MAP"; }
  // A map's entries, sorted byte-wise.
  Lines Entries(const std::string& name) const {
    Lines lines = ReadLines(MapFile(name));
    EXPECT_FALSE(lines.empty()) << name;
    if (lines.empty()) return lines;
    EXPECT_EQ(lines[0], "***" + name + "***");
    lines.erase(lines.begin());
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  Lines MapNames() const {
    Lines maps;
    for (const std::string& name : ListNames(mapper_.program_folder)) {
      if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".MAP")) maps.push_back(name);
    }
    return maps;
  }
  static Lines Sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  // What the person saw at the end of every run: the cursor and the
  // progress window as before, the gauge hidden.
  void ExpectIdleAfterwards(bool busy_before = false) {
    EXPECT_EQ(person_.busy, busy_before);
    EXPECT_FALSE(person_.progress_visible);
    EXPECT_FALSE(person_.gauge_visible);
  }

  ScratchFolder windows_, program_;
  std::unique_ptr<Host> host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST_F(NewMapTest, FirstRunStoresTheWholeTreeAsTheFirstMapWithoutAsking) {
  for (int i = 0; i < 450; ++i) File("Many\\f" + std::to_string(i) + ".dat");
  RecordingView view;
  mapper_.view = &view;
  Run();

  EXPECT_TRUE(person_.text_requests.empty());
  EXPECT_EQ(mapper_.maps.rows, Lines{kFirstMapName});
  EXPECT_EQ(mapper_.maps.SelectedName(), kFirstMapName);
  EXPECT_EQ(Entries(kFirstMapName), Sorted(ReadLines(program_ / kSnapshotFile)));
  EXPECT_EQ(Entries(kFirstMapName).size(), 454u);
  EXPECT_EQ(view.listings.size(), 1u);

  EXPECT_EQ(person_.statuses.front().text, "Scanning...");
  EXPECT_EQ(person_.statuses.front().colour, kButtonFace);
  EXPECT_EQ(person_.LastStatus().colour, kLime);
  EXPECT_EQ(person_.LastStatus().text, " \"Windows (1st map)HASMAP454NEWFOUND");
  EXPECT_EQ(person_.progress_captions, (Lines{"Scanning...", "Loading maps...", "Lightning mapper"}));
  // The gauge starts at 0 and moves every 200 lines: 200 and 400 of 454.
  EXPECT_EQ(person_.gauge_values, (std::vector<int>{0, 44, 88, 0}));
  ExpectIdleAfterwards();
}

// The first map is named without asking only when no file of its name
// exists: one left out of the catalogue (a failed load, a link) is never
// replaced, and the new lines are named like any other new map. A map that
// is a pipe is left out of the index as it is out of the catalogue.
TEST_F(NewMapTest, TheFirstMapNameNeverReplacesAnExistingFile) {
  const Lines first = {"***Windows (1st map)***", "a", "b"};
  WriteLines(MapFile(kFirstMapName), first);
  ASSERT_EQ(mkfifo((program_ / "Pipe.MAP").c_str(), 0600), 0);
  person_.QueueText("After");
  Run();
  EXPECT_EQ(ReadLines(MapFile(kFirstMapName)), first);
  ASSERT_EQ(person_.text_requests.size(), 1u);
  EXPECT_EQ(Entries("After"), (Lines{"<DIR> SYSTEM", "SYSTEM\\Foo.dll", "Win.ini"}));
  EXPECT_EQ(mapper_.maps.rows, (Lines{"After", kFirstMapName}));

  ScratchFolder outside, program;
  UseProgramFolder(program.path());
  WriteLines(outside / "first.txt", first);
  ASSERT_EQ(symlink((outside / "first.txt").c_str(), MapFile("windows (1ST map)").c_str()), 0);
  person_ = FakePerson();
  person_.QueueText("Other");
  Run();
  EXPECT_EQ(ReadLines(outside / "first.txt"), first);
  EXPECT_EQ(mapper_.maps.rows, Lines{"Other"});
}

TEST_F(NewMapTest, NothingNewWritesNothingAndSaysSoInABoxOnlyWhenTheWindowShows) {
  RunFirst();
  const Lines maps = MapNames();
  for (const bool visible : {false, true}) {
    person_ = FakePerson();
    person_.SetMainWindowVisible(visible);
    Run();
    EXPECT_EQ(MapNames(), maps);
    EXPECT_TRUE(person_.text_requests.empty());
    ASSERT_EQ(person_.notices.size(), visible ? 1u : 0u);
    if (visible) {
      EXPECT_EQ(person_.notices[0].title, "&Scan");
      EXPECT_EQ(person_.notices[0].text, "3NONEW");
    }
    // The status line never stays on "Scanning...", box or not.
    EXPECT_EQ(person_.LastStatus().text, "3NONEW");
    ExpectIdleAfterwards();
  }
}

TEST_F(NewMapTest, WhatCountsAsNew) {
  RunFirst();
  struct Case {
    std::string name;
    std::function<void()> change;
    Lines entries;
    int count;
  };
  const std::vector<Case> cases = {
      {"Help", [&] { File("SYSTEM\\Foo.hlp"); }, {"SYSTEM\\Foo.GID", "SYSTEM\\Foo.hlp"}, 1},
      {"EmptyDir", [&] { Folder("NewDir"); }, {"<DIR> NewDir"}, 1},
      {"Program", [&] { File("Prog\\Sub\\a.exe"); }, {"<DIR> Prog", "<DIR> Prog\\Sub", "Prog\\Sub\\a.exe"}, 3},
      // A known file in another letter case is not new; a deleted one is not reported.
      {"Case",
       [&] {
         std::filesystem::rename(windows_ / "SYSTEM\\Foo.dll", windows_ / "SYSTEM\\FOO.DLL");
         std::filesystem::remove(windows_ / "Win.ini");
         File("x.txt");
       },
       {"x.txt"},
       1},
      // A help index file that appears later was already listed as a companion.
      {"Later", [&] { File("SYSTEM\\Foo.GID"); File("y.txt"); }, {"y.txt"}, 1},
  };
  for (const Case& c : cases) {
    person_ = FakePerson();
    c.change();
    person_.QueueText(c.name);
    Run();
    EXPECT_EQ(Entries(c.name), c.entries) << c.name;
    EXPECT_EQ(person_.text_requests.at(0).note, std::to_string(c.count) + "NEWFOUND NEWNAM") << c.name;
    EXPECT_EQ(person_.LastStatus().text, " \"" + c.name + "HASMAP" + std::to_string(c.count) + "NEWFOUND");
    EXPECT_EQ(mapper_.maps.SelectedName(), c.name);
  }
}

TEST_F(NewMapTest, EntriesOfEveryMapAreKnownHoweverFewTheyAre) {
  // The tree: Win.ini, <DIR> SYSTEM, SYSTEM\Foo.dll.
  struct Case {
    std::map<std::string, Lines> maps;
    Lines new_entries;
  };
  const std::vector<Case> cases = {
      {{{"A", {"system\\foo.dll"}}}, {"<DIR> SYSTEM", "Win.ini"}},
      {{{"A", {"<DIR> system"}}, {"B", {"WIN.INI"}}}, {"SYSTEM\\Foo.dll"}},
      {{{"A", {"<DIR> SYSTEM", "SYSTEM\\FOO.DLL"}}}, {"Win.ini"}},
      {{{"A", {}}}, {"<DIR> SYSTEM", "SYSTEM\\Foo.dll", "Win.ini"}},
  };
  for (const Case& c : cases) {
    ScratchFolder program;
    UseProgramFolder(program.path());
    for (const auto& [name, entries] : c.maps) {
      Lines lines = {"***" + name + "***"};
      lines.insert(lines.end(), entries.begin(), entries.end());
      WriteLines(MapFile(name), lines);
    }
    LoadMaps(mapper_, "");
    person_ = FakePerson();
    person_.QueueText("New");
    Run();
    EXPECT_EQ(Entries("New"), c.new_entries) << c.maps.begin()->second.size();
  }
}

// Names equal but for letter case share one map line; the scan counts
// exactly the snapshot lines that the maps then hold in no spelling of
// their own.
TEST_F(NewMapTest, NamesLostToACaseTwinAreCountedExactly) {
  File("Inc\\xt_connmark.h");
  File("Inc\\xt_CONNMARK.h");
  File("tri");
  File("TRI");
  File("Tri");
  File("Foo\\a.txt");   // twin folders: their "<DIR> " lines and the
  File("Foo\\b.txt");   // entries equal in both lose, the others stay
  File("FOO\\A.TXT");
  File("FOO\\c.txt");
  File("Twin\\Sub\\z");
  File("twin\\sub\\Z");
  File("bar");          // a file and a folder never share a line
  File("BAR\\x");
  RunFirst();

  const Lines snapshot = ReadLines(mapper_.program_folder + "/" + kSnapshotFile);
  const Lines mapped = Entries(kFirstMapName);
  std::size_t lost = 0;
  for (const std::string& line : snapshot) lost += !std::binary_search(mapped.begin(), mapped.end(), line);
  EXPECT_EQ(lost, 1u + 2 + 2 + 3);
  EXPECT_EQ(mapper_.twin_names, lost);
  EXPECT_EQ(mapped.size() + lost, snapshot.size());
}

TEST_F(NewMapTest, NamingRefusesBadAndExistingNamesUntilOneFits) {
  RunFirst();
  File("b.txt");
  WriteLines(MapFile("Existing"), {"***Existing***"});
  for (const char* answer : {"a/b", "existing", "Good"}) person_.QueueText(answer);
  Run();

  ASSERT_EQ(person_.notices.size(), 2u);
  EXPECT_EQ(person_.notices[0].title, "NEWMAP");
  EXPECT_EQ(person_.notices[0].text, "BADNAME");
  EXPECT_EQ(person_.notices[1].title, "NEWMAP");
  EXPECT_EQ(person_.notices[1].text, "FAlreadyExists");
  ASSERT_EQ(person_.text_requests.size(), 3u);
  const TextRequest& first = person_.text_requests[0];
  EXPECT_EQ(first.caption, "NEWMAP");
  EXPECT_EQ(first.note, "1NEWFOUND NEWNAM");
  EXPECT_EQ(first.text, "NewMap");
  EXPECT_EQ(first.ok_caption, "MAPNOW");
  EXPECT_EQ(person_.text_requests[1].text, "a/b");  // the person corrects what was typed
  EXPECT_EQ(person_.text_requests[2].text, "existing");
  EXPECT_EQ(Entries("Good"), Lines{"b.txt"});
  EXPECT_EQ(MapNames(), (Lines{"Existing.MAP", "Good.MAP", "Windows (1st map).MAP"}));

  // A name that exists and is bad gets both boxes, in that order.
  person_ = FakePerson();
  File("c.txt");
  WriteLines(MapFile("x|y"), {"***x|y***"});
  for (const char* answer : {"x|y", "Fine"}) person_.QueueText(answer);
  Run();
  ASSERT_EQ(person_.notices.size(), 2u);
  EXPECT_EQ(person_.notices[0].text, "FAlreadyExists");
  EXPECT_EQ(person_.notices[1].text, "BADNAME");
  EXPECT_EQ(Entries("Fine"), Lines{"c.txt"});
}

TEST_F(NewMapTest, NamesThatCannotBeAMapFileAreRefused) {
  RunFirst();
  const std::vector<std::string> refused = {
      "a\\b", "a/b",  "a:b",   "a*b",        "a?b", "a\"b", "a<b", "a>b", "a|b", ".", "..", ".hidden",
      "tab\tname", "new\nline", std::string(252, 'n')};
  int round = 0;
  for (const std::string& bad : refused) {
    person_ = FakePerson();
    File("new" + std::to_string(round) + ".txt");
    const std::string good = "Good" + std::to_string(round++);
    person_.QueueText(bad);
    person_.QueueText(good);
    Run();
    ASSERT_EQ(person_.notices.size(), 1u) << bad;
    EXPECT_EQ(person_.notices[0].text, "BADNAME") << bad;
    EXPECT_TRUE(Exists(MapFile(good))) << bad;
  }
  EXPECT_FALSE(Exists(MapFile(".hidden")));
  for (const std::string& fits : {std::string(251, 'n'), std::string("Ünïcode name (2)")}) {
    EXPECT_FALSE(IsBadMapName(fits));
  }

  // The longest name is written in full.
  person_ = FakePerson();
  File("last.txt");
  person_.QueueText(std::string(251, 'n'));
  Run();
  EXPECT_EQ(Entries(std::string(251, 'n')), Lines{"last.txt"});
}

TEST_F(NewMapTest, CancelWritesNothing) {
  RunFirst();
  File("b.txt");
  const Lines maps = MapNames();
  for (const bool busy_before : {false, true}) {
    person_ = FakePerson();
    person_.busy = busy_before;
    person_.QueueText("");
    Run();
    EXPECT_EQ(person_.LastStatus().colour, kButtonFace);
    EXPECT_EQ(person_.LastStatus().text, "ABORT");
    EXPECT_EQ(MapNames(), maps);
    EXPECT_EQ(mapper_.maps.rows, Lines{kFirstMapName});
    ExpectIdleAfterwards(busy_before);
  }
}

TEST_F(NewMapTest, AFailureEndsTheRunWithTheWindowRestored) {
  RunFirst();
  File("b.txt");
  std::filesystem::remove(program_ / kIgnoreListFile);
  const Lines maps = MapNames();
  EXPECT_THROW(Run(), HostError);
  EXPECT_EQ(MapNames(), maps);
  ExpectIdleAfterwards();
}

}  // namespace
}  // namespace zv
