// The built-in text editor `TVEdit`, in which the person edits a map or the
// ignore list with a note beside the text telling what to do. One instance,
// created at start and reused; it is modal while shown and keeps the last
// loaded text until the next file is opened.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <functional>
#include <string>

#include "mapper/shell/find_dialog.h"
#include "platform/host.h"

namespace zv {

class TVEdit : public QDialog {
 public:
  // The caption is this text followed by the edited file's name.
  static constexpr char kCaptionPrefix[] = "DuvotEditor - ";

  // `host` reads and writes the edited files; it must outlive the editor.
  explicit TVEdit(Host& host, QWidget* parent = nullptr);

  // Loads `file`'s lines, shows `note` beside them and runs the editor
  // modally until it closes. Throws HostError, showing nothing, when the
  // file cannot be read. In a run nobody watches (ZORVAN_UNATTENDED) the
  // editor is not shown: its caption and note go to standard error and it
  // closes at once, unchanged.
  void OpenInEditor(const std::string& file, const std::string& note);

  // The file the caption names (the caption from its 15th character on).
  const std::string& FileName() const { return file_; }

  // Writes the text to the file, every line ended with CR LF, replacing it
  // atomically. On success clears the modified mark and says so on the
  // status bar; on failure shows why in the error report and answers false,
  // the text and its modified mark kept.
  bool Save1Click();
  void Print1Click();
  void Exit1Click() { close(); }
  void ContinueClick() { close(); }
  void Undo1Click() { Memo1->undo(); }
  void Cut1Click() { Memo1->cut(); }
  void Copy1Click() { Memo1->copy(); }
  void Paste1Click() { Memo1->paste(); }
  void Find1Click();
  // Closes the find dialog and looks for its text from one character after
  // the selection's start to the end, ignoring case: selects the match and
  // scrolls to it, or shows `No more "text" found` and keeps the selection.
  // With nothing to look for yet, opens the find dialog instead.
  void FindDialog1Find();
  // Whether the editor may close: true when the text is unchanged; else the
  // person is asked to save (Yes saves, and a failed save keeps the editor
  // open; No discards; Cancel keeps it open).
  bool FormCloseQuery();

  // Asks where to print; the default runs the platform's print dialog.
  std::function<bool(QPrinter&)> ask_printer;

  QMenuBar* MainMenu1;
  QAction* Save1;
  QAction* Print1;
  QAction* Exit1;
  QAction* Undo1;
  QAction* Cut1;
  QAction* Copy1;
  QAction* Paste1;
  QAction* Find1;
  QAction* FindNext1;
  QFrame* Panel2;
  QToolButton* SaveButton;
  QToolButton* PrintButton;
  QFrame* Panel1;
  QLabel* HintLabel;
  QPushButton* Continue;
  QPlainTextEdit* Memo1;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel;
  TFindDialog* FindDialog1;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Escape asks like every other way of closing.
  void reject() override { close(); }

 private:
  void BuildMenus();
  void FormResize();
  void Memo1Change();

  Host& host_;
  std::string file_;
};

}  // namespace zv
