#include "mapper/shell/find_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zv {

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Find");
  setModal(false);
  auto* row = new QHBoxLayout(this);
  auto* label = new QLabel("Fi&nd what:", this);
  FindText = new QLineEdit(this);
  label->setBuddy(FindText);
  FindText->setMinimumWidth(200);
  row->addWidget(label);
  row->addWidget(FindText, 1);

  auto* buttons = new QVBoxLayout;
  FindButton = new QPushButton("&Find Next", this);
  FindButton->setDefault(true);
  FindButton->setEnabled(false);
  CancelButton = new QPushButton("Cancel", this);
  buttons->addWidget(FindButton);
  buttons->addWidget(CancelButton);
  buttons->addStretch(1);
  row->addLayout(buttons);

  // Nothing to look for, nothing to find: the button waits for a text.
  connect(FindText, &QLineEdit::textChanged, this, [this] { FindButton->setEnabled(!FindText->text().isEmpty()); });
  connect(FindButton, &QPushButton::clicked, this, [this] {
    if (on_find) on_find();
  });
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace zv
