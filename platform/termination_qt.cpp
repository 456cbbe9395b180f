#include "platform/termination_qt.h"

#include <QDialog>
#include <QWidget>

#include "platform/termination.h"

namespace zv {

OrderlyApplication::OrderlyApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Often enough that a dialog opened by a handler never waits for anyone.
  attend_.setInterval(10);
  connect(&attend_, &QTimer::timeout, this, [this] { Attend(); });
}

OrderlyApplication::~OrderlyApplication() = default;

void OrderlyApplication::ServeTerminationRequests(int descriptor) {
  if (descriptor < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this, descriptor] {
    ClearTerminationRequests(descriptor);
    pending_ = true;
    attend_.start();
    Attend();
  });
}

int OrderlyApplication::ExecMainLoop(std::function<void()> end) {
  end_ = std::move(end);
  in_main_loop_ = true;
  const int code = exec();
  in_main_loop_ = false;
  attend_.stop();
  end_ = nullptr;
  return code;
}

void OrderlyApplication::Attend() {
  // Acting here could open a dialog inside this timer's own tick, and a
  // timer never ticks again inside its tick: nothing would cancel that
  // dialog. So the work runs as an event of its own.
  QMetaObject::invokeMethod(this, [this] { Act(); }, Qt::QueuedConnection);
}

void OrderlyApplication::Act() {
  if (QWidget* popup = activePopupWidget()) popup->close();
  if (QWidget* modal = activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
    return;
  }
  // Only this event is being delivered: no handler is under it.
  if (!pending_ || !in_main_loop_ || depth_ > 1 || !end_) return;
  pending_ = false;
  // The timer goes on, for the dialogs the ending itself may open.
  end_();
}

bool OrderlyApplication::notify(QObject* receiver, QEvent* event) {
  ++depth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{depth_};
  return Deliver(receiver, event);
}

bool OrderlyApplication::Deliver(QObject* receiver, QEvent* event) { return QApplication::notify(receiver, event); }

}  // namespace zv
