// The mapper's application object: the top-level error report and the
// application-wide settings of the windows.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "platform/termination_qt.h"

namespace zv {

// Shows an error that escaped a command, a timer tick or a start-up step: a
// box with the error icon, titled with the application's title, whose text is
// the error's message followed by ".". The program goes on afterwards.
void ShowErrorReport(const std::exception& error);

// True when the environment holds ZORVAN_UNATTENDED: scripts and the tests
// of the whole program, where nobody answers a window.
bool RunsUnattended();

// Runs a message box modally and answers the button pressed. When the
// environment holds ZORVAN_UNATTENDED (scripts, tests of the whole program),
// the box is not shown: its title and text go to the standard error stream
// and it answers the safe button: No, else Cancel, else OK.
int ExecMessageBox(QMessageBox& box);

class ZorvanApplication : public OrderlyApplication {
 public:
  ZorvanApplication(int& argc, char** argv);

 protected:
  // Delivers every event; an exception escaping its handler ends that
  // handler only and is shown by ShowErrorReport.
  bool Deliver(QObject* receiver, QEvent* event) override;
};

}  // namespace zv
