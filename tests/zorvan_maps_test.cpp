// zorvan new-map and track as processes: the maps they store are the ones
// the mapper stores, and track maps exactly what the program installed.
#include <signal.h>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/new_map.h"
#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

const std::string kFirst = "Windows (1st map)";

using ZorvanMapsTest = ZorvanTest;

TEST_F(ZorvanMapsTest, TrackMapsExactlyWhatTheProgramInstalled) {
  // No map yet: the tree as it stands becomes the first map, then the
  // program's files the map Foo. The program's output passes through.
  const std::string install =
      "set -e; cd \"$ZORVAN_WINDIR\"; echo installing; mkdir -p App/Empty; echo a > App/a.txt; "
      "echo ro > App/ro.dat; chmod 444 App/ro.dat; ln -s /etc App/etc-link; echo d > SYSTEM/Foo2.DLL; "
      "echo more >> win.ini";
  ZorvanRun run = Zorvan({"track", "Foo", "--", "sh", "-c", install});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "\"" + kFirst + "\" mapped: 3 new entries found.\ninstalling\n\"Foo\" mapped: 6 new entries found.\n");
  EXPECT_TRUE(Holds(run.err, "zorvan: sh ended with exit code 0.")) << run.err;
  EXPECT_EQ(ReadLines(program_ / (kFirst + ".MAP")),
            (Lines{"***" + kFirst + "***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll", "win.ini"}));
  EXPECT_EQ(ReadLines(program_ / "Foo.MAP"), (Lines{"***Foo***", "<DIR> App", "<DIR> App\\Empty", "App\\a.txt",
                                                    "App\\etc-link", "App\\ro.dat", "SYSTEM\\Foo2.DLL"}));
  struct stat st{};
  ASSERT_EQ(::lstat((windows_ / "App/ro.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u) << "mapping changes nothing it maps";

  // Nothing new is not a failure; a failed program is, though what it
  // added is mapped; a program that cannot start maps nothing.
  run = Zorvan({"track", "Bar", "--", "true"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.err, "entries examined: none of them is new")) << run.err;
  EXPECT_TRUE(Holds(run.err, "true added nothing below " + windows_.path())) << run.err;
  EXPECT_FALSE(Exists(program_ / "Bar.MAP"));

  run = Zorvan({"track", "Half", "--", "sh", "-c", "echo h > \"$ZORVAN_WINDIR/half.txt\"; exit 5"});
  EXPECT_EQ(run.code, 5) << "the installer's own status";
  EXPECT_TRUE(Holds(run.err, "sh ended with exit code 5.")) << run.err;
  EXPECT_EQ(ReadLines(program_ / "Half.MAP"), (Lines{"***Half***", "half.txt"}));

  run = Zorvan({"track", "Never", "--", "no-such-installer-zorvan"});
  EXPECT_EQ(run.code, 127);
  EXPECT_TRUE(Holds(run.err, "cannot run no-such-installer-zorvan: No such file or directory")) << run.err;
  EXPECT_FALSE(Exists(program_ / "Never.MAP"));

  // The name is checked before the program runs.
  run = Zorvan({"track", "Foo", "--", "touch", windows_ / "ran"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Holds(run.err, "A map with this name already exists.")) << run.err;
  EXPECT_FALSE(Exists(windows_ / "ran"));
}

TEST_F(ZorvanMapsTest, TrackIntoAnEmptyFolderMapsTheInstallationAlone) {
  // An installation into a fresh prefix: the first map records that the
  // folder held nothing, so the named map holds everything installed.
  ::unlink((windows_ / "win.ini").c_str());
  ::unlink((windows_ / "SYSTEM/Foo.dll").c_str());
  ::rmdir((windows_ / "SYSTEM").c_str());
  const ZorvanRun run = Zorvan({"track", "Tool", "--", "sh", "-c", "mkdir \"$ZORVAN_WINDIR/bin\" && "
                                                               "touch \"$ZORVAN_WINDIR/bin/tool\""});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.err, "the first map \"" + kFirst + "\" is empty")) << run.err;
  EXPECT_EQ(ReadLines(program_ / (kFirst + ".MAP")), Lines{"***" + kFirst + "***"});
  EXPECT_EQ(ReadLines(program_ / "Tool.MAP"), (Lines{"***Tool***", "<DIR> bin", "bin\\tool"}));
  EXPECT_EQ(Zorvan({"maps", "--format=tsv"}).out,
            "map\tentries\tpresent\tmissing\tbytes\n"
            "Tool\t2\t2\t0\t0\n" + kFirst + "\t0\t0\t0\t0\n");
}

TEST_F(ZorvanMapsTest, NewMapStoresTheMapsTheMapperStores) {
  // The first map, taken by the mapper's own first start in one program
  // folder and by zorvan in another, over the same tree.
  WriteBytes(windows_ / "Help/Guide.hlp", "hlp");
  WriteBytes(windows_ / "Cookies/c.txt", "skipped by the default ignore list");
  PrepareForMapper();
  auto mapper = StartMapper();
  ASSERT_TRUE(WaitFor([&] { return Exists(program_ / (kFirst + ".MAP")); }, 60s)) << mapper->ErrorOutput();
  mapper->Signal(SIGTERM);
  ASSERT_EQ(mapper->WaitExit(60s), 0) << mapper->ErrorOutput();

  ScratchFolder other;
  LayOutProgramFolder(other.path());
  ZorvanRun run = Zorvan({"--program-folder", other.path(), "new-map", "Unused"}, false);
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.err, "this first map takes the whole Windows folder")) << run.err;
  EXPECT_EQ(ReadBytes(other / (kFirst + ".MAP")), ReadBytes(program_ / (kFirst + ".MAP")));
  EXPECT_EQ(ReadBytes(other / "IGNORLST.TXT"), ReadBytes(program_ / "IGNORLST.TXT"));

  // A named map: zorvan in one folder, the engine answering the dialog
  // with the same name in the other.
  WriteBytes(windows_ / "SYSTEM/foo.dll.bak", "new");
  WriteBytes(windows_ / "App/Read.HLP", "new");
  MakeFolders(windows_ / "App/Empty");
  run = Zorvan({"--program-folder", other.path(), "new-map", "Foo 2.1"}, false);
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "\"Foo 2.1\" mapped: 4 new entries found.\n");

  FakePerson person;
  Mapper engine(*host_, person);
  engine.program_folder = program_.path();
  engine.windows_folder = windows_.path();
  LoadMaps(engine, "");
  person.QueueText("Foo 2.1");
  CreateNewMap(engine, windows_.path());
  ASSERT_TRUE(Exists(program_ / "Foo 2.1.MAP"));
  EXPECT_EQ(ReadBytes(other / "Foo 2.1.MAP"), ReadBytes(program_ / "Foo 2.1.MAP"));
  EXPECT_EQ(ReadLines(other / "Foo 2.1.MAP"),
            (Lines{"***Foo 2.1***", "<DIR> App", "<DIR> App\\Empty", "App\\Read.GID", "App\\Read.HLP",
                   "SYSTEM\\foo.dll.bak"}));
  EXPECT_EQ(ReadBytes(other / "WINDIR.TMP"), ReadBytes(program_ / "WINDIR.TMP"));
  EXPECT_EQ(ReadBytes(other / "vigilo.ini"), ReadBytes(program_ / "vigilo.ini"));
}

}  // namespace
}  // namespace zv::testing
