#include "mapper/trash/trash_log.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace zv {
namespace {

TrashRecord Read(const std::string& line) {
  TrashRecord record;
  EXPECT_TRUE(ReadRecord(line, &record)) << line;
  return record;
}

TEST(TrashLogTest, OrdinaryRecordsAreWrittenAndReadAsAlways) {
  EXPECT_EQ(RecordLine({"Foo.dll", "Paint", "DEL0Foo.dll", "SYSTEM\\"}),
            "|N{Foo.dll}N|M{Paint}M|T{DEL0Foo.dll}T|P{SYSTEM\\}P|");
  // Braces, "<DIR>", blanks, "%", "\\" and bytes that are not UTF-8 are
  // ordinary: written as they are.
  const TrashRecord odd{"{GUID} <dir> 100%\xe9.txt", "Paint {x}", "DEL0{GUID} <dir> 100%\xe9.txt", "A\\{B}\\"};
  EXPECT_EQ(RecordLine(odd), "|N{" + odd.name + "}N|M{" + odd.map + "}M|T{" + odd.trashed + "}T|P{" + odd.place +
                                 "}P|");
  EXPECT_EQ(Read(RecordLine(odd)), odd);
  // Marker letters in either case, as the log's first readers took them.
  EXPECT_EQ(Read("|n{a}n|m{b}M|T{DEL0a}t|p{}P|"), (TrashRecord{"a", "b", "DEL0a", ""}));
  // A legacy line is read as its converted record.
  EXPECT_EQ(Read("SYSTEM\\Foo.dll"), (TrashRecord{"Foo.dll", "?", "Foo.dll", "SYSTEM\\"}));
}

TEST(TrashLogTest, HostileFieldsComeBackExactlyAndNeverSplitALine) {
  const std::vector<std::string> hostile = {
      "x|T{DEL0Foo.dll}T|", "a}T|b.txt", "c}N|d.txt", "|P{e}P|f.txt", "}N|M{", "line\r\nbreak", "/7C", "a/2F",
      "|", "//", "<DIR>", "-dash", std::string(255, 'n'), "\xff\xfe|\x80"};
  for (const std::string& name : hostile) {
    const TrashRecord record{name, name + "map", "DEL0" + name, name + "\\" + name};
    const std::string line = RecordLine(record);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_EQ(Read(line), record) << line;
  }
  // Random bytes in every field.
  std::mt19937 random(11);
  for (int i = 0; i < 2000; ++i) {
    std::array<std::string, 4> fields;
    for (std::string& field : fields) {
      const int length = static_cast<int>(random() % 12);
      for (int k = 0; k < length; ++k) field.push_back("|{}NMTP/\\\r\n<>x7C0A"[random() % 18]);
    }
    const TrashRecord record{fields[0], fields[1], fields[2], fields[3]};
    EXPECT_EQ(Read(RecordLine(record)), record) << RecordLine(record);
  }
}

TEST(TrashLogTest, OldRecordsWithBarsAreReadOnlyWhenTheyCannotBeMisread) {
  // Written unescaped by an earlier version: one reading gives the line back.
  EXPECT_EQ(Read("|N{x|y.txt}N|M{A}M|T{DEL0x|y.txt}T|P{App\\}P|"),
            (TrashRecord{"x|y.txt", "A", "DEL0x|y.txt", "App\\"}));
  TrashRecord record;
  // A name holding a whole marker: the first markers would name another file.
  EXPECT_FALSE(ReadRecord("|N{x|T{DEL0Foo.dll}T|}N|M{B}M|T{DEL0x|T{DEL0Foo.dll}T|}T|P{App\\}P|", &record));
  EXPECT_FALSE(ReadRecord("|N{a}N|M{b}N|M{c}M|T{DEL0a}N|M{b}T|P{}P|", &record));
  // Lines cut short or out of form.
  EXPECT_FALSE(ReadRecord("|N{a}N|M{b}M|T{DEL0a}T|P{", &record));
  EXPECT_FALSE(ReadRecord("|N{a}N|M{b}M|T{DEL0a}T|P{}P| ", &record));
  EXPECT_FALSE(ReadRecord("|N{a}N|T{DEL0a}T|M{b}M|P{}P|", &record));
}

TEST(TrashLogTest, OnlyAFolderMarkAsTheWholeTrashedNameMakesAFolderRecord) {
  EXPECT_TRUE(IsFolderRecord({"NewDir", "Paint", "<DIR>", "SYSTEM\\NewDir"}));
  EXPECT_TRUE(IsFolderRecord({"NewDir", "Paint", "<dir>", "SYSTEM\\NewDir"}));
  EXPECT_FALSE(IsFolderRecord({"a<DIR>b.txt", "Paint", "DEL0a<DIR>b.txt", "SYSTEM\\"}));
  EXPECT_FALSE(IsFolderRecord({"x", "A<DIR>", "DEL0x", ""}));
  EXPECT_FALSE(IsFolderRecord({"x", "A", "DEL0x", "<DIR> y\\"}));
}

}  // namespace
}  // namespace zv
