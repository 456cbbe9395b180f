#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zv {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLinesTest, AcceptsEveryLineEndAndIgnoresAFinalOne) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\n", {"a"}},
      {"a\r", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\rb", {"a", "", "b"}},         // LF then CR is two line ends
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},  // an empty line in the middle stays
      {"\r\n", {""}},
      {"a\r\r\n", {"a", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << "text: " << c.text;
}

TEST(SplitLinesTest, JoinLinesWritesCrLfAndRoundTrips) {
  const Lines lines = {"first", "", "third"};
  EXPECT_EQ(JoinLines(lines), "first\r\n\r\nthird\r\n");
  EXPECT_EQ(SplitLines(JoinLines(lines)), lines);
  EXPECT_EQ(JoinLines({}), "");
}

TEST(CompareNoCaseTest, OrdersBytesAfterUpperCasing) {
  EXPECT_LT(CompareNoCase("*", "|"), 0);
  EXPECT_LT(CompareNoCase("<DIR> SYSTEM", "ABC"), 0);
  // Plain byte order: digits (0x30-0x39) stand below "<" (0x3C).
  EXPECT_GT(CompareNoCase("<DIR> SYSTEM", "0001"), 0);
  EXPECT_LT(CompareNoCase("A", "A\\B"), 0);
  EXPECT_EQ(CompareNoCase("readme.TXT", "README.txt"), 0);
  EXPECT_GT(CompareNoCase("b", "A"), 0);
  // "_" (0x5F) is above the upper-case letters, so it sorts after them even
  // against a lower-case letter (0x61 in raw bytes).
  EXPECT_LT(CompareNoCase("a", "_"), 0);
  // Bytes above 127 compare as unsigned and are not case-folded.
  EXPECT_LT(CompareNoCase("z", "\xE9"), 0);
  EXPECT_NE(CompareNoCase("\xC9", "\xE9"), 0);

  std::vector<std::string> names = {"b.txt", "A\\B", "|x", "<DIR> Z", "a", "*.map", "10", "B.dll"};
  std::sort(names.begin(), names.end(), LessNoCase);
  EXPECT_EQ(names, (std::vector<std::string>{"*.map", "10", "<DIR> Z", "a", "A\\B", "B.dll", "b.txt", "|x"}));
}

// Long texts are compared several bytes at a time: every pair of bytes, at
// every place of the first two words and of the tail, must still order as
// the two bytes do after ASCII upper-casing, and an equal prefix in another
// case must not decide.
TEST(CompareNoCaseTest, EveryByteOrdersTheSameAtEveryPlaceOfALongText) {
  const std::string base = "Program Files\\Common.dll";  // 24 bytes: three words
  for (std::size_t place : {0, 5, 7, 8, 15, 16, 23}) {
    for (int i = 0; i < 256; ++i) {
      for (int j = 0; j < 256; ++j) {
        std::string a = base, b = UpperAscii(base);
        a[place] = static_cast<char>(i);
        b[place] = static_cast<char>(j);
        const auto x = static_cast<unsigned char>(UpperAscii(static_cast<char>(i)));
        const auto y = static_cast<unsigned char>(UpperAscii(static_cast<char>(j)));
        const int expected = x < y ? -1 : x > y ? 1 : 0;
        const int got = CompareNoCase(a, b);
        ASSERT_EQ(got < 0 ? -1 : got > 0 ? 1 : 0, expected) << "place " << place << ", bytes " << i << " " << j;
      }
    }
  }
  EXPECT_LT(CompareNoCase("Program Files\\a", "PROGRAM FILES\\A\\b"), 0);  // a prefix sorts first
  EXPECT_GT(CompareNoCase("program files\\b", "PROGRAM FILES\\A\\b"), 0);
}

TEST(CompareNoCaseTest, EqualsAndFindIgnoreAsciiCaseOnly) {
  EXPECT_TRUE(EqualsNoCase("System32", "SYSTEM32"));
  EXPECT_FALSE(EqualsNoCase("System", "System32"));
  EXPECT_FALSE(EqualsNoCase("\xC9", "\xE9"));
  EXPECT_EQ(UpperAscii("mixed Case-1\xE9"), "MIXED CASE-1\xE9");

  const struct {
    std::string haystack, needle;
    std::size_t at;
  } cases[] = {
      {"C:\\Windows\\System", "windows", 3},
      {"abcABC", "CA", 2},
      {"abc", "", 0},
      {"abc", "abcd", std::string::npos},
      {"abc", "x", std::string::npos},
      {"", "", 0},
      {"aaab", "AAB", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindNoCase(c.haystack, c.needle), c.at) << c.haystack << " / " << c.needle;
  }
}

TEST(MatchWildcardTest, Table) {
  const struct {
    std::string pattern, name;
    bool match;
  } cases[] = {
      {"*", "", true},
      {"*", "anything.at.all", true},
      {"*.MAP", "windows.map", true},
      {"*.MAP", "windows.map.bak", false},
      {"*.map", "MAP", false},
      {"?", "a", true},
      {"?", "", false},
      {"?", "ab", false},
      {"a?c", "ABC", true},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXcYYb", false},
      {"*a*", "bab", true},
      {"*.*", "noext", false},
      {"*.*", "one.ext", true},
      {"**x", "abx", true},
      {"*x", "xxxy", false},
      {"*.tmp", "~DF1234.TMP", true},
      {"", "", true},
      {"", "a", false},
      {"abc", "abc", true},
      {"abc", "abd", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  }
}

TEST(PathTextTest, HostFormAndLastComponent) {
  EXPECT_EQ(ToHostPath("SYSTEM\\Foo.dll"), "SYSTEM/Foo.dll");
  EXPECT_EQ(DisplayPath("/usr/local\\#TRASH\\!TRASH!.DAT"), "/usr/local/#TRASH/!TRASH!.DAT");
  EXPECT_EQ(LastComponent("a\\b/c"), "c");
  EXPECT_EQ(LastComponent("a/b\\c"), "c");
  EXPECT_EQ(LastComponent("plain"), "plain");
  EXPECT_EQ(LastComponent("ends\\"), "");
  EXPECT_TRUE(StartsWith("<DIR> X", "<DIR> "));
  EXPECT_FALSE(StartsWith("<DI", "<DIR> "));
}

// "\xC3\xA9" is "e" with an acute accent (2 bytes), "\xE2\x82\xAC" the euro
// sign (3), "\xF0\x9F\x98\x80" a face (4).
TEST(CutAtCharactersTest, NeverEndsOrStartsInsideAUtf8Sequence) {
  const struct {
    std::string text;
    std::size_t first, max_bytes;
    std::string cut;
  } cases[] = {
      {"abcdef", 0, 3, "abc"},
      {"abc", 0, 3, "abc"},
      {"abc", 0, 10, "abc"},
      {"", 0, 3, ""},
      {"ab\xC3\xA9", 0, 3, "ab"},         // the accent would be cut in two
      {"ab\xC3\xA9", 0, 4, "ab\xC3\xA9"},
      {"a\xE2\x82\xAC", 0, 2, "a"},
      {"a\xE2\x82\xAC", 0, 3, "a"},
      {"a\xE2\x82\xAC", 0, 4, "a\xE2\x82\xAC"},
      {"\xF0\x9F\x98\x80x", 0, 3, ""},
      {"\xF0\x9F\x98\x80x", 0, 4, "\xF0\x9F\x98\x80"},
      // Dropping a first character drops all of its bytes.
      {"&Remote", 1, std::string::npos, "Remote"},
      {"\xC3\xA9tat", 1, std::string::npos, "tat"},
      {"\xE2\x82\xACuro", 1, std::string::npos, "uro"},
      {"\xE2\x82\xACuro", 2, 2, "ur"},
      {"a", 1, std::string::npos, ""},
      {"", 1, std::string::npos, ""},
      // Bytes that begin no whole sequence (a single-byte code page) are
      // characters of their own.
      {"caf\xE9s", 0, 4, "caf\xE9"},
      {"\x80\x80\x80\x80\x80x", 0, 5, "\x80\x80\x80\x80\x80"},
      {"\xE9t\xE9", 1, 1, "t"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CutAtCharacters(c.text, c.first, c.max_bytes), c.cut)
        << "text: " << c.text << ", from " << c.first << ", at most " << c.max_bytes;
  }
  // Whole characters, however the cut falls.
  const std::string mixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "b\xC3\xA9";
  for (std::size_t n = 0; n <= mixed.size(); ++n) {
    const std::string cut(CutAtCharacters(mixed, 0, n));
    EXPECT_LE(cut.size(), n);
    EXPECT_EQ(mixed.compare(0, cut.size(), cut), 0);
    EXPECT_TRUE(cut.size() == mixed.size() || (static_cast<unsigned char>(mixed[cut.size()]) & 0xC0) != 0x80)
        << "cut at " << n;
    EXPECT_GT(cut.size() + 4, n) << "no more is dropped than one character";
  }
}

}  // namespace
}  // namespace zv
