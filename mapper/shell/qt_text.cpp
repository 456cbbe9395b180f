#include "mapper/shell/qt_text.h"


namespace zv {

QColor ToQColor(Colour colour, const QPalette& palette) {
  if (colour == kButtonFace) return palette.color(QPalette::Button);
  if (colour == kButtonText) return palette.color(QPalette::ButtonText);
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace zv
