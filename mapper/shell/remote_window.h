// The remote-control window `TRemote`: a small tool window that stays on
// top, offering six map commands of the main window as picture buttons
// and repeating the status line in its message area `ZVHint`. Created once
// at start, before the main window, and afterwards only shown and hidden:
// closing it hides it. A 30 ms tick (`RemoteTimer`), running from its first
// showing on, also while it is hidden, keeps it on the screen and marks
// the button under the pointer; a release anywhere on it runs the command
// of the button under the pointer.
#pragma once

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "mapper/engine/person.h"
#include "mapper/shell/button_bar.h"
#include "mapper/shell/remote_parts.h"

namespace zv {

class TRemote : public QWidget {
 public:
  explicit TRemote(QWidget* parent = nullptr);

  // The lines of the active message catalogue, read at the first showing
  // for the buttons' hints.
  std::function<std::vector<std::string>()> read_catalogue;
  // Writes the status line (a hovered button's hint, in button face).
  std::function<void(Colour, const std::string&)> on_status;
  // Opens the site the "Update" link stands for.
  std::function<void()> on_update;
  // Told the window's new place (its outer top-left corner) whenever it
  // moves: dragged, kept on the screen, or placed.
  std::function<void(QPoint)> on_moved;
  // The menu item button i runs; a disabled item runs nothing.
  void SetCommand(int i, QAction* item);

  // The drawn ground; mouse releases on it run the buttons' commands.
  QLabel* Background;
  // The texture the about box tiles, 68 x 41.
  QImage BkgTxture;
  QLabel* ZVHint;
  QLabel* UpdateLnk;

  // Shows `text` in `ZVHint`. A text too long for the small area at the
  // window's font is drawn smaller (down to 6 points) until it fits; one that
  // still does not is cut by the area, and its whole is the area's tooltip.
  void ShowMessage(const std::string& text);
  QTimer RemoteTimer;

  // The tick: keeps 20 pixels of the window on the screen, then marks the
  // button under the pointer.
  void RemoteTimerTimer();
  // The marking part of the tick with the pointer at `pointer` in
  // `Background`'s coordinates: the selected button's red copy and the
  // marker around it show and its hint goes to the status line; with none
  // selected both hide.
  void MarkButton(QPoint pointer);
  // Runs the command of the button at `pointer`, if any.
  void BackgroundMouseUp(QPoint pointer);
  // The link turns red while pressed; released, it turns blue again and,
  // when released over it, opens the site.
  void UpdateLnkMouseDown();
  void UpdateLnkMouseUp(bool over_link);

  bool Built() const { return built_; }
  int Hovered() const { return hovered_; }
  const std::string& Hint(int i) const { return hints_.at(static_cast<std::size_t>(i)); }
  BarPicture* Overlay(int i) const { return overlays_.at(static_cast<std::size_t>(i)); }
  BarPicture* Marker() const { return marker_; }
  const QImage& Ground() const { return ground_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void SetLinkColour(const QColor& colour);

  QImage ground_;
  std::array<std::string, remote::kButtons> hints_;
  std::array<QPointer<QAction>, remote::kButtons> commands_{};
  std::array<BarPicture*, remote::kButtons> overlays_{};
  BarPicture* marker_ = nullptr;
  int hovered_ = -1;
  bool built_ = false;
};

}  // namespace zv
