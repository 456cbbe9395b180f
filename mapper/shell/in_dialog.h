// The input dialog `TInDialog`: one modal dialog, created once, that asks for
// a line of text, lets the person pick a file, confirms, or shows a notice.
// The caller sets the caption, `Note`, `Edit1` and which controls show, runs
// it modally and reads `Edit1` afterwards: an empty text means cancelled
// (Cancel, Escape and the close box all empty it).
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

namespace zv {

class TInDialog : public QDialog {
 public:
  explicit TInDialog(QWidget* parent = nullptr);

  // The folder the "..." button's open dialog starts in (the Windows folder).
  std::function<std::string()> browse_folder;

  QFrame* Bevel1;
  QFrame* Bevel2;
  QLabel* Image1;
  QLabel* Note;
  QLineEdit* Edit1;
  QPushButton* BrowseBtn;
  QListWidget* FileListBox1;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;

  // Fills `FileListBox1` with file names, nothing selected.
  void FillFileList(const std::vector<std::string>& names);

  void OkBtnClick();
  // Empties `Edit1` and closes: the answer is "cancelled".
  void CancelBtnClick();
  // Opens a file chooser in `browse_folder`; a chosen file's full name
  // goes into `Edit1`.
  void BrowseBtnClick();

  // Escape and the close box answer like Cancel.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
};

// The "Please confirm" question in the input dialog, with OK and No; true
// exactly when OK closed it (No, Escape and the close box answer no). The
// dialog's buttons and fields are as they were afterwards.
bool ConfirmDialog(TInDialog& dialog, const std::string& question);

}  // namespace zv
