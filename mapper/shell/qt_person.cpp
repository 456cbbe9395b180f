#include "mapper/shell/qt_person.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <stdexcept>

#include "mapper/shell/app.h"
#include "mapper/shell/qt_text.h"

namespace zv {

QtPerson::~QtPerson() {
  if (busy_) QApplication::restoreOverrideCursor();
}

void QtPerson::AttachMainWindow(QWidget* window, StatusLine status_bar) {
  main_window_ = window;
  status_bar_ = std::move(status_bar);
}

void QtPerson::ShowNotice(const std::string& title, const std::string& text) {
  QMessageBox box;
  if (title == "Error") {
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle("Error");
  } else {
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(ToQ(title.starts_with('&') ? title.substr(1) : title));
  }
  box.setText(ToQ(text));
  box.setStandardButtons(QMessageBox::Ok);
  ExecMessageBox(box);
}

bool QtPerson::AskConfirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, "Please confirm", ToQ(text), QMessageBox::Yes | QMessageBox::No);
  return ExecMessageBox(box) == QMessageBox::Yes;
}

bool QtPerson::ConfirmDialog(const std::string& question) { return zv::ConfirmDialog(dialog_, question); }

std::string QtPerson::AskText(const TextRequest& request) {
  const QString ok_caption = dialog_.OkBtn->text();
  dialog_.setWindowTitle(ToQ(request.caption));
  dialog_.Note->setText(ToQ(request.note));
  const QString prefilled = ToQ(request.text);
  dialog_.Edit1->setText(prefilled);
  dialog_.OkBtn->setText(ToQ(request.ok_caption));
  dialog_.BrowseBtn->setVisible(request.browse);
  dialog_.exec();
  dialog_.OkBtn->setText(ok_caption);
  dialog_.BrowseBtn->hide();
  // A text taken as prefilled is the prefilled bytes, also those the code
  // page has no character for.
  const QString answer = dialog_.Edit1->text();
  return answer == prefilled ? request.text : FromQ(answer);
}

void QtPerson::ShowResults(const std::string& caption, const std::vector<std::string>& lines) {
  QListWidget results(&dialog_);
  results.setGeometry(dialog_.Note->geometry());
  // The lines come in the program's order; the list keeps it.
  for (const std::string& line : lines) results.addItem(ToQ(line));

  QLabel& note = *dialog_.Note;
  const QString note_text = note.text();
  const QPalette note_palette = note.palette();
  QPalette opaque = note_palette;
  opaque.setColor(QPalette::Window, opaque.color(QPalette::Base));
  opaque.setColor(QPalette::WindowText, opaque.color(QPalette::Text));
  note.clear();
  note.setPalette(opaque);
  note.setAutoFillBackground(true);
  dialog_.Edit1->hide();
  dialog_.CancelBtn->hide();
  dialog_.setWindowTitle(ToQ(caption));
  results.show();
  results.raise();

  dialog_.exec();

  note.setAutoFillBackground(false);
  note.setPalette(note_palette);
  note.setText(note_text);
  dialog_.CancelBtn->show();
  dialog_.Edit1->show();
}

void QtPerson::SetStatus(Colour colour, const std::string& text) {
  if (status_bar_) status_bar_(colour, text);
  if (splash_.isVisible()) SetProgressMessage(text);
}

void QtPerson::OpenInEditor(const std::string& file, const std::string& note) {
  if (editor_ == nullptr) throw std::logic_error("the text editor was not created");
  editor_->OpenInEditor(file, note);
}

void QtPerson::ShowProgress(bool visible) {
  if (visible) {
    splash_.ShowNow();
  } else {
    splash_.hide();
  }
}

bool QtPerson::ProgressVisible() const { return splash_.isVisible(); }

void QtPerson::SetProgressCaption(const std::string& caption) { splash_.setWindowTitle(ToQ(caption)); }

void QtPerson::SetProgressMessage(const std::string& message) {
  splash_.ExtraMsg->setText(ToQ(message));
  if (splash_.isVisible()) splash_.ExtraMsg->repaint();
}

void QtPerson::SetGauge(bool visible, int percent) { splash_.SetGauge(visible, percent); }

void QtPerson::PumpMessages() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

bool QtPerson::SetBusy(bool busy) {
  const bool was = busy_;
  if (busy && !busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!busy && busy_) QApplication::restoreOverrideCursor();
  busy_ = busy;
  return was;
}

bool QtPerson::MainWindowVisible() const { return main_window_ != nullptr && main_window_->isVisible(); }

}  // namespace zv
