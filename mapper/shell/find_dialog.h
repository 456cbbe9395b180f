// The editor's find dialog `FindDialog1`: a text to look for and a Find Next
// button. It stays open beside the editor until a search closes it.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace zv {

class TFindDialog : public QDialog {
 public:
  explicit TFindDialog(QWidget* parent);

  QLineEdit* FindText;
  QPushButton* FindButton;
  QPushButton* CancelButton;

  // Runs for the Find Next button (`FindDialog1Find`).
  std::function<void()> on_find;
};

}  // namespace zv
