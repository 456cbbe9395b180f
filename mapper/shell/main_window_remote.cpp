// The main window's side of the remote-control window.
#include "mapper/engine/messages.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/qt_text.h"

namespace zv {

void TForm1::AttachRemote(TRemote* remote) {
  remote_ = remote;
  if (remote_ == nullptr) return;
  remote_->read_catalogue = [this] { return ReadCatalogueLines(mapper_); };
  remote_->on_status = [this](Colour colour, const std::string& text) { person_.SetStatus(colour, text); };
  remote_->on_update = [this] { LogoClick(); };
  remote_->on_moved = [this](QPoint place) {
    mapper_.options.remote_left = place.x();
    mapper_.options.remote_top = place.y();
  };
  // Triggering the items, rather than calling their commands, runs exactly
  // what the menus run, and nothing while an item is disabled.
  const std::array<QAction*, remote::kButtons> commands = {Edit1, RenameMapID1, Unmap1, Deleteselectedfile1,
                                                          DeleteApplication1, Refresh1};
  for (int i = 0; i < remote::kButtons; ++i) remote_->SetCommand(i, commands[static_cast<std::size_t>(i)]);
  if (!remote_title_.empty()) remote_->setWindowTitle(ToQ(remote_title_));
  remote_->move(mapper_.options.remote_left, mapper_.options.remote_top);
}

void TForm1::ShowRemote(bool visible) {
  if (remote_ != nullptr) remote_->setVisible(visible);
}

}  // namespace zv
