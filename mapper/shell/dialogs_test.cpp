#include <gtest/gtest.h>

#include <QMessageBox>

#include "mapper/shell/qt_text.h"
#include "mapper/shell/window_test_support.h"

namespace zv {
namespace {

using testing::AnswerNextModal;

class DialogsTest : public ::testing::Test {
 protected:
  TSplash splash_;
  TInDialog dialog_;
  QtPerson person_{dialog_, splash_};
};

TEST_F(DialogsTest, TheConfirmDialogAnswersYesOnlyForOk) {
  const std::vector<std::pair<std::string, std::function<void(QWidget*)>>> answers = {
      {"ok", [this](QWidget*) { dialog_.OkBtn->click(); }},
      {"no", [this](QWidget*) { dialog_.CancelBtn->click(); }},
      {"close box", [](QWidget* modal) { modal->close(); }},
      {"escape", [](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); }},
  };
  for (const auto& [how, answer] : answers) {
    SCOPED_TRACE(how);
    QString title, no_caption;
    bool edit_hidden = false;
    AnswerNextModal([&, answer = answer](QWidget* modal) {
      title = modal->windowTitle();
      no_caption = dialog_.CancelBtn->text();
      edit_hidden = dialog_.Edit1->isHidden();
      answer(modal);
    });
    const bool yes = person_.ConfirmDialog("Delete everything?");
    EXPECT_EQ(yes, how == "ok");
    EXPECT_EQ(title, "Please confirm");
    EXPECT_EQ(no_caption, "No");
    EXPECT_TRUE(edit_hidden);
    EXPECT_EQ(dialog_.Note->text(), "Delete everything?");
    EXPECT_EQ(dialog_.CancelBtn->text(), "Cancel");
    EXPECT_FALSE(dialog_.Edit1->isHidden());
  }
}

TEST_F(DialogsTest, AskTextReturnsTheFieldOnOkAndNothingOnCancel) {
  TextRequest request;
  request.caption = "&Scan";
  request.note = "Name the new map";
  request.text = "Proposed name";
  request.ok_caption = "Save";
  request.browse = true;

  QString title, ok_caption;
  bool browse_shown = false;
  AnswerNextModal([&](QWidget* modal) {
    title = modal->windowTitle();
    ok_caption = dialog_.OkBtn->text();
    browse_shown = !dialog_.BrowseBtn->isHidden();
    dialog_.Edit1->setText("Chosen");
    dialog_.OkBtn->click();
  });
  EXPECT_EQ(person_.AskText(request), "Chosen");
  EXPECT_EQ(title, "Scan");  // a caption's access-key "&" is not shown
  EXPECT_EQ(ok_caption, "Save");
  EXPECT_TRUE(browse_shown);
  EXPECT_EQ(dialog_.OkBtn->text(), "Ok");
  EXPECT_TRUE(dialog_.BrowseBtn->isHidden());

  for (bool close_box : {false, true}) {
    SCOPED_TRACE(close_box ? "close box" : "cancel");
    AnswerNextModal([&](QWidget* modal) {
      if (close_box) {
        modal->close();
      } else {
        dialog_.CancelBtn->click();
      }
    });
    EXPECT_EQ(person_.AskText(request), "") << "the field held text, yet the answer is 'cancelled'";
  }
}

TEST_F(DialogsTest, ResultsShowInAListOverTheNoteWithOnlyOkAndTheDialogComesBack) {
  dialog_.Note->setText("Type a name");
  const QPalette note_palette = dialog_.Note->palette();
  QStringList rows;
  QString title, note;
  bool list_over_note = false, edit_hidden = false, cancel_hidden = false, ok_shown = false;
  AnswerNextModal([&](QWidget* modal) {
    title = modal->windowTitle();
    note = dialog_.Note->text();
    edit_hidden = dialog_.Edit1->isHidden();
    cancel_hidden = dialog_.CancelBtn->isHidden();
    ok_shown = !dialog_.OkBtn->isHidden();
    for (const QListWidget* list : modal->findChildren<QListWidget*>()) {
      if (list == dialog_.FileListBox1) continue;
      list_over_note = !list->isHidden() && list->geometry() == dialog_.Note->geometry();
      for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    }
    dialog_.OkBtn->click();
  });
  person_.ShowResults("\"FOO.DLL\"", {"> SYSTEM\\FOO.DLL (Beta.MAP)", "X FOO.DLL (Alpha.MAP)"});

  EXPECT_EQ(title, "\"FOO.DLL\"");
  EXPECT_EQ(rows, (QStringList{"> SYSTEM\\FOO.DLL (Beta.MAP)", "X FOO.DLL (Alpha.MAP)"}));  // order kept
  EXPECT_TRUE(list_over_note);
  EXPECT_EQ(note, "");
  EXPECT_TRUE(edit_hidden);
  EXPECT_TRUE(cancel_hidden);
  EXPECT_TRUE(ok_shown);
  // Restored: no list left behind, the fields and the note as before.
  EXPECT_EQ(dialog_.findChildren<QListWidget*>().size(), 1);
  EXPECT_FALSE(dialog_.Edit1->isHidden());
  EXPECT_FALSE(dialog_.CancelBtn->isHidden());
  EXPECT_EQ(dialog_.Note->text(), "Type a name");
  EXPECT_EQ(dialog_.Note->palette(), note_palette);
  EXPECT_FALSE(dialog_.Note->autoFillBackground());
}

TEST_F(DialogsTest, NoticesDropALeadingAmpersandAndShowTheErrorIconForErrors) {
  struct Case {
    std::string title;
    QString shown;
    QMessageBox::Icon icon;
  };
  const std::vector<Case> cases = {
      {"&Scan", "Scan", QMessageBox::NoIcon},
      {"Error", "Error", QMessageBox::Critical},
      {"Zorvan 3.0", "Zorvan 3.0", QMessageBox::NoIcon},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Information;
    AnswerNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      box->button(QMessageBox::Ok)->click();
    });
    person_.ShowNotice(c.title, "Something happened");
    EXPECT_EQ(title, c.shown);
    EXPECT_EQ(text, "Something happened");
    EXPECT_EQ(icon, c.icon);
  }
}

TEST_F(DialogsTest, AskConfirmIsTrueOnlyForYes) {
  for (auto [button, expected] : {std::pair{QMessageBox::Yes, true}, std::pair{QMessageBox::No, false}}) {
    QString title;
    AnswerNextModal([&, button = button](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      box->button(button)->click();
    });
    EXPECT_EQ(person_.AskConfirm("Go on?"), expected);
    EXPECT_EQ(title, "Please confirm");
  }
}

TEST_F(DialogsTest, TheStatusLineFeedsTheProgressWindowOnlyWhileItShows) {
  std::vector<std::string> bar;
  person_.AttachMainWindow(nullptr, [&](Colour, const std::string& text) { bar.push_back(text); });
  person_.SetStatus(kButtonFace, "before");
  EXPECT_EQ(splash_.ExtraMsg->text(), "Loading...");
  person_.ShowProgress(true);
  person_.SetProgressCaption("Scanning...");
  person_.SetStatus(kLime, "while");
  EXPECT_EQ(splash_.ExtraMsg->text(), "while");
  EXPECT_EQ(splash_.windowTitle(), "Scanning...");
  person_.SetGauge(true, 140);
  EXPECT_EQ(splash_.Gauge1->value(), 100);
  person_.ShowProgress(false);
  EXPECT_FALSE(person_.ProgressVisible());
  EXPECT_EQ(bar, (std::vector<std::string>{"before", "while"}));
}

TEST_F(DialogsTest, BusyStateNestsLikeAFlag) {
  EXPECT_FALSE(person_.SetBusy(true));
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(person_.SetBusy(true));
  EXPECT_TRUE(person_.SetBusy(false));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace zv
