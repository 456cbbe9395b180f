// Conversions at the widget boundary: the program keeps byte strings in the
// system code page; Qt widgets hold QStrings.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <string>
#include <string_view>

#include "mapper/engine/person.h"

namespace zv {

inline QString ToQ(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQ(const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A colour of the engine (0x00BBGGRR or a system colour) as a window with
// `palette` paints it.
QColor ToQColor(Colour colour, const QPalette& palette);

}  // namespace zv
