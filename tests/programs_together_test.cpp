// Both built programs in one program folder: the mapper's scan tells the
// probe which folders to watch, and the probe notices an installation.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kReport[] = ">Changes detected in the Windows folder.";

class ProgramsTogetherTest : public ::testing::Test {
 protected:
  ProgramsTogetherTest() {
    MakeFolders(runtime_.path());
    const std::string built = BuiltProgramFolder();
    symlink((built + "/Zorvan32").c_str(), (program_ / "Zorvan32").c_str());
    WriteBytes(program_ / "English.lng", ReadBytes(built + "/English.lng"));
    WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0"});
    WriteBytes(windows_ / "SYSTEM/Foo.dll", "dll");
    WriteBytes(windows_ / "SYSTEM/COLOR/Blue.bmp", "bmp");
    WriteBytes(windows_ / "win.ini", "ini");
  }

  std::unique_ptr<ChildProcess> Start(const std::string& program, const std::string& argument) {
    const std::map<std::string, std::string> env = ProgramEnvironment(windows_.path(), runtime_.path(), home_.path());
    return std::make_unique<ChildProcess>(BuiltProgramFolder() + "/" + program, std::vector{argument},
                                          program_.path(), env);
  }

  bool Reported(const ChildProcess& probe) const {
    return probe.ErrorOutput().find(kReport) != std::string::npos;
  }

  ScratchFolder program_, windows_, home_, runtime_;
};

TEST_F(ProgramsTogetherTest, TheProbeWatchesWhatTheMapperListedAndReportsAnInstallation) {
  // A stand-in probe while the mapper runs, so that the probe the mapper
  // starts at exit does not race the one this test starts.
  WriteBytes(program_ / "Vigilo32", "#!/bin/sh\nexit 0\n");
  chmod((program_ / "Vigilo32").c_str(), 0755);
  auto mapper = Start("Zorvan32", "");
  ASSERT_TRUE(WaitFor([&] { return Exists(program_ / "vigilo.ini"); }, 30s)) << mapper->ErrorOutput();
  mapper->Signal(SIGTERM);
  ASSERT_EQ(mapper->WaitExit(30s), 0) << mapper->ErrorOutput();
  EXPECT_EQ(ReadLines(program_ / "vigilo.ini"), (std::vector<std::string>{"SYSTEM", "SYSTEM\\COLOR"}));

  unlink((program_ / "Vigilo32").c_str());
  symlink((BuiltProgramFolder() + "/Vigilo32").c_str(), (program_ / "Vigilo32").c_str());
  auto probe = Start("Vigilo32", "FromZorvan");
  // The first tick, a second after the start, only takes snapshots.
  std::this_thread::sleep_for(1500ms);
  WriteBytes(windows_ / "SYSTEM/COLOR/Blue.bmp", "a changed picture, same name");
  WriteBytes(windows_ / "win.ini", "changed settings");
  std::this_thread::sleep_for(2500ms);
  EXPECT_FALSE(Reported(*probe)) << "contents that change are no installation: " << probe->ErrorOutput();

  WriteBytes(windows_ / "SYSTEM/COLOR/New.bmp", "installed");
  EXPECT_TRUE(WaitFor([&] { return Reported(*probe); }, 5s)) << probe->ErrorOutput();
  probe->Signal(SIGTERM);
}

}  // namespace
}  // namespace zv::testing
