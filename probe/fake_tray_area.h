// A notification area for tests. It refuses what the platform refuses
// (adding an icon that is shown, modifying or deleting one that is not),
// records what is shown, and lets a test click the icon.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "probe/tray_area.h"

namespace zv {

class FakeTrayArea : public TrayArea {
 public:
  struct Shown {
    QIcon icon;
    std::string tip;
  };

  bool Notify(TrayOperation operation, const NotifyIconData& record) override;

  // Every Notify call, accepted or not.
  int calls = 0;

  // The one icon shown (tests use one component), nullptr when none.
  const Shown* shown() const { return icons_.empty() ? nullptr : &icons_.begin()->second.shown; }
  // The user acts on the shown icon: each code the activation stands for
  // reaches the icon's window. False when no icon is shown.
  bool Activate(QSystemTrayIcon::ActivationReason reason);
  // Sends one raw mouse code to the shown icon's window.
  bool Send(std::uint32_t code);

 private:
  struct Entry {
    Shown shown;
    TrayMessageWindow* window;
    std::uint32_t message;
    std::uint32_t id;
  };
  std::map<std::pair<const TrayMessageWindow*, std::uint32_t>, Entry> icons_;
};

}  // namespace zv
