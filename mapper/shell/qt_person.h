// The person at the screen, as the windows reach them: message boxes, the
// input dialog, the status line, the progress window, the hourglass and the
// pumping of pending window messages.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "mapper/engine/person.h"
#include "mapper/shell/in_dialog.h"
#include "mapper/shell/splash.h"
#include "mapper/shell/text_editor.h"

namespace zv {

class QtPerson : public Person {
 public:
  using StatusLine = std::function<void(Colour, const std::string&)>;

  // `editor` serves OpenInEditor; without one, opening a file in the editor
  // is a fault of the program (std::logic_error).
  QtPerson(TInDialog& dialog, TSplash& splash, TVEdit* editor = nullptr)
      : dialog_(dialog), splash_(splash), editor_(editor) {}
  ~QtPerson() override;

  // The main window registers itself and the status bar writer.
  void AttachMainWindow(QWidget* window, StatusLine status_bar);

  void ShowNotice(const std::string& title, const std::string& text) override;
  bool AskConfirm(const std::string& text) override;
  bool ConfirmDialog(const std::string& question) override;
  // Fills the input dialog from the request (caption, note, text, OK
  // caption, the "..." button), runs it and returns `Edit1`'s text; the
  // dialog's OK caption and "..." button are as before afterwards.
  std::string AskText(const TextRequest& request) override;
  // A list made for this showing covers `Note`; `Edit1` and `CancelBtn`
  // are hidden and `Note` is emptied and painted opaque meanwhile, then the
  // list goes and the dialog is restored.
  void ShowResults(const std::string& caption, const std::vector<std::string>& lines) override;

  void SetStatus(Colour colour, const std::string& text) override;
  void OpenInEditor(const std::string& file, const std::string& note) override;

  void ShowProgress(bool visible) override;
  bool ProgressVisible() const override;
  void SetProgressCaption(const std::string& caption) override;
  void SetProgressMessage(const std::string& message) override;
  void SetGauge(bool visible, int percent) override;

  // Runs pending window messages other than input from the person, so the
  // windows repaint during a long command but no second command can start.
  void PumpMessages() override;
  bool SetBusy(bool busy) override;
  bool MainWindowVisible() const override;

 private:
  TInDialog& dialog_;
  TSplash& splash_;
  TVEdit* editor_;
  QWidget* main_window_ = nullptr;
  StatusLine status_bar_;
  bool busy_ = false;
};

}  // namespace zv
