// The main window's map commands, links, about box and help, driven through
// its menus, keys and mouse in the shipped English language.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/shell_links.h"
#include "mapper/shell/qt_text.h"
#include "mapper/shell/window_test_support.h"
#include "platform/posix_test_support.h"
#include "tests/support/process.h"

namespace zv {
namespace {

using testing::AnswerNextModal;
using testing::Exists;
using testing::ReadLines;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

class MapCommandsTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  MapCommandsTest() {
    UseShippedEnglish();
    WriteLines(program_ / "IGNORLST.TXT", {"\\Temp\\"});
    WriteBytes(program_ / "WIN/Office/Word.exe", "w");
    WriteBytes(program_ / "WIN/Office/Excel.exe", "e");
    WriteLines(program_ / "Office.MAP", {"***Office***", "<DIR> Office", "Office\\Excel.exe", "Office\\Word.exe"});
    WriteLines(program_ / "Games.MAP", {"***Games***", "Games\\Chess.exe"});
    LoadMaps(mapper_, "Office");
    form_->ShowMapsList();
    form_->ShowMap();
  }

  Lines Rows() const {
    Lines rows;
    for (int i = 0; i < form_->MapsList->count(); ++i) rows.push_back(FromQ(form_->MapsList->item(i)->text()));
    return rows;
  }
  Lines Shown() const {
    Lines shown;
    for (int i = 0; i < FileRowCount(); ++i) shown.push_back(FromQ(FileText(i)));
    return shown;
  }
  std::string Status() const { return FromQ(form_->StatusPanel->text()); }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(form_->MapsList, &press);
  }
  void ClickRow(int row) { ClickAt(form_->MapsList->visualItemRect(form_->MapsList->item(row)).center()); }
  void ClickAt(const QPointF& at) {
    QWidget* viewport = form_->MapsList->viewport();
    const QPointF global = viewport->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
  }
};

TEST_F(MapCommandsTest, EnterOrAltRRenamesAndAClickOnTheSelectedRowRereadsTheMap) {
  for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::AltModifier)}) {
    QString title;
    AnswerNextModal([&](QWidget* modal) {
      title = modal->windowTitle();
      EXPECT_EQ(dialog_.Edit1->text(), "Office");
      dialog_.CancelBtn->click();
    });
    Key(modifiers == Qt::NoModifier ? Qt::Key_Return : Qt::Key_R, modifiers);
    EXPECT_EQ(title, "Rename map \"Office\"");
  }
  EXPECT_EQ(Rows(), (Lines{"Games", "Office"}));

  form_->show();
  ASSERT_TRUE(testing::WaitUntil([&] { return form_->MapsList->isVisible(); }));
  WriteLines(program_ / "Office.MAP", {"***Office***", "Office\\Word.exe"});
  ClickRow(1);
  EXPECT_EQ(Shown(), Lines{"Office\\Word.exe"});
  ClickRow(0);
  EXPECT_EQ(Shown(), Lines{"Games\\Chess.exe"});
  EXPECT_EQ(mapper_.maps.SelectedName(), "Games");
  ClickAt(QPointF(5, form_->MapsList->viewport()->height() - 5));  // below the rows
  EXPECT_EQ(form_->MapsList->selectedItems().size(), 1) << "the current map stays highlighted";
  EXPECT_EQ(mapper_.maps.SelectedName(), "Games");
  form_->PopGroup->PopTimer.stop();
  form_->LogoTimer.stop();
  form_->hide();
}

TEST_F(MapCommandsTest, RenameRefreshAndUnmapKeepTheMapListInStep) {
  AnswerNextModal([&](QWidget*) {
    dialog_.Edit1->setText("Office 2000");
    dialog_.OkBtn->click();
  });
  form_->Rename1->trigger();
  EXPECT_EQ(Rows(), (Lines{"Games", "Office 2000"}));
  EXPECT_EQ(form_->MapsList->currentRow(), 1);
  EXPECT_EQ(FromQ(form_->GroupBox2->title()), "Files installed by \"Office 2000\"");

  WriteLines(program_ / "Apps.MAP", {"***Apps***"});
  form_->Refresh1->trigger();
  EXPECT_EQ(Rows(), (Lines{"Apps", "Games", "Office 2000"}));
  EXPECT_EQ(mapper_.maps.SelectedName(), "Office 2000");
  EXPECT_EQ(Status(), "Maps reloaded and the Windows folder scanned again.");

  QString question;
  AnswerNextModal([&](QWidget*) {
    question = dialog_.Note->text();
    dialog_.OkBtn->click();
  });
  form_->UnMap2->trigger();
  EXPECT_TRUE(question.startsWith("Unmap?")) << question.toStdString();
  EXPECT_TRUE(question.endsWith("Office 2000.MAP is deleted (the map of \"Office 2000\")")) << question.toStdString();
  EXPECT_FALSE(Exists(program_ / "Office 2000.MAP"));
  EXPECT_EQ(Rows(), (Lines{"Apps", "Games"}));
  EXPECT_EQ(form_->MapsList->currentRow(), 0);
}

TEST_F(MapCommandsTest, EditingFromThePopupShowsTheEntriesLeftInTheMap) {
  AnswerNextModal([&](QWidget* modal) {
    EXPECT_EQ(modal, &editor_);
    EXPECT_EQ(editor_.HintLabel->text().toStdString(), mapper_.texts.edit_warn);
    editor_.Memo1->setPlainText("***Office***\nOffice\\Excel.exe\n");
    editor_.Save1Click();
    editor_.Continue->click();
  });
  form_->EditMap1->trigger();
  EXPECT_EQ(Shown(), Lines{"Office\\Excel.exe"});
  EXPECT_EQ(ReadLines(program_ / "Office.MAP"), (Lines{"***Office***", "Office\\Excel.exe"}));

  AnswerNextModal([&](QWidget*) {
    EXPECT_EQ(editor_.FileName(), program_ / "IGNORLST.TXT");
    EXPECT_EQ(editor_.HintLabel->text().toStdString(), mapper_.texts.add_ignore);
    editor_.close();
  });
  form_->Ignorelist1->trigger();
}

TEST_F(MapCommandsTest, LinksAboutHelpAndTheLogo) {
  testing::ScratchFolder home;
  host_testing::EnvGuard env;
  env.Set("XDG_CONFIG_HOME", home / "config");
  env.Set("XDG_DATA_HOME", home / "data");
  const std::string menu_entry = home / "data/applications/Zorvan.desktop";
  form_->Icon1->trigger();
  EXPECT_TRUE(form_->Icon1->isChecked());
  EXPECT_TRUE(Exists(menu_entry));
  form_->Icon1->trigger();
  EXPECT_FALSE(form_->Icon1->isChecked());
  EXPECT_FALSE(Exists(menu_entry));
  form_->Vigiloonstartup1->trigger();
  EXPECT_TRUE(form_->Vigiloonstartup1->isChecked());
  EXPECT_TRUE(Exists(home / "config/autostart/Zorvan - Vigilo probe.desktop"));

  mapper_.version_text = "3.0";
  form_->About1->trigger();
  EXPECT_TRUE(about_.isVisible());
  EXPECT_EQ(about_.windowTitle(), "Zorvan version 3.0");
  EXPECT_EQ(about_.SiteURL->text(), "zorvan.example.org");
  EXPECT_EQ(about_.BitBtn1->text(), "Guide");
  EXPECT_FALSE(about_.Autors->text().isEmpty());
  EXPECT_FALSE(about_.CopyRightInfos->text().isEmpty());
  about_.BitBtn1->click();
  about_.close();
  form_->PopGroup->on_command(3);  // the about button of the bar
  EXPECT_TRUE(about_.isVisible());
  about_.close();

  form_->Contents1->trigger();
  form_->LogoClick();
  const std::string help = program_ / "Zvhelp.htm|||3";
  EXPECT_EQ(shell_.opens, (Lines{help, help, program_ / "null.htm|||3"}));
  EXPECT_EQ(testing::ReadBytes(program_ / "NULL.htm"), RedirectPage("zorvan.example.org"));
}

}  // namespace
}  // namespace zv
