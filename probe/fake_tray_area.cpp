#include "probe/fake_tray_area.h"

namespace zv {

bool FakeTrayArea::Notify(TrayOperation operation, const NotifyIconData& record) {
  ++calls;
  const auto key = std::make_pair(static_cast<const TrayMessageWindow*>(record.window), record.id);
  const auto found = icons_.find(key);
  const Shown described{record.icon, std::string(record.tip.data())};
  switch (operation) {
    case TrayOperation::kAdd:
      if (found != icons_.end()) return false;
      icons_.emplace(key, Entry{described, record.window, record.callback_message, record.id});
      return true;
    case TrayOperation::kModify:
      if (found == icons_.end()) return false;
      found->second.shown = described;
      return true;
    case TrayOperation::kDelete:
      if (found == icons_.end()) return false;
      icons_.erase(found);
      return true;
  }
  return false;
}

bool FakeTrayArea::Activate(QSystemTrayIcon::ActivationReason reason) {
  if (icons_.empty()) return false;
  for (std::uint32_t code : CodesForActivation(reason)) {
    if (!Send(code)) return false;
  }
  return true;
}

bool FakeTrayArea::Send(std::uint32_t code) {
  if (icons_.empty()) return false;
  // Copied: the window's handler may delete the icon.
  const Entry entry = icons_.begin()->second;
  entry.window->Send(entry.message, entry.id, code);
  return true;
}

}  // namespace zv
