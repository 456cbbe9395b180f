// The text editor's conversions between a file's bytes and the text it
// shows. They lose nothing: a map may hold file names that are not valid
// UTF-8, and saving a map after editing another line must give back those
// names byte for byte.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zv {

// The lines of a file (CR LF, LF and CR each end a line; a last line
// without one counts), each followed by "\n". Valid UTF-8 is decoded; every
// other byte becomes the lone surrogate U+DC00 + byte, which no valid UTF-8
// decodes to.
QString EditorTextOf(std::string_view bytes);

// The bytes to save for an editor's text: every line (ended by "\n", or by
// the paragraph and line separators U+2029 and U+2028 a text document uses;
// text after the last line end is a line too, nothing after it is none)
// encoded as UTF-8 and ended with CR LF; the lone surrogates U+DC80 to
// U+DCFF become their byte again, and any other lone surrogate U+FFFD.
std::string FileTextOf(const QString& text);

}  // namespace zv
