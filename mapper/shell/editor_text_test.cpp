#include "mapper/shell/editor_text.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

namespace zv {
namespace {

// Every line of a file comes back byte for byte after a trip through the
// editor, whatever its bytes; only the line ends become CR LF.
TEST(EditorText, EveryByteSurvivesTheEditor) {
  const std::string lines[] = {
      "SYSTEM\\Plain.dll",
      "Caf\xC3\xA9\\\xE2\x82\xAC \xF0\x9F\x97\xBA.txt",  // valid two, three and four byte forms
      "Latin1\\Caf\xE9.txt",                              // a byte that starts no valid form
      "Cut\\\xE2\x82",                                    // a form cut short at the line's end
      "Overlong\\\xC0\xAF and surrogate \xED\xA0\x80",    // forms UTF-8 forbids
      "Beyond\\\xF4\x90\x80\x80 \xFF\xFE",
      "No-break\xC2\xA0space",
      "",
  };
  std::string file;
  for (const std::string& line : lines) file += line + "\r\n";

  // A real text document in between, as the editor holds the text.
  QPlainTextEdit memo;
  memo.setPlainText(EditorTextOf(file));
  EXPECT_EQ(FileTextOf(memo.document()->toRawText()), file);
  EXPECT_EQ(EditorTextOf("Caf\xE9"), QString("Caf") + QChar(0xDCE9) + "\n");
}

TEST(EditorText, LinesEndWithCrLfHoweverTheyWereWrittenOrTyped) {
  EXPECT_EQ(EditorTextOf("a\nb\rc\r\nd"), "a\nb\nc\nd\n");
  EXPECT_EQ(FileTextOf("a\nb"), "a\r\nb\r\n");
  EXPECT_EQ(FileTextOf(QString("a") + QChar(0x2029) + "b" + QChar(0x2028) + "c\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(FileTextOf("a\n\n"), "a\r\n\r\n") << "an empty line typed at the end stays";
  EXPECT_EQ(FileTextOf("a\n"), "a\r\n");
  EXPECT_EQ(FileTextOf(""), "");
  EXPECT_EQ(FileTextOf(QString("x") + QChar(0xD800)), "x\xEF\xBF\xBD\r\n") << "a lone surrogate never typed";
}

}  // namespace
}  // namespace zv
