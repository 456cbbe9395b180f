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

  std::map<std::string, std::string> Environment(const std::string& folder) const {
    return ProgramEnvironment(windows_.path(), runtime_.path(), home_.path(), folder);
  }

  std::unique_ptr<ChildProcess> Start(const std::string& program, const std::string& argument) {
    return std::make_unique<ChildProcess>(BuiltProgramFolder() + "/" + program, std::vector{argument},
                                          program_.path(), Environment(program_.path()));
  }

  // The program started on the program folder `folder`, which is removed
  // just before.
  std::unique_ptr<ChildProcess> StartInRemovedFolder(const std::string& program, const std::string& folder) {
    MakeFolders(folder);
    return std::make_unique<ChildProcess>(
        "/bin/sh", std::vector<std::string>{"-c", "rmdir \"$1\" && exec \"$0\"", BuiltProgramFolder() + "/" + program, folder},
        folder, Environment(folder));
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
  // The first tick, a second after the window is up, only takes snapshots.
  ASSERT_TRUE(WaitFor([&] { return Exists(runtime_ / "DUVO_VIGILO-PROBE.lock"); }, 30s)) << probe->ErrorOutput();
  std::this_thread::sleep_for(1500ms);
  WriteBytes(windows_ / "SYSTEM/COLOR/Blue.bmp", "a changed picture, same name");
  WriteBytes(windows_ / "win.ini", "changed settings");
  std::this_thread::sleep_for(2500ms);
  EXPECT_FALSE(Reported(*probe)) << "contents that change are no installation: " << probe->ErrorOutput();

  // On a busy machine the probe may take its first snapshot only after a
  // new file came; the next new file is then the installation it reports.
  bool reported = false;
  for (int k = 0; k < 4 && !reported; ++k) {
    WriteBytes(windows_ / ("SYSTEM/COLOR/New" + std::to_string(k) + ".bmp"), "installed");
    reported = WaitFor([&] { return Reported(*probe); }, 5s);
  }
  EXPECT_TRUE(reported) << probe->ErrorOutput();
  probe->Signal(SIGTERM);
}

TEST_F(ProgramsTogetherTest, ALockThatCannotBeTakenIsReportedAndEndsEitherProgram) {
  WriteLines(program_ / "vigilo.ini", {});
  for (const std::string program : {"Zorvan32", "Vigilo32"}) {
    SCOPED_TRACE(program);
    const std::string lock = runtime_ / (program == "Zorvan32" ? "DUVO_ZORVAN.lock" : "DUVO_VIGILO-PROBE.lock");
    MakeFolders(lock);  // a folder where the lock file belongs
    auto process = Start(program, "");
    EXPECT_EQ(process->WaitExit(10s), 0) << process->ErrorOutput();
    EXPECT_NE(process->ErrorOutput().find(lock + ": "), std::string::npos) << process->ErrorOutput();
  }
  EXPECT_FALSE(Exists(program_ / "vigilo.dat")) << "the probe never ran";
  EXPECT_FALSE(Exists(program_ / "WINDIR.TMP")) << "the mapper never ran";
}

TEST_F(ProgramsTogetherTest, OnAProgramFolderThatWasRemovedEitherProgramSaysSoAndCanBeEnded) {
  auto mapper = StartInRemovedFolder("Zorvan32", program_ / "gone");
  EXPECT_EQ(mapper->WaitExit(10s), 0) << mapper->ErrorOutput();
  EXPECT_NE(mapper->ErrorOutput().find("Zorvan cannot start: its program folder " + program_ / "gone" + " is missing"),
            std::string::npos)
      << mapper->ErrorOutput();
  EXPECT_FALSE(Exists(program_ / "gone")) << "a portable program folder is never made";

  // The probe shows its failure and waits for the person to close it.
  auto probe = StartInRemovedFolder("Vigilo32", program_ / "gone too");
  EXPECT_TRUE(WaitFor([&] { return probe->ErrorOutput().find(">Initialization failure.") != std::string::npos; }, 10s))
      << probe->ErrorOutput();
  EXPECT_NE(probe->ErrorOutput().find("The probe's program folder " + program_ / "gone too" + " is missing"),
            std::string::npos)
      << probe->ErrorOutput();
  EXPECT_FALSE(probe->WaitExit(500ms).has_value());
}

TEST_F(ProgramsTogetherTest, TheEndOfTheSessionRunsTheProbesExitSequence) {
  WriteLines(program_ / "vigilo.ini", {"SYSTEM"});
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    WriteLines(program_ / "vigilo.dat", {"Skeep", "a line the probe drops"});
    auto probe = Start("Vigilo32", "FromZorvan");
    ASSERT_TRUE(WaitFor([&] { return HoldsLock(probe->pid(), runtime_ / "DUVO_VIGILO-PROBE.lock"); }, 10s))
        << probe->ErrorOutput();
    probe->Signal(signal);
    EXPECT_EQ(probe->WaitExit(10s), 0) << probe->ErrorOutput();
    EXPECT_EQ(ReadBytes(program_ / "vigilo.dat"), "Skeep\r\n") << "written as the close box writes it";
  }
}

}  // namespace
}  // namespace zv::testing
