#include "mapper/shell/in_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QIcon>

#include "mapper/shell/pictures.h"
#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

QFrame* NewBevel(QWidget* parent, const QRect& place) {
  auto* bevel = new QFrame(parent);
  bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
  bevel->setGeometry(place);
  return bevel;
}

}  // namespace

TInDialog::TInDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Dialog");
  setFixedSize(304, 167);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  Bevel1 = NewBevel(this, QRect(8, 8, 289, 121));
  Bevel2 = NewBevel(this, QRect(56, 16, 233, 105));

  Image1 = new QLabel(this);
  Image1->setGeometry(16, 20, 32, 33);
  Image1->setAlignment(Qt::AlignCenter);

  QFont arial("Arial", 10);
  Note = new QLabel(this);
  Note->setGeometry(60, 20, 225, 97);
  Note->setFont(arial);
  Note->setWordWrap(true);
  Note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Note->setTextFormat(Qt::PlainText);
  QPalette note_palette = Note->palette();
  note_palette.setColor(QPalette::WindowText, Qt::black);
  Note->setPalette(note_palette);

  Edit1 = new QLineEdit("Edit1", this);
  Edit1->setGeometry(56, 100, 217, 21);

  BrowseBtn = new QPushButton("...", this);
  BrowseBtn->setGeometry(272, 100, 17, 21);
  BrowseBtn->setToolTip("Browse");
  BrowseBtn->setAutoDefault(false);
  BrowseBtn->hide();

  FileListBox1 = new QListWidget(this);
  FileListBox1->setGeometry(60, 20, 225, 97);
  FileListBox1->setFont(arial);
  FileListBox1->hide();

  OkBtn = new QPushButton("Ok", this);
  OkBtn->setGeometry(8, 136, 141, 25);
  OkBtn->setDefault(true);

  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setGeometry(160, 136, 137, 25);
  CancelBtn->setAutoDefault(false);

  connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
  connect(BrowseBtn, &QPushButton::clicked, this, [this] { BrowseBtnClick(); });
  connect(FileListBox1, &QListWidget::itemDoubleClicked, this, [this] { OkBtnClick(); });
}

void TInDialog::FillFileList(const std::vector<std::string>& names) {
  FileListBox1->clear();
  for (const std::string& name : names) FileListBox1->addItem(ToQ(name));
  FileListBox1->setCurrentRow(-1);
  FileListBox1->clearSelection();
}

void TInDialog::OkBtnClick() { accept(); }

void TInDialog::CancelBtnClick() { reject(); }

void TInDialog::reject() {
  Edit1->clear();
  QDialog::reject();
}

void TInDialog::BrowseBtnClick() {
  const QString folder = browse_folder ? ToQ(browse_folder()) : QString();
  const QString chosen = QFileDialog::getOpenFileName(this, "Open", folder, "Please, select a file (*)");
  if (!chosen.isEmpty()) Edit1->setText(chosen);
}

void TInDialog::showEvent(QShowEvent* event) {
  QIcon icon = QApplication::windowIcon();
  Image1->setPixmap(icon.isNull() ? AppIconPicture() : icon.pixmap(32, 32));
  if (!Edit1->isHidden()) Edit1->setFocus();
  // A caption taken from a menu item keeps its access-key "&" out of the title.
  const QString title = windowTitle();
  if (title.startsWith('&')) setWindowTitle(title.mid(1));
  QDialog::showEvent(event);
}

bool ConfirmDialog(TInDialog& dialog, const std::string& question) {
  dialog.Edit1->setText("OK");
  dialog.setWindowTitle("Please confirm");
  dialog.Note->setText(ToQ(question));
  dialog.CancelBtn->setText("No");
  dialog.Edit1->hide();
  dialog.exec();
  dialog.CancelBtn->setText("Cancel");
  dialog.Edit1->show();
  return dialog.Edit1->text() == "OK";
}

}  // namespace zv
