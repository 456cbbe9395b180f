// Zorvan32, the mapper: one instance at a time, started from its program
// folder.
#include <QDir>
#include <QSocketNotifier>

#include "mapper/engine/mapper.h"
#include "mapper/shell/about_box.h"
#include "mapper/shell/app.h"
#include "mapper/shell/in_dialog.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/qt_person.h"
#include "mapper/shell/splash.h"
#include "mapper/shell/startup.h"
#include "mapper/shell/text_editor.h"
#include "platform/termination.h"

int main(int argc, char** argv) {
  std::unique_ptr<zv::Host> host = zv::NewPosixHost();
  // A second mapper ends at once and silently; the first keeps its state.
  const std::unique_ptr<zv::HeldMutex> single = host->AcquireNamedMutex("DUVO_ZORVAN");
  if (!single) return 0;

  // Ending the session or the terminal closes the window in order, so the
  // settings are saved and the probe started as on any other close. A
  // request that comes during start-up is served once the window is open.
  const int requests = zv::WatchTerminationRequests();

  zv::ZorvanApplication app(argc, argv);
  zv::TSplash splash;
  splash.ShowNow();
  zv::TVEdit editor(*host);
  zv::TInDialog dialog;
  zv::QtPerson person(dialog, splash, &editor);
  zv::Mapper mapper(*host, person);
  zv::TForm1 form(mapper, splash, dialog, person);

  const std::string argument = argc > 1 ? argv[1] : "";
  try {
    if (!zv::FormCreate(form, mapper, argument, QDir::homePath().toLocal8Bit().toStdString())) return 0;
  } catch (const std::exception& error) {
    zv::ShowErrorReport(error);
  }
  zv::TAboutBox about;
  form.AttachAboutBox(&about);
  splash.hide();
  form.on_close = [&form, &mapper] { zv::FormClose(form, mapper); };
  std::unique_ptr<QSocketNotifier> termination;
  if (requests >= 0) {
    termination = std::make_unique<QSocketNotifier>(requests, QSocketNotifier::Read);
    QObject::connect(termination.get(), &QSocketNotifier::activated, &form, [&form, requests] {
      zv::ClearTerminationRequests(requests);
      form.close();
    });
  }
  form.show();
  return app.exec();
}
