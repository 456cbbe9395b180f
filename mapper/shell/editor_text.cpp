#include "mapper/shell/editor_text.h"

#include "platform/text.h"

namespace zv {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at text[i] (1 to 4), or 0 when the
// byte there does not start one: overlong forms, surrogates and code points
// beyond U+10FFFF are not valid.
std::size_t ValidSequence(std::string_view text, std::size_t i, char32_t* code) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    *code = lead;
    return 1;
  }
  std::size_t length;
  char32_t value, least;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *code = value;
  return length;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

QString EditorTextOf(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const std::string& line : SplitLines(bytes)) {
    for (std::size_t i = 0; i < line.size();) {
      char32_t code = 0;
      const std::size_t length = ValidSequence(line, i, &code);
      if (length == 0) {
        text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(line[i])));
        ++i;
        continue;
      }
      // Appended as UTF-16 units: a QString per character would cost an
      // allocation for each byte of a map of tens of megabytes.
      if (QChar::requiresSurrogates(code)) {
        text += QChar(QChar::highSurrogate(code));
        text += QChar(QChar::lowSurrogate(code));
      } else {
        text += QChar(static_cast<char16_t>(code));
      }
      i += length;
    }
    text += QChar('\n');
  }
  return text;
}

std::string FileTextOf(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()) + 2);
  const qsizetype n = text.size();
  bool open_line = false;
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t unit = text[i].unicode();
    if (unit == u'\n' || unit == 0x2029 || unit == 0x2028) {
      out += "\r\n";
      open_line = false;
      continue;
    }
    open_line = true;
    if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
      AppendUtf8(out, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      out += static_cast<char>(unit - kEscapeBase);
    } else if (QChar::isSurrogate(unit)) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  if (open_line) out += "\r\n";
  return out;
}

}  // namespace zv
