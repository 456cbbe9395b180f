#include "probe/tray_area.h"

#include <QGuiApplication>
#include <QString>
#include <QStyleHints>

namespace zv {

std::vector<std::uint32_t> CodesForActivation(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return {kTrayLeftButtonDown};
    case QSystemTrayIcon::DoubleClick:
      return {kTrayLeftButtonDown, kTrayLeftButtonDoubleClick};
    case QSystemTrayIcon::Context:
      return {kTrayRightButtonUp};
    default:
      return {};
  }
}

std::vector<std::uint32_t> TrayActivationDecoder::Decode(QSystemTrayIcon::ActivationReason reason) {
  std::vector<std::uint32_t> codes = CodesForActivation(reason);
  const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
  if (reason == QSystemTrayIcon::DoubleClick && last_press_.isValid() && last_press_.elapsed() <= interval) {
    codes.erase(codes.begin());
  }
  if (reason == QSystemTrayIcon::Trigger) {
    last_press_.start();
  } else {
    last_press_.invalidate();
  }
  return codes;
}

SystemTrayArea::SystemTrayArea() = default;
SystemTrayArea::~SystemTrayArea() = default;

namespace {

void Describe(QSystemTrayIcon& icon, const NotifyIconData& record) {
  if (record.flags & NotifyIconData::kFlagIcon) icon.setIcon(record.icon);
  if (record.flags & NotifyIconData::kFlagTip) icon.setToolTip(QString::fromLocal8Bit(record.tip.data()));
}

}  // namespace

bool SystemTrayArea::Notify(TrayOperation operation, const NotifyIconData& record) {
  const Key key{record.window, record.id};
  const auto found = shown_.find(key);
  switch (operation) {
    case TrayOperation::kAdd: {
      if (found != shown_.end() || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
      auto icon = std::make_unique<QSystemTrayIcon>();
      Describe(*icon, record);
      if (record.flags & NotifyIconData::kFlagMessage) {
        const TrayMessageWindow* window = record.window;
        const std::uint32_t message = record.callback_message;
        const std::uint32_t id = record.id;
        auto decoder = std::make_shared<TrayActivationDecoder>();
        QObject::connect(icon.get(), &QSystemTrayIcon::activated,
                         [window, message, id, decoder](QSystemTrayIcon::ActivationReason reason) {
                           for (std::uint32_t code : decoder->Decode(reason)) window->Send(message, id, code);
                         });
      }
      icon->show();
      shown_.emplace(key, std::move(icon));
      return true;
    }
    case TrayOperation::kModify:
      if (found == shown_.end()) return false;
      Describe(*found->second, record);
      return true;
    case TrayOperation::kDelete:
      if (found == shown_.end()) return false;
      found->second->hide();
      // The icon may be the sender of the activation being handled right now.
      found->second.release()->deleteLater();
      shown_.erase(found);
      return true;
  }
  return false;
}

}  // namespace zv
