#include "mapper/engine/identify.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/recording_view.h"
#include "mapper/engine/viewer.h"
#include "platform/forwarding_host.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::MakeFolders;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

// Fails every read of a file whose path ends with `unreadable`.
class FailingReadHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  std::string ReadFile(const std::string& path) override {
    if (!unreadable.empty() && path.ends_with(unreadable)) throw HostError(path, "Input/output error");
    return ForwardingHost::ReadFile(path);
  }
  std::string ReadOwnFile(const std::string& path, const FileRules& rules) override {
    if (!unreadable.empty() && path.ends_with(unreadable)) throw HostError(path, "Input/output error");
    return ForwardingHost::ReadOwnFile(path, rules);
  }
  std::string unreadable;
};

// Without a message catalogue every text is its key without the "*".
class IdentifyTest : public ::testing::Test {
 protected:
  IdentifyTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    mapper_.program_folder = program_.path();
    mapper_.windows_folder = windows_.path();
    mapper_.view = &view_;
  }

  void WriteMap(const std::string& name, const Lines& entries) {
    Lines lines{"***" + name + "***"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    WriteLines(program_ / (name + ".MAP"), lines);
  }
  void OnDisk(const std::string& relative) { WriteBytes(windows_ / relative, "x"); }
  // Loads the catalogue, then identifies with `answer` typed into the dialog.
  void Identify(const std::string& answer, const std::string& selected_entry = "") {
    LoadMaps(mapper_, "");
    person_.QueueText(answer);
    IdentifyFile(mapper_, "&Identify a file...", selected_entry);
  }
  const FakePerson::Results& Results() const {
    if (person_.results.size() != 1) throw std::logic_error("expected one list of results");
    return person_.results.back();
  }

  ScratchFolder program_, windows_;
  std::unique_ptr<Host> real_;
  FailingReadHost host_;
  FakePerson person_;
  RecordingView view_;
  Mapper mapper_;
};

TEST(IdentifyNamesTest, TheSearchNameIsTheLastComponentAndMatchesOnlyTheEntrysOwnName) {
  EXPECT_EQ(SearchName("/home/ann/.wine/drive_c/windows/system/Foo.dll"), "FOO.DLL");
  EXPECT_EQ(SearchName("c:foo.dll"), "FOO.DLL");
  EXPECT_EQ(SearchName("C:\\WINDOWS\\"), "");

  EXPECT_FALSE(EntryMatches("FOO.DLL\\BAR.TXT", "FOO.DLL"));  // the folder part plays no role
  EXPECT_TRUE(EntryMatches("<DIR> FooDir", "FOODIR"));
  EXPECT_FALSE(EntryMatches("<DIR> FooDir\\Sub", "FOODIR"));
  EXPECT_FALSE(EntryMatches("<DIR> SYSTEM", "DIR"));  // the folder mark is no part of the name
}

TEST_F(IdentifyTest, EveryHitIsListedPresentFirstAndTheMapOfTheLastHitIsShown) {
  OnDisk("SYSTEM/FOO.DLL");
  OnDisk("XFOO.DLL");
  WriteMap("Alpha", {"SYSTEM\\BAR.DLL", "SYSTEM\\FOO.DLL"});
  WriteMap("Beta", {"FOO.DLL", "SYSTEM\\FOO.DLL", "XFOO.DLL"});  // FOO.DLL was deleted
  WriteMap("Gamma", {"FOO.DLL\\README.TXT"});
  const std::string alpha = ReadBytes(program_ / "Alpha.MAP");

  Identify("C:\\WINDOWS\\SYSTEM\\FOO.DLL", "SYSTEM\\FOO.DLL");

  ASSERT_EQ(person_.text_requests.size(), 1u);
  const TextRequest& asked = person_.text_requests[0];
  EXPECT_EQ(asked.caption, "&Identify a file...");
  EXPECT_EQ(asked.note, "INNAME");
  EXPECT_EQ(asked.text, "SYSTEM\\FOO.DLL");
  EXPECT_TRUE(asked.browse);

  EXPECT_EQ(Results().caption, "\"FOO.DLL\"");
  EXPECT_EQ(Results().lines, (Lines{"> SYSTEM\\FOO.DLL (Alpha.MAP)", "> SYSTEM\\FOO.DLL (Beta.MAP)",
                                    "> XFOO.DLL (Beta.MAP)", "X FOO.DLL (Beta.MAP)"}));
  EXPECT_EQ(mapper_.maps.SelectedName(), "Beta");
  // The map list's highlight moves before the map is shown.
  EXPECT_EQ(view_.calls, (Lines{"catalogue Beta", "map FINSTBYBeta\""}));

  EXPECT_EQ(person_.progress_captions, Lines{"Searching..."});
  EXPECT_FALSE(person_.progress_visible);
  EXPECT_FALSE(person_.busy);
  EXPECT_EQ(ReadBytes(program_ / "Alpha.MAP"), alpha);
}

TEST_F(IdentifyTest, PresenceIsTestedAsTheViewerTestsIt) {
  MakeFolders(windows_ / "Program Files/ToolBox");
  OnDisk("FileBox");                     // a file where the map knows a folder
  MakeFolders(windows_ / "DirBox.txt");  // a folder where the map knows a file
  OnDisk("System/LegBox.dll");
  // Legacy absolute entries: one in the Windows folder's form on Wine's
  // drive Z:, and one that names another folder in as many characters, so
  // that cutting the Windows folder's length off it would leave a file that
  // exists.
  std::string z_form = "Z:" + windows_.path();
  std::replace(z_form.begin(), z_form.end(), '/', '\\');
  const std::string legacy = z_form + "\\SYSTEM\\LEGBOX.DLL";
  const std::string elsewhere = "C:" + std::string(windows_.path().size() - 2, 'X') + "\\SYSTEM\\LEGBOX.DLL";
  WriteMap("Tools", {"<DIR> Program Files\\ToolBox", "Program Files\\ToolBox\\tb.exe", "<DIR> OldBox",
                     "<DIR> FileBox", "DirBox.txt", legacy, elsewhere});

  // Searched before the map is shown, which converts the legacy entry.
  const Identification found = SearchMaps(mapper_, "BOX");
  Identify("box");

  EXPECT_EQ(Results().lines,
            (Lines{"> <DIR> Program Files\\ToolBox (Tools.MAP)", "> " + legacy + " (Tools.MAP)",
                   "X <DIR> FileBox (Tools.MAP)", "X <DIR> OldBox (Tools.MAP)", "X " + elsewhere + " (Tools.MAP)",
                   "X DirBox.txt (Tools.MAP)"}));
  // The hits come in the order of the lines, each with its line's parts.
  ASSERT_EQ(found.hits.size(), Results().lines.size());
  for (std::size_t i = 0; i < found.hits.size(); ++i) EXPECT_EQ(ResultLine(found.hits[i]), Results().lines[i]);
}

TEST_F(IdentifyTest, NothingEnteredChangesNothingAndNoHitSaysSo) {
  WriteMap("Alpha", {"SYSTEM\\FOO.DLL"});
  WriteMap("Beta", {"SYSTEM\\BAR.DLL"});
  for (const std::string answer : {"", "C:\\WINDOWS\\"}) {  // cancelled, or no file named
    SCOPED_TRACE(answer);
    Identify(answer);
    EXPECT_TRUE(person_.results.empty());
    EXPECT_TRUE(person_.progress_captions.empty());
    EXPECT_EQ(mapper_.maps.SelectedName(), "Alpha");
    EXPECT_TRUE(view_.group_captions.empty());
  }

  mapper_.maps.selected = 1;
  Identify("nothing.dll");
  EXPECT_EQ(Results().caption, "\"NOTHING.DLL\"");
  EXPECT_EQ(Results().lines, Lines{"NOTMAP"});
  EXPECT_EQ(mapper_.maps.SelectedName(), "Beta");
  EXPECT_TRUE(view_.group_captions.empty());
}

TEST_F(IdentifyTest, AMapThatCannotBeReadEndsTheSearchWithTheWindowsPutBack) {
  WriteMap("Alpha", {"SYSTEM\\FOO.DLL"});
  WriteMap("Beta", {"SYSTEM\\FOO.DLL"});
  LoadMaps(mapper_, "");
  host_.unreadable = "Beta.MAP";
  person_.QueueText("foo.dll");
  EXPECT_THROW(IdentifyFile(mapper_, "Identify", ""), HostError);
  EXPECT_FALSE(person_.progress_visible);
  EXPECT_FALSE(person_.busy);
  EXPECT_TRUE(person_.results.empty());
  EXPECT_EQ(mapper_.maps.SelectedName(), "Alpha");
}

}  // namespace
}  // namespace zv
