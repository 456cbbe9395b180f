// The main window's removal and trash commands: each turns the window's
// state (the current map, the file list's selected row) into one engine
// call.
#include <stdexcept>

#include "mapper/shell/main_window.h"
#include "mapper/shell/trash_window.h"
#include "mapper/trash/removal.h"

namespace zv {

void TForm1::AttachTrashWindow(TTrash32* trash) {
  trash_ = trash;
  if (trash_ != nullptr) trash_->AttachMapper(mapper_);
}

void TForm1::DeleteApplication1Click() { DeleteApplication(mapper_); }

void TForm1::Deleteselectedfile1Click() {
  const std::optional<MapItem> selected = view_->SelectedItem();
  DeleteSelectedFile(mapper_, selected ? &*selected : nullptr);
}

void TForm1::Trash1Click() {
  if (trash_ == nullptr) throw std::logic_error("the trash manager window was not created");
  trash_->SetButtonCaptions(trash_captions_);
  trash_->exec();
  Refresh1Click();
}

bool TForm1::MapKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (key != Qt::Key_Delete && !(modifiers.testFlag(Qt::AltModifier) && key == Qt::Key_D)) return false;
  Deleteselectedfile1Click();
  return true;
}

}  // namespace zv
