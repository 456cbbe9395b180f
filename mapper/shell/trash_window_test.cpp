// The trash manager window: its rows, selection, buttons, menu and keys,
// driven as a person would, its boxes answered through the real dialogs.
// Without a language every message is its bare key ("RESTOR1ST").
#include "mapper/shell/trash_window.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMessageBox>

#include "mapper/shell/qt_text.h"
#include "mapper/shell/window_test_support.h"
#include "mapper/trash/trash_log.h"
#include "mapper/trash/trash_store.h"

namespace zv {
namespace {

using testing::AnswerNextModal;
using testing::Exists;
using testing::ReadBytes;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

class TrashWindowTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  TrashWindowTest() {
    EXPECT_TRUE(CreateTrashStore(mapper_));
    trash_.AttachMapper(mapper_);
    trash_.SetButtonCaptions({"&Restore", "&Delete", "&Folder", "&Quit"});
    testing::MakeFolders(program_ / "WIN/SYSTEM");
  }
  ~TrashWindowTest() override { trash_.hide(); }

  // A file in the trash with its record; the log written.
  void Trashed(const std::string& name, const std::string& place, const std::string& content) {
    const std::string trashed = "DEL0" + name;
    WriteBytes(program_ / ("#TRASH/" + trashed), content);
    records_.push_back(RecordLine({name, "Paint", trashed, place}));
    Lines log{"***TrashManager 2.0***"};
    log.insert(log.end(), records_.begin(), records_.end());
    WriteLines(program_ / "#TRASH/!TRASH!.DAT", log);
  }
  Lines Column(int column) const {
    Lines texts;
    for (int i = 0; i < trash_.TrashList->topLevelItemCount(); ++i) {
      texts.push_back(FromQ(trash_.TrashList->topLevelItem(i)->text(column)));
    }
    return texts;
  }
  void Select(std::initializer_list<int> rows) {
    trash_.TrashList->clearSelection();
    for (const int row : rows) trash_.TrashList->topLevelItem(row)->setSelected(true);
  }
  std::string Status() const { return FromQ(trash_.StatusPanel->text()); }
  // Clicks `button` and answers the message box it opens with `answer`;
  // gives the box's title and text.
  std::string ClickAnsweringBox(QPushButton* button, QMessageBox::StandardButton answer) {
    std::string box;
    AnswerNextModal([&](QWidget* modal) {
      auto* message = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(message, nullptr);
      box = FromQ(message->windowTitle() + ": " + message->text());
      message->button(answer)->click();
    });
    button->click();
    return box;
  }

  TTrash32 trash_;
  Lines records_;
};

TEST_F(TrashWindowTest, ShowsTheRecordsSortedAndRestoresTheSelectedRowsOnly) {
  Trashed("zeta.dll", "SYSTEM\\", "z");
  Trashed("alpha.dll", "SYSTEM\\", "a");
  Trashed("Mid.txt", "", "m");
  trash_.show();
  EXPECT_EQ(Column(0), (Lines{"alpha.dll", "Mid.txt", "zeta.dll"}));
  EXPECT_EQ(Column(1), (Lines{"Paint", "Paint", "Paint"}));
  EXPECT_EQ(Column(2), (Lines{"DEL0alpha.dll", "DEL0Mid.txt", "DEL0zeta.dll"}));
  const std::string windows = program_ / "WIN";
  EXPECT_EQ(Column(3), (Lines{windows + "/SYSTEM/", windows + "/", windows + "/SYSTEM/"}));
  EXPECT_EQ(Status(), "3 file(s)");
  EXPECT_TRUE(ReadBytes(program_ / "#TRASH/!TRASH!.DAT").starts_with("*** TrashManager v2.0 ***\r\n"));
  EXPECT_EQ(trash_.windowTitle(), "Trash32");
  EXPECT_EQ(trash_.RestoreBtn->text(), "&Restore");
  EXPECT_EQ(trash_.QuitBtn->text(), "&Quit");

  // Several rows are selected at once; the status panel counts them.
  Select({0, 2});
  EXPECT_EQ(Status(), "Selected files: 2");
  trash_.RestoreBtn->click();
  EXPECT_EQ(ReadBytes(program_ / "WIN/SYSTEM/alpha.dll"), "a");
  EXPECT_EQ(ReadBytes(program_ / "WIN/SYSTEM/zeta.dll"), "z");
  EXPECT_FALSE(Exists(program_ / "WIN/Mid.txt"));
  EXPECT_EQ(Column(0), Lines{"Mid.txt"});
  EXPECT_EQ(Status(), "1 file(s)");

  // The refresh lists what changed on disk meanwhile.
  ::unlink((program_ / "#TRASH/DEL0Mid.txt").c_str());
  trash_.Refresh1->trigger();
  EXPECT_EQ(Column(0), Lines{});
  EXPECT_EQ(Status(), "0 file(s)");
}

TEST_F(TrashWindowTest, ButtonsSayWhatIsMissingAndDeleteForGoodAsksFirst) {
  Trashed("Foo.dll", "SYSTEM\\", "f");
  Trashed("Bar.dll", "SYSTEM\\", "b");
  trash_.show();
  // Nothing selected: each button's own notice, titled with its caption.
  EXPECT_EQ(ClickAnsweringBox(trash_.RestoreBtn, QMessageBox::Ok), "Restore: RESTOR1ST");
  EXPECT_EQ(ClickAnsweringBox(trash_.DeleteBtn, QMessageBox::Ok), "Delete: MUSTSELF");

  // Answered No, nothing is deleted, yet the log is written and listed again.
  Select({1});
  WriteLines(program_ / "#TRASH/!TRASH!.DAT", {"***TrashManager 2.0***", records_[0], records_[1]});
  EXPECT_EQ(ClickAnsweringBox(trash_.DeleteBtn, QMessageBox::No), "Please confirm: F2KILL\nDELFOREVER");
  EXPECT_TRUE(Exists(program_ / "#TRASH/DEL0Foo.dll"));
  EXPECT_TRUE(ReadBytes(program_ / "#TRASH/!TRASH!.DAT").starts_with("*** TrashManager v2.0 ***\r\n"));
  EXPECT_EQ(Column(0), (Lines{"Bar.dll", "Foo.dll"}));

  Select({1});
  ClickAnsweringBox(trash_.DeleteBtn, QMessageBox::Yes);
  EXPECT_FALSE(Exists(program_ / "#TRASH/DEL0Foo.dll"));
  EXPECT_TRUE(Exists(program_ / "#TRASH/DEL0Bar.dll"));
  EXPECT_EQ(Column(0), Lines{"Bar.dll"});
}

TEST_F(TrashWindowTest, FolderHelpAndTheWaysToQuit) {
  trash_.FolderBtn->click();
  trash_.N1->trigger();
  EXPECT_EQ(shell_.opens, (Lines{program_ / "#TRASH|||1", program_ / "Zvhelp.htm|||3"}));

  // Shown modally, as the main window shows it: Escape, the Quit button and
  // the Quit item each end it.
  const std::vector<std::function<void()>> quits = {
      [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&trash_, &escape);
      },
      [&] { trash_.QuitBtn->click(); },
      [&] { trash_.Quit1->trigger(); },
  };
  for (const auto& quit : quits) {
    bool was_modal = false;
    AnswerNextModal([&](QWidget* modal) {
      was_modal = modal == &trash_;
      quit();
    });
    trash_.exec();
    EXPECT_TRUE(was_modal);
    EXPECT_FALSE(trash_.isVisible());
  }
}

TEST_F(TrashWindowTest, OriginalPathTakesTheRoomTheOtherColumnsLeave) {
  trash_.show();
  for (const int width : {900, 300}) {
    trash_.resize(width, 314);
    ASSERT_TRUE(testing::WaitUntil([&] { return trash_.TrashList->width() > width - 40; }));
    EXPECT_EQ(trash_.TrashList->columnWidth(3), std::max(100, trash_.TrashList->width() - 320 - 20)) << width;
  }
}

}  // namespace
}  // namespace zv
