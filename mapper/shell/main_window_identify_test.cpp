// Identifying a file from the main window, through the real input dialog,
// its "..." file chooser and the results list.
#include <gtest/gtest.h>

#include <QFileDialog>

#include "mapper/engine/catalogue.h"
#include "mapper/shell/qt_text.h"
#include "mapper/shell/window_test_support.h"
#include "tests/support/process.h"

namespace zv {
namespace {

using testing::AnswerModals;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

class IdentifyWindowTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  IdentifyWindowTest() {
    UseShippedEnglish();
    WriteBytes(program_ / "WIN/Office/Word.exe", "w");
    WriteLines(program_ / "Office.MAP", {"***Office***", "<DIR> Office", "Office\\Word.exe"});
    WriteLines(program_ / "Games.MAP", {"***Games***", "Games\\Chess.exe"});
    LoadMaps(mapper_, "Games");
    form_->ShowMapsList();
    form_->ShowMap();
  }

  Lines ResultLines() const {
    Lines lines;
    for (const QListWidget* list : dialog_.findChildren<QListWidget*>()) {
      if (list == dialog_.FileListBox1) continue;
      for (int i = 0; i < list->count(); ++i) lines.push_back(FromQ(list->item(i)->text()));
    }
    return lines;
  }
  std::string Shown(int row) const { return FromQ(FileText(row)); }
};

TEST_F(IdentifyWindowTest, AFileChosenWithTheBrowserIsFoundAndItsMapShown) {
  SelectFileRow(0);  // Games\Chess.exe
  const std::string word = program_ / "WIN/Office/Word.exe";
  QString browser_folder;
  Lines results;
  std::string map_during_results;
  AnswerModals({
      [&](QWidget* modal) {
        EXPECT_EQ(modal, &dialog_);
        EXPECT_EQ(dialog_.windowTitle(), "Identify a file...");
        EXPECT_EQ(dialog_.Edit1->text(), "Games\\Chess.exe") << "prefilled with the selected entry";
        EXPECT_FALSE(dialog_.BrowseBtn->isHidden());
        dialog_.BrowseBtn->click();
      },
      [&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        browser_folder = chooser->directory().absolutePath();
        chooser->selectFile(ToQ(word));
        static_cast<QDialog*>(chooser)->accept();  // as its Open button does
      },
      [&](QWidget*) {
        EXPECT_EQ(FromQ(dialog_.Edit1->text()), word);
        dialog_.OkBtn->click();
      },
      [&](QWidget*) {
        results = ResultLines();
        EXPECT_EQ(dialog_.windowTitle(), "\"WORD.EXE\"");
        EXPECT_TRUE(dialog_.Edit1->isHidden());
        EXPECT_TRUE(dialog_.CancelBtn->isHidden());
        map_during_results = FromQ(form_->MapsList->currentItem()->text());
        EXPECT_FALSE(mapper_.person.ProgressVisible());
        dialog_.OkBtn->click();
      },
  });
  form_->Identifyafile1->trigger();

  EXPECT_EQ(browser_folder, ToQ(program_ / "WIN")) << "the chooser opens in the Windows folder";
  EXPECT_EQ(results, Lines{"> Office\\Word.exe (Office.MAP)"});
  EXPECT_EQ(map_during_results, "Office") << "the map list shows the map before the results";
  EXPECT_EQ(mapper_.maps.SelectedName(), "Office");
  EXPECT_EQ(Shown(0), "<DIR> Office");
  EXPECT_EQ(Shown(1), "Office\\Word.exe");
  // The dialog is as it was.
  EXPECT_FALSE(dialog_.Edit1->isHidden());
  EXPECT_FALSE(dialog_.CancelBtn->isHidden());
  EXPECT_TRUE(dialog_.BrowseBtn->isHidden());
  EXPECT_TRUE(ResultLines().empty());
}

TEST_F(IdentifyWindowTest, TheBarButtonAndF3AskAndNoMatchOrCancelLeavesTheMapAlone) {
  EXPECT_EQ(form_->Identifyafile1->shortcut(), QKeySequence(Qt::Key_F3));
  Lines results;
  AnswerModals({
      [&](QWidget*) {
        EXPECT_EQ(dialog_.Edit1->text(), "") << "no entry selected";
        dialog_.Edit1->setText("nothing.dll");
        dialog_.OkBtn->click();
      },
      [&](QWidget*) {
        results = ResultLines();
        dialog_.OkBtn->click();
      },
  });
  form_->PopGroup->on_command(1);  // the bar's identify button
  EXPECT_EQ(results, Lines{LookupMessage(mapper_, "*NOTMAP")});
  EXPECT_EQ(mapper_.maps.SelectedName(), "Games");

  AnswerModals({[&](QWidget*) {
    dialog_.Edit1->setText("word.exe");
    dialog_.CancelBtn->click();
  }});
  form_->Identifyafile1->trigger();
  EXPECT_EQ(mapper_.maps.SelectedName(), "Games");
  EXPECT_EQ(FromQ(form_->MapsList->currentItem()->text()), "Games");
}

}  // namespace
}  // namespace zv
