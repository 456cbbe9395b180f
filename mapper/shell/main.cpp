// Zorvan32, the mapper: one instance at a time, started from its program
// folder.
#include <QDir>

#include "mapper/engine/mapper.h"
#include "mapper/shell/app.h"
#include "mapper/shell/in_dialog.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/qt_person.h"
#include "mapper/shell/splash.h"
#include "mapper/shell/startup.h"

int main(int argc, char** argv) {
  std::unique_ptr<zv::Host> host = zv::NewPosixHost();
  // A second mapper ends at once and silently; the first keeps its state.
  const std::unique_ptr<zv::HeldMutex> single = host->AcquireNamedMutex("DUVO_ZORVAN");
  if (!single) return 0;

  zv::ZorvanApplication app(argc, argv);
  zv::TSplash splash;
  splash.ShowNow();
  zv::TInDialog dialog;
  zv::QtPerson person(dialog, splash);
  zv::Mapper mapper(*host, person);
  zv::TForm1 form(mapper, splash, dialog, person);

  const std::string argument = argc > 1 ? argv[1] : "";
  try {
    if (!zv::FormCreate(form, mapper, argument, QDir::homePath().toLocal8Bit().toStdString())) return 0;
  } catch (const std::exception& error) {
    zv::ShowErrorReport(error);
  }
  splash.hide();
  form.on_close = [&form, &mapper] { zv::FormClose(form, mapper); };
  form.show();
  return app.exec();
}
