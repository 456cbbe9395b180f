#include "mapper/engine/entry_index.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace zv {
namespace {

TEST(EntryIndexTest, LooksLinesUpIgnoringAsciiCaseOnly) {
  EntryIndex index;
  index.AddMapText(
      "***Header***\r\nSYSTEM\\FOO.DLL\r\n<DIR> system\\Fonts\r\n1234567\r\n12345678\r\n123456789\r\n"
      "abcdefghijklmnopq\r\n\xE9t\xE9.txt\r\n[@`{]\r\n");
  struct Case {
    std::string line;
    bool known;
  };
  const std::vector<Case> cases = {
      {"SYSTEM\\FOO.DLL", true},
      {"system\\foo.dll", true},
      {"System\\Foo.Dll", true},
      {"<DIR> SYSTEM\\FONTS", true},
      {"SYSTEM\\FOO.DL", false},     // a prefix
      {"SYSTEM\\FOO.DLLX", false},   // longer
      {"1234567", true},             // lengths around the eight-byte steps
      {"1234568", false},
      {"12345678", true},
      {"12345679", false},
      {"123456789", true},
      {"123456788", false},
      {"ABCDEFGHIJKLMNOPQ", true},
      {"ABCDEFGHIJKLMNOPR", false},
      {"\xE9t\xE9.TXT", true},       // bytes above 0x7F keep their value
      {"\xC9t\xC9.txt", false},
      {"[@`{]", true},               // the neighbours of the letters are no letters
      {"{`@[]", false},
      {"[`@{]", false},
      {"***Header***", false},       // the header is no entry
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(index.Contains(c.line), c.known) << c.line;
  EXPECT_EQ(index.size(), 8u);
}

TEST(EntryIndexTest, ReadsEveryLineEndAndKeepsEqualLinesOnce) {
  const std::vector<std::string> texts = {
      "***A***\r\nOne\r\nTwo\r\nONE\r\n", "***A***\nOne\nTwo\nONE", "***A***\rOne\rTwo\rone\r",
      "***A***\r\nOne\nTwo\rone\r\n"};
  for (const std::string& text : texts) {
    EntryIndex index;
    index.AddMapText(text);
    EXPECT_EQ(index.size(), 2u);
    EXPECT_TRUE(index.Contains("one"));
    EXPECT_TRUE(index.Contains("TWO"));
    EXPECT_FALSE(index.Contains(""));
  }
  EntryIndex header_only;
  header_only.AddMapText("***A***");
  EXPECT_TRUE(header_only.empty());
  EXPECT_FALSE(header_only.Contains("***A***"));
}

// Every text of up to eight bytes made of "a", CR and LF splits into the
// lines SplitLines gives: whatever the mix of line ends, where they stand
// and whether the text ends with one.
TEST(ForEachLineTest, SplitsEveryMixOfLineEndsLikeSplitLines) {
  for (std::size_t length = 0; length <= 8; ++length) {
    std::size_t count = 1;
    for (std::size_t i = 0; i < length; ++i) count *= 3;
    for (std::size_t code = 0; code < count; ++code) {
      std::string text;
      for (std::size_t rest = code, i = 0; i < length; ++i, rest /= 3) text += "a\r\n"[rest % 3];
      std::vector<std::string> lines;
      ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
      ASSERT_EQ(lines, SplitLines(text)) << "text of " << length << " bytes, code " << code;
    }
  }
}

TEST(EntryIndexTest, OneTwoAndManyEntriesAcrossMaps) {
  EntryIndex index;
  index.AddMapText("***A***\r\nSYSTEM\\foo.dll\r\n");
  EXPECT_TRUE(index.Contains("SYSTEM\\FOO.DLL"));
  index.AddMapText("***B***\r\n<DIR> SYSTEM\r\n");
  EXPECT_TRUE(index.Contains("SYSTEM\\FOO.DLL"));
  EXPECT_TRUE(index.Contains("<DIR> System"));
  EXPECT_FALSE(index.Contains("SYSTEM"));

  // Growing from a small table to a large one keeps every line.
  std::string big = "***C***\r\n";
  for (int i = 0; i < 50000; ++i) big += "Folder\\file" + std::to_string(i) + ".dat\r\n";
  index.AddMapText(big);
  for (int i = 0; i < 3000; ++i) index.AddLine("extra" + std::to_string(i));
  EXPECT_EQ(index.size(), 53002u);
  for (int i = 0; i < 50000; i += 7) EXPECT_TRUE(index.Contains("FOLDER\\FILE" + std::to_string(i) + ".DAT")) << i;
  for (int i = 0; i < 3000; i += 7) EXPECT_TRUE(index.Contains("Extra" + std::to_string(i)));
  EXPECT_FALSE(index.Contains("Folder\\file50000.dat"));

  index.Clear();
  EXPECT_TRUE(index.empty());
  EXPECT_FALSE(index.Contains("SYSTEM\\FOO.DLL"));
}

}  // namespace
}  // namespace zv
