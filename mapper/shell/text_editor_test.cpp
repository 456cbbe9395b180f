#include "mapper/shell/text_editor.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QMessageBox>

#include "mapper/shell/window_test_support.h"

namespace zv {
namespace {

using testing::AnswerNextModal;
using testing::ReadBytes;
using testing::WriteBytes;

class TextEditorTest : public ::testing::Test {
 protected:
  TextEditorTest() : editor_(*host_) {}

  std::string File() const { return folder_ / "Office.MAP"; }
  // Opens the file in the editor and runs `act` while the editor is shown.
  void Edit(const std::function<void()>& act) {
    bool acted = false;
    AnswerNextModal([&](QWidget* modal) {
      EXPECT_EQ(modal, &editor_);
      act();
      acted = true;
    });
    editor_.OpenInEditor(File(), "Keep the first line");
    EXPECT_TRUE(acted);
    EXPECT_FALSE(editor_.isVisible());
  }
  // Answers the next message boxes, one after the other, with `buttons`,
  // keeping the last one's title and text.
  void Answer(std::vector<QMessageBox::StandardButton> buttons) {
    auto* poll = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, clock, buttons] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr && clock->elapsed() < 5000) return;
      poll->stop();
      poll->deleteLater();
      ASSERT_NE(box, nullptr) << "no message box came";
      box_title_ = box->windowTitle();
      box_text_ = box->text();
      // The next box can only come once this one is answered.
      Answer({buttons.begin() + 1, buttons.end()});
      box->button(buttons.front())->click();
    });
    if (!buttons.empty()) poll->start();
  }
  void Type(const QString& text) {
    editor_.Memo1->moveCursor(QTextCursor::Start);
    editor_.Memo1->insertPlainText(text);
  }

  testing::ScratchFolder folder_;
  std::unique_ptr<Host> host_ = NewPosixHost();
  TVEdit editor_;
  QString box_title_, box_text_;
};

TEST_F(TextEditorTest, ShowsTheFileAndSavesItWholeWithCrLf) {
  WriteBytes(File(), "***Office***\nOffice\\Word.exe\rOffice\\Caf\xE9.txt");
  Edit([&] {
    EXPECT_EQ(editor_.windowTitle(), QString("DuvotEditor - ") + QString::fromStdString(File()));
    EXPECT_EQ(editor_.HintLabel->text(), "Keep the first line");
    EXPECT_TRUE(editor_.StatusPanel->text().isEmpty());
    EXPECT_TRUE(editor_.Memo1->toPlainText().startsWith("***Office***\nOffice\\Word.exe\nOffice\\Caf"));
    Type("<DIR> Office\n");
    EXPECT_EQ(editor_.StatusPanel->text(), "Modified");
    editor_.SaveButton->click();
    EXPECT_EQ(editor_.StatusPanel->text(), QString::fromStdString(File()) + " has been saved.");
    editor_.Continue->click();  // unchanged since saving: closes without asking
  });
  EXPECT_EQ(ReadBytes(File()), "<DIR> Office\r\n***Office***\r\nOffice\\Word.exe\r\nOffice\\Caf\xE9.txt\r\n");
  EXPECT_EQ(editor_.FileName(), File());
}

TEST_F(TextEditorTest, ClosingAChangedTextAsksYesNoOrCancel) {
  const std::string before = "***Office***\r\nOffice\\Word.exe\r\n";
  struct Case {
    QMessageBox::StandardButton answer;
    std::string file_after;
  };
  const Case cases[] = {
      {QMessageBox::No, before},
      {QMessageBox::Yes, "typed\r\n" + before},
  };
  for (const Case& c : cases) {
    WriteBytes(File(), before);
    Edit([&] {
      Type("typed\n");
      Answer({QMessageBox::Cancel});
      editor_.close();
      EXPECT_EQ(box_title_, "Confirm");
      EXPECT_EQ(box_text_, "This file has been modified. Save file?");
      EXPECT_TRUE(editor_.isVisible()) << "Cancel keeps the editor open";
      EXPECT_TRUE(editor_.Memo1->toPlainText().startsWith("typed\n***Office***"));

      Answer({c.answer});
      editor_.Exit1->trigger();
    });
    EXPECT_EQ(ReadBytes(File()), c.file_after);
  }
}

TEST_F(TextEditorTest, AFailedSaveSaysWhyAndKeepsTheEditorOpenWithTheText) {
  WriteBytes(File(), "***Office***\r\n");
  ::chmod(File().c_str(), 0444);
  Edit([&] {
    Type("typed\n");
    Answer({QMessageBox::Ok});
    EXPECT_FALSE(editor_.Save1Click());
    EXPECT_NE(box_text_.indexOf("Permission denied"), -1) << box_text_.toStdString();
    EXPECT_EQ(editor_.StatusPanel->text(), "Modified");

    // Yes on closing tries again, fails again and stays.
    box_text_.clear();
    Answer({QMessageBox::Yes, QMessageBox::Ok});
    editor_.close();
    EXPECT_NE(box_text_.indexOf("Permission denied"), -1) << box_text_.toStdString();
    EXPECT_TRUE(editor_.isVisible());
    EXPECT_TRUE(editor_.Memo1->document()->isModified());
    EXPECT_TRUE(editor_.Memo1->toPlainText().startsWith("typed\n"));

    Answer({QMessageBox::No});
    editor_.close();
  });
  EXPECT_EQ(ReadBytes(File()), "***Office***\r\n");
}

TEST_F(TextEditorTest, FindNextStartsOneCharacterAfterTheSelectionIgnoringCase) {
  editor_.Memo1->setPlainText("abc xyz ABC\nlast aBc");
  editor_.FindDialog1->FindText->setText("abc");
  auto selection = [&] {
    const QTextCursor cursor = editor_.Memo1->textCursor();
    return std::make_pair(cursor.selectionStart(), cursor.selectionEnd());
  };
  editor_.FindDialog1Find();  // from the very start: the match there is skipped
  EXPECT_EQ(selection(), std::make_pair(8, 11));
  editor_.FindNext1->trigger();
  EXPECT_EQ(selection(), std::make_pair(17, 20));

  Answer({QMessageBox::Ok});
  editor_.FindDialog1Find();
  EXPECT_EQ(box_title_, "Find");
  EXPECT_EQ(box_text_, "No more \"abc\" found");
  EXPECT_EQ(selection(), std::make_pair(17, 20)) << "the selection stays";

  editor_.FindDialog1->FindText->clear();
  editor_.FindDialog1Find();
  EXPECT_TRUE(editor_.FindDialog1->isVisible()) << "nothing to look for opens the dialog";
  EXPECT_FALSE(editor_.FindDialog1->FindButton->isEnabled());
  editor_.FindDialog1->FindText->setText("LAST");
  editor_.Memo1->moveCursor(QTextCursor::Start);
  editor_.FindDialog1->FindButton->click();
  EXPECT_FALSE(editor_.FindDialog1->isVisible());
  EXPECT_EQ(selection(), std::make_pair(12, 16));
}

TEST_F(TextEditorTest, PrintsTheTextWithAnEmptyTitleWhenThePrintDialogIsConfirmed) {
  editor_.Memo1->setPlainText("***Office***\nOffice\\Word.exe\n");
  const std::string pdf = folder_ / "printed.pdf";
  QString title = "unset";
  bool confirm = false;
  editor_.ask_printer = [&](QPrinter& printer) {
    title = printer.docName();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return confirm;
  };
  editor_.Print1->trigger();
  EXPECT_FALSE(testing::Exists(pdf));
  confirm = true;
  editor_.PrintButton->click();
  EXPECT_EQ(title, "");
  ASSERT_TRUE(testing::Exists(pdf));
  EXPECT_EQ(ReadBytes(pdf).substr(0, 5), "%PDF-");
}

TEST_F(TextEditorTest, AnUnwatchedRunLoadsTheFileWithoutShowingTheEditor) {
  WriteBytes(File(), "***Office***\r\n");
  qputenv("ZORVAN_UNATTENDED", "1");
  editor_.OpenInEditor(File(), "note");
  qunsetenv("ZORVAN_UNATTENDED");
  EXPECT_FALSE(editor_.isVisible());
  EXPECT_EQ(editor_.Memo1->toPlainText(), "***Office***\n");
  EXPECT_THROW(editor_.OpenInEditor(folder_ / "missing.MAP", "note"), HostError);
}

}  // namespace
}  // namespace zv
