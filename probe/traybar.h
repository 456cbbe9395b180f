// TTraybar: one icon with a tip text in the notification area. It does
// nothing by itself: its owner adds, updates and removes the icon, and the
// component turns mouse events on the icon into its events.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "probe/tray_area.h"

namespace zv {

class TTraybar : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(QIcon Icon READ Icon WRITE SetIcon)
  Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)

 public:
  using NotifyEvent = std::function<void(QObject* sender)>;

  // The area must outlive the component.
  TTraybar(TrayArea& area, QObject* owner);
  // Removes a shown icon, so that no icon outlives its component.
  ~TTraybar() override;

  // ---- properties, in their published order
  const QString& Hint() const { return hint_; }
  void SetHint(const QString& hint) { hint_ = hint; }
  // Setting copies the picture; the area sees it at the next add or modify.
  const QIcon& Icon() const { return icon_; }
  void SetIcon(const QIcon& icon) { icon_ = icon; }
  // Opened at the cursor on a right click when OnRightClick is not set.
  QMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(QMenu* menu) { popup_menu_ = menu; }
  NotifyEvent Onclick;       // left button pressed on the icon
  NotifyEvent OnDblClick;    // left button double-clicked on the icon
  NotifyEvent OnRightClick;  // right button released on the icon

  // Each refreshes the notification record and hands it to the area; true
  // only when the area accepted it. A refused call changes nothing.
  bool AddIcon();
  bool ModifyIcon();
  bool DeleteIcon();

  // The record as it was last handed to the area (tests look at the tip).
  const NotifyIconData& record() const { return record_; }

 private:
  bool RefreshRecord();
  bool Call(TrayOperation operation);
  void WindowProcedure(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);

  TrayArea& area_;
  QString hint_;
  QIcon icon_;
  QPointer<QMenu> popup_menu_;
  TrayMessageWindow window_;
  NotifyIconData record_;
};

}  // namespace zv
