// The animated button bar `PopGroup`: five picture buttons cut from the icon
// strip `Immagini`, a highlight picture drawn over the button under the
// pointer with a raised frame, a pressed look, and a caption that darkens
// and brightens in a wave. A 30 ms tick (`PopTimer`) follows the pointer;
// a button's command runs when a press on the bar is released over it.
#pragma once

#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include "mapper/engine/person.h"

namespace zv {

// A picture on the bar. It paints its canvas; the mouse passes through it to
// the bar, which decides what the pointer is over.
class BarPicture : public QWidget {
 public:
  explicit BarPicture(QWidget* parent);
  QImage canvas;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The cells of the icon strip: separator lines of the colour of pixel (0,0)
// between cells; the strip's ground is the colour of pixel (1,1).
struct StripGrid {
  int cell_width = 0;
  int cell_height = 0;
};
// Measures the grid. Throws std::runtime_error when the strip has no
// separator line where a cell must end.
StripGrid MeasureStrip(const QImage& strip);

// The caption of a button hint (text before the first "|"; empty when there
// is none) and its status text (after the first "|"; the whole hint when
// there is none).
std::string HintCaption(const std::string& hint);
std::string HintStatus(const std::string& hint);

class TPopGroup : public QGroupBox {
 public:
  static constexpr int kButtons = 5;
  static constexpr int kButtonTop = 9;
  static constexpr int kButtonWidth = 84;
  static constexpr int kButtonHeight = 51;
  static int ButtonLeft(int k) { return 10 + 88 * k; }

  explicit TPopGroup(QWidget* parent);

  // Runs a button's command: 0 new map, 1 identify a file, 2 trash, 3 about,
  // 4 Vigilo.
  std::function<void(int)> on_command;
  // Writes the status line.
  std::function<void(Colour, const std::string&)> on_status;
  // Whether the caption wave is on (`GraphicFX1`).
  std::function<bool()> graphic_fx;

  QTimer PopTimer;

  void SetHint(int k, const std::string& hint);
  // The menu item button k stands for. The button is greyed, and neither
  // lights up nor runs anything, exactly while the item is disabled; it
  // follows the item's later changes. A button without an item is live.
  void SetItem(int k, QAction* item);
  bool ButtonEnabled(int k) const;
  const std::string& Hint(int k) const { return hints_[static_cast<std::size_t>(k)]; }

  // Builds the bar from the icon strip (the window's first showing): cuts
  // the cells, lays the buttons out, creates the highlight picture and
  // starts `PopTimer`. Later hint changes redraw the button faces.
  void Build(const QImage& strip);
  bool Built() const { return built_; }

  // The tick, with the pointer at `pos` in the bar's coordinates.
  void Tick(QPoint pos);
  void PopGroupMouseDown(QPoint pos);
  void PopGroupMouseUp(QPoint pos);

  int CurrentIndex() const { return current_; }
  float Phase() const { return phase_; }
  BarPicture* Button(int k) const { return buttons_[static_cast<std::size_t>(k)]; }
  BarPicture* HighlightPicture() const { return highlight_; }
  const QImage& Strip() const { return strip_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PopTimerTimer();
  void DrawFace(int k);
  void DrawHighlight(int k);
  QRect CellRect(int column, int row) const;
  QString Caption(int k) const;

  std::array<std::string, kButtons> hints_;
  std::array<QPointer<QAction>, kButtons> items_{};
  std::array<BarPicture*, kButtons> buttons_{};
  BarPicture* highlight_ = nullptr;
  QImage strip_;
  StripGrid grid_;
  bool built_ = false;
  int current_ = -1;
  int last_ = 0;
  float phase_ = 0.0f;
};

}  // namespace zv
