#include "mapper/engine/viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "mapper/engine/fake_person.h"
#include "mapper/engine/recording_view.h"
#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::MakeFolders;
using testing::ReadBytes;
using testing::ReadLines;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

// Records every shell request and answers with scripted results; counts writes.
class RecordingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  struct Open {
    std::string file, params, folder;
    int show;
    bool operator==(const Open&) const = default;
  };
  int ShellOpen(const std::string& file, const std::string& params, const std::string& folder,
                int show) override {
    opens.push_back({file, params, folder, show});
    return results.empty() ? 42 : results[std::min(opens.size(), results.size()) - 1];
  }
  void WriteOwnFile(const std::string& path, std::string_view data, const FileRules& rules) override {
    ++writes;
    ForwardingHost::WriteOwnFile(path, data, rules);
  }
  bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                       std::vector<std::int64_t>* sizes) override {
    listed.push_back(path);
    return ForwardingHost::ListFolderSizes(path, out, sizes);
  }
  std::vector<Open> opens;
  std::vector<int> results;
  std::vector<std::string> listed;
  int writes = 0;
};

class ViewerTest : public ::testing::Test {
 protected:
  ViewerTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    mapper_.program_folder = program_.path();
    mapper_.windows_folder = windows_.path();
    mapper_.main_caption = "Zorvan";
    mapper_.texts.is_folder = "(folder)";
    mapper_.texts.is_deleted = "(deleted)";
  }

  void ShowMapOf(const std::string& name, const Lines& entries) {
    Lines lines{"***" + name + "***"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    WriteLines(program_ / (name + ".MAP"), lines);
    mapper_.maps = {{name}, 0};
    Show();
  }
  void Show() { ShowMap(mapper_, view_); }
  const MapListing& Listing() {
    if (view_.listings.empty()) throw std::logic_error("no listing was shown");
    return view_.listings.back();
  }

  ScratchFolder program_, windows_;
  std::unique_ptr<Host> real_;
  RecordingHost host_;
  FakePerson person_;
  Mapper mapper_;
  RecordingView view_;
};

TEST(SizeTextTest, UnitsOnTheCountThreeDigitsOnTheValue) {
  const struct {
    std::uint64_t bytes;
    std::string text;
  } cases[] = {
      {0, "0 bytes"},
      {512, "512 bytes"},
      {999, "999 bytes"},
      {1000, "1E3 bytes"},
      {1023, "1.02E3 bytes"},
      {1024, "1 Kb"},
      {1152, "1.13 Kb"},  // 1.125: a tie rounds away from zero
      {1536, "1.5 Kb"},
      {10240, "10 Kb"},
      {1047552, "1.02E3 Kb"},  // 1023 Kb
      {1048575, "1.02E3 Kb"},
      {1048576, "1 Mb"},
      {123456789, "118 Mb"},
      {1022976000, "976 Mb"},
      {1073741824, "1.02E3 Mb"},
      {1099511627776ULL, "1.05E6 Mb"},
      {1023488, "1E3 Kb"},  // 999.5 rounds up into the next power of ten
      {18446744073709551615ULL, "1.76E13 Mb"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST_F(ViewerTest, DetailedListShowsPresenceSizesAndTotals) {
  mapper_.options.simple_list = false;
  WriteBytes(windows_ / "SYSTEM/X.DLL", std::string(1536, 'x'));
  WriteBytes(windows_ / "a.txt", std::string(512, 'a'));
  MakeFolders(windows_ / "Sub");
  WriteBytes(windows_ / "<DIR> Nope", "a file named as the folder entry reads");
  ShowMapOf("App", {"SYSTEM\\X.DLL", "<DIR> SYSTEM", "Gone.txt", "<DIR> Nope", "A.TXT", "Sub"});

  EXPECT_EQ(view_.GroupCaption(), "FINSTBY" "App\"");
  const MapListing& listing = Listing();
  EXPECT_FALSE(listing.simple);
  const struct {
    std::string caption, size_text;
    int state;
    std::string icon;
  } expected[] = {
      {"<DIR> Nope", "(deleted)", 2, windows_ / "Nope"},
      {"<DIR> SYSTEM", "(folder)", 1, windows_ / "SYSTEM"},
      {"A.TXT", "512 bytes", 1, windows_ / "A.TXT"},  // found whatever the case
      {"Gone.txt", "(deleted)", 2, windows_ / "Gone.txt"},
      {"Sub", "(deleted)", 2, windows_ / "Sub"},  // a folder is not a file
      {"SYSTEM\\X.DLL", "1.5 Kb", 1, windows_ / "SYSTEM/X.DLL"},
  };
  ASSERT_EQ(listing.items.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(listing.items[i].caption, expected[i].caption);
    EXPECT_EQ(listing.items[i].size_text, expected[i].size_text) << expected[i].caption;
    EXPECT_EQ(listing.items[i].state, expected[i].state) << expected[i].caption;
    EXPECT_EQ(listing.items[i].icon_path, expected[i].icon) << expected[i].caption;
  }
  EXPECT_EQ(listing.first_header, "3/6FSTILL");
  EXPECT_EQ(listing.second_header, "2 Kb");
  EXPECT_EQ(view_.animations, (std::vector<bool>{false, true}));
  EXPECT_EQ(host_.writes, 0);  // nothing converted, nothing written
  EXPECT_FALSE(person_.busy);
}

TEST_F(ViewerTest, TotalsBeyondFourGigabytesAreNotWrapped) {
  mapper_.options.simple_list = false;
  for (const char* name : {"big1.bin", "big2.bin"}) {
    WriteBytes(windows_ / name, "");
    std::filesystem::resize_file(windows_ / name, 3ULL << 30);  // sparse: no disk used
  }
  ShowMapOf("Big", {"big1.bin", "big2.bin"});
  EXPECT_EQ(Listing().second_header, "6.14E3 Mb");
}

TEST_F(ViewerTest, PlainListHasNoStatesSizesOrIcons) {
  mapper_.options.simple_list = true;
  mapper_.options.use_sys_icons = false;
  WriteBytes(windows_ / "a.txt", "a");
  ShowMapOf("App", {"b.txt", "a.txt"});
  const MapListing& listing = Listing();
  EXPECT_TRUE(listing.simple);
  ASSERT_EQ(listing.items.size(), 2u);
  EXPECT_EQ(listing.items[0].caption, "a.txt");
  for (const MapItem& item : listing.items) {
    EXPECT_EQ(item.state, 0);
    EXPECT_EQ(item.size_text, "");
    EXPECT_EQ(item.icon_path, "");
  }
}

TEST_F(ViewerTest, LegacyEntriesAreConvertedOnlyWhenTheyBeginWithTheWindowsFolder) {
  // A Windows folder inside a Wine prefix is "C:\windows" to the programs
  // that wrote legacy maps, and "Z:\" + its path with backslashes.
  MakeFolders(windows_ / ".wine/drive_c/windows");
  mapper_.windows_folder = windows_ / ".wine/drive_c/windows";
  std::string z_form = "Z:" + windows_.path() + "\\.wine\\drive_c\\windows";
  std::replace(z_form.begin(), z_form.end(), '/', '\\');
  const struct {
    std::string entry, shown;
  } cases[] = {
      {"C:\\WINDOWS\\SYSTEM\\A_LONG_NAME.DLL", "SYSTEM\\A_LONG_NAME.DLL"},
      {"c:\\windows\\a.txt", "a.txt"},
      {z_form + "\\b.txt", "b.txt"},
      {UpperAscii(z_form) + "\\c.txt", "c.txt"},
      // Anything else stays exactly as it is.
      {"C:\\WINDOWSX\\d.txt", "C:\\WINDOWSX\\d.txt"},
      {"C:\\WINDOWS", "C:\\WINDOWS"},
      {"C:\\WINDOWS\\", "C:\\WINDOWS\\"},
      {"D:\\WINDOWS\\e.txt", "D:\\WINDOWS\\e.txt"},
      {"C:\\Program Files\\f.exe", "C:\\Program Files\\f.exe"},
      {"C:\\X", "C:\\X"},
      {"zz.dll", "zz.dll"},
  };
  Lines entries, shown;
  for (const auto& c : cases) {
    entries.push_back(c.entry);
    shown.push_back(c.shown);
  }
  ShowMapOf("Old", entries);
  Lines saved{"***Old***"};
  saved.insert(saved.end(), shown.begin(), shown.end());
  EXPECT_EQ(ReadLines(program_ / "Old.MAP"), saved);
  EXPECT_EQ(host_.writes, 1);
  Lines captions;
  for (const MapItem& item : Listing().items) captions.push_back(item.caption);
  std::sort(shown.begin(), shown.end(), LessNoCase);
  EXPECT_EQ(captions, shown);

  // Outside a prefix only the "Z:" form names the folder; a map with
  // nothing to convert is not written.
  mapper_.windows_folder = windows_.path();
  std::string plain = "Z:" + windows_.path();
  std::replace(plain.begin(), plain.end(), '/', '\\');
  ShowMapOf("Plain", {plain + "\\SYSTEM\\X.DLL", "C:\\WINDOWS\\Y.DLL"});
  EXPECT_EQ(ReadLines(program_ / "Plain.MAP"), (Lines{"***Plain***", "SYSTEM\\X.DLL", "C:\\WINDOWS\\Y.DLL"}));
  EXPECT_EQ(host_.writes, 2);
  ShowMapOf("Kept", {"C:\\WINDOWS\\Y.DLL"});
  EXPECT_EQ(host_.writes, 2);
}

TEST_F(ViewerTest, MissingMapOrNoSelectionKeepsTheList) {
  mapper_.maps = {{"Ghost"}, 0};
  Show();
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Zorvan");
  EXPECT_EQ(person_.notices[0].text, "Map file of \"Ghost\" (Ghost.MAP) not found");
  mapper_.maps = {{"Ghost"}, -1};
  Show();
  EXPECT_EQ(person_.notices.size(), 1u);
  EXPECT_TRUE(view_.listings.empty());
  EXPECT_EQ(view_.animations, (std::vector<bool>{false, true, false, true}));
}

TEST_F(ViewerTest, ProgressOnAClockInStepsOfSixtyFourEntries) {
  Lines entries;
  for (int i = 0; i < 130; ++i) entries.push_back("f" + std::to_string(i));
  // A period no test outlasts: nothing is repainted.
  mapper_.progress_period = std::chrono::hours(1);
  ShowMapOf("Many", entries);
  EXPECT_TRUE(person_.statuses.empty());
  EXPECT_EQ(person_.pumps, 0);
  // No period: every 64th entry repaints.
  mapper_.progress_period = std::chrono::milliseconds(0);
  ShowMapOf("Many", entries);
  ASSERT_EQ(person_.statuses.size(), 2u);
  EXPECT_EQ(person_.statuses[0].text, "64/130");
  EXPECT_EQ(person_.statuses[1].text, "128/130");
  EXPECT_EQ(person_.statuses[1].colour, kButtonFace);
  EXPECT_EQ(person_.pumps, 2);
}

TEST_F(ViewerTest, DoubleClickOpensTheEntryOrFallsBackToTheEditor) {
  const std::string root = windows_.path();
  host_.results = {42};
  OpenMapEntry(mapper_, "SYSTEM\\X.DLL");
  EXPECT_EQ(host_.opens, (std::vector<RecordingHost::Open>{{root + "/SYSTEM/X.DLL", "", "", 1}}));

  host_.opens.clear();
  host_.results = {31, 42};
  OpenMapEntry(mapper_, "<DIR> SYSTEM\\Sub");
  EXPECT_EQ(host_.opens, (std::vector<RecordingHost::Open>{{root + "/SYSTEM/Sub", "", "", 1},
                                                           {"notepad", root + "/SYSTEM/Sub", "", 1}}));
}

TEST_F(ViewerTest, EntriesLeavingTheWindowsFolderShowMissingAndAreNeverOpened) {
  mapper_.options.simple_list = false;
  // A file beside the Windows folder, one climb away from it.
  ScratchFolder outside;
  WriteBytes(outside / "run.sh", "#!/bin/sh\n");
  WriteBytes(windows_ / "SYSTEM/in.txt", "in");
  const std::string out = LastComponent(outside.path());
  const Lines leaving = {"..\\" + out + "\\run.sh",   "../" + out + "/run.sh",
                         "SYSTEM\\..\\..\\" + out + "\\run.sh", "<DIR> ..\\" + out,
                         "<DIR> SYSTEM\\..",            "C:\\elsewhere\\run.sh",
                         "/" + out + "/run.sh"};
  Lines entries = leaving;
  entries.push_back("SYSTEM\\in.txt");
  ShowMapOf("Climb", entries);

  for (const MapItem& item : Listing().items) {
    const bool inside = item.caption == "SYSTEM\\in.txt";
    EXPECT_EQ(item.state, inside ? 1 : 2) << item.caption;
    EXPECT_EQ(item.size_text, inside ? "2 bytes" : "(deleted)") << item.caption;
    EXPECT_EQ(item.icon_path.empty(), !inside) << item.caption;
  }
  EXPECT_EQ(Listing().first_header, "1/8FSTILL");
  for (const std::string& path : host_.listed) {
    EXPECT_TRUE(StartsWith(path, windows_.path())) << path;
    EXPECT_EQ(path.find(".."), std::string::npos) << path;
  }

  for (const std::string& entry : leaving) OpenMapEntry(mapper_, entry);
  EXPECT_TRUE(host_.opens.empty());
  ASSERT_EQ(person_.notices.size(), leaving.size());
  EXPECT_EQ(person_.notices[0].title, "Error");
  EXPECT_EQ(person_.notices[0].text, "Refused: \"../" + out + "/run.sh\" leaves the Windows folder");
  EXPECT_EQ(person_.notices[3].text, "Refused: \"../" + out + "\" leaves the Windows folder");
}

TEST_F(ViewerTest, AnEntryOfTwentyThousandComponentsIsLookedUpAndShownMissing) {
  mapper_.options.simple_list = false;
  // The first forty levels exist, so the lookup goes some way down.
  std::string existing;
  for (int level = 0; level < 40; ++level) existing += "dd/";
  MakeFolders(windows_ / existing);
  std::string entry;
  for (int level = 0; level < 20000; ++level) entry += "dd\\";
  ASSERT_EQ(entry.size(), 60000u);
  WriteBytes(windows_ / "a.txt", "a");
  ShowMapOf("Long", {entry + "end.txt", "<DIR> " + entry + "end", "a.txt"});

  const MapListing& listing = Listing();
  ASSERT_EQ(listing.items.size(), 3u);
  EXPECT_EQ(listing.first_header, "1/3FSTILL");
  EXPECT_EQ(listing.items[0].state, 2);
  EXPECT_EQ(listing.items[1].caption, "a.txt");
  EXPECT_EQ(listing.items[1].state, 1);
  EXPECT_EQ(listing.items[2].caption, entry + "end.txt");
  EXPECT_EQ(listing.items[2].state, 2);
}

}  // namespace
}  // namespace zv
