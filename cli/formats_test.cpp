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
      // Stray bytes, an overlong form, a cut character and a surrogate: each
      // byte as a lone low surrogate, so "caf\xe9" never reads as "café".
      {"caf\xe9", R"("caf\udce9")"},
      {"\xc0\xaf", R"("\udcc0\udcaf")"},
      {"\xe2\x82", R"("\udce2\udc82")"},
      {"\xed\xa0\x80", R"("\udced\udca0\udc80")"},
      {"\xff-\xc3\xa9", R"("\udcff-)" "\xc3\xa9\""},
      {"", "\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST(FormatsTest, TsvFieldsNeverSplitALineOrAFieldAndDecodeBack) {
  EXPECT_EQ(TsvField("a\tb\r\nc\\d"), "a\\tb\\r\\nc\\\\d");
  // A backslash before a letter must not read as an escape once decoded.
  EXPECT_EQ(TsvField("lib\\node_modules"), "lib\\\\node_modules");
  EXPECT_EQ(TsvField("\\t"), "\\\\t");
  EXPECT_EQ(TsvField("caf\xe9"), "caf\xe9") << "other bytes stand as they are";
}

TEST(FormatsTest, JsonListsCarryTheirFormatVersion) {
  EXPECT_EQ(JsonListStart("maps") + JsonListEnd(0), "{\"format\": 1, \"maps\": []}\n");
  EXPECT_EQ(JsonListStart("rows") + JsonRowBreak(0) + "1" + JsonRowBreak(1) + "2" + JsonListEnd(2),
            "{\"format\": 1, \"rows\": [\n  1,\n  2\n]}\n");
}

TEST(FormatsTest, CountsAndColumnsAsAPersonReadsThem) {
  EXPECT_EQ(Counted(1, "new entry", "new entries"), "1 new entry");
  EXPECT_EQ(Counted(0, "row", "rows"), "0 rows");
  EXPECT_EQ(Counted(2, "row", "rows"), "2 rows");
  EXPECT_EQ(Columns("abc"), 3u);
  EXPECT_EQ(Columns("\xe6\x97\xa5\xe6\x9c\xac"), 4u) << "two wide CJK characters";
  EXPECT_EQ(Columns("e\xcc\x81"), 1u) << "a combining accent takes no column";
  EXPECT_EQ(Columns("caf\xe9"), 4u) << "a stray byte takes one";
  TextTable table({false, false});
  table.Add({"\xe6\x97\xa5\xe6\x9c\xac", "x"});
  table.Add({"abcde", "y"});
  EXPECT_EQ(table.Render(), "\xe6\x97\xa5\xe6\x9c\xac   x\nabcde  y\n");
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
