#include "mapper/shell/startup_steps.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "mapper/engine/fake_person.h"
#include "platform/forwarding_host.h"
#include "platform/posix_test_support.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::ListNames;
using testing::ReadLines;
using testing::ScratchFolder;
using testing::WriteBytes;

// Records the programs started through the shell instead of starting them,
// and can make the next write fail.
class RecordingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  int ShellOpen(const std::string& file, const std::string& params, const std::string&, int) override {
    opened.push_back(file + " " + params);
    return 42;
  }
  void WriteFile(const std::string& path, std::string_view data) override {
    if (fail_writes) throw HostError(path, "No space left on device");
    ForwardingHost::WriteFile(path, data);
  }
  std::vector<std::string> opened;
  bool fail_writes = false;
};

class StartupStepsTest : public ::testing::Test {
 protected:
  StartupStepsTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    mapper_.program_folder = program_.path();
    mapper_.version_text = kVersionText;
    mapper_.main_caption = "Zorvan 3.0";
  }

  void Touch(const std::string& name) { WriteBytes(program_ / name, "x"); }
  bool Has(const std::string& name) const { return Exists(program_ / name); }

  ScratchFolder program_;
  std::unique_ptr<Host> real_;
  RecordingHost host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST(ProgramInsideWindowsFolder, OnlyTheFolderItselfAndItsSubtreeCount) {
  const struct {
    const char* program;
    const char* windows;
    bool inside;
  } cases[] = {
      {"/usr/local", "/usr/local", true},
      {"/usr/local/zorvan", "/usr/local", true},
      {"/USR/Local/Zorvan", "/usr/local", true},
      {"/usr/local/zorvan", "/usr/local/", true},
      {"/home/ann/usr/local-tools", "/usr/local", false},
      {"/usr/localzorvan", "/usr/local", false},
      {"/usr", "/usr/local", false},
      {"/home/ann/zorvan", "/home/ann/.wine/drive_c/windows", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramInsideWindowsFolder(c.program, c.windows), c.inside) << c.program << " in " << c.windows;
  }
}

TEST_F(StartupStepsTest, RelocationMovesTheProgramFilesAndSaysWhere) {
  ScratchFolder home;
  for (const char* name : {"English.lng", "Italiano.lng", "Zorvan32", "Vigilo32", "ReadMe.txt", "Foo.MAP"}) {
    Touch(name);
  }
  RelocateProgram(mapper_, home.path());
  EXPECT_EQ(ListNames(home / "ZORVAN"),
            (std::vector<std::string>{"English.lng", "Italiano.lng", "ReadMe.txt", "Vigilo32", "Zorvan32"}));
  EXPECT_EQ(ListNames(program_.path()), std::vector<std::string>{"Foo.MAP"}) << "maps stay where they are";
  ASSERT_FALSE(person_.notices.empty());
  const auto& last = person_.notices.back();
  EXPECT_EQ(last.title, "Zorvan");
  EXPECT_EQ(last.text, "Zorvan files removed from Windows folder.\nNew folder is " + home.path() +
                           "/ZORVAN Please, move Zorvan32 to " + home.path() + "/ZORVAN");
  // Each missing file was reported by the guarded move and skipped.
  EXPECT_EQ(person_.notices.size(), 3u);
}

TEST_F(StartupStepsTest, RelocationNeverReplacesFilesAlreadyInTheNewFolder) {
  ScratchFolder home;
  WriteBytes(home / "ZORVAN/English.lng", "newer");
  Touch("English.lng");
  RelocateProgram(mapper_, home.path());
  EXPECT_EQ(testing::ReadBytes(home / "ZORVAN/English.lng"), "newer");
  EXPECT_TRUE(Has("English.lng")) << "the file that could not move stays";
}

TEST_F(StartupStepsTest, CleanUpRemovesFilesOfEarlierVersions) {
  for (const char* name : {"ZV.DAT", "ZORVAN.EXE", "Zorvan32", "Button1.gif", "Button8.GIF", "Guide.GIF",
                           "Button9.GIF"}) {
    Touch(name);
  }
  CleanUpOldFiles(mapper_);
  EXPECT_EQ(ListNames(program_.path()), (std::vector<std::string>{"Button9.GIF", "Zorvan32"}));
}

TEST_F(StartupStepsTest, CleanUpKeepsTheOldProgramWhenItIsTheOnlyOne) {
  Touch("ZORVAN.EXE");
  Touch("Button8.GIF");
  CleanUpOldFiles(mapper_);
  EXPECT_TRUE(Has("ZORVAN.EXE"));
  EXPECT_TRUE(Has("Button8.GIF")) << "the pictures go only when Button1.gif is there";
}

TEST_F(StartupStepsTest, FirstRunPlacesTheRemoteWindowBesideTheCentredMainWindow) {
  Options o;
  PlaceRemoteForFirstRun(o, 1024, 768, 543, 407);
  EXPECT_TRUE(o.remote_control);
  EXPECT_EQ(o.remote_left, 1024 - (1024 - 543) / 2 - 85);
  EXPECT_EQ(o.remote_top, (768 - 407) / 2 + 150);
}

TEST_F(StartupStepsTest, LinkStatesFollowTheDesktopEntries) {
  ScratchFolder config, data;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  ReadLinkStates(mapper_);
  EXPECT_FALSE(mapper_.options.icon1);
  EXPECT_FALSE(mapper_.options.vigilo_on_startup);
  WriteBytes(config / "autostart/Zorvan - Vigilo probe.desktop", "[Desktop Entry]\n");
  WriteBytes(data / "applications/Zorvan.desktop", "[Desktop Entry]\n");
  ReadLinkStates(mapper_);
  EXPECT_TRUE(mapper_.options.icon1);
  EXPECT_TRUE(mapper_.options.vigilo_on_startup);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
}

TEST_F(StartupStepsTest, ProgramFolderWithoutTheMapperIsRefused) {
  EXPECT_FALSE(CheckProgramFolder(mapper_));
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Zorvan 3.0");
  EXPECT_EQ(person_.notices[0].text, "Zorvan cannot start from: " + program_.path());
  Touch("Zorvan32");
  EXPECT_TRUE(CheckProgramFolder(mapper_));
}

TEST_F(StartupStepsTest, ExitWritesSettingsRemovesWorkFilesAndStartsTheProbe) {
  for (const char* name : {"WINDIR.TMP", "id.tmp", "Other.Tmp", "null.htm", "Keep.MAP", "vigilo.ini"}) {
    Touch(name);
  }
  RunExitSteps(mapper_, "Zorvan 3.0", false);
  EXPECT_EQ(ListNames(program_.path()), (std::vector<std::string>{"Keep.MAP", "ZV.INI", "vigilo.ini"}));
  const auto lines = ReadLines(program_ / "ZV.INI");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Zorvan 3.0");
  EXPECT_EQ(lines[1], "Version=3.0");
  EXPECT_EQ(host_.opened, std::vector<std::string>{program_ / "Vigilo32.exe FromZorvan"});
}

// A kill during a write leaves a hidden temporary that no "*.tmp" pattern
// sees; the exit steps remove it once its writer is gone, and leave every
// other hidden file and any file outside the program folder alone, even
// one that a name holding backslashes seems to point at.
TEST_F(StartupStepsTest, ExitRemovesWhatKilledWritesLeftAndOnlyThat) {
  ScratchFolder top;
  mapper_.program_folder = top / "program";
  WriteBytes(top / "outside/Report.TMP", "not ours");
  WriteBytes(top / "program/Keep.MAP", "map");
  WriteBytes(top / "program/.hidden", "");
  WriteBytes(mapper_.program_folder + "/\\..\\outside\\report.tmp", "");
  const std::string alive = ".zorvan-" + std::to_string(::getpid()) + "-3";
  WriteBytes(top / "program" + "/" + alive, "");
  ASSERT_TRUE(host_testing::KillDuringWrite(*real_, top / "program/Keep.MAP"));
  // A move into the trash from another file system copies through a temporary too.
  WriteBytes(top / "program/#TRASH/DEL1Big.dat", "");
  ASSERT_TRUE(host_testing::KillDuringWrite(*real_, top / "program/#TRASH/DEL2Big.dat"));
  for (const std::string& folder : {top / "program", top / "program/#TRASH"}) {
    for (const std::string& name : ListNames(folder)) host_testing::AgeFile(folder + "/" + name, 3600);
  }
  RunExitSteps(mapper_, "Zorvan 3.0", false);
  EXPECT_EQ(ListNames(mapper_.program_folder), (std::vector<std::string>{"#TRASH", ".hidden", alive, "Keep.MAP",
                                                                         "ZV.INI", "\\..\\outside\\report.tmp"}));
  EXPECT_EQ(ListNames(top / "program/#TRASH"), std::vector<std::string>{"DEL1Big.dat"});
  EXPECT_EQ(testing::ReadBytes(top / "outside/Report.TMP"), "not ours");
  EXPECT_EQ(testing::ReadBytes(top / "program/Keep.MAP"), "map");
}

// The settings are a small file: read only as a regular file of at most
// 16 MB, so a pipe or a runaway file named "ZV.INI" never stalls the start.
TEST_F(StartupStepsTest, SettingsAreReadOnlyAsASmallRegularFile) {
  WriteBytes(program_ / "ZV.INI", "Zorvan 3.0\r\nVersion=3.0\r\n");
  EXPECT_EQ(ReadSettingsLines(mapper_), (std::vector<std::string>{"Zorvan 3.0", "Version=3.0"}));
  std::filesystem::resize_file(program_ / "ZV.INI", kSmallFileLimit + 1);
  try {
    ReadSettingsLines(mapper_);
    ADD_FAILURE() << "a settings file over 16 MB was read";
  } catch (const RefusedFileError& e) {
    EXPECT_EQ(std::string(e.what()), program_ / "ZV.INI" + ": larger than 16 MB, more than such a file can hold");
  }
  std::filesystem::remove(program_ / "ZV.INI");
  ASSERT_EQ(mkfifo((program_ / "ZV.INI").c_str(), 0600), 0);
  EXPECT_THROW(ReadSettingsLines(mapper_), RefusedFileError);
}

TEST_F(StartupStepsTest, SettingsThatCannotBeWrittenAreReportedAndTheRestStillRuns) {
  WriteBytes(program_ / "ZV.INI", "Zorvan 3.0\r\nVersion=3.0\r\n");
  Touch("WINDIR.TMP");
  host_.fail_writes = true;
  RunExitSteps(mapper_, "Zorvan 3.0", false);
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Error");
  EXPECT_NE(person_.notices[0].text.find("No space left on device"), std::string::npos);
  EXPECT_EQ(testing::ReadBytes(program_ / "ZV.INI"), "Zorvan 3.0\r\nVersion=3.0\r\n") << "old settings kept whole";
  EXPECT_FALSE(Has("WINDIR.TMP"));
  EXPECT_EQ(host_.opened.size(), 1u);
}

}  // namespace
}  // namespace zv
