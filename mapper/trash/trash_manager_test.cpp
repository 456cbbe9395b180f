#include "mapper/trash/trash_manager.h"

#include <unistd.h>

#include <random>

#include "mapper/trash/trash_test_support.h"

namespace zv {
namespace {

using namespace trash_testing;

class TrashManagerTest : public TrashTest {
 protected:
  TrashManagerTest() : manager_(mapper_) {}

  // A trashed file with its record.
  void Trashed(const std::string& name, const std::string& trashed, const std::string& place,
               const std::string& content = "data") {
    WriteBytes(InTrash(trashed), content);
    records_.push_back(Record(name, "App", trashed, place));
  }
  void FolderRecord(const std::string& name, const std::string& place) {
    records_.push_back(Record(name, "App", "<DIR>", place));
  }
  // Writes the log from the records and lists it.
  void Open() {
    Lines lines{"***TrashManager 2.0***"};
    lines.insert(lines.end(), records_.begin(), records_.end());
    SetLog(lines);
    manager_.Refresh();
  }
  std::size_t Row(const std::string& trashed, const std::string& place = "") const {
    for (std::size_t i = 0; i < manager_.rows().size(); ++i) {
      const TrashRow& row = manager_.rows()[i];
      if (row.trashed == trashed && (place.empty() || row.place == place)) return i;
    }
    throw std::logic_error("no row " + trashed);
  }
  Lines Trashed() const {
    Lines names;
    for (const TrashRow& row : manager_.rows()) names.push_back(row.trashed);
    return names;
  }

  TrashManager manager_;
  Lines records_;
};

TEST_F(TrashManagerTest, HeaderOnlyLogListsNothingAndGetsTheManagersHeader) {
  Open();
  EXPECT_TRUE(manager_.rows().empty());
  EXPECT_EQ(manager_.status(), "0 file(s)");
  EXPECT_EQ(LogBytes(), "*** TrashManager v2.0 ***\r\n");

  // A missing or empty log is made again, and said once.
  for (const bool missing : {true, false}) {
    if (missing) ::unlink((program_ / "#TRASH/!TRASH!.DAT").c_str());
    else WriteBytes(program_ / "#TRASH/!TRASH!.DAT", "");
    manager_.Refresh();
    EXPECT_EQ(manager_.status(), "0 file(s); trash log re-created");
    EXPECT_EQ(LogBytes(), "*** TrashManager v2.0 ***\r\n");
    manager_.Refresh();
    EXPECT_EQ(manager_.status(), "0 file(s)");
  }
}

TEST_F(TrashManagerTest, RowsShowTheRecordsSortedByName) {
  Trashed("zeta.dll", "DEL0zeta.dll", "SYSTEM\\");
  Trashed("Alpha.dll", "DEL0Alpha.dll", "");
  FolderRecord("NewDir", "SYSTEM\\NewDir");
  Open();
  ASSERT_EQ(manager_.rows().size(), 3u);
  const TrashRow& first = manager_.rows()[0];
  EXPECT_EQ(first.name, "Alpha.dll");
  EXPECT_EQ(first.map, "App");
  EXPECT_EQ(first.path, windows_.path() + "/");
  EXPECT_EQ(manager_.rows()[1].path, windows_.path() + "/SYSTEM/NewDir");
  EXPECT_EQ(manager_.rows()[2].path, windows_.path() + "/SYSTEM/");
  EXPECT_EQ(manager_.status(), "3 file(s)");
}

TEST_F(TrashManagerTest, LegacyLinesBecomeRecordsOrGoWhenTheirFileIsGone) {
  WriteBytes(InTrash("Foo.dll"), "legacy");
  SetLog({"***TrashManager 2.0***", "SYSTEM\\Foo.dll", "SYSTEM\\Gone.dll", "C:Bare.txt"});
  manager_.Refresh();
  EXPECT_EQ(Log(), (Lines{"*** TrashManager v2.0 ***", "|N{Foo.dll}N|M{?}M|T{Foo.dll}T|P{SYSTEM\\}P|"}));
  person_.QueueConfirm(true);  // create SYSTEM
  manager_.Restore({0}, "Restore");
  EXPECT_EQ(ReadBytes(InWindows("SYSTEM/Foo.dll")), "legacy");
  EXPECT_TRUE(manager_.rows().empty());
}

TEST_F(TrashManagerTest, TidyingEqualsRepeatingEachPassUntilItRemovesNothing) {
  // The passes exactly as first written: after each removal, start over.
  const auto repeated_passes = [&](Lines lines) {
    for (bool removed = true; removed;) {
      removed = false;
      for (std::size_t i = 1; i < lines.size() && !removed; ++i) {
        if (IsLegacyLine(lines[i])) lines[i] = ConvertLegacyLine(lines[i]);
        TrashRecord record;
        ReadRecord(lines[i], &record);
        if (IsFolderRecord(record) && host_.FolderExists(InWindows(record.place))) {
          lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
          removed = true;
        }
      }
    }
    for (bool removed = true; removed;) {
      removed = false;
      for (std::size_t i = 1; i < lines.size() && !removed; ++i) {
        TrashRecord record;
        ReadRecord(lines[i], &record);
        if (!IsFolderRecord(record) && !host_.FileExists(InTrash(record.trashed))) {
          lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
          removed = true;
        }
      }
    }
    lines[0] = "*** TrashManager v2.0 ***";
    return lines;
  };
  std::mt19937 random(7);
  Lines log{"***TrashManager 2.0***"};
  for (int i = 0; i < 300; ++i) {
    const std::string name = "f" + std::to_string(i % 40) + (i % 3 ? ".dll" : ".TXT");
    switch (random() % 5) {
      case 0:  // a file still in the trash, its name in another case
        WriteBytes(InTrash("DEL" + std::to_string(i) + UpperAscii(name)), "x");
        log.push_back(Record(name, "A", "DEL" + std::to_string(i) + name, "S\\"));
        break;
      case 1:  // a file gone from the trash
        log.push_back(Record(name, "A", "DEL" + std::to_string(i) + name, "S\\"));
        break;
      case 2:  // a folder back in place, or still gone
        if (random() % 2) MakeFolders(InWindows("D" + std::to_string(i)));
        log.push_back(Record("D", "A", "<DIR>", "D" + std::to_string(i)));
        break;
      case 3:  // a legacy line, its file in the trash or not
        if (random() % 2) WriteBytes(InTrash(name), "x");
        log.push_back("S\\" + name);
        break;
      default:
        log.push_back(Record(name, "A", "<dir>", "Missing\\" + name));
    }
  }
  SetLog(log);
  manager_.Refresh();
  EXPECT_EQ(Log(), repeated_passes(log));
  EXPECT_EQ(manager_.rows().size(), Log().size() - 1);
}

TEST_F(TrashManagerTest, RestoreAsksForAMissingFolderAndKeepsTheRowOnNo) {
  Trashed("Foo.dll", "DEL0Foo.dll", "Gone\\", "foo");
  Open();
  person_.QueueConfirm(false);
  manager_.Restore({0}, "Restore");
  EXPECT_EQ(Trashed(), Lines{"DEL0Foo.dll"});
  EXPECT_EQ(person_.confirm_questions.back(),
            "VIO-DIR \"" + InWindows("Gone/") + "\" VIO-NOTFOUND.\nVIO-CREADIR?");
  person_.QueueConfirm(true);
  manager_.Restore({0}, "Restore");
  EXPECT_EQ(ReadBytes(InWindows("Gone/Foo.dll")), "foo");
  EXPECT_TRUE(manager_.rows().empty());
  EXPECT_EQ(Log(), Lines{"*** TrashManager v2.0 ***"});
}

TEST_F(TrashManagerTest, RestoreNeverReplacesAFileBackInPlace) {
  Trashed("Foo.dll", "DEL0Foo.dll", "", "old");
  Install("Foo.dll", "new");
  Open();
  manager_.Restore({0}, "Restore");
  EXPECT_EQ(ReadBytes(InWindows("Foo.dll")), "new");
  EXPECT_EQ(ReadBytes(InTrash("DEL0Foo.dll")), "old");
  EXPECT_EQ(Trashed(), Lines{"DEL0Foo.dll"});
  EXPECT_TRUE(person_.notices.empty());

  // A twin in another case does not hold the name: the file comes back
  // under its own name beside it.
  ::unlink(InWindows("Foo.dll").c_str());
  Install("FOO.DLL", "twin");
  Open();
  manager_.Restore({0}, "Restore");
  EXPECT_EQ(ReadBytes(InWindows("Foo.dll")), "old");
  EXPECT_EQ(ReadBytes(InWindows("FOO.DLL")), "twin");
  EXPECT_EQ(Trashed(), Lines{});
}

TEST_F(TrashManagerTest, FolderRowsFindTheirOwnRecord) {
  FolderRecord("Sub", "App\\Sub");
  FolderRecord("App", "App");
  FolderRecord("App", "App");  // the same folder removed twice
  Trashed("a.txt", "DEL0a.txt", "App\\");
  Open();
  // Restoring the parent first: its own record goes; the child's stays.
  manager_.Restore({Row("<DIR>", "App")}, "Restore");
  EXPECT_TRUE(host_.FolderExists(InWindows("App")));
  // The other record of the same folder went with the refresh.
  EXPECT_EQ(Log(), (Lines{"*** TrashManager v2.0 ***", Record("Sub", "App", "<DIR>", "App\\Sub"),
                          Record("a.txt", "App", "DEL0a.txt", "App\\")}));
  // Several rows come back in the list's order.
  manager_.Restore({Row("DEL0a.txt"), Row("<DIR>", "App\\Sub")}, "Restore");
  EXPECT_TRUE(Exists(InWindows("App/Sub")));
  EXPECT_TRUE(Exists(InWindows("App/a.txt")));
  EXPECT_TRUE(manager_.rows().empty());
  EXPECT_TRUE(person_.notices.empty());
}

// In the order given, a folder comes back before the file inside it
// without a question, all in one rewrite of the log; a row given twice is
// done once, and no rows do nothing at all.
TEST_F(TrashManagerTest, RestoreInOrderTakesTheRowsAsGivenOnce) {
  Trashed("a.txt", "DEL0a.txt", "App\\Sub\\");
  FolderRecord("Sub", "App\\Sub");
  FolderRecord("App", "App");
  Open();
  const std::size_t file = Row("DEL0a.txt"), sub = Row("<DIR>", "App\\Sub"), app = Row("<DIR>", "App");
  ASSERT_LT(file, sub);  // the list's order would bring the file first
  manager_.RestoreInOrder({});
  EXPECT_EQ(manager_.rows().size(), 3u);
  EXPECT_EQ(Log().front(), "*** TrashManager v2.0 ***");
  manager_.RestoreInOrder({app, sub, app, file, sub});
  EXPECT_EQ(ReadBytes(InWindows("App/Sub/a.txt")), "data");
  EXPECT_TRUE(person_.confirm_questions.empty());
  EXPECT_TRUE(person_.notices.empty());
  EXPECT_TRUE(manager_.rows().empty());
  EXPECT_EQ(Log(), Lines{"*** TrashManager v2.0 ***"});
}

TEST_F(TrashManagerTest, SeveralRowsAreDoneInTheListsOrder) {
  for (const char* name : {"c.txt", "a.txt", "b.txt"}) {
    Trashed(name, std::string("DEL0") + name, "");
    ::chmod(InTrash(std::string("DEL0") + name).c_str(), 0444);
  }
  Open();
  for (int i = 0; i < 3; ++i) person_.QueueConfirm(true);
  manager_.Restore({2, 0, 1}, "Restore");
  ASSERT_EQ(person_.confirm_questions.size(), 3u);
  EXPECT_NE(person_.confirm_questions[0].find("DEL0a.txt"), std::string::npos);
  EXPECT_NE(person_.confirm_questions[1].find("DEL0b.txt"), std::string::npos);
  EXPECT_NE(person_.confirm_questions[2].find("DEL0c.txt"), std::string::npos);
  EXPECT_EQ(ListNames(windows_.path()), (Lines{"a.txt", "b.txt", "c.txt"}));
}

// A restore of many rows says how far it has come every 64 rows, counting
// rows it could not restore too, and still does each row.
TEST_F(TrashManagerTest, ProgressMovesWithTheRowsHandled) {
  std::vector<std::size_t> all;
  for (int i = 0; i < 130; ++i) {
    const std::string name = "f" + std::to_string(1000 + i) + ".txt";
    Trashed(name, "DEL0" + name, "Sub\\");
    all.push_back(static_cast<std::size_t>(i));
  }
  MakeFolders(InWindows("Sub"));
  WriteBytes(InWindows("Sub/f1000.txt"), "back in place");  // this row stays
  Open();
  std::vector<std::size_t> said;
  manager_.on_progress = [&](std::size_t handled) { said.push_back(handled); };
  manager_.Restore(all, "Restore");
  EXPECT_EQ(said, (std::vector<std::size_t>{64, 128}));
  EXPECT_EQ(ListNames(InWindows("Sub")).size(), 130u);
  EXPECT_EQ(Trashed(), Lines{"DEL0f1000.txt"});

  said.clear();
  person_.QueueConfirm(true);
  manager_.DeleteForGood({0}, "Delete");
  EXPECT_TRUE(said.empty());
  EXPECT_TRUE(manager_.rows().empty());
}

TEST_F(TrashManagerTest, DeleteForGoodAsksOnceAndRewritesEvenOnNo) {
  Trashed("a.txt", "DEL0a.txt", "");
  Trashed("b.txt", "DEL0b.txt", "");
  FolderRecord("Dir", "Dir");
  Open();
  SetLog({"***TrashManager 2.0***", records_[0], records_[1], records_[2]});
  person_.QueueConfirm(false);
  manager_.DeleteForGood({0, 1, 2}, "Delete");
  EXPECT_EQ(person_.confirm_questions.back(), "F2KILL\nDELFOREVER");
  EXPECT_EQ(Log()[0], "*** TrashManager v2.0 ***");  // written and refreshed all the same
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0a.txt", "DEL0b.txt"}));

  ::chmod(InTrash("DEL0b.txt").c_str(), 0444);
  person_.QueueConfirm(true);   // delete them
  person_.QueueConfirm(false);  // not the read-only one
  manager_.DeleteForGood({0, 1, 2}, "Delete");
  EXPECT_EQ(TrashFiles(), Lines{"DEL0b.txt"});
  EXPECT_EQ(Log(), (Lines{"*** TrashManager v2.0 ***", records_[1]}));

  manager_.DeleteForGood({}, "&Delete");
  manager_.Restore({}, "&Restore");
  ASSERT_EQ(person_.notices.size(), 2u);
  EXPECT_EQ(person_.notices[0].title, "&Delete");
  EXPECT_EQ(person_.notices[0].text, "MUSTSELF");
  EXPECT_EQ(person_.notices[1].text, "RESTOR1ST");
}

TEST_F(TrashManagerTest, CraftedRecordsAreListedButNeverActedOn) {
  ScratchFolder outside;
  const std::string away = outside.path().substr(outside.path().rfind('/') + 1);
  WriteBytes(outside / "keep.txt", "keep");
  ::symlink(outside.path().c_str(), InWindows("Link").c_str());
  Trashed("evil.txt", "DEL0evil.txt", "..\\" + away + "\\");
  Trashed("abs.txt", "DEL0abs.txt", outside.path() + "/");
  Trashed("link.txt", "DEL0link.txt", "Link\\");
  Trashed("..", "DEL0dots", "");
  records_.push_back(Record("log", "App", "!trash!.dat", ""));
  records_.push_back(Record("keep.txt", "App", "..\\..\\" + away + "\\keep.txt", ""));
  FolderRecord("x", "..\\" + away + "\\made");
  Open();
  // The record whose trashed name climbs out of the trash names no file of
  // the trash, whatever lies where it points: tidying drops it. The others
  // name files that are there, so they stay listed.
  const std::size_t rows = manager_.rows().size();
  ASSERT_EQ(rows, 6u);
  std::vector<std::size_t> all(rows);
  for (std::size_t i = 0; i < rows; ++i) all[i] = i;
  manager_.Restore(all, "Restore");
  person_.QueueConfirm(true);
  manager_.DeleteForGood(all, "Delete");
  EXPECT_EQ(manager_.rows().size(), rows);
  EXPECT_EQ(ListNames(outside.path()), Lines{"keep.txt"});
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0abs.txt", "DEL0dots", "DEL0evil.txt", "DEL0link.txt"}));
  ASSERT_EQ(person_.notices.size(), 2 * rows);
  for (const auto& notice : person_.notices) {
    EXPECT_EQ(notice.title, "Error");
    EXPECT_EQ(notice.text.rfind("Refused: \"", 0), 0u) << notice.text;
  }
}

TEST_F(TrashManagerTest, DeletingALinkInTheTrashLeavesWhatItPointsTo) {
  ScratchFolder outside;
  WriteBytes(outside / "target.txt", "precious");
  ::symlink((outside / "target.txt").c_str(), InTrash("DEL0link").c_str());
  records_.push_back(Record("link", "App", "DEL0link", ""));
  Open();
  person_.QueueConfirm(true);
  manager_.DeleteForGood({0}, "Delete");
  EXPECT_EQ(TrashFiles(), Lines{});
  EXPECT_EQ(ReadBytes(outside / "target.txt"), "precious");
}

}  // namespace
}  // namespace zv
