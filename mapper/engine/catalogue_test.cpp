#include "mapper/engine/catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <random>

#include "mapper/engine/fake_person.h"
#include "mapper/engine/recording_view.h"
#include "mapper/engine/viewer.h"
#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::ListNames;
using testing::ReadBytes;
using testing::ReadLines;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

// Counts writes, and fails every write after the first `writes_allowed`.
class WriteCountingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  void WriteFile(const std::string& path, std::string_view data) override {
    Count(path);
    ForwardingHost::WriteFile(path, data);
  }
  void WriteOwnFile(const std::string& path, std::string_view data, const FileRules& rules) override {
    Count(path);
    ForwardingHost::WriteOwnFile(path, data, rules);
  }
  int writes = 0;
  int writes_allowed = 1 << 30;

 private:
  void Count(const std::string& path) {
    if (writes >= writes_allowed) throw HostError(path, "No space left on device");
    ++writes;
  }
};

class CatalogueTest : public ::testing::Test {
 protected:
  CatalogueTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    mapper_.program_folder = dir_.path();
  }

  void WriteMap(const std::string& file, const Lines& lines) { WriteLines(dir_ / file, lines); }
  Lines MapLines(const std::string& file) { return ReadLines(dir_ / file); }
  void Load(const std::string& select = "") { LoadMaps(mapper_, select); }

  ScratchFolder dir_;
  std::unique_ptr<Host> real_;
  WriteCountingHost host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST(CatalogueNamesTest, MapNamesAndHelpCompanions) {
  EXPECT_EQ(MapNameOf("Foo.map"), "Foo");
  EXPECT_EQ(MapNameOf("My.Map.MAP"), "My");  // the first ".MAP" ends the name
  const struct {
    std::string entry, companion;
  } cases[] = {
      {"SYSTEM\\Foo.hlp", "SYSTEM\\Foo.GID"},
      {"Foo.HLP", "Foo.GID"},
      {"HELP.HLP\\Win.Hlp", "HELP.HLP\\Win.GID"},  // beside the file, not in the folder name
      {"Foo.hlp.bak", ""},
      {"HLP", ""},
      {"A.HLP\\B", ""},
      {"<DIR> Manuals.hlp", ""},  // a folder has no help index
  };
  for (const auto& c : cases) EXPECT_EQ(HelpCompanion(c.entry), c.companion) << c.entry;
}

TEST_F(CatalogueTest, EmptyFolderGivesAnEmptyCatalogue) {
  mapper_.maps = {{"Stale"}, 0};
  Load("Stale");
  EXPECT_TRUE(mapper_.maps.rows.empty());
  EXPECT_EQ(mapper_.maps.selected, -1);
  EXPECT_TRUE(person_.notices.empty());
  EXPECT_FALSE(person_.busy);  // the hourglass is put back
}

TEST_F(CatalogueTest, HeadersComeFromTheFileName) {
  WriteMap("Foo.map", {"***Bar***", "a.dll"});
  WriteMap("Only.MAP", {"***Only***"});
  WriteBytes(dir_ / "Zero.MAP", "");
  WriteMap("Edited.MAP", {"SYSTEM\\Lost.dll", "b.dll"});  // its first line was an entry
  WriteBytes(dir_ / "Lf.MAP", "***x***\nb.dll\na.dll");
  WriteMap(".Hidden.MAP", {"***Hidden***"});
  Load();
  EXPECT_EQ(mapper_.maps.rows, (Lines{"Edited", "Foo", "Lf", "Only", "Zero"}));
  EXPECT_EQ(MapLines("Foo.map"), (Lines{"***Foo***", "a.dll"}));
  EXPECT_EQ(ReadBytes(dir_ / "Only.MAP"), "***Only***\r\n");
  EXPECT_EQ(ReadBytes(dir_ / "Zero.MAP"), "***Zero***\r\n");
  EXPECT_EQ(MapLines("Edited.MAP"), (Lines{"***Edited***", "b.dll"}));
  EXPECT_EQ(ReadBytes(dir_ / "Lf.MAP"), "***Lf***\r\na.dll\r\nb.dll\r\n");
}

TEST_F(CatalogueTest, EntriesAreDedupedCompletedAndSortedInOneWrite) {
  WriteMap("App.MAP", {"***App***", "SYSTEM\\A.hlp", "b.dll", "SYSTEM\\a.HLP", "B.DLL", "<DIR> SYSTEM",
                       "Foo.HLP", "foo.gid", "SYSTEM\\Sub", "SYSTEM|x", "SYSTEM*x"});
  Load();
  EXPECT_EQ(MapLines("App.MAP"), (Lines{"***App***", "<DIR> SYSTEM", "b.dll", "foo.gid", "Foo.HLP", "SYSTEM*x",
                                        "SYSTEM\\A.GID", "SYSTEM\\A.hlp", "SYSTEM\\Sub", "SYSTEM|x"}));
  EXPECT_EQ(host_.writes, 1);
  Load();  // already canonical: nothing to write
  EXPECT_EQ(host_.writes, 1);
}

// Enough entries that the sort cannot get by on small-run insertion: of
// every entry listed in three letter cases, scattered over the file, the
// first in file order is kept. Companions whose order differs from their
// entries' ("x.HLP" sorts after "x.HLA.HLP", "x.GID" before "x.HLA.GID")
// still land in place; a sorted map with a duplicate is still deduped.
TEST_F(CatalogueTest, LargeMapKeepsTheFirstOfEveryCaseVariantInFileOrder) {
  Lines entries = {"x.HLP", "x.HLA.HLP"};
  for (int k = 0; k < 300; ++k) {
    const std::string name = "Dir" + std::to_string(k % 17) + "\\File" + std::to_string(k) + ".dll";
    entries.push_back(name);
    entries.push_back(UpperAscii(name));
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    entries.push_back(lower);
  }
  std::mt19937 random(7);
  std::shuffle(entries.begin(), entries.end(), random);

  Lines expected;
  for (const std::string& entry : entries) {
    const bool seen = std::any_of(expected.begin(), expected.end(),
                                  [&](const std::string& kept) { return EqualsNoCase(kept, entry); });
    if (!seen) expected.push_back(entry);
  }
  expected.push_back("x.GID");
  expected.push_back("x.HLA.GID");
  std::sort(expected.begin(), expected.end(), LessNoCase);
  expected.insert(expected.begin(), "***Big***");

  Lines file = entries;
  file.insert(file.begin(), "***Big***");
  WriteMap("Big.MAP", file);
  Load();
  EXPECT_EQ(MapLines("Big.MAP"), expected);
  EXPECT_EQ(host_.writes, 1);

  Lines sorted_with_duplicate = expected;
  sorted_with_duplicate.insert(sorted_with_duplicate.begin() + 2, UpperAscii(expected[1]));
  WriteMap("Big.MAP", sorted_with_duplicate);
  Load();
  EXPECT_EQ(MapLines("Big.MAP"), expected);
}

TEST_F(CatalogueTest, ReadOnlyMapIsClearedAndRewritten) {
  WriteMap("Ro.MAP", {"***Wrong***", "a.dll"});
  ASSERT_EQ(chmod((dir_ / "Ro.MAP").c_str(), 0444), 0);
  Load();
  struct stat st {};
  ASSERT_EQ(stat((dir_ / "Ro.MAP").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_EQ(MapLines("Ro.MAP"), (Lines{"***Ro***", "a.dll"}));
}

TEST_F(CatalogueTest, SelectionRules) {
  WriteMap("b.MAP", {});
  WriteMap("a.map", {});
  WriteMap("C.Map", {});
  const struct {
    Lines rows_before;
    int selected_before;
    std::string select;
    int expected;
  } cases[] = {
      {{}, -1, "", 0},            // neither: the first row
      {{}, -1, "B", 1},           // the argument, case ignored
      {{"x", "c"}, 1, "", 2},     // the previous selection, case ignored
      {{"C"}, 0, "NoMap", 2},     // an unknown argument keeps the previous one
      {{"Gone"}, 0, "NoMap", 0},  // nothing matches: the first row
      {{"C"}, 0, "a", 0},         // the argument wins over the previous one
  };
  for (const auto& c : cases) {
    mapper_.maps = {c.rows_before, c.selected_before};
    Load(c.select);
    EXPECT_EQ(mapper_.maps.rows, (Lines{"a", "b", "C"}));
    EXPECT_EQ(mapper_.maps.selected, c.expected) << c.select;
  }
}

// A map that cannot be rewritten is still listed (and read as it stands);
// its problem is told once, and the other maps are loaded all the same.
TEST_F(CatalogueTest, AMapThatCannotBeRewrittenIsListedAndTheLoadGoesOn) {
  const std::string second = "***Wrong***\r\nb.dll\r\na.dll\r\n";
  const std::string longest = std::string(251, 'L');  // the longest name a map file can have
  WriteBytes(dir_ / "A.MAP", "***Wrong***\r\na.dll\r\n");
  WriteBytes(dir_ / "B.MAP", second);
  WriteBytes(dir_ / "C.MAP", "***Wrong***\r\nc.dll\r\n");
  WriteMap(longest + ".MAP", {"***x***", "z.dll", "a.dll", "A.DLL"});
  host_.writes_allowed = 1;
  mapper_.maps = {{"C"}, 0};
  Load();
  EXPECT_EQ(mapper_.maps.rows, (Lines{"A", "B", "C", longest}));
  EXPECT_EQ(mapper_.maps.selected, 2);
  EXPECT_EQ(MapLines("A.MAP"), (Lines{"***A***", "a.dll"}));
  EXPECT_EQ(ReadBytes(dir_ / "B.MAP"), second);
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Error");
  for (const std::string& file : {std::string("B.MAP"), std::string("C.MAP"), longest + ".MAP"}) {
    EXPECT_NE(person_.notices[0].text.find(dir_ / file + ": No space left on device"), std::string::npos) << file;
  }
  EXPECT_EQ(ListNames(dir_.path()), (Lines{"A.MAP", "B.MAP", "C.MAP", longest + ".MAP"}));  // no scratch file left
  EXPECT_FALSE(person_.busy);

  EXPECT_THROW(WriteMapHeader(mapper_, "B.MAP", "B"), HostError);
  EXPECT_EQ(ReadBytes(dir_ / "B.MAP"), second);

  host_.writes_allowed = 1 << 30;
  person_ = FakePerson();
  Load();
  EXPECT_EQ(MapLines(longest + ".MAP"), (Lines{"***" + longest + "***", "a.dll", "z.dll"}));
  EXPECT_TRUE(person_.notices.empty());
}

// A "*.MAP" that is not a regular file (a link, even to a map-like file, a
// pipe, a device) or whose name holds a backslash is left out of the
// catalogue, is never written, and is named in the one notice of the load.
TEST_F(CatalogueTest, MapsThatAreNotRegularFilesAreLeftOutWithOneNoticeAndNeverWritten) {
  ScratchFolder outside;
  const std::string outside_map = "***Outside***\r\nb.dll\r\na.dll\r\nb.dll\r\n";
  WriteBytes(outside / "list.txt", outside_map);
  WriteBytes(outside / "locked.txt", outside_map);
  ASSERT_EQ(chmod((outside / "locked.txt").c_str(), 0444), 0);
  ASSERT_EQ(symlink((outside / "list.txt").c_str(), (dir_ / "Link.MAP").c_str()), 0);
  ASSERT_EQ(symlink((outside / "locked.txt").c_str(), (dir_ / "Locked.MAP").c_str()), 0);
  ASSERT_EQ(symlink("/dev/zero", (dir_ / "Zero.MAP").c_str()), 0);
  ASSERT_EQ(mkfifo((dir_ / "Pipe.MAP").c_str(), 0600), 0);
  const std::string slashed = "\\..\\outside\\site.map";
  WriteBytes(dir_.path() + "/" + slashed, "***site***\r\nb\r\na\r\n");
  WriteMap("Good.MAP", {"***x***", "b.dll", "a.dll"});

  Load();
  EXPECT_EQ(mapper_.maps.rows, Lines{"Good"});
  EXPECT_EQ(mapper_.maps.selected, 0);
  EXPECT_EQ(MapLines("Good.MAP"), (Lines{"***Good***", "a.dll", "b.dll"}));
  EXPECT_EQ(ReadBytes(outside / "list.txt"), outside_map);
  EXPECT_EQ(ReadBytes(outside / "locked.txt"), outside_map);
  EXPECT_EQ(ReadBytes(dir_.path() + "/" + slashed), "***site***\r\nb\r\na\r\n");
  ASSERT_EQ(person_.notices.size(), 1u);
  const std::string& text = person_.notices[0].text;
  EXPECT_EQ(person_.notices[0].title, "Error");
  for (const std::string& part : {dir_ / "Link.MAP: is a symbolic link", dir_ / "Locked.MAP: is a symbolic link",
                                  dir_ / "Zero.MAP: is a symbolic link", dir_ / "Pipe.MAP: is a named pipe",
                                  slashed + ": "}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  }
  EXPECT_FALSE(person_.busy);

  EXPECT_THROW(WriteMapHeader(mapper_, "Link.MAP", "Link"), RefusedFileError);
  EXPECT_EQ(ReadBytes(outside / "list.txt"), outside_map);

  // The viewer, which saves a map whose entries it converts, reads under
  // the same rule.
  const std::string legacy = "***Legacy***\r\nC:\\WINDOWS\\SYSTEM\\X.DLL\r\n";
  WriteBytes(outside / "legacy.txt", legacy);
  ASSERT_EQ(symlink((outside / "legacy.txt").c_str(), (dir_ / "Legacy.MAP").c_str()), 0);
  mapper_.windows_folder = "/w";
  mapper_.maps = {{"Legacy"}, 0};
  RecordingView view;
  EXPECT_THROW(ShowMap(mapper_, view), RefusedFileError);
  EXPECT_EQ(ReadBytes(outside / "legacy.txt"), legacy);
}

TEST_F(CatalogueTest, WriteMapHeaderKeepsEveryOtherLine) {
  WriteBytes(dir_ / "X.MAP", "***Old***\nz.dll\rb.dll\r\n\r\nb.dll\n");
  WriteMapHeader(mapper_, "X.MAP", "New");
  EXPECT_EQ(ReadBytes(dir_ / "X.MAP"), "***New***\r\nz.dll\r\nb.dll\r\n\r\nb.dll\r\n");
  WriteBytes(dir_ / "Empty.MAP", "");
  WriteMapHeader(mapper_, dir_ / "Empty.MAP", "Empty");
  EXPECT_EQ(ReadBytes(dir_ / "Empty.MAP"), "***Empty***\r\n");
  EXPECT_THROW(WriteMapHeader(mapper_, "Missing.MAP", "Missing"), HostError);
}

}  // namespace
}  // namespace zv
