// The built Zorvan32 started as a process in a fresh program folder, with the
// Windows folder pointing at a fresh tree.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "platform/text.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv::testing {
namespace {

using namespace std::chrono_literals;

class MapperProcessTest : public ::testing::Test {
 protected:
  MapperProcessTest() {
    MakeFolders(runtime_.path());
    LayOutProgramFolder(program_.path());
    // A stand-in probe that only records how it was started.
    WriteBytes(program_ / "Vigilo32", "#!/bin/sh\necho \"$@\" > probe-started.txt\n");
    chmod((program_ / "Vigilo32").c_str(), 0755);
    WriteBytes(windows_ / "SYSTEM/Foo.dll", "dll");
    WriteBytes(windows_ / "win.ini", "ini");
  }

  std::map<std::string, std::string> Environment(const std::string& folder) const {
    return ProgramEnvironment(windows_.path(), runtime_.path(), home_.path(), folder);
  }

  // The mapper on the program folder `folder`, started there.
  std::unique_ptr<ChildProcess> Start(const std::string& folder, const std::vector<std::string>& args = {}) {
    return std::make_unique<ChildProcess>(BuiltProgramFolder() + "/Zorvan32", args, folder, Environment(folder));
  }

  // A start as a person makes it: its dialogs wait for an answer.
  std::unique_ptr<ChildProcess> StartAttended() {
    std::map<std::string, std::string> env = Environment(program_.path());
    env["ZORVAN_UNATTENDED"] = "";
    return std::make_unique<ChildProcess>(BuiltProgramFolder() + "/Zorvan32", std::vector<std::string>{},
                                          program_.path(), env);
  }

  std::vector<std::string> MapNames() const {
    std::vector<std::string> maps;
    for (const std::string& name : ListNames(program_.path())) {
      if (name.ends_with(".MAP")) maps.push_back(name);
    }
    return maps;
  }

  // Settings of this version, so that no first-run question is asked.
  void WriteSettings() {
    WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "Blue=Y", "FX=Y", "SimpleMap=Y"});
  }

  ScratchFolder program_, windows_, home_, runtime_;
};

TEST_F(MapperProcessTest, ListsMapsSavesSettingsAndCleansUpAtExit) {
  WriteSettings();
  WriteLines(program_ / "Foo.map", {"whatever", "win.ini", "SYSTEM\\Foo.dll", "system\\foo.DLL"});
  auto mapper = Start(program_.path());
  ASSERT_TRUE(WaitFor([&] { return Exists(program_ / "vigilo.ini"); }, 30s)) << mapper->ErrorOutput();

  // A second mapper ends at once with exit code 0, showing nothing.
  auto second = Start(program_.path());
  EXPECT_EQ(second->WaitExit(10s), 0);
  EXPECT_EQ(second->ErrorOutput(), "");

  mapper->Signal(SIGTERM);
  ASSERT_EQ(mapper->WaitExit(30s), 0) << mapper->ErrorOutput();

  EXPECT_EQ(ReadLines(program_ / "Foo.map"),
            (std::vector<std::string>{"***Foo***", "SYSTEM\\Foo.dll", "win.ini"}));
  const auto settings = ReadBytes(program_ / "ZV.INI");
  EXPECT_TRUE(StartsWith(settings, "Zorvan 3.0\r\nVersion=3.0\r\nRemoteX=")) << settings;
  EXPECT_NE(settings.find("\r\nScanOnStart=N\r\n"), std::string::npos) << settings;
  EXPECT_FALSE(Exists(program_ / "WINDIR.TMP")) << "work files are removed at exit";
  EXPECT_TRUE(WaitFor([&] { return Exists(program_ / "probe-started.txt"); }, 10s));
  EXPECT_EQ(ReadLines(program_ / "probe-started.txt"), std::vector<std::string>{"FromZorvan"});
}

TEST_F(MapperProcessTest, StartsInTheSavedLanguage) {
  WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "Language=Italiano.lng"});
  WriteLines(program_ / "Foo.MAP", {"***Foo***", "win.ini"});
  auto mapper = Start(program_.path());
  ASSERT_TRUE(WaitFor([&] { return Exists(program_ / "vigilo.ini"); }, 30s)) << mapper->ErrorOutput();
  mapper->Signal(SIGTERM);
  ASSERT_EQ(mapper->WaitExit(30s), 0) << mapper->ErrorOutput();
  EXPECT_NE(ReadBytes(program_ / "MESSAGES.DAT").find("\r\nApplicazioni mappate\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(program_ / "ZV.INI").find("\r\nLanguage=Italiano.lng\r\n"), std::string::npos);
}

TEST_F(MapperProcessTest, FirstStartWithoutMapsTakesTheFirstMapWithoutAsking) {
  WriteSettings();
  auto mapper = Start(program_.path());
  ASSERT_TRUE(WaitFor([&] { return Exists(program_ / "Windows (1st map).MAP"); }, 30s)) << mapper->ErrorOutput();
  mapper->Signal(SIGTERM);
  ASSERT_EQ(mapper->WaitExit(30s), 0) << mapper->ErrorOutput();
  EXPECT_EQ(ReadLines(program_ / "Windows (1st map).MAP"),
            (std::vector<std::string>{"***Windows (1st map)***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll", "win.ini"}));
  EXPECT_NE(ReadBytes(program_ / "ZV.INI").find("\r\nScanOnStart=Y\r\n"), std::string::npos)
      << "with no map the start-up scan runs and the option is saved on";
}

TEST_F(MapperProcessTest, StartedFromAFolderWithoutTheProgramEndsWithItsNotice) {
  ScratchFolder elsewhere;
  WriteLines(elsewhere / "ZV.INI", {"Zorvan 3.0", "Version=3.0"});
  WriteBytes(elsewhere / "English.lng", ReadBytes(program_ / "English.lng"));
  auto mapper = Start(elsewhere.path());
  ASSERT_EQ(mapper->WaitExit(30s), 0);
  EXPECT_NE(mapper->ErrorOutput().find("Zorvan cannot start from: " + elsewhere.path()), std::string::npos)
      << mapper->ErrorOutput();
  EXPECT_EQ(ReadLines(elsewhere / "ZV.INI").size(), 2u) << "an early end saves nothing";
}

TEST_F(MapperProcessTest, ATrashFolderThatCannotBeMadeEndsTheProgramSavingNothing) {
  WriteSettings();
  WriteBytes(program_ / "#TRASH", "a file where the trash folder belongs");
  auto mapper = Start(program_.path());
  ASSERT_EQ(mapper->WaitExit(30s), 0);
  EXPECT_NE(mapper->ErrorOutput().find("Error: Cannot create #TRASH folder"), std::string::npos)
      << mapper->ErrorOutput();
  EXPECT_EQ(ReadLines(program_ / "ZV.INI").size(), 5u) << "an early end saves nothing";
  EXPECT_FALSE(Exists(program_ / "IGNORLST.TXT")) << "the program ended before its next step";
  EXPECT_EQ(ReadBytes(program_ / "#TRASH"), "a file where the trash folder belongs");
  usleep(500 * 1000);
  EXPECT_FALSE(Exists(program_ / "probe-started.txt"));
}

TEST_F(MapperProcessTest, MissingOrTruncatedLanguageFileEndsWithItsMessage) {
  WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "Language=Klingon.lng"});
  auto missing = Start(program_.path());
  EXPECT_EQ(missing->WaitExit(30s), 0);
  EXPECT_NE(missing->ErrorOutput().find("Cannot find Klingon.lng"), std::string::npos) << missing->ErrorOutput();

  const std::string whole = ReadBytes(program_ / "English.lng");
  WriteBytes(program_ / "Half.lng", whole.substr(0, whole.size() / 2));
  WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "Language=Half.lng"});
  auto truncated = Start(program_.path());
  EXPECT_EQ(truncated->WaitExit(30s), 0);
  EXPECT_NE(truncated->ErrorOutput().find("Half.lng file corrupt?"), std::string::npos) << truncated->ErrorOutput();
  EXPECT_FALSE(Exists(program_ / "WINDIR.TMP")) << "the program ended before scanning";
}

TEST_F(MapperProcessTest, ASignalDuringAStartUpDialogCancelsItAndEndsTheProgramInOrder) {
  struct Case {
    const char* dialog;
    std::function<void()> prepare;
    std::string shows_soon_after;  // a file that is gone or made just before the dialog
    bool gone;
    const char* saved;  // a line of the settings saved at the end
    std::vector<std::string> maps;
  };
  const Case cases[] = {
      // The first run removes "ZV.DAT" of earlier versions, then asks for a language.
      // Cancelled, it takes the first language file; start-up goes on and
      // takes the first map.
      {"the language chooser", [&] { WriteBytes(program_ / "ZV.DAT", "old"); }, program_ / "ZV.DAT", true,
       "\r\nLanguage=English.lng\r\n", {"Windows (1st map).MAP"}},
      // A scan that finds new files asks for the new map's name.
      {"the new map's name",
       [&] {
         for (const std::string& map : MapNames()) unlink((program_ / map).c_str());
         WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "ScanOnStart=Y"});
         WriteLines(program_ / "Old.MAP", {"***Old***", "win.ini"});
       },
       program_ / "vigilo.ini", false, "\r\nScanOnStart=Y\r\n", {"Old.MAP"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    c.prepare();
    auto mapper = StartAttended();
    ASSERT_TRUE(WaitFor([&] { return Exists(c.shows_soon_after) != c.gone; }, 30s)) << mapper->ErrorOutput();
    mapper->Signal(SIGTERM);
    ASSERT_EQ(mapper->WaitExit(10s), 0) << mapper->ErrorOutput();
    // The dialog got its safe answer, then the window closed in order:
    // settings saved, the probe started.
    EXPECT_EQ(MapNames(), c.maps);
    EXPECT_NE(ReadBytes(program_ / "ZV.INI").find(c.saved), std::string::npos) << ReadBytes(program_ / "ZV.INI");
    EXPECT_TRUE(WaitFor([&] { return Exists(program_ / "probe-started.txt"); }, 10s));

    // The lock went with the process: the next start runs.
    WriteSettings();
    unlink((program_ / "vigilo.ini").c_str());
    auto next = Start(program_.path());
    ASSERT_TRUE(WaitFor([&] { return Exists(program_ / "vigilo.ini"); }, 30s)) << next->ErrorOutput();
    next->Signal(SIGTERM);
    ASSERT_EQ(next->WaitExit(30s), 0) << next->ErrorOutput();
    for (const char* name : {"ZV.INI", "probe-started.txt", "vigilo.ini"}) unlink((program_ / name).c_str());
  }
}

}  // namespace
}  // namespace zv::testing
