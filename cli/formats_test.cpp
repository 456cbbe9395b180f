#include "cli/formats.h"

#include <gtest/gtest.h>

namespace zv::cli {
namespace {

TEST(FormatsTest, JsonStringsStayValidWhateverTheBytes) {
  const struct {
    std::string text, json;
  } cases[] = {
      {"SYSTEM\\Foo.dll", R"("SYSTEM\\Foo.dll")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"tab\there\x7f", R"("tab\u0009here\u007f")"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\""},
      // Stray bytes, an overlong form, a cut character and a surrogate read
      // as single bytes.
      {"caf\xe9", "\"caf\xc3\xa9\""},
      {"\xc0\xaf", "\"\xc3\x80\xc2\xaf\""},
      {"\xe2\x82", "\"\xc3\xa2\xc2\x82\""},
      {"\xed\xa0\x80", "\"\xc3\xad\xc2\xa0\xc2\x80\""},
      {"", "\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST(FormatsTest, TsvFieldsNeverSplitALineOrAField) {
  EXPECT_EQ(TsvField("a\tb\r\nc\\d"), "a\\tb\\r\\nc\\d");
}

TEST(FormatsTest, TextTableAlignsColumnsByCharacters) {
  TextTable table({false, true, false});
  table.Add({"NAME", "N", "SIZE"});
  table.Add({"caf\xc3\xa9", "1234", "1.5 Kb"});
  table.Add({"Windows (1st map)", "7", "8 bytes"});
  EXPECT_EQ(table.Render(),
            "NAME                  N  SIZE\n"
            "caf\xc3\xa9               1234  1.5 Kb\n"
            "Windows (1st map)     7  8 bytes\n");
}

}  // namespace
}  // namespace zv::cli
