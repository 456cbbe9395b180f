// zorvan rename and unmap as processes: the Map menu's checks, questions
// and results.
#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

class ZorvanMapMenuTest : public ZorvanTest {
 protected:
  ZorvanMapMenuTest() {
    WriteLines(program_ / "Office.MAP", {"***Office***", "win.ini"});
    WriteLines(program_ / "Games.MAP", {"***Games***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll"});
  }
  Lines MapFiles() { return host_->FindFiles(program_.path(), "*.MAP"); }
};

TEST_F(ZorvanMapMenuTest, RenameChecksTheNameAsTheDialogDoes) {
  // Another map's name, in any case: the mapper's message, and nobody to
  // ask for another name.
  ZorvanRun run = Zorvan({"rename", "office", "GAMES"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "A map with this name already exists.")) << run.err;
  EXPECT_TRUE(Holds(run.err, "nothing was renamed")) << run.err;
  for (const std::string& refused : {std::string(".Office"), std::string("Of/fice"), std::string("a.map.b")}) {
    run = Zorvan({"rename", "Office", refused});
    EXPECT_EQ(run.code, 1) << refused;
    EXPECT_TRUE(Holds(run.err, "A map name cannot contain any of these characters")) << run.err;
  }
  EXPECT_EQ(MapFiles(), (Lines{"Games.MAP", "Office.MAP"}));

  // A change of case only is a rename; the header follows.
  run = Zorvan({"rename", "office", "OFFICE"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "\"Office\" renamed to \"OFFICE\".\n");
  EXPECT_EQ(ReadLines(program_ / "OFFICE.MAP"), (Lines{"***OFFICE***", "win.ini"}));

  run = Zorvan({"rename", "OFFICE", "Office 97"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(MapFiles(), (Lines{"Games.MAP", "Office 97.MAP"}));
  EXPECT_EQ(Zorvan({"rename", "Office", "x"}).code, 1) << "the old name is gone";
}

TEST_F(ZorvanMapMenuTest, UnmapAsksThenForgetsTheMapButNotItsFiles) {
  ZorvanRun run = Zorvan({"unmap", "games"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "only the map file Games.MAP is deleted (the map of \"Games\")")) << run.err;
  EXPECT_TRUE(Holds(run.err, "--yes to answer yes")) << run.err;
  EXPECT_TRUE(Exists(program_ / "Games.MAP"));

  run = Zorvan({"unmap", "games", "--yes"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.out, "\"Games\" unmapped")) << run.out;
  EXPECT_EQ(MapFiles(), Lines{"Office.MAP"});
  EXPECT_TRUE(Exists(windows_ / "SYSTEM/Foo.dll"));
  EXPECT_TRUE(Exists(program_ / "WINDIR.TMP")) << "the refresh takes a fresh snapshot";

  // Its files are new again to the next new map.
  run = Zorvan({"new-map", "Games again"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(ReadLines(program_ / "Games again.MAP"), (Lines{"***Games again***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll"}));
}

}  // namespace
}  // namespace zv::testing
