#include "mapper/shell/command_lock.h"

#include <QMessageBox>

#include "mapper/engine/program_locks.h"
#include "mapper/shell/app.h"

namespace zv {

bool HoldProgramFolder(Mapper& mapper) {
  mapper.program_folder_lock.reset();
  try {
    mapper.program_folder_lock = mapper.host.AcquireFolderLock(mapper.program_folder, kMapperHolder);
  } catch (const HostError&) {
    return true;
  }
  if (mapper.program_folder_lock != nullptr) return true;
  const std::string holder = mapper.host.FolderLockHolder(mapper.program_folder);
  QMessageBox box(QMessageBox::Information, "Zorvan",
                  QString::fromStdString("A zorvan command" + (holder.empty() ? std::string() : " (" + holder + ")") +
                                         " is changing the maps right now, so Zorvan cannot start. Start it again "
                                         "when the command has finished."),
                  QMessageBox::Ok);
  ExecMessageBox(box);
  return false;
}

}  // namespace zv
