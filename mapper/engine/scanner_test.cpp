#include "mapper/engine/scanner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "mapper/engine/fake_person.h"
#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/deep_chain.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::DeepChain;
using testing::Exists;
using testing::ListNames;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::ReadLines;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;

class ScannerTest : public ::testing::Test {
 protected:
  ScannerTest() : host_(NewPosixHost()), mapper_(*host_, person_) {
    mapper_.windows_folder = windows_.path();
    mapper_.program_folder = program_.path();
    Ignore({"\\Temporary Internet Files\\"});
  }

  void Ignore(const std::vector<std::string>& lines) { WriteLines(program_ / kIgnoreListFile, lines); }
  void File(const std::string& relative) { WriteBytes(windows_ / relative, "x"); }
  void Folder(const std::string& relative) { MakeFolders(windows_ / relative); }

  // Scans the Windows folder and answers the snapshot's lines.
  std::vector<std::string> Scan() {
    ScanWindowsFolder(mapper_, windows_.path());
    return ReadLines(program_ / kSnapshotFile);
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  ScratchFolder windows_, program_;
  std::unique_ptr<Host> host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST_F(ScannerTest, IgnoreListLeavesOutMatchingFoldersWithTheirContents) {
  struct Case {
    std::vector<std::string> ignore;
    std::vector<std::string> files;
    std::vector<std::string> present, absent;
  };
  const std::vector<Case> cases = {
      {{"\\Temporary Internet Files\\"},
       {"Temporary Internet Files\\a.htm", "Profile\\Deep\\Temporary Internet Files\\Cache\\b.htm",
        "Temporary Internet Files Old\\c.htm"},
       {"<DIR> Profile\\Deep", "<DIR> Temporary Internet Files Old", "Temporary Internet Files Old\\c.htm"},
       {"<DIR> Temporary Internet Files", "Temporary Internet Files\\a.htm",
        "<DIR> Profile\\Deep\\Temporary Internet Files", "Profile\\Deep\\Temporary Internet Files\\Cache\\b.htm"}},
      // A pattern without backslashes matches anywhere in the name; files never match.
      {{"TEMP"},
       {"TEMP\\a", "Templates\\b", "MyTemp\\c", "Other\\TEMP.txt"},
       {"<DIR> Other", "Other\\TEMP.txt"},
       {"<DIR> TEMP", "<DIR> Templates", "<DIR> MyTemp", "TEMP\\a", "Templates\\b", "MyTemp\\c"}},
      // Only the folder's own name takes part: two levels never match.
      {{"\\A\\B\\"}, {"A\\B\\f"}, {"<DIR> A", "<DIR> A\\B", "A\\B\\f"}, {}},
      // An empty line is an empty pattern and matches nothing; case is ignored.
      {{"", "\\cookies\\"}, {"Cookies\\c.txt", "Kept\\k.txt"}, {"<DIR> Kept", "Kept\\k.txt"}, {"<DIR> Cookies"}},
      // Blanks stay part of a pattern.
      {{" MAIL"}, {"Old Mail\\m", "Mailbox\\n"}, {"<DIR> Mailbox", "Mailbox\\n"}, {"<DIR> Old Mail"}},
  };
  for (const Case& c : cases) {
    ScratchFolder windows;
    mapper_.windows_folder = windows.path();
    Ignore(c.ignore);
    for (const std::string& f : c.files) WriteBytes(windows / f, "x");
    ScanWindowsFolder(mapper_, windows.path());
    const auto lines = ReadLines(program_ / kSnapshotFile);
    for (const std::string& line : c.present) EXPECT_TRUE(Has(lines, line)) << c.ignore[0] << ": " << line;
    for (const std::string& line : c.absent) EXPECT_FALSE(Has(lines, line)) << c.ignore[0] << ": " << line;
  }
}

TEST_F(ScannerTest, ExcludedFileTypesAreNeverRecorded) {
  const std::map<std::string, bool> recorded = {
      {"Foo.tmp", false}, {"Bar.lnk", false},    {"Site.URL", false}, {"Dos.Pif", false},
      {".TMP", false},    {"Foo.tmp.bak", true}, {"tmp", true},       {"Foo.tmpx", true},
      {"Foo.lnk.txt", true}};
  for (const auto& [name, expected] : recorded) File("SYSTEM\\" + name);
  Folder("Cache.tmp");  // extensions concern files only
  const auto lines = Scan();
  for (const auto& [name, expected] : recorded) EXPECT_EQ(Has(lines, "SYSTEM\\" + name), expected) << name;
  EXPECT_TRUE(Has(lines, "<DIR> Cache.tmp"));
}

TEST_F(ScannerTest, SnapshotHasTheMapEntryFormat) {
  File("Win.ini");
  File("SYSTEM\\Foo.dll");
  File("SYSTEM\\Fonts\\Arial.ttf");
  Folder("Empty");
  const auto lines = Scan();

  EXPECT_TRUE(Has(lines, "Win.ini"));
  EXPECT_TRUE(Has(lines, "<DIR> SYSTEM"));
  EXPECT_TRUE(Has(lines, "SYSTEM\\Foo.dll"));
  EXPECT_TRUE(Has(lines, "<DIR> SYSTEM\\Fonts"));
  EXPECT_TRUE(Has(lines, "SYSTEM\\Fonts\\Arial.ttf"));
  EXPECT_TRUE(Has(lines, "<DIR> Empty"));
  EXPECT_EQ(lines.size(), 6u);
  EXPECT_EQ(mapper_.entry_counter, lines.size());

  const std::string bytes = ReadBytes(program_ / kSnapshotFile);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 6);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 6);
  EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);

  // The probe list names the same folders in the same order.
  std::vector<std::string> folders;
  for (const std::string& line : lines) {
    if (StartsWith(line, "<DIR> ")) folders.push_back(line.substr(6));
  }
  EXPECT_EQ(ReadLines(program_ / kProbeFolderList), folders);
  EXPECT_EQ(ReadBytes(program_ / kProbeFolderList).size(), 3 * 2 + std::string("SYSTEMSYSTEM\\FontsEmpty").size());

  // No per-level listing is ever left behind.
  for (const std::string& name : ListNames(program_.path())) EXPECT_FALSE(StartsWith(UpperAscii(name), "DIR"));
}

TEST_F(ScannerTest, WalkIsDepthFirstPreOrder) {
  // One entry per folder gives a fixed enumeration order.
  File("A\\B\\C\\f.txt");
  Scan();
  EXPECT_EQ(ReadBytes(program_ / kSnapshotFile), "<DIR> A\r\n<DIR> A\\B\r\n<DIR> A\\B\\C\r\nA\\B\\C\\f.txt\r\n");

  // In a bushy tree every subtree is one contiguous run that starts with
  // its folder's line.
  for (const char* f : {"A\\1", "A\\2", "A\\X\\3", "A\\X\\Y\\4", "B\\5", "B\\Z\\6", "7", "8"}) File(f);
  const auto lines = Scan();
  std::vector<std::string> open;  // the folders whose subtree is being written
  std::set<std::string> closed;
  for (const std::string& line : lines) {
    const bool folder = StartsWith(line, "<DIR> ");
    const std::string path = folder ? line.substr(6) : line;
    const std::size_t cut = path.rfind('\\');
    const std::string parent = cut == std::string::npos ? "" : path.substr(0, cut);
    while (!open.empty() && open.back() != parent) {
      closed.insert(open.back());
      open.pop_back();
    }
    ASSERT_TRUE(parent.empty() || !open.empty()) << line << " comes outside its folder's run";
    EXPECT_EQ(closed.count(path), 0u) << line;
    if (folder) open.push_back(path);
  }
  EXPECT_EQ(lines.size(), 16u);
}

TEST_F(ScannerTest, SymbolicLinksAreFilesAndNeverFollowed) {
  Folder("SYSTEM\\Sub");
  File("SYSTEM\\Sub\\real.dll");
  std::filesystem::create_directory_symlink("..", windows_ / "SYSTEM\\Sub\\loop");
  std::filesystem::create_directory_symlink(windows_.path(), windows_ / "root");
  const auto lines = Scan();
  EXPECT_TRUE(Has(lines, "SYSTEM\\Sub\\loop"));
  EXPECT_TRUE(Has(lines, "root"));
  EXPECT_FALSE(Has(lines, "<DIR> SYSTEM\\Sub\\loop"));
  EXPECT_FALSE(Has(lines, "<DIR> root"));
  EXPECT_EQ(lines.size(), 5u);
}

TEST_F(ScannerTest, UnreadableFolderIsListedEmptyAndTheWalkGoesOn) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  File("Locked\\secret.txt");
  File("Zafter\\seen.txt");
  File("Before\\seen.txt");
  ASSERT_EQ(::chmod((windows_ / "Locked").c_str(), 0), 0);
  const auto lines = Scan();
  ::chmod((windows_ / "Locked").c_str(), 0700);
  EXPECT_TRUE(Has(lines, "<DIR> Locked"));
  EXPECT_FALSE(Has(lines, "Locked\\secret.txt"));
  EXPECT_TRUE(Has(lines, "Zafter\\seen.txt"));
  EXPECT_TRUE(Has(lines, "Before\\seen.txt"));
  EXPECT_EQ(mapper_.unreadable_folders, 1u);
}

// Refuses to list or open the folders of one name, as a folder without
// reading rights would.
class RefusingHost : public ForwardingHost {
 public:
  RefusingHost(Host& target, std::string refused) : ForwardingHost(target), refused_(std::move(refused)) {}
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    if (name != refused_) return ForwardingHost::ListSubfolder(parent, name, out, opened);
    out->clear();
    if (opened != nullptr) opened->reset();
    return false;
  }
  std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) override {
    return name == refused_ ? nullptr : ForwardingHost::OpenSubfolder(parent, name);
  }

 private:
  std::string refused_;
};

TEST_F(ScannerTest, FoldersThatCannotBeReadAreCountedAndReported) {
  File("Locked\\secret.txt");
  File("Open\\Locked\\deeper.txt");
  File("Open\\seen.txt");
  RefusingHost refusing(*host_, "Locked");
  Mapper mapper(refusing, person_);
  mapper.windows_folder = windows_.path();
  mapper.program_folder = program_.path();
  ScanWindowsFolder(mapper, windows_.path());
  const auto lines = ReadLines(program_ / kSnapshotFile);
  EXPECT_TRUE(Has(lines, "<DIR> Locked"));
  EXPECT_TRUE(Has(lines, "<DIR> Open\\Locked"));
  EXPECT_TRUE(Has(lines, "Open\\seen.txt"));
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_EQ(mapper.unreadable_folders, 2u);

  // A Windows folder that is not there is one folder that cannot be read,
  // and says nothing of the tree: the last scan's snapshot stays.
  ScanWindowsFolder(mapper, windows_ / "Gone");
  EXPECT_EQ(ReadLines(program_ / kSnapshotFile), lines);
  EXPECT_EQ(mapper.unreadable_folders, 1u);
  WriteLines(program_ / "MESSAGES.DAT", {"*UNREADABLE", " unreadable", "*NOWINDIR", "Cannot read: ", "*ENDMESSAGES"});
  EXPECT_EQ(ScanReportText(mapper), "Cannot read: " + (windows_ / "Gone"));

  // The status line gives every count in the language's texts.
  File("bad\\x.txt");
  std::filesystem::rename(windows_ / "bad", windows_.path() + "/ba\\d");
  File("Open\\SEEN.TXT");
  WriteLines(program_ / "MESSAGES.DAT",
             {"*SKIPNAMES", " left out", "*CASETWINS", " twins", "*UNREADABLE", " unreadable", "*ENDMESSAGES"});
  ScanWithProgress(mapper, windows_.path(), "Scanning...");
  EXPECT_EQ(person_.LastStatus().text, "1 left out; 1 twins; 2 unreadable");
  EXPECT_EQ(ScanReportText(mapper), person_.LastStatus().text);
  EXPECT_EQ(mapper.unreadable_root, "");
  mapper.skipped_names = mapper.twin_names = mapper.unreadable_folders = 0;
  EXPECT_EQ(ScanReportText(mapper), "");
}

// Names are tested eight bytes at a time: every byte that cannot stand in a
// map line is found wherever it sits, and every other byte passes.
TEST(NameFitsMapTest, FindsAnUnfitByteAtAnyPlace) {
  const auto fits_byte = [](unsigned char b) { return b >= 0x20 && b != 0x7F && b != '\\'; };
  for (std::size_t length = 1; length <= 20; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      for (int b = 0; b < 256; ++b) {
        // The other bytes run through the printable and the high ones.
        std::string name;
        for (std::size_t i = 0; i < length; ++i) name += static_cast<char>(0x20 + (i * 37) % 0xDF);
        std::replace(name.begin(), name.end(), '\\', 'x');
        std::replace(name.begin(), name.end(), '\x7F', 'y');
        name[at] = static_cast<char>(b);
        ASSERT_EQ(NameFitsMap(name), fits_byte(static_cast<unsigned char>(b)))
            << "byte " << b << " at " << at << " of " << length;
      }
    }
  }
  EXPECT_TRUE(NameFitsMap(""));
}

TEST_F(ScannerTest, NamesAMapLineCannotHoldAreSkippedWithTheirSubtreeAndCounted) {
  File("Good\\ok.txt");
  File("Back\\slash\\inner.txt");  // on Linux "Back\slash" is one folder name
  File("new\nline.dll");
  File(std::string("bell\x07.txt"));
  File(std::string("del\x7F.txt"));
  File("tab\there.txt");
  std::filesystem::rename(windows_ / "Back", windows_.path() + "/Back\\slash");
  MakeFolders(windows_.path() + "/Back\\slash/Deeper");
  const auto lines = Scan();
  EXPECT_EQ(lines, (std::vector<std::string>{"<DIR> Good", "Good\\ok.txt"}));
  EXPECT_EQ(mapper_.skipped_names, 5u);
  EXPECT_EQ(mapper_.entry_counter, 2u);

  ScanWithProgress(mapper_, windows_.path(), "Refreshing tree...");
  EXPECT_EQ(person_.LastStatus().text, "5SKIPNAMES");
  EXPECT_EQ(person_.LastStatus().colour, kButtonFace);
}

TEST_F(ScannerTest, NoLimitOnDepthOrOnIgnoreLines) {
  std::string deep;
  for (int level = 0; level < 20; ++level) deep += "L" + std::to_string(level) + "\\";
  File(deep + "bottom.txt");
  std::vector<std::string> ignore;
  for (int i = 0; i < 40; ++i) ignore.push_back("\\NEVER" + std::to_string(i) + "\\");
  ignore.push_back("\\Last\\");
  Ignore(ignore);
  File("Last\\hidden.txt");

  const auto lines = Scan();
  EXPECT_TRUE(Has(lines, deep + "bottom.txt"));
  EXPECT_EQ(lines.size(), 21u);
  EXPECT_FALSE(Has(lines, "<DIR> Last"));
}

// Counts the process's open descriptors at every subfolder listing, and the
// folders opened again.
class DescriptorCountingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    const auto open = std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                    std::filesystem::directory_iterator());
    most_open = std::max<long>(most_open, open);
    return ForwardingHost::ListSubfolder(parent, name, out, opened);
  }
  std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) override {
    ++reopened;
    return ForwardingHost::OpenSubfolder(parent, name);
  }
  long most_open = 0;
  int reopened = 0;
};

// The walk keeps the folders of its path that have subfolders left to list
// open, to list those by name; far down it lets go of the oldest and opens
// them again when it climbs back, so it never holds more than a bounded
// number of descriptors however deep the tree, and no path is too long for
// it.
TEST_F(ScannerTest, ATreeDeeperThanTheFoldersHeldOpenIsWalkedWhole) {
  // 130 levels of 60-byte names: paths of about 8,000 bytes, twice what one
  // path may hold.
  const DeepChain chain(windows_.path(), 130, 60);
  ASSERT_GT(chain.deepest().size(), 7000u);
  DescriptorCountingHost counting(*host_);
  Mapper mapper(counting, person_);
  mapper.windows_folder = windows_.path();
  mapper.program_folder = program_.path();
  const auto before = std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                    std::filesystem::directory_iterator());
  ScanWindowsFolder(mapper, windows_.path());
  const auto lines = ReadLines(program_ / kSnapshotFile);
  const std::set<std::string> got(lines.begin(), lines.end());
  std::vector<std::string> missing;
  std::set_difference(chain.lines().begin(), chain.lines().end(), got.begin(), got.end(),
                      std::back_inserter(missing));
  EXPECT_EQ(missing.size(), 0u) << "lines missing from the snapshot";
  EXPECT_EQ(lines.size(), chain.lines().size());
  EXPECT_TRUE(Has(lines, chain.deepest() + "\\f.txt"));
  EXPECT_EQ(mapper.unreadable_folders, 0u);
  EXPECT_GT(counting.most_open, before);  // folders were listed relative to an open parent
  EXPECT_LE(counting.most_open, before + 70);
  EXPECT_GT(counting.reopened, 0);  // some sides came after the chain below them
}

TEST_F(ScannerTest, MissingIgnoreListStopsTheScanAndKeepsTheOldSnapshot) {
  File("a.txt");
  Scan();
  const std::string before = ReadBytes(program_ / kSnapshotFile);
  std::filesystem::remove(program_ / kIgnoreListFile);
  File("b.txt");
  EXPECT_THROW(ScanWindowsFolder(mapper_, windows_.path()), HostError);
  EXPECT_EQ(ReadBytes(program_ / kSnapshotFile), before);

  person_.busy = false;
  EXPECT_THROW(ScanWithProgress(mapper_, windows_.path(), "Scanning..."), HostError);
  EXPECT_FALSE(person_.busy);
}

TEST_F(ScannerTest, ScanWithProgressShowsItsPhasesAndKeepsTheWindowAlive) {
  for (int i = 0; i < 5000; ++i) File("Many\\f" + std::to_string(i));
  for (const bool busy_before : {false, true}) {
    person_ = FakePerson();
    person_.busy = busy_before;
    ScanWithProgress(mapper_, windows_.path(), "Refreshing tree...");
    EXPECT_EQ(person_.busy, busy_before);
    EXPECT_EQ(person_.progress_captions, std::vector<std::string>{"Refreshing tree..."});
    ASSERT_GE(person_.progress_messages.size(), 2u);
    EXPECT_EQ(person_.progress_messages[0], "Initializing...");
    EXPECT_EQ(person_.progress_messages[1], "4096 entries");
    EXPECT_EQ(person_.pumps, 2);
    EXPECT_FALSE(person_.progress_visible);  // the callers show and hide it
    EXPECT_TRUE(person_.statuses.empty());
  }
  EXPECT_EQ(mapper_.entry_counter, 5001u);
}

// Reports chosen places, so the default lines can be checked for any layout.
class PlacesHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  std::string temp;
  std::map<int, std::string> special;
  std::string GetSystemFolder(int kind) override { return kind == 2 ? temp : ForwardingHost::GetSystemFolder(kind); }
  std::string SpecialFolderPath(int id) override { return special.count(id) ? special[id] : std::string(); }
};

TEST_F(ScannerTest, DefaultIgnoreList) {
  const std::vector<std::string> fixed = {"\\Temporary Internet Files\\", "\\Cronologia\\", "\\Cookies\\", "\\Pif\\",
                                          "\\Applog\\"};
  struct Case {
    std::string temp;
    std::map<int, std::string> special;  // 8 Recent, 11 Start Menu, 16 Desktop, 6 Favorites
    std::vector<std::string> extra;
  };
  const std::vector<Case> cases = {
      {"/w/WINDOWS/TEMP/",
       {{8, "/w/WINDOWS/Recent"}, {11, "/w/WINDOWS/Start Menu"}, {16, "/w/WINDOWS/Desktop"}, {6, "/w/WINDOWS/Favorites"}},
       {"\\TEMP\\", "\\Recent\\", "\\Start Menu\\", "\\Desktop\\", "\\Favorites\\"}},
      // Unknown places give no line, and the Windows folder itself no lone "\".
      {"/w/WINDOWS/", {{11, "/w/WINDOWS"}, {16, ""}}, {}},
      // Places outside the Windows folder give no line: cut at its length
      // they would read "Desktop\" and skip unrelated folders.
      {"/tmp/", {{11, "/home/ann/.local/share/applications"}, {16, "/home/ann/Desktop"}}, {}},
      {"/w/WINDOWS-old/TEMP/", {{16, "/w/windows/Desk"}}, {"\\Desk\\"}},
  };
  PlacesHost places(*host_);
  Mapper mapper(places, person_);
  mapper.windows_folder = "/w/WINDOWS";
  mapper.program_folder = program_.path();
  for (const Case& c : cases) {
    places.temp = c.temp;
    places.special = c.special;
    std::vector<std::string> expected = fixed;
    expected.insert(expected.end(), c.extra.begin(), c.extra.end());
    WriteDefaultIgnoreList(mapper);
    EXPECT_EQ(ReadLines(program_ / kIgnoreListFile), expected) << c.temp;
    EXPECT_EQ(ReadBytes(program_ / kIgnoreListFile), JoinLines(expected));
  }
}

}  // namespace
}  // namespace zv
