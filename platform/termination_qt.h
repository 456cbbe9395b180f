// A Qt program that ends in order when the session or a terminal asks it to
// (SIGTERM, SIGHUP, SIGINT; see termination.h). Kept apart from the host
// layer proper, which stays free of Qt.
#pragma once

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

namespace zv {

// The application object of both programs. A request to end is served only
// at the top of the main loop, with no handler running, so that no command,
// dialog or start-up step is cut off half-way: while a handler still runs
// (a command, a modal dialog's loop, start-up before the main loop), every
// modal dialog is cancelled as if the person had pressed Escape, and so is
// every one that opens afterwards, until the program has ended. Cancelling
// is each dialog's safe answer (No, Cancel), which every caller handles.
class OrderlyApplication : public QApplication {
 public:
  OrderlyApplication(int& argc, char** argv);
  ~OrderlyApplication() override;

  // Serves the requests signalled on `descriptor` (from
  // WatchTerminationRequests; nothing happens for -1).
  void ServeTerminationRequests(int descriptor);

  // Runs the main loop and answers its exit code. When a request is served,
  // `end` runs once; it must make the loop end (close the main window,
  // QCoreApplication::exit).
  int ExecMainLoop(std::function<void()> end);

  // Counts the events being delivered, so that the top of the loop is known.
  bool notify(QObject* receiver, QEvent* event) override;

 protected:
  // Delivers one event; an override may wrap QApplication::notify.
  virtual bool Deliver(QObject* receiver, QEvent* event);

 private:
  void Attend();
  void Act();

  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer attend_;
  std::function<void()> end_;
  int depth_ = 0;
  bool in_main_loop_ = false;
  bool pending_ = false;
};

}  // namespace zv
