// The remote-control window's drawing and geometry, apart from the window:
// the ground with its blue frames, the six picture buttons cut from the
// icon strip with their red copies, where each button sits, which button
// the pointer selects, the rule that keeps the window on the screen, and
// the buttons' hints in the message catalogue.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <array>
#include <string>
#include <vector>

namespace zv::remote {

inline constexpr int kButtons = 6;
// The window's client area and the message area `ZVHint` in it.
inline constexpr int kWidth = 104;
inline constexpr int kHeight = 145;
inline constexpr QRect kHintPlace{8, 8, 89, 57};
// Buttons are 16 x 16 pictures; the pointer selects one from this far
// beside it; the marker around the selected one is 24 x 24.
inline constexpr int kButtonSize = 16;
inline constexpr int kReach = 4;
inline constexpr int kMarkerSize = kButtonSize + 2 * kReach;
// How much of the window always stays on the screen, in pixels.
inline constexpr int kKeepVisible = 20;

// Button i (0..5) in row i div 3 and column i mod 3: left 14 + 30 (i mod 3),
// top 4 below `ZVHint` + 30 (i div 3), that is 69 or 99.
QRect ButtonRect(int i);

// The button the pointer at `pointer` (window coordinates) selects: the
// last i whose rectangle, grown by kReach on every side, holds the pointer,
// bounds inclusive (left - 4 <= x <= left + 16 + 4, likewise y); -1 when
// none does.
int HitButton(QPoint pointer);

// Where a window whose outer rectangle is `frame` must stand so that at
// least kKeepVisible pixels of it stay on `screen`: a left edge that puts
// its right edge left of screen left + 20 becomes screen left + 20 - width,
// a left edge beyond screen right - 20 becomes screen right - 20; likewise
// for the top edge with the height. A frame that shows enough already keeps
// its place.
QPoint KeepOnScreen(const QRect& frame, const QRect& screen);

// The ground: `face` with four nested outlines (i, i)-(width - i,
// height - i), right and bottom exclusive, for i = 0..3, in pure blue of
// intensity 100, 150, 200 and 250, the outermost darkest.
QImage DrawGround(const QSize& size, const QColor& face);

// Paints button i onto `ground` and answers its red copy. The picture is
// the 16 x 16 square of `strip` at (17 i + 1, 67), the strip's third row;
// its pixels of the strip's ground colour (pixel (1,1)) are left to the
// ground, every other pixel is painted onto `ground` at ButtonRect(i). The
// copy holds, pixel by pixel, the ground where the picture has none and
// the picture's colour with only its red part kept everywhere else.
// Throws std::runtime_error when the strip is too small to hold the square.
QImage PaintButton(const QImage& strip, int i, QImage& ground);

// The buttons' hints: the six lines after the catalogue's "[RemoteBtns]"
// line (letter case ignored), in button order. A hint the catalogue does
// not hold (no such line, or too few lines after it) is empty.
std::array<std::string, kButtons> ButtonHints(const std::vector<std::string>& catalogue);

}  // namespace zv::remote
