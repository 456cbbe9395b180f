// Vigilo32, the probe: one instance per user session, living in the
// notification area. A second start ends at once, silently, with exit code 0.
#include <QApplication>
#include <memory>

#include "platform/host.h"
#include "probe/probe_window.h"
#include "probe/tray_area.h"

int main(int argc, char** argv) {
  std::unique_ptr<zv::Host> host = zv::NewPosixHost();
  std::unique_ptr<zv::HeldMutex> instance;
  try {
    instance = host->AcquireNamedMutex("DUVO_VIGILO-PROBE");
    if (!instance) return 0;
  } catch (const zv::HostError&) {
    // The lock file cannot be made at all: watching unguarded serves the
    // user better than never watching.
  }

  // The one optional argument (the mapper passes "FromZorvan") asks for nothing.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vigilo32"));
  // The window is hidden while the probe watches; closing a message box must
  // not end the program. Only the exit sequence ends it.
  QApplication::setQuitOnLastWindowClosed(false);

  zv::SystemTrayArea area;
  zv::TForm1 form(*host, area);
  QObject::connect(&form, &zv::TForm1::Closed, &app, [] { QCoreApplication::exit(0); });
  app.exec();
  return 0;
}
