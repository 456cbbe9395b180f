#include "probe/traybar.h"

#include <QCursor>
#include <cstring>

#include "platform/text.h"

namespace zv {

TTraybar::TTraybar(TrayArea& area, QObject* owner)
    : QObject(owner),
      area_(area),
      window_([this](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
        WindowProcedure(message, wparam, lparam);
      }) {
  record_.window = &window_;
}

TTraybar::~TTraybar() { DeleteIcon(); }

bool TTraybar::AddIcon() { return Call(TrayOperation::kAdd); }
bool TTraybar::ModifyIcon() { return Call(TrayOperation::kModify); }
bool TTraybar::DeleteIcon() { return Call(TrayOperation::kDelete); }

bool TTraybar::Call(TrayOperation operation) { return RefreshRecord() && area_.Notify(operation, record_); }

bool TTraybar::RefreshRecord() {
  record_.icon = icon_;
  record_.tip.fill('\0');
  const QByteArray hint = hint_.toLocal8Bit();
  const std::string_view tip =
      CutAtCharacters(std::string_view(hint.constData(), static_cast<std::size_t>(hint.size())), 0,
                      record_.tip.size() - 1);
  std::memcpy(record_.tip.data(), tip.data(), tip.size());
  return true;
}

void TTraybar::WindowProcedure(std::uint32_t message, std::uintptr_t, std::intptr_t lparam) {
  if (message != record_.callback_message) return;
  switch (lparam) {
    case kTrayLeftButtonDown:
      if (Onclick) Onclick(this);
      break;
    case kTrayLeftButtonDoubleClick:
      if (OnDblClick) OnDblClick(this);
      break;
    case kTrayRightButtonUp:
      if (OnRightClick) {
        OnRightClick(this);
      } else if (popup_menu_) {
        popup_menu_->popup(QCursor::pos());
      }
      break;
    default:
      break;
  }
}

}  // namespace zv
