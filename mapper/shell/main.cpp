// Zorvan32, the mapper: one instance at a time, started from its program
// folder.
#include <QDir>

#include "mapper/engine/mapper.h"
#include "mapper/engine/program_locks.h"
#include "mapper/shell/about_box.h"
#include "mapper/shell/app.h"
#include "mapper/shell/in_dialog.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/qt_person.h"
#include "mapper/shell/remote_window.h"
#include "mapper/shell/splash.h"
#include "mapper/shell/startup.h"
#include "mapper/shell/text_editor.h"
#include "mapper/shell/trash_window.h"
#include "platform/termination.h"

int main(int argc, char** argv) {
  std::unique_ptr<zv::Host> host = zv::NewPosixHost();
  // A second mapper ends at once and silently; the first keeps its state.
  std::unique_ptr<zv::HeldMutex> single;
  try {
    single = host->AcquireNamedMutex(zv::kMapperLock);
  } catch (const zv::HostError& error) {
    // Unguarded, two mappers could write the same maps and settings.
    zv::ZorvanApplication app(argc, argv);
    zv::ShowErrorReport(std::runtime_error(std::string(zv::kLockFailure) + error.what()));
    return 0;
  }
  if (!single) return 0;

  // Ending the session or the terminal (SIGTERM, SIGHUP, SIGINT) closes the
  // window in order once no command runs, so the settings are saved and the
  // probe started as on any other close. A dialog open then, or opened
  // before the end, is cancelled; a request during start-up is served once
  // the window is open.
  const int requests = zv::WatchTerminationRequests();

  zv::ZorvanApplication app(argc, argv);
  app.ServeTerminationRequests(requests);
  zv::TSplash splash;
  splash.ShowNow();
  zv::TRemote remote;
  zv::TTrash32 trash;
  zv::TVEdit editor(*host);
  zv::TInDialog dialog;
  zv::QtPerson person(dialog, splash, &editor);
  zv::Mapper mapper(*host, person);
  zv::TForm1 form(mapper, splash, dialog, person);
  form.AttachRemote(&remote);
  form.AttachTrashWindow(&trash);

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
  form.show();
  return app.ExecMainLoop([&form] {
    // Another window left open (a tool window) must not keep the program.
    if (form.close()) QCoreApplication::quit();
  });
}
