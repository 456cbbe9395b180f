#include "mapper/shell/command_lock.h"

#include <QMessageBox>

#include "mapper/engine/program_locks.h"
#include "mapper/shell/app.h"

namespace zv {

bool FileCommandRunning(Host& host) {
  // Taking the command's lock for a moment succeeds exactly when no command
  // holds it; it is let go again at once. A lock that cannot be taken at all
  // tells nothing: the second mapper then ends silently, as it would anyway.
  try {
    return host.AcquireNamedMutex(kFileCommandLock) == nullptr;
  } catch (const HostError&) {
    return false;
  }
}

void ShowFileCommandRunning() {
  QMessageBox box(QMessageBox::Information, "Zorvan",
                  "A zorvan command is changing the maps right now, so Zorvan cannot start. "
                  "Start it again when the command has finished.",
                  QMessageBox::Ok);
  ExecMessageBox(box);
}

}  // namespace zv
