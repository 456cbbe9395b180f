// The desktop's notification area as the tray component sees it: one call
// that adds, modifies or deletes an icon described by a notification record,
// and mouse events delivered back to the record's hidden window as its
// callback message. SystemTrayArea is the desktop's (QSystemTrayIcon);
// FakeTrayArea (fake_tray_area.h) stands in for it in tests.
#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QSystemTrayIcon>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace zv {

// Mouse codes the area passes as the callback message's second parameter.
inline constexpr std::uint32_t kTrayLeftButtonDown = 0x0201;
inline constexpr std::uint32_t kTrayLeftButtonDoubleClick = 0x0203;
inline constexpr std::uint32_t kTrayRightButtonUp = 0x0205;

enum class TrayOperation : std::uint32_t { kAdd = 0, kModify = 1, kDelete = 2 };

// The hidden window of a tray component: the area sends it the callback
// message with the icon's identifier and the mouse code.
class TrayMessageWindow {
 public:
  using Procedure = std::function<void(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam)>;
  explicit TrayMessageWindow(Procedure procedure) : procedure_(std::move(procedure)) {}
  void Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) const {
    procedure_(message, wparam, lparam);
  }

 private:
  Procedure procedure_;
};

// The notification record (the first, 88-byte version of the layout).
struct NotifyIconData {
  static constexpr std::uint32_t kFlagMessage = 1, kFlagIcon = 2, kFlagTip = 4;
  std::uint32_t size = 88;
  TrayMessageWindow* window = nullptr;
  std::uint32_t id = 1;
  std::uint32_t flags = kFlagMessage | kFlagIcon | kFlagTip;
  std::uint32_t callback_message = 0x0800;
  QIcon icon;
  std::array<char, 64> tip{};  // at most 63 bytes of whole characters, then zeros
};

// The mouse codes one activation of a QSystemTrayIcon stands for. A double
// click arrives as its first press followed by the double click, as the
// platform delivers them.
std::vector<std::uint32_t> CodesForActivation(QSystemTrayIcon::ActivationReason reason);

// Turns the activations Qt reports for one icon into mouse codes. Qt
// reports the first press of a double click on its own (Trigger) before
// DoubleClick; that press is delivered once, not twice.
class TrayActivationDecoder {
 public:
  std::vector<std::uint32_t> Decode(QSystemTrayIcon::ActivationReason reason);

 private:
  QElapsedTimer last_press_;
};

class TrayArea {
 public:
  virtual ~TrayArea() = default;
  // Adding an icon that is shown, and modifying or deleting one that is not,
  // fail; so does anything when the desktop has no notification area.
  virtual bool Notify(TrayOperation operation, const NotifyIconData& record) = 0;
};

// The desktop's notification area, one QSystemTrayIcon per shown icon.
class SystemTrayArea : public TrayArea {
 public:
  SystemTrayArea();
  ~SystemTrayArea() override;
  bool Notify(TrayOperation operation, const NotifyIconData& record) override;

 private:
  using Key = std::pair<const TrayMessageWindow*, std::uint32_t>;
  std::map<Key, std::unique_ptr<QSystemTrayIcon>> shown_;
};

}  // namespace zv
