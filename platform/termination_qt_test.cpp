// The tests run inside one OrderlyApplication that serves the requests to
// end; each test raises a termination signal itself.
#include "platform/termination_qt.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include "platform/termination.h"

namespace zv {
namespace {

OrderlyApplication& App() { return *static_cast<OrderlyApplication*>(QCoreApplication::instance()); }

// Runs pending events for `ms` milliseconds, as a long command that keeps
// its windows painted does.
void Pump(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(OrderlyApplicationTest, ARequestDuringAHandlerCancelsItsDialogsAndIsServedOnceItHasReturned) {
  int served = 0;
  bool handler_done = false;
  int answer = -1;
  int later_answer = -1;
  QTimer::singleShot(0, [&] {
    // A command asks a question; the session ends while the box is open.
    QMessageBox box(QMessageBox::Question, "Please confirm", "Delete?", QMessageBox::Yes | QMessageBox::No);
    QTimer::singleShot(20, [] { ::raise(SIGTERM); });
    answer = box.exec();
    EXPECT_EQ(served, 0) << "never under a running handler";
    // A dialog the command opens afterwards is cancelled as soon as it shows.
    QDialog later;
    later_answer = later.exec();
    Pump(100);
    EXPECT_EQ(served, 0) << "nor while the handler lets window messages run";
    handler_done = true;
  });
  const int code = App().ExecMainLoop([&] {
    ++served;
    EXPECT_TRUE(handler_done);
    QCoreApplication::exit(7);
  });
  EXPECT_EQ(code, 7);
  EXPECT_EQ(served, 1);
  EXPECT_NE(answer, QMessageBox::Yes) << "the box got its safe answer";
  EXPECT_EQ(later_answer, QDialog::Rejected);
}

TEST(OrderlyApplicationTest, ARequestBeforeTheMainLoopIsServedWhenTheLoopRuns) {
  // Start-up shows a dialog before the main loop runs; the request cancels
  // it, and the program is ended once its main loop runs.
  QDialog startup;
  QTimer::singleShot(20, [] { ::raise(SIGHUP); });
  EXPECT_EQ(startup.exec(), QDialog::Rejected);

  // A dialog of the ending itself is cancelled too.
  int served = 0;
  int ending_answer = -1;
  const int code = App().ExecMainLoop([&] {
    ++served;
    QDialog notice;
    ending_answer = notice.exec();
    QCoreApplication::exit(3);
  });
  EXPECT_EQ(code, 3);
  EXPECT_EQ(served, 1);
  EXPECT_EQ(ending_answer, QDialog::Rejected);
}

}  // namespace
}  // namespace zv

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  const int requests = zv::WatchTerminationRequests();
  zv::OrderlyApplication app(argc, argv);
  app.ServeTerminationRequests(requests);
  // The dialogs are the only windows: closing them must not end the loop.
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
