// Vigilo32, the probe: one instance per user session, living in the
// notification area. A second start ends at once, silently, with exit code 0.
#include <QApplication>
#include <memory>

#include "platform/host.h"
#include "platform/termination.h"
#include "platform/termination_qt.h"
#include "probe/probe_window.h"
#include "probe/tray_area.h"

int main(int argc, char** argv) {
  // Ending the session or the terminal (SIGTERM, SIGHUP, SIGINT) runs the
  // exit sequence as the close box does, once no handler runs; a box open
  // then is cancelled first.
  const int requests = zv::WatchTerminationRequests();
  std::unique_ptr<zv::Host> host = zv::NewPosixHost();
  std::unique_ptr<zv::HeldMutex> instance;
  std::string lock_failure;
  try {
    instance = host->AcquireNamedMutex("DUVO_VIGILO-PROBE");
    if (!instance) return 0;
  } catch (const zv::HostError& error) {
    lock_failure = error.what();
  }

  // The one optional argument (the mapper passes "FromZorvan") asks for nothing.
  zv::OrderlyApplication app(argc, argv);
  app.ServeTerminationRequests(requests);
  QApplication::setApplicationName(QStringLiteral("Vigilo32"));
  if (!lock_failure.empty()) {
    // Unguarded, a second probe could run beside this one and the two would
    // overwrite each other's "vigilo.dat".
    zv::ShowProbeError(std::string(zv::kLockFailure) + lock_failure);
    return 0;
  }
  // The window is hidden while the probe watches; closing a message box must
  // not end the program. Only the exit sequence ends it.
  QApplication::setQuitOnLastWindowClosed(false);

  zv::SystemTrayArea area;
  zv::TForm1 form(*host, area);
  QObject::connect(&form, &zv::TForm1::Closed, &app, [] { QCoreApplication::exit(0); });
  app.ExecMainLoop([&form] { form.close(); });
  return 0;
}
