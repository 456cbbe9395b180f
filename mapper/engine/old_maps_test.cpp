#include "mapper/engine/old_maps.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "platform/forwarding_host.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::ListNames;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::ReadLines;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

const std::string kConvertedBox = "Old maps detected and converted\nBackup: nnn.TXT to nnn.OLD files";

// Refuses every move while `refuse_moves` is set.
class MoveRefusingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  bool MoveFile(const std::string& from, const std::string& to) override {
    return !refuse_moves && ForwardingHost::MoveFile(from, to);
  }
  bool refuse_moves = false;
};

// The program folder is a subfolder of the scratch folder, so that a file
// escaping it would show up beside it.
class OldMapsTest : public ::testing::Test {
 protected:
  OldMapsTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    MakeFolders(dir_ / "program");
    mapper_.program_folder = dir_ / "program";
    mapper_.main_caption = "Zorvan";
  }

  std::string File(const std::string& name) const { return dir_ / ("program/" + name); }
  void WriteFile(const std::string& name, const Lines& lines) { WriteLines(File(name), lines); }
  Lines Names() const { return ListNames(mapper_.program_folder); }
  int ConvertedBoxes() const {
    int boxes = 0;
    for (const auto& notice : person_.notices) boxes += notice.title == "Zorvan" && notice.text == kConvertedBox;
    return boxes;
  }

  ScratchFolder dir_;
  std::unique_ptr<Host> real_;
  MoveRefusingHost host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST_F(OldMapsTest, AnOldMapTakesItsHeaderNameWithTheFirstFreeNumberAndLeavesABackup) {
  WriteFile("Office.MAP", {"***Office***", "A.DLL"});
  WriteFile("office2.map", {"***office2***", "B.DLL"});  // taken in another letter case
  const Lines old = {"***Office***", "SYSTEM\\Z.DLL", "SYSTEM\\A.DLL"};
  WriteFile("003.TXT", old);

  LoadMaps(mapper_, "");  // the conversion is the load's first step

  EXPECT_EQ(Names(), (Lines{"003.OLD", "Office.MAP", "Office3.MAP", "office2.map"}));
  EXPECT_EQ(ReadLines(File("003.OLD")), old);
  EXPECT_EQ(ReadLines(File("Office3.MAP")), (Lines{"***Office3***", "SYSTEM\\A.DLL", "SYSTEM\\Z.DLL"}));
  EXPECT_EQ(ReadLines(File("Office.MAP")), (Lines{"***Office***", "A.DLL"}));
  EXPECT_EQ(ReadLines(File("office2.map")), (Lines{"***office2***", "B.DLL"}));
  EXPECT_EQ(mapper_.maps.rows, (Lines{"Office", "office2", "Office3"}));
  EXPECT_EQ(ConvertedBoxes(), 1);
}

TEST_F(OldMapsTest, OneBoxForAnyNumberConvertedAndNoneForNone) {
  WriteBytes(File("appllst.txt"), "never read");
  for (const std::string number : {"000", "042", "999"}) WriteFile(number + ".TXT", {"***App" + number + "***"});
  // Not numbered maps: left alone.
  for (const char* other : {"12.TXT", "1234.TXT", "abc.TXT", "IGNORLST.TXT", "042.DAT"}) WriteFile(other, {"***X***"});

  ConvertOldMaps(mapper_);
  EXPECT_EQ(Names(), (Lines{"000.OLD", "042.DAT", "042.OLD", "12.TXT", "1234.TXT", "999.OLD", "App000.MAP",
                            "App042.MAP", "App999.MAP", "IGNORLST.TXT", "abc.TXT"}));
  EXPECT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(ConvertedBoxes(), 1);

  ConvertOldMaps(mapper_);  // nothing left to convert
  EXPECT_EQ(person_.notices.size(), 1u);
}

TEST_F(OldMapsTest, AReadOnlyOldMapIsConvertedAndEndsWritable) {
  WriteFile("007.txt", {"***Tools***", "T.EXE"});  // the extension in any case
  chmod(File("007.txt").c_str(), 0444);
  // A backup that cannot be written is reported by the copy and does not
  // stop the conversion.
  WriteBytes(File("007.OLD"), "older backup");
  chmod(File("007.OLD").c_str(), 0444);

  LoadMaps(mapper_, "");

  struct stat st {};
  ASSERT_EQ(stat(File("Tools.MAP").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);
  EXPECT_EQ(ReadLines(File("Tools.MAP")), (Lines{"***Tools***", "T.EXE"}));
  EXPECT_FALSE(Exists(File("007.txt")));
  EXPECT_EQ(ReadBytes(File("007.OLD")), "older backup");
  EXPECT_EQ(ConvertedBoxes(), 1);
}

TEST_F(OldMapsTest, AHeaderThatCannotNameAMapGivesTheFileItsOwnNumber) {
  const struct {
    std::string line, name;
  } cases[] = {
      {"***Office***", "Office"},
      {"***Office***trailing", "Office"},  // the name ends at the next "***"
      {"Office", "003"},
      {"***Office", "003"},
      {"******", "003"},
      {"***.***", "003"},
      {"***..***", "003"},
      {"***..\\..\\Escaped***", "003"},
      {"***../Escaped***", "003"},
      {"***.hidden***", "003"},
      {"***Office.map***", "003"},  // would be listed as the map "Office"
      {"", "003"},
  };
  for (const auto& c : cases) EXPECT_EQ(OldMapName(c.line, "003"), c.name) << c.line;

  WriteFile("003.MAP", {"***003***", "KEPT.DLL"});
  WriteFile("003.TXT", {"***..\\..\\Escaped***", "SYSTEM\\E.DLL"});
  WriteBytes(File("004.TXT"), "");  // no header at all
  ConvertOldMaps(mapper_);
  EXPECT_EQ(ListNames(dir_.path()), Lines{"program"});
  EXPECT_EQ(Names(), (Lines{"003.MAP", "003.OLD", "0032.MAP", "004.MAP", "004.OLD"}));
  EXPECT_EQ(ReadLines(File("003.MAP")), (Lines{"***003***", "KEPT.DLL"}));
  EXPECT_EQ(ReadLines(File("0032.MAP")), (Lines{"***..\\..\\Escaped***", "SYSTEM\\E.DLL"}));
}

TEST_F(OldMapsTest, ARenameThatFailsKeepsTheOldMapAndSaysSo) {
  WriteFile("005.TXT", {"***Paint***", "P.EXE"});
  host_.refuse_moves = true;
  ConvertOldMaps(mapper_);
  EXPECT_EQ(Names(), (Lines{"005.OLD", "005.TXT"}));
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].text, "Old map 005.TXT could not be renamed to Paint.MAP");

  host_.refuse_moves = false;  // the next load finishes the job
  ConvertOldMaps(mapper_);
  EXPECT_EQ(Names(), (Lines{"005.OLD", "Paint.MAP"}));
  EXPECT_EQ(ConvertedBoxes(), 1);
}

TEST_F(OldMapsTest, AnOldMapThatCannotBeReadIsSaidAndTheLoadGoesOn) {
  WriteFile("003.TXT", {"***Office***", "A.DLL"});
  ASSERT_EQ(::mkfifo(File("004.TXT").c_str(), 0644), 0);  // would block a plain read
  ASSERT_EQ(::symlink(File("003.TXT").c_str(), File("005.TXT").c_str()), 0);
  LoadMaps(mapper_, "");
  EXPECT_EQ(mapper_.maps.rows, Lines{"Office"});
  EXPECT_EQ(Names(), (Lines{"003.OLD", "004.TXT", "005.TXT", "Office.MAP"}));
  EXPECT_EQ(ConvertedBoxes(), 1);
  int unread = 0;
  for (const auto& notice : person_.notices) unread += notice.text.starts_with("Old map 00");
  EXPECT_EQ(unread, 2);
}

}  // namespace
}  // namespace zv
