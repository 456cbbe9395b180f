// The main window's removal and trash commands reached through every menu
// item, popup item, key and bar button bound to them, in the shipped
// English language, their dialogs answered as a person would.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMessageBox>

#include "mapper/engine/catalogue.h"
#include "mapper/shell/qt_text.h"
#include "mapper/shell/trash_window.h"
#include "mapper/shell/window_test_support.h"
#include "mapper/trash/trash_store.h"
#include "tests/support/process.h"

namespace zv {
namespace {

using testing::AnswerNextModal;
using testing::Exists;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

class TrashCommandsTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  TrashCommandsTest() {
    UseShippedEnglish();
    form_->AttachTrashWindow(&trash_);
    EXPECT_TRUE(CreateTrashStore(mapper_));
    WriteLines(program_ / "IGNORLST.TXT", {"\\Temp\\"});
    WriteBytes(program_ / "WIN/Office/Word.exe", "w");
    WriteBytes(program_ / "WIN/Office/Excel.exe", "e");
    WriteLines(program_ / "Office.MAP", {"***Office***", "<DIR> Office", "Office\\Excel.exe", "Office\\Word.exe"});
    mapper_.options.simple_list = false;  // rows carry the missing mark
    form_->ShowOptions();
    LoadMaps(mapper_, "Office");
    form_->ShowMapsList();
    form_->ShowMap();
  }

  void SelectFile(int row) { SelectFileRow(row); }
  static void Key(QWidget* list, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(list, &press);
  }
  // Runs `command` answering the confirm dialog with OK or No; gives its question.
  std::string Confirming(bool ok, const std::function<void()>& command) {
    std::string question = "(no question)";
    AnswerNextModal([&, ok](QWidget*) {
      question = FromQ(dialog_.Note->text());
      (ok ? dialog_.OkBtn : dialog_.CancelBtn)->click();
    });
    command();
    return question;
  }
  // Runs `command`, which must show one notice; gives its text.
  static std::string Notice(const std::function<void()>& command) {
    std::string text = "(no notice)";
    AnswerNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      text = FromQ(box->text());
      box->accept();
    });
    command();
    return text;
  }
  std::string Status() const { return FromQ(form_->StatusPanel->text()); }

  TTrash32 trash_;
};

TEST_F(TrashCommandsTest, EveryWayToDeleteTheApplicationAsksAboutTheCurrentMap) {
  TForm1& f = *form_;
  const std::string question = "Delete all the mapped files of \"Office\"\nThey will be moved into the trash folder " +
                               program_.path() + "/#TRASH";
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"Delete on the map list", [&] { Key(f.MapsList, Qt::Key_Delete); }},
      {"Alt+D on the map list", [&] { Key(f.MapsList, Qt::Key_D, Qt::AltModifier); }},
      {"the Map menu", [&] { f.Deleteallmappedfiles1->trigger(); }},
      {"the map list's popup", [&] { f.DeleteApplication2->trigger(); }},
      {"the file list's popup", [&] { f.DeleteApplication1->trigger(); }},
  };
  for (const auto& [way, command] : ways) {
    EXPECT_EQ(Confirming(false, command), question) << way;
  }
  EXPECT_TRUE(Exists(program_ / "WIN/Office/Word.exe")) << "declined, nothing moved";
  // A plain D on the map list is no command.
  Key(f.MapsList, Qt::Key_D);

  Confirming(true, [&] { Key(f.MapsList, Qt::Key_Delete); });
  EXPECT_FALSE(Exists(program_ / "WIN/Office"));
  EXPECT_EQ(testing::ListNames(program_ / "#TRASH"), (Lines{"!TRASH!.DAT", "DEL0Excel.exe", "DEL0Word.exe"}));
  // The command ended with the refresh: every entry now shows missing.
  EXPECT_EQ(FileRows(), (Lines{"<DIR> Office missing", "Office\\Excel.exe missing", "Office\\Word.exe missing"}));
  EXPECT_EQ(Status(), "Maps reloaded and the Windows folder scanned again.");
}

TEST_F(TrashCommandsTest, EveryWayToDeleteTheSelectedFileWantsAPresentRow) {
  TForm1& f = *form_;
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"Delete on the file list", [&] { Key(f.Map, Qt::Key_Delete); }},
      {"Alt+D on the file list", [&] { Key(f.Map, Qt::Key_D, Qt::AltModifier); }},
      {"the Map menu", [&] { f.Deleteselectedfile1->trigger(); }},
      {"the file list's popup", [&] { f.DeleteFile1->trigger(); }},
  };
  for (const auto& [way, command] : ways) {
    f.Map->clearSelection();
    EXPECT_EQ(Notice(command), "Nothing is selected: please select a map or a file first.") << way;
    SelectFile(2);
    EXPECT_EQ(Confirming(false, command), "Delete the file \"Office/Word.exe\"\nIt will be moved into the trash folder " +
                                              program_.path() + "/#TRASH")
        << way;
  }
  EXPECT_TRUE(Exists(program_ / "WIN/Office/Word.exe"));

  SelectFile(2);
  Confirming(true, [&] { Key(f.Map, Qt::Key_Delete); });
  EXPECT_TRUE(Exists(program_ / "#TRASH/DEL0Word.exe"));
  EXPECT_EQ(FileRows(), (Lines{"<DIR> Office", "Office\\Excel.exe", "Office\\Word.exe missing"}));
  SelectFile(2);
  EXPECT_EQ(Notice([&] { Key(f.Map, Qt::Key_Delete); }), "This file is already gone from the disk.");
}

TEST_F(TrashCommandsTest, TheTrashCommandShowsTheManagerModallyThenRefreshes) {
  TForm1& f = *form_;
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"the Trash menu", [&] { f.Trash1->trigger(); }},
      {"the bar's trash button", [&] { f.PopGroup->on_command(2); }},
  };
  for (const auto& [way, command] : ways) {
    WriteLines(program_ / (std::string(way) + ".MAP"), {"***x***"});
    bool modal_trash = false;
    Lines captions;
    AnswerNextModal([&](QWidget* modal) {
      modal_trash = modal == &trash_;
      for (const QPushButton* button : {trash_.RestoreBtn, trash_.DeleteBtn, trash_.FolderBtn, trash_.QuitBtn}) {
        captions.push_back(FromQ(button->text()));
      }
      trash_.QuitBtn->click();
    });
    command();
    EXPECT_TRUE(modal_trash) << way;
    EXPECT_EQ(captions, (Lines{"&Restore", "&Delete", "&Folder", "&Quit"})) << way;
    // Closed, the main window refreshed: the new map is in the list.
    EXPECT_TRUE(f.MapsList->findItems(way, Qt::MatchExactly).size() == 1) << way;
    EXPECT_EQ(mapper_.maps.SelectedName(), "Office");
  }
}

}  // namespace
}  // namespace zv
