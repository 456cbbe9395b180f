#include "mapper/trash/removal.h"

#include "mapper/engine/recording_view.h"
#include "mapper/trash/trash_test_support.h"

namespace zv {
namespace {

using namespace trash_testing;

class RemovalTest : public TrashTest {
 protected:
  RemovalTest() {
    mapper_.options.simple_list = false;
    mapper_.view = &view_;
  }
  // Installs a small application and maps it: files, a sub-folder, a folder.
  void InstallPaint() {
    Install("Paint\\paint.exe", "exe");
    Install("Paint\\Brushes\\round.br", "round");
    Install("SYSTEM\\paint.dll", "dll");
    Map("Paint", {"<DIR> Paint", "<DIR> Paint\\Brushes", "Paint\\Brushes\\round.br", "Paint\\paint.exe",
                  "SYSTEM\\paint.dll"});
  }
  bool DeleteApp(bool confirm = true) {
    person_.QueueConfirmDialog(confirm);
    return DeleteApplication(mapper_);
  }
  // The refresh ran last: a fresh snapshot and "*REFDONE" on the status line.
  bool Refreshed() const {
    return Exists(program_ / kSnapshotFile) && !person_.statuses.empty() && person_.LastStatus().text == "REFDONE";
  }
  void ForgetRefresh() {
    ::unlink((program_ / kSnapshotFile).c_str());
    person_.statuses.clear();
  }

  RecordingView view_;
};

TEST_F(RemovalTest, DeleteApplicationTrashesFilesBeforeTheirFolders) {
  InstallPaint();
  Install("SYSTEM\\other.dll", "not ours");
  EXPECT_TRUE(DeleteApp());
  EXPECT_EQ(person_.confirm_questions.back(),
            "ATODELPaint\"\nAMOVEDTO" + program_.path() + "/#TRASH");
  EXPECT_FALSE(Exists(InWindows("Paint")));
  EXPECT_EQ(ListNames(InWindows("SYSTEM")), Lines{"other.dll"});
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0paint.dll", "DEL0paint.exe", "DEL0round.br"}));
  EXPECT_EQ(Log(), (Lines{"***TrashManager 2.0***",
                          "|N{Brushes}N|M{Paint}M|T{<DIR>}T|P{Paint\\Brushes}P|",
                          "|N{paint.dll}N|M{Paint}M|T{DEL0paint.dll}T|P{SYSTEM\\}P|",
                          "|N{paint.exe}N|M{Paint}M|T{DEL0paint.exe}T|P{Paint\\}P|",
                          "|N{Paint}N|M{Paint}M|T{<DIR>}T|P{Paint}P|",
                          "|N{round.br}N|M{Paint}M|T{DEL0round.br}T|P{Paint\\Brushes\\}P|"}));
  EXPECT_TRUE(person_.notices.empty());
  // The command ends with the refresh: the catalogue reloaded and the map
  // shown again with every entry missing.
  EXPECT_TRUE(Refreshed());
  EXPECT_EQ(view_.rows, Lines{"Paint"});
  EXPECT_EQ(view_.Captions(true), (Lines{"<DIR> Paint missing", "<DIR> Paint\\Brushes missing",
                                 "Paint\\Brushes\\round.br missing", "Paint\\paint.exe missing",
                                 "SYSTEM\\paint.dll missing"}));

  // A second time everything is missing: nothing moves, nothing is said,
  // the log stays byte for byte; the refresh still runs.
  ForgetRefresh();
  const std::string log = LogBytes();
  EXPECT_TRUE(DeleteApp());
  EXPECT_EQ(LogBytes(), log);
  EXPECT_TRUE(person_.notices.empty());
  EXPECT_TRUE(Refreshed());
}

TEST_F(RemovalTest, AFolderHoldingAnUnmappedFileStaysWithOneNotice) {
  InstallPaint();
  Install("Paint\\mine.txt", "the user's own");
  EXPECT_TRUE(DeleteApp());
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0paint.dll", "DEL0paint.exe", "DEL0round.br"}));
  EXPECT_EQ(ListNames(InWindows("Paint")), Lines{"mine.txt"});
  EXPECT_EQ(NoticeTexts(), Lines{"VIO-DIR \"" + InWindows("Paint") + "\"\nDIRNOTEMPTY"});
  EXPECT_EQ(Log().size(), 5u);  // the header, three files and Brushes
}

TEST_F(RemovalTest, QuestionsAndNoticesComeInTheOrderOfTheRows) {
  Install("a.txt");
  Install("b.txt");
  Install("c.txt");
  ::chmod(InWindows("b.txt").c_str(), 0444);
  Map("Letters", {"a.txt", "b.txt", "c.txt", "..\\escape.txt"});
  person_.QueueConfirm(false);  // keep b.txt
  EXPECT_TRUE(DeleteApp());
  // Rows go last first: c, b, a, then the refused entry ("." sorts first).
  ASSERT_EQ(person_.notices.size(), 2u);
  EXPECT_EQ(person_.notices[0].text, "Cannot trash b.txt");
  EXPECT_EQ(person_.notices[1].text, "Refused: \"../escape.txt\" leaves the Windows folder");
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0a.txt", "DEL0c.txt"}));
  EXPECT_TRUE(IsReadOnly(InWindows("b.txt")));
}

TEST_F(RemovalTest, NothingHappensWithoutMapOrConfirmation) {
  InstallPaint();
  ForgetRefresh();
  EXPECT_FALSE(DeleteApp(false));
  EXPECT_TRUE(Exists(InWindows("Paint/paint.exe")));
  mapper_.maps = {};
  EXPECT_FALSE(DeleteApplication(mapper_));
  EXPECT_FALSE(DeleteSelectedFile(mapper_, nullptr));
  const MapItem missing{"SYSTEM\\gone.dll", "", 2, ""};
  EXPECT_FALSE(DeleteSelectedFile(mapper_, &missing));
  EXPECT_EQ(NoticeTexts(), (Lines{"NOFSEL", "NOFSEL", "GIADEL"}));
  EXPECT_EQ(person_.notices[0].title, "Zorvan");
  EXPECT_EQ(Log().size(), 1u);
  EXPECT_FALSE(Exists(program_ / kSnapshotFile)) << "a command that stops early does not refresh";
  EXPECT_TRUE(person_.statuses.empty());
}

TEST_F(RemovalTest, DeleteFileTrashesTheSelectedEntry) {
  InstallPaint();
  const MapItem row{"SYSTEM\\paint.dll", "", 1, ""};
  person_.QueueConfirmDialog(true);
  EXPECT_TRUE(DeleteSelectedFile(mapper_, &row));
  EXPECT_EQ(person_.confirm_questions.back(),
            "FTODELSYSTEM/paint.dll\"\nFMOVEDTO" + program_.path() + "/#TRASH");
  EXPECT_EQ(TrashFiles(), Lines{"DEL0paint.dll"});
  EXPECT_TRUE(Refreshed());
  EXPECT_EQ(view_.Captions(true).back(), "SYSTEM\\paint.dll missing");
  EXPECT_EQ(view_.Captions(true).front(), "<DIR> Paint");
  // A plain list marks nothing missing: a gone entry passes, then does
  // nothing, and the list is refreshed all the same.
  ForgetRefresh();
  const MapItem plain{"SYSTEM\\paint.dll", "", 0, ""};
  person_.QueueConfirmDialog(true);
  EXPECT_TRUE(DeleteSelectedFile(mapper_, &plain));
  EXPECT_EQ(TrashFiles(), Lines{"DEL0paint.dll"});
  EXPECT_TRUE(person_.notices.empty());
  EXPECT_TRUE(Refreshed());
}

}  // namespace
}  // namespace zv
