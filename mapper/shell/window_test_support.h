// Support for the window tests: answering modal dialogs from inside their
// event loop, waiting for a condition, and a scratch program folder with a
// mapper and its windows.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mapper/engine/messages.h"
#include "mapper/shell/in_dialog.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/qt_person.h"
#include "mapper/shell/splash.h"
#include "mapper/shell/text_editor.h"
#include "platform/forwarding_host.h"
#include "platform/posix_test_support.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv::testing {

// Runs `act` on the next modal widget to show, from within its event loop.
// The poll gives up after `timeout_ms`; its timer belongs to the application.
inline void AnswerNextModal(std::function<void(QWidget*)> act, int timeout_ms = 5000) {
  auto* poll = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, clock, act = std::move(act), timeout_ms] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr && clock->elapsed() < timeout_ms) return;
    poll->stop();
    poll->deleteLater();
    if (modal != nullptr) act(modal);
  });
  poll->start();
}

// Answers the modal windows that come one after the other, each with its
// own action; the next is awaited only once the one before is answered.
inline void AnswerModals(std::vector<std::function<void(QWidget*)>> acts) {
  if (acts.empty()) return;
  AnswerNextModal([acts](QWidget* modal) {
    AnswerModals({acts.begin() + 1, acts.end()});
    acts.front()(modal);
  });
}

// Runs events until `done` holds or `timeout_ms` passes; answers `done()`.
inline bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeout_ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

// A language file carrying one "MESSAGES.DAT" with these lines.
inline void WriteLanguageFile(const std::string& path, const std::vector<std::string>& catalogue) {
  std::vector<std::string> plain = {"***MESSAGES.DAT***"};
  plain.insert(plain.end(), catalogue.begin(), catalogue.end());
  plain.push_back("***END***");
  std::vector<std::string> stored;
  unsigned seed = 1;
  for (const std::string& line : plain) stored.push_back("#" + EncodeLanguageLine(line, seed++));
  WriteLines(path, stored);
}

// The real host, except that the shell's open requests are recorded
// ("file|params|folder|show") instead of starting programs or a browser,
// and that the program's places are `places` when set.
class ShellRecordingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  ProgramPlaces FindProgramPlaces(const std::string& named) override {
    return places ? *places : ForwardingHost::FindProgramPlaces(named);
  }
  std::optional<ProgramPlaces> places;
  int ShellOpen(const std::string& file, const std::string& params, const std::string& folder,
                int show) override {
    opens.push_back(file + "|" + params + "|" + folder + "|" + std::to_string(show));
    return 42;
  }
  std::vector<std::string> opens;
};

// A mapper in a scratch program folder (Windows folder: its "WIN" folder)
// with the windows a session has: splash, editor, input dialog, person,
// main window and about box.
// The process's working folder for the length of a scope.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& folder) { std::filesystem::current_path(folder); }
  ~WorkingFolder() { std::filesystem::current_path(previous_); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::filesystem::path previous_ = std::filesystem::current_path();
};

class WindowFixture {
 public:
  WindowFixture()
      : host_(NewPosixHost()), shell_(*host_), editor_(shell_), person_(dialog_, splash_, &editor_),
        mapper_(shell_, person_) {
    MakeFolders(program_ / "WIN");
    mapper_.program_folder = program_.path();
    mapper_.windows_folder = program_ / "WIN";
    form_ = std::make_unique<TForm1>(mapper_, splash_, dialog_, person_);
    form_->PopGroup->PopTimer.stop();
    form_->LogoTimer.stop();
    form_->AttachAboutBox(&about_);
  }

  // Puts the shipped English language file in the program folder.
  void CopyShippedEnglish() { WriteBytes(program_ / "English.lng", ReadBytes(BuiltProgramFolder() + "/English.lng")); }
  // That file, applied to the main window as a first start applies it.
  void UseShippedEnglish() {
    CopyShippedEnglish();
    form_->ApplyLanguage("English.lng");
  }

  // How many rows the file list shows, the text row `row` shows in
  // `column`, and selecting row `row` as a click on it does.
  int FileRowCount() const { return form_->Map->model()->rowCount(); }
  QString FileText(int row, int column = 0) const {
    return form_->Map->model()->index(row, column).data().toString();
  }
  void SelectFileRow(int row) const { form_->Map->setCurrentIndex(form_->Map->model()->index(row, 0)); }

  // The file list's rows, each followed by " missing" when it carries the
  // missing mark.
  std::vector<std::string> FileRows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < FileRowCount(); ++i) {
      SelectFileRow(i);
      const std::optional<MapItem> item = form_->View().SelectedItem();
      rows.push_back(item->caption + (item->state == 2 ? " missing" : ""));
    }
    form_->Map->clearSelection();
    return rows;
  }

  ScratchFolder program_;
  std::unique_ptr<Host> host_;
  ShellRecordingHost shell_;
  TSplash splash_;
  TVEdit editor_;
  TInDialog dialog_;
  QtPerson person_;
  Mapper mapper_;
  std::unique_ptr<TForm1> form_;
  TAboutBox about_;
};

// The windows of a session about to start as the program starts them: the
// shipped English language and a mapper file in the program folder, which
// the environment names and which is the current folder, its "WIN" folder as the Windows folder, and the
// link folders below a scratch home.
class StartUpFixture : public WindowFixture {
 public:
  StartUpFixture() {
    CopyShippedEnglish();
    WriteBytes(program_ / "Zorvan32", "#!/bin/sh\n");
    env_.Set("ZORVAN_WINDIR", program_ / "WIN");
    env_.Set(kProgramFolderVariable, program_.path());
    env_.Set("XDG_CONFIG_HOME", home_ / "config");
    env_.Set("XDG_DATA_HOME", home_ / "data");
  }

  ScratchFolder home_;
  host_testing::EnvGuard env_;
  WorkingFolder here_{program_.path()};
};

}  // namespace zv::testing
