// What zorvan maps and zorvan show print, in each format, and that they
// leave the program folder exactly as they found it.
#include <sys/stat.h>

#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

using ZorvanOutputTest = ZorvanTest;

TEST_F(ZorvanOutputTest, ReadingCommandsShowTheDetailedListAndWriteNothing) {
  // A map as careless editing leaves it: a wrong header, a duplicate in
  // another case, unsorted, read-only; and no catalogue unpacked yet.
  WriteLines(program_ / "Foo.map", {"whatever", "win.ini", "SYSTEM\\Foo.dll", "<DIR> SYSTEM", "gone.txt",
                                    "system\\FOO.DLL"});
  ::chmod((program_ / "Foo.map").c_str(), 0444);
  WriteLines(program_ / "Empty.MAP", {"***Empty***"});
  const auto before = Contents(program_.path());
  const std::string w = windows_.path();

  ZorvanRun run = Zorvan({"maps"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "MAP    ENTRIES  PRESENT  MISSING  SIZE\n"
            "Empty        0        0        0  0 bytes\n"
            "Foo          4        3        1  6 bytes\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Zorvan({"maps", "--format=tsv"}).out,
            "map\tentries\tpresent\tmissing\tbytes\n"
            "Empty\t0\t0\t0\t0\n"
            "Foo\t4\t3\t1\t6\n");
  EXPECT_EQ(Zorvan({"--format", "json", "maps", "--host-paths"}).out,
            "{\"format\": 1, \"maps\": [\n"
            "  {\"map\": \"Empty\", \"map_file\": \"" + program_ / "Empty.MAP" + "\", \"entries\": 0, "
            "\"present\": 0, \"missing\": 0, \"bytes\": 0},\n"
            "  {\"map\": \"Foo\", \"map_file\": \"" + program_ / "Foo.MAP" + "\", \"entries\": 4, "
            "\"present\": 3, \"missing\": 1, \"bytes\": 6}\n"
            "]}\n");

  run = Zorvan({"show", "FOO"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "Files installed by \"Foo\"\n"
            "STATE       SIZE  ENTRY\n"
            "present   Folder  <DIR> SYSTEM\n"
            "missing  Deleted  gone.txt\n"
            "present  3 bytes  SYSTEM\\Foo.dll\n"
            "present  3 bytes  win.ini\n"
            "3/4 still on disk, 6 bytes\n");
  EXPECT_EQ(Zorvan({"show", "Foo", "--format=tsv", "--host-paths"}).out,
            "entry\ttype\tstate\tbytes\n" +
            w + "/SYSTEM/\tfolder\tpresent\t\n" +
            w + "/gone.txt\tfile\tmissing\t\n" +
            w + "/SYSTEM/Foo.dll\tfile\tpresent\t3\n" +
            w + "/win.ini\tfile\tpresent\t3\n");
  EXPECT_EQ(Zorvan({"show", "Empty", "--format=json"}).out,
            "{\"format\": 1, \"map\": \"Empty\",\n \"entries\": [],\n \"totals\": {\"entries\": 0, \"present\": 0, "
            "\"missing\": 0, \"bytes\": 0}}\n");
  const std::string json = Zorvan({"show", "Foo", "--format=json"}).out;
  EXPECT_NE(json.find("  {\"entry\": \"gone.txt\", \"type\": \"file\", \"state\": \"missing\", \"bytes\": null},\n"),
            std::string::npos) << json;
  EXPECT_NE(json.find(" \"totals\": {\"entries\": 4, \"present\": 3, \"missing\": 1, \"bytes\": 6"), std::string::npos);

  run = Zorvan({"show", "Bar"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "zorvan: there is no map \"Bar\" in " + program_.path() + ". zorvan maps lists the maps there.\n");

  EXPECT_EQ(Contents(program_.path()), before);
}

TEST_F(ZorvanOutputTest, ShowPrintsEveryRowOfABigMapAlignedToItsWidestCell) {
  // Far more rows than one block of output, and the widest size last: the
  // table is printed row by row, so its widths must come from every row.
  std::vector<std::string> lines = {"***Big***"};
  for (int i = 0; i < 3000; ++i) {
    const std::string name = "file" + std::to_string(10000 + i) + ".dat";
    WriteBytes(windows_ / name, i == 2999 ? std::string(1000, 'x') : "x");
    lines.push_back(name);
  }
  WriteLines(program_ / "Big.MAP", lines);
  const ZorvanRun run = Zorvan({"show", "Big"});
  ASSERT_EQ(run.code, 0) << run.err;
  std::vector<std::string> printed;
  for (std::size_t at = 0, end; (end = run.out.find('\n', at)) != std::string::npos; at = end + 1) {
    printed.push_back(run.out.substr(at, end - at));
  }
  ASSERT_EQ(printed.size(), 3003u);
  EXPECT_EQ(printed[1], "STATE         SIZE  ENTRY");
  EXPECT_EQ(printed[2], "present    1 bytes  file10000.dat");
  EXPECT_EQ(printed[3001], "present  1E3 bytes  file12999.dat");
  EXPECT_EQ(printed[3002], "3000/3000 still on disk, 3.91 Kb");
}

TEST_F(ZorvanOutputTest, IdentifyListsTheHitsTheDialogListsAndWritesNothing) {
  WriteBytes(windows_ / "XFOO.DLL", "x");
  WriteLines(program_ / "Alpha.MAP", {"***Alpha***", "SYSTEM\\Foo.dll", "<DIR> SYSTEM"});
  // Unsorted, with a duplicate in another case: counted once, as once loaded.
  WriteLines(program_ / "Beta.MAP", {"***Beta***", "xfoo.dll", "foo.dll", "SYSTEM\\FOO.DLL", "SYSTEM\\foo.dll"});
  const auto before = Contents(program_.path());
  const std::string w = windows_.path();

  ZorvanRun run = Zorvan({"identify", w + "/SYSTEM/foo.dll", "nothing.txt"});
  ASSERT_EQ(run.code, 1) << "a file no map lists: " << run.err;
  EXPECT_EQ(run.out,
            "\"FOO.DLL\"\n"
            "STATE    MAP    ENTRY\n"
            "present  Alpha  SYSTEM\\Foo.dll\n"
            "present  Beta   SYSTEM\\FOO.DLL\n"
            "present  Beta   xfoo.dll\n"
            "missing  Beta   foo.dll\n"
            "\n"
            "\"NOTHING.TXT\"\n"
            "No map lists this file.\n");
  EXPECT_EQ(Zorvan({"identify", "system", "--format=tsv", "--host-paths"}).out,
            "file\tsearch\tstate\ttype\tmap\tmap_file\tentry\n"
            "system\tSYSTEM\tpresent\tfolder\tAlpha\t" + program_ / "Alpha.MAP" + "\t" + w + "/SYSTEM/\n");
  EXPECT_EQ(Zorvan({"identify", "xfoo.dll", "none", "--format=json"}).out,
            "{\"format\": 1, \"files\": [\n"
            "  {\"file\": \"xfoo.dll\", \"search\": \"XFOO.DLL\", \"hits\": [\n"
            "    {\"state\": \"present\", \"type\": \"file\", \"map\": \"Beta\", \"entry\": \"xfoo.dll\"}\n"
            "  ]},\n"
            "  {\"file\": \"none\", \"search\": \"NONE\", \"hits\": []}\n"
            "]}\n");

  run = Zorvan({"identify", w + "/SYSTEM/"});
  EXPECT_EQ(run.code, 2);
  EXPECT_TRUE(run.err.find("names no file") != std::string::npos) << run.err;
  EXPECT_EQ(Contents(program_.path()), before);
}

TEST_F(ZorvanOutputTest, TheProgramFolderIsTheExecutablesUnlessGiven) {
  const ZorvanRun run = Zorvan({"show", "no map of this name"}, false);
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("in " + BuiltProgramFolder() + ". zorvan maps"), std::string::npos) << run.err;
}

TEST_F(ZorvanOutputTest, ScanReportsWhatItWrote) {
  WriteBytes(windows_.path() + "/bad\\name.txt", "a map line cannot hold it");
  const ZorvanRun run = Zorvan({"scan"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "Snapshot of " + windows_.path() +
                         ": 3 entries in WINDIR.TMP, 1 folder in vigilo.ini, 1 name skipped, 0 lost to a twin in another "
                         "letter case, 0 folders unreadable.\n");
  EXPECT_NE(run.err.find("zorvan: wrote the default ignore list " + program_ / "IGNORLST.TXT"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("zorvan: 1 names skipped (a backslash"), std::string::npos) << run.err;
  EXPECT_EQ(ReadLines(program_ / "vigilo.ini"), Lines{"SYSTEM"});
  EXPECT_TRUE(Exists(program_ / "MESSAGES.DAT")) << "a command that changes files unpacks the texts as the mapper";
}

}  // namespace
}  // namespace zv::testing
