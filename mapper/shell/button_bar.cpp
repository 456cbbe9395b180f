#include "mapper/shell/button_bar.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

QColor Face(const QPalette& palette) { return palette.color(QPalette::Button); }
QColor ButtonText(const QPalette& palette) { return palette.color(QPalette::ButtonText); }
QColor Highlight(const QPalette& palette) { return palette.color(QPalette::Light); }
QColor Shadow(const QPalette& palette) { return palette.color(QPalette::Dark); }

// The outline of the rectangle (x1,y1)-(x2,y2), right and bottom edges
// exclusive, one pixel wide; filled inside with `fill` when it is given.
void Rectangle(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& pen,
               const QColor* fill = nullptr) {
  if (x2 <= x1 || y2 <= y1) return;
  if (fill && x2 - x1 > 2 && y2 - y1 > 2) painter.fillRect(QRect(x1 + 1, y1 + 1, x2 - x1 - 2, y2 - y1 - 2), *fill);
  painter.fillRect(QRect(x1, y1, x2 - x1, 1), pen);
  painter.fillRect(QRect(x1, y2 - 1, x2 - x1, 1), pen);
  painter.fillRect(QRect(x1, y1, 1, y2 - y1), pen);
  painter.fillRect(QRect(x2 - 1, y1, 1, y2 - y1), pen);
}

// A picture in grey, half faded into the button face: the look of a command
// that cannot run.
QImage Greyed(const QImage& picture, const QColor& face) {
  QImage grey = picture.convertToFormat(QImage::Format_RGB32);
  const int f = qGray(face.rgb());
  for (int y = 0; y < grey.height(); ++y) {
    for (int x = 0; x < grey.width(); ++x) {
      const int g = (qGray(grey.pixel(x, y)) + f) / 2;
      grey.setPixel(x, y, qRgb(g, g, g));
    }
  }
  return grey;
}

// Text whose cell's top-left corner is (x, y).
void TextOut(QPainter& painter, int x, int y, const QString& text) {
  painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

// Restarts the bar's timer when a command run from a release ends, also when
// the command ends with an error.
class RestartOnExit {
 public:
  explicit RestartOnExit(QTimer& timer) : timer_(timer) {}
  ~RestartOnExit() { timer_.start(); }
  RestartOnExit(const RestartOnExit&) = delete;
  RestartOnExit& operator=(const RestartOnExit&) = delete;

 private:
  QTimer& timer_;
};

}  // namespace

BarPicture::BarPicture(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setEnabled(false);
  hide();
}

void BarPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, canvas);
}

StripGrid MeasureStrip(const QImage& strip) {
  if (strip.width() < 3 || strip.height() < 3) throw std::runtime_error("The icon strip is too small");
  const QRgb separator = strip.pixel(0, 0);
  StripGrid grid;
  for (int n = 1; n + 1 < strip.width() && grid.cell_width == 0; ++n) {
    if (strip.pixel(n + 1, 1) == separator) grid.cell_width = n;
  }
  for (int m = 1; m + 1 < strip.height() && grid.cell_height == 0; ++m) {
    if (strip.pixel(1, m + 1) == separator) grid.cell_height = m;
  }
  if (grid.cell_width == 0 || grid.cell_height == 0) {
    throw std::runtime_error("The icon strip has no cell grid");
  }
  return grid;
}

std::string HintCaption(const std::string& hint) {
  const std::size_t bar = hint.find('|');
  return bar == std::string::npos ? std::string() : hint.substr(0, bar);
}

std::string HintStatus(const std::string& hint) {
  const std::size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

TPopGroup::TPopGroup(QWidget* parent) : QGroupBox(parent) {
  PopTimer.setInterval(30);
  connect(&PopTimer, &QTimer::timeout, this, [this] { PopTimerTimer(); });
  for (auto& button : buttons_) button = new BarPicture(this);
}

void TPopGroup::SetHint(int k, const std::string& hint) {
  hints_.at(static_cast<std::size_t>(k)) = hint;
  if (built_) DrawFace(k);
}

void TPopGroup::SetItem(int k, QAction* item) {
  items_.at(static_cast<std::size_t>(k)) = item;
  connect(item, &QAction::changed, this, [this, k] {
    if (built_) DrawFace(k);
  });
  if (built_) DrawFace(k);
}

bool TPopGroup::ButtonEnabled(int k) const {
  const QAction* item = items_.at(static_cast<std::size_t>(k));
  return item == nullptr || item->isEnabled();
}

QString TPopGroup::Caption(int k) const { return ToQ(HintCaption(Hint(k))); }

QRect TPopGroup::CellRect(int column, int row) const {
  const int top = row == 0 ? 1 : grid_.cell_height + 2;
  return QRect((grid_.cell_width + 1) * column + 1, top, grid_.cell_width, grid_.cell_height);
}

void TPopGroup::Build(const QImage& strip) {
  grid_ = MeasureStrip(strip);
  strip_ = strip.convertToFormat(QImage::Format_RGB32);
  const QRgb ground = strip_.pixel(1, 1);
  const QRgb face = Face(palette()).rgb();
  for (int y = 0; y < strip_.height(); ++y) {
    for (int x = 0; x < strip_.width(); ++x) {
      if (strip_.pixel(x, y) == ground) strip_.setPixel(x, y, face);
    }
  }
  built_ = true;
  for (int k = 0; k < kButtons; ++k) {
    BarPicture* button = Button(k);
    button->setGeometry(ButtonLeft(k), kButtonTop, kButtonWidth, kButtonHeight);
    DrawFace(k);
    button->show();
  }
  highlight_ = new BarPicture(this);
  highlight_->setGeometry(ButtonLeft(0), kButtonTop - 1, kButtonWidth, kButtonHeight + 2);
  highlight_->canvas = QImage(highlight_->size(), QImage::Format_RGB32);
  highlight_->canvas.fill(Face(palette()));
  PopTimer.start();
}

void TPopGroup::DrawFace(int k) {
  const bool enabled = ButtonEnabled(k);
  BarPicture* button = Button(k);
  button->canvas = QImage(kButtonWidth, kButtonHeight, QImage::Format_RGB32);
  button->canvas.fill(Face(palette()));
  QPainter painter(&button->canvas);
  painter.setFont(font());
  const QImage cell = strip_.copy(CellRect(k, 0));
  painter.drawImage(QPoint(kButtonWidth / 2 - grid_.cell_width / 2, 5), enabled ? cell : Greyed(cell, Face(palette())));
  const QString caption = Caption(k);
  const int x = kButtonWidth / 2 - painter.fontMetrics().horizontalAdvance(caption) / 2;
  const int y = grid_.cell_height + 3;
  if (!enabled) {
    // Engraved, as greyed captions are drawn on this face.
    painter.setPen(Highlight(palette()));
    TextOut(painter, x + 1, y + 1, caption);
  }
  painter.setPen(enabled ? ButtonText(palette()) : palette().color(QPalette::Disabled, QPalette::ButtonText));
  TextOut(painter, x, y, caption);
  painter.end();
  button->update();
}

void TPopGroup::PopTimerTimer() {
  PopTimer.stop();
  Tick(mapFromGlobal(QCursor::pos()));
  PopTimer.start();
}

void TPopGroup::Tick(QPoint pos) {
  if (!built_) return;
  current_ = -1;
  for (int k = 0; k < kButtons; ++k) {
    if (!ButtonEnabled(k)) continue;  // a greyed button is no place to press
    const int left = ButtonLeft(k);
    if (left <= pos.x() && pos.x() <= left + kButtonWidth && kButtonTop <= pos.y() &&
        pos.y() <= kButtonTop + kButtonHeight) {
      current_ = k;
    }
  }
  if (last_ >= 0 && last_ != current_) {
    Button(last_)->show();
    last_ = -1;
    phase_ = 0.1f;
  }
  if (current_ < 0) {
    highlight_->hide();
    return;
  }
  const int k = current_;
  last_ = k;
  highlight_->move(ButtonLeft(k), highlight_->y());
  DrawHighlight(k);
  Button(k)->hide();
  highlight_->show();
  highlight_->update();
  if (on_status) on_status(kButtonText, HintStatus(Hint(k)));
}

void TPopGroup::DrawHighlight(int k) {
  QImage& canvas = highlight_->canvas;
  const int w = canvas.width();
  const int h = canvas.height();
  const QColor face = Face(palette());
  QPainter painter(&canvas);
  painter.setFont(font());

  // The raised frame.
  painter.fillRect(QRect(3, 3, w - 6, h - 6), face);
  Rectangle(painter, 0, 0, w, h, Qt::black, &face);
  Rectangle(painter, 1, 1, w - 1, h - 1, Highlight(palette()), &face);
  Rectangle(painter, 2, 2, w - 1, h - 1, Shadow(palette()), &face);
  Rectangle(painter, 2, 2, w - 2, h - 2, face, &face);

  painter.drawImage(QPoint(w / 2 - grid_.cell_width / 2, 5), strip_, CellRect(k, 1));

  const QString caption = Caption(k);
  const QFontMetrics metrics = painter.fontMetrics();
  int x = w / 2 - metrics.horizontalAdvance(caption) / 2;
  const int y0 = grid_.cell_height + 2;
  painter.setPen(Shadow(palette()));
  TextOut(painter, x + 1, grid_.cell_height + 3, caption);

  const bool fx = graphic_fx ? graphic_fx() : true;
  if (phase_ == 0.0f || !fx) {
    painter.setPen(Qt::white);
    TextOut(painter, x, y0, caption);
    return;
  }
  // The wave: each character's grey level follows a sine of the phase,
  // delayed along the caption; the phase is single precision on purpose, as
  // the timing of the wave depends on it.
  phase_ = static_cast<float>(phase_ > 0 ? static_cast<double>(phase_) + 0.3 : static_cast<double>(phase_) - 0.3);
  double p = 0;
  for (int i = 1; i <= caption.size(); ++i) {
    if (phase_ > 0) {
      p = phase_;
      while (p > 3.14) p -= 3.14;
      p -= 0.1 * i;
    } else {
      p = -static_cast<double>(phase_) - 0.2 * i;
    }
    if (p >= 1.5) {
      p = 1.5;
    } else if (p <= 0) {
      p = 0;
    }
    const int grey = phase_ > 0 ? std::min(255, static_cast<int>(std::trunc(256 - 256 * std::sin(p))))
                                : static_cast<int>(std::trunc(256 * std::sin(p)));
    painter.setPen(QColor(grey, grey, grey));
    const int y = phase_ > 0 ? static_cast<int>(std::trunc(y0 - 1.5)) : static_cast<int>(std::trunc(p - 1.5 + y0));
    const QString character = caption.mid(i - 1, 1);
    TextOut(painter, x, y, character);
    x += metrics.horizontalAdvance(character);
  }
  if (caption.isEmpty()) {
    phase_ = 0.0f;  // nothing to animate: the wave ends at once
  } else if (p == 1.5) {
    phase_ = phase_ > 0 ? -0.6f : 0.0f;
  }
}

void TPopGroup::PopGroupMouseDown(QPoint) {
  PopTimer.stop();
  if (current_ < 0 || !built_) return;
  QImage& canvas = highlight_->canvas;
  const int w = canvas.width();
  const int h = canvas.height();
  const QImage moved = canvas.copy(QRect(3, 3, w - 7, h - 7));
  QPainter painter(&canvas);
  painter.drawImage(4, 4, moved);
  Rectangle(painter, 1, 1, w - 1, h - 1, Shadow(palette()));
  Rectangle(painter, 2, 2, w - 1, h - 1, Highlight(palette()));
  Rectangle(painter, 2, 2, w - 2, h - 2, Face(palette()));
  painter.end();
  highlight_->update();
}

void TPopGroup::PopGroupMouseUp(QPoint pos) {
  if (!built_) return;
  RestartOnExit restart(PopTimer);
  if (current_ < 0) return;
  phase_ = 0.0f;
  Tick(pos);
  PopTimer.stop();
  if (current_ >= 0 && on_command) on_command(current_);
}

void TPopGroup::mousePressEvent(QMouseEvent* event) {
  PopGroupMouseDown(event->position().toPoint());
  event->accept();
}

void TPopGroup::mouseReleaseEvent(QMouseEvent* event) {
  PopGroupMouseUp(event->position().toPoint());
  event->accept();
}

}  // namespace zv
