#include "mapper/shell/remote_parts.h"

#include <QPainter>
#include <stdexcept>

#include "platform/text.h"

namespace zv::remote {
namespace {

// The icon strip's third row: 16 x 16 squares at (17 i + 1, 67).
constexpr int kStripRowTop = 67;
QPoint StripSquare(int i) { return {17 * i + 1, kStripRowTop}; }

}  // namespace

QRect ButtonRect(int i) {
  const int left = 14 + 30 * (i % 3);
  const int top = kHintPlace.top() + kHintPlace.height() + 4 + 30 * (i / 3);
  return {left, top, kButtonSize, kButtonSize};
}

int HitButton(QPoint pointer) {
  int hit = -1;
  for (int i = 0; i < kButtons; ++i) {
    const QRect button = ButtonRect(i);
    const bool across = button.left() - kReach <= pointer.x() && pointer.x() <= button.left() + kButtonSize + kReach;
    const bool down = button.top() - kReach <= pointer.y() && pointer.y() <= button.top() + kButtonSize + kReach;
    if (across && down) hit = i;
  }
  return hit;
}

QPoint KeepOnScreen(const QRect& frame, const QRect& screen) {
  auto keep = [](int edge, int length, int screen_start, int screen_length) {
    if (edge + length < screen_start + kKeepVisible) edge = screen_start + kKeepVisible - length;
    if (edge > screen_start + screen_length - kKeepVisible) edge = screen_start + screen_length - kKeepVisible;
    return edge;
  };
  return {keep(frame.x(), frame.width(), screen.x(), screen.width()),
          keep(frame.y(), frame.height(), screen.y(), screen.height())};
}

QImage DrawGround(const QSize& size, const QColor& face) {
  QImage ground(size, QImage::Format_RGB32);
  ground.fill(face);
  QPainter painter(&ground);
  const int w = size.width();
  const int h = size.height();
  for (int i = 0; i < 4 && w - 2 * i > 0 && h - 2 * i > 0; ++i) {
    const QColor blue(0, 0, 100 + 50 * i);
    painter.fillRect(QRect(i, i, w - 2 * i, 1), blue);
    painter.fillRect(QRect(i, h - i - 1, w - 2 * i, 1), blue);
    painter.fillRect(QRect(i, i, 1, h - 2 * i), blue);
    painter.fillRect(QRect(w - i - 1, i, 1, h - 2 * i), blue);
  }
  return ground;
}

QImage PaintButton(const QImage& strip, int i, QImage& ground) {
  const QPoint from = StripSquare(i);
  if (strip.width() < from.x() + kButtonSize || strip.height() < from.y() + kButtonSize) {
    throw std::runtime_error("The icon strip has no row of remote-control pictures");
  }
  const QImage source = strip.convertToFormat(QImage::Format_RGB32);
  const QRgb strip_ground = source.pixel(1, 1);
  const QPoint at = ButtonRect(i).topLeft();
  QImage copy(kButtonSize, kButtonSize, QImage::Format_RGB32);
  for (int y = 0; y < kButtonSize; ++y) {
    for (int x = 0; x < kButtonSize; ++x) {
      const QRgb d = source.pixel(from.x() + x, from.y() + y);
      if (d == strip_ground) {
        copy.setPixel(x, y, ground.pixel(at.x() + x, at.y() + y));
      } else {
        ground.setPixel(at.x() + x, at.y() + y, d);
        copy.setPixel(x, y, qRgb(qRed(d), 0, 0));
      }
    }
  }
  return copy;
}

std::array<std::string, kButtons> ButtonHints(const std::vector<std::string>& catalogue) {
  std::array<std::string, kButtons> hints;
  for (std::size_t line = 0; line < catalogue.size(); ++line) {
    if (!EqualsNoCase(catalogue[line], "[RemoteBtns]")) continue;
    for (std::size_t i = 0; i < hints.size() && line + 1 + i < catalogue.size(); ++i) {
      hints[i] = catalogue[line + 1 + i];
    }
    break;
  }
  return hints;
}

}  // namespace zv::remote
