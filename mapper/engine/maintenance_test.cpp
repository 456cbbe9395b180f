#include "mapper/engine/maintenance.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/recording_view.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/viewer.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::ListNames;
using testing::ReadLines;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

class MaintenanceTest : public ::testing::Test {
 protected:
  MaintenanceTest() : host_(NewPosixHost()), mapper_(*host_, person_) {
    mapper_.windows_folder = windows_.path();
    mapper_.program_folder = program_.path();
    mapper_.main_caption = "Zorvan 3.0";
    mapper_.texts.edit_warn = "Edit with care";
    mapper_.texts.add_ignore = "One folder a line";
    mapper_.view = &view_;
    WriteLines(program_ / kIgnoreListFile, {"\\Temp\\"});
    WriteBytes(windows_ / "Office\\Word.exe", "w");
    WriteBytes(windows_ / "Office\\Excel.exe", "e");
    WriteBytes(windows_ / "Games\\Chess.exe", "c");
    Map("Office", {"<DIR> Office", "Office\\Excel.exe", "Office\\Word.exe"});
    Map("Games", {"<DIR> Games", "Games\\Chess.exe"});
  }

  void Map(const std::string& name, const Lines& entries) {
    Lines lines = {"***" + name + "***"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    WriteLines(MapFile(name), lines);
  }
  std::string MapFile(const std::string& name) const { return program_ / (name + ".MAP"); }
  // The catalogue loaded with `name` selected, and the person's record cleared.
  void Select(const std::string& name) {
    LoadMaps(mapper_, name);
    ASSERT_EQ(mapper_.maps.SelectedName(), name);
    person_ = FakePerson();
  }
  Lines MapFiles() const {
    Lines names;
    for (const std::string& name : ListNames(program_.path())) {
      if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".MAP")) names.push_back(name);
    }
    return names;
  }
  bool Refreshed() const {
    return !person_.statuses.empty() && person_.LastStatus().text == "REFDONE" &&
           person_.LastStatus().colour == kButtonFace;
  }

  ScratchFolder windows_, program_;
  std::unique_ptr<Host> host_;
  FakePerson person_;
  Mapper mapper_;
  RecordingView view_;
};

TEST_F(MaintenanceTest, EveryCommandButRefreshWantsASelectedMap) {
  LoadMaps(mapper_, "");
  mapper_.maps.selected = -1;
  EditMap(mapper_);
  RenameMap(mapper_, "&Rename map");
  UnmapMap(mapper_);
  ASSERT_EQ(person_.notices.size(), 3u);
  for (const FakePerson::Notice& notice : person_.notices) {
    EXPECT_EQ(notice.title, "Zorvan 3.0");
    EXPECT_EQ(notice.text, "NOFSEL");
  }
  EXPECT_TRUE(person_.editor_visits.empty());
  EXPECT_TRUE(person_.text_requests.empty());
  EXPECT_TRUE(person_.confirm_questions.empty());
  EXPECT_EQ(MapFiles(), (Lines{"Games.MAP", "Office.MAP"}));

  // The refresh selects the first row instead.
  RefreshMaps(mapper_);
  EXPECT_EQ(mapper_.maps.SelectedName(), "Games");
  EXPECT_EQ(view_.rows, (Lines{"Games", "Office"}));
  EXPECT_EQ(view_.selected, 0);
  EXPECT_EQ(view_.Captions(), (Lines{"<DIR> Games", "Games\\Chess.exe"}));
  EXPECT_TRUE(Refreshed());
}

TEST_F(MaintenanceTest, RefreshReloadsRescansAndFallsBackWhenTheCurrentMapIsGone) {
  Select("Office");
  RefreshMaps(mapper_);
  EXPECT_EQ(mapper_.maps.SelectedName(), "Office");
  EXPECT_EQ(view_.GroupCaption(), "FINSTBY" "Office\"");
  EXPECT_TRUE(Exists(program_ / kSnapshotFile));
  EXPECT_EQ(person_.progress_captions, Lines{"Refreshing..."});
  EXPECT_FALSE(person_.progress_visible) << "the refresh does not show the progress window";
  EXPECT_TRUE(Refreshed());

  // Deleted outside the program: the first row is selected and shown.
  std::remove(MapFile("Office").c_str());
  Map("Apps", {"Games\\Chess.exe"});
  RefreshMaps(mapper_);
  EXPECT_EQ(view_.rows, (Lines{"Apps", "Games"}));
  EXPECT_EQ(mapper_.maps.SelectedName(), "Apps");
  EXPECT_EQ(view_.Captions(), Lines{"Games\\Chess.exe"});
  EXPECT_TRUE(person_.notices.empty());

  // No map left: the file list is emptied rather than left showing one.
  std::remove(MapFile("Apps").c_str());
  std::remove(MapFile("Games").c_str());
  RefreshMaps(mapper_);
  EXPECT_TRUE(view_.rows.empty());
  EXPECT_EQ(view_.selected, -1);
  EXPECT_TRUE(view_.Captions().empty());
  EXPECT_EQ(view_.GroupCaption(), "");
}

TEST_F(MaintenanceTest, ARefreshThatCannotReadTheWindowsFolderKeepsTheLastScan) {
  Select("Office");
  RefreshMaps(mapper_);
  const std::string snapshot = testing::ReadBytes(program_ / kSnapshotFile);
  const std::string folders = testing::ReadBytes(program_ / kProbeFolderList);
  ASSERT_NE(snapshot, "");
  person_ = FakePerson();
  mapper_.windows_folder = windows_ / "Gone";
  RefreshMaps(mapper_);
  EXPECT_EQ(testing::ReadBytes(program_ / kSnapshotFile), snapshot);
  EXPECT_EQ(testing::ReadBytes(program_ / kProbeFolderList), folders);
  EXPECT_FALSE(Refreshed());
  EXPECT_EQ(person_.LastStatus().text, "NOWINDIR" + (windows_ / "Gone"));
}

TEST_F(MaintenanceTest, EditingAMapShowsWhatTheEditorLeft) {
  Select("Office");
  person_.QueueEdit([](const std::string& file) {
    WriteLines(file, {"***Office***", "Office\\Word.exe"});  // two lines removed, saved
  });
  EditMap(mapper_);
  ASSERT_EQ(person_.editor_visits.size(), 1u);
  EXPECT_EQ(person_.editor_visits[0].file, MapFile("Office"));
  EXPECT_EQ(person_.editor_visits[0].note, "Edit with care");
  EXPECT_EQ(view_.Captions(), Lines{"Office\\Word.exe"});
  EXPECT_TRUE(Refreshed());

  // Closed without saving: the map stays and is shown again.
  EditMap(mapper_);
  EXPECT_EQ(ReadLines(MapFile("Office")), (Lines{"***Office***", "Office\\Word.exe"}));
  EXPECT_EQ(view_.Captions(), Lines{"Office\\Word.exe"});

  EditIgnoreList(mapper_);
  ASSERT_EQ(person_.editor_visits.size(), 3u);
  EXPECT_EQ(person_.editor_visits[2].file, program_ / kIgnoreListFile);
  EXPECT_EQ(person_.editor_visits[2].note, "One folder a line");
}

TEST_F(MaintenanceTest, RenameRefusesAnotherMapsNameInAnyCaseAndTakesTheNextAnswer) {
  Select("Office");
  person_.QueueText("GAMES");
  person_.QueueText("Games2");
  RenameMap(mapper_, "Rename map \"Office\"");
  ASSERT_EQ(person_.text_requests.size(), 2u);
  EXPECT_EQ(person_.text_requests[0].caption, "Rename map \"Office\"");
  EXPECT_EQ(person_.text_requests[0].note, "RENAM");
  EXPECT_EQ(person_.text_requests[0].text, "Office");
  EXPECT_EQ(person_.text_requests[1].text, "GAMES") << "asked again with the text entered";
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Rename map \"Office\"");
  EXPECT_EQ(person_.notices[0].text, "FAlreadyExists");

  EXPECT_EQ(MapFiles(), (Lines{"Games.MAP", "Games2.MAP"}));
  EXPECT_EQ(ReadLines(MapFile("Games2"))[0], "***Games2***");
  EXPECT_EQ(mapper_.maps.SelectedName(), "Games2");
  EXPECT_EQ(view_.rows, (Lines{"Games", "Games2"}));
  EXPECT_EQ(view_.selected, 1);
  EXPECT_EQ(view_.GroupCaption(), "FINSTBY" "Games2\"");
}

TEST_F(MaintenanceTest, RenameToAnotherCaseOnlyIsAccepted) {
  Select("Office");
  person_.QueueText("office");
  RenameMap(mapper_, "Rename");
  EXPECT_TRUE(person_.notices.empty());
  EXPECT_EQ(MapFiles(), (Lines{"Games.MAP", "office.MAP"}));
  EXPECT_EQ(ReadLines(MapFile("office"))[0], "***office***");
  EXPECT_EQ(view_.rows, (Lines{"Games", "office"}));
  EXPECT_EQ(mapper_.maps.SelectedName(), "office");
}

TEST_F(MaintenanceTest, CancelledOrRefusedRenamesLeaveEveryFileAsItWas) {
  const std::vector<std::string> names = {"",      "a/b",      "..\\Office", "..",        ".",
                                          ".Office", "Tab\tName", "Works.map", "a:b", " ", std::string(kLongestMapName + 1, 'x')};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Select("Office");
    person_ = FakePerson();
    person_.QueueText(name);
    // A name the rule refuses is said and asked again, as a new map's is.
    if (!name.empty()) person_.QueueText("");
    RenameMap(mapper_, "Rename");
    if (name.empty()) {
      EXPECT_TRUE(person_.notices.empty());
    } else {
      ASSERT_EQ(person_.notices.size(), 1u);
      EXPECT_EQ(person_.notices[0].text, "BADNAME");
      ASSERT_EQ(person_.text_requests.size(), 2u);
      EXPECT_EQ(person_.text_requests[1].text, name) << "asked again with the text entered";
    }
    EXPECT_EQ(ListNames(program_.path()), (Lines{"Games.MAP", "IGNORLST.TXT", "Office.MAP"}));
    EXPECT_EQ(ListNames(windows_.path()), (Lines{"Games", "Office"}));
    EXPECT_EQ(mapper_.maps.SelectedName(), "Office");
    EXPECT_EQ(ReadLines(MapFile("Office"))[0], "***Office***");
  }
  // One rule for every map name: what a new map may not be called, a
  // rename may not give either.
  for (const std::string bad : {"Office: Pro", "a*b", "   ", "x.MAP.old"}) EXPECT_TRUE(IsBadMapName(bad)) << bad;
  EXPECT_FALSE(IsBadMapName("Office 2000 (SR-1) Pro"));
  EXPECT_FALSE(IsBadMapName(std::string(kLongestMapName, 'x')));
}

TEST_F(MaintenanceTest, UnmapAsksDeletesAndRefreshesAndTheFilesCountAsNewAgain) {
  Select("Office");
  person_.QueueConfirmDialog(false);
  UnmapMap(mapper_);
  EXPECT_EQ(person_.confirm_questions, Lines{"DELOffice.MAPMAPOFOffice\")"});
  EXPECT_TRUE(Exists(MapFile("Office")));
  EXPECT_FALSE(Refreshed());

  person_.QueueConfirmDialog(true);
  UnmapMap(mapper_);
  EXPECT_FALSE(Exists(MapFile("Office")));
  EXPECT_TRUE(Refreshed());
  EXPECT_EQ(view_.rows, Lines{"Games"});
  EXPECT_EQ(mapper_.maps.SelectedName(), "Games");
  EXPECT_TRUE(Exists(windows_ / "Office\\Word.exe")) << "the application's files stay";

  person_.QueueText("Office again");
  CreateNewMap(mapper_, windows_.path());
  ASSERT_TRUE(Exists(MapFile("Office again")));
  Lines found = ReadLines(MapFile("Office again"));
  found.erase(found.begin());
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (Lines{"<DIR> Office", "Office\\Excel.exe", "Office\\Word.exe"}));
}

TEST_F(MaintenanceTest, UnmappingAReadOnlyMapAsksFirst) {
  Select("Office");
  ASSERT_TRUE(host_->SetReadOnly(MapFile("Office"), true));
  person_.QueueConfirmDialog(true);
  person_.QueueConfirm(false);
  UnmapMap(mapper_);
  ASSERT_EQ(person_.confirm_questions.size(), 2u);
  EXPECT_NE(person_.confirm_questions[1].find("VIO-FRONLY"), std::string::npos);
  EXPECT_TRUE(Exists(MapFile("Office")));
  EXPECT_FALSE(Refreshed()) << "nothing deleted, nothing refreshed";

  person_.QueueConfirmDialog(true);
  person_.QueueConfirm(true);
  UnmapMap(mapper_);
  EXPECT_FALSE(Exists(MapFile("Office")));
  EXPECT_TRUE(Refreshed());
}

}  // namespace
}  // namespace zv
