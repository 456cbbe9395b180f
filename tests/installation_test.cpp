// Copies of the built programs laid out as the package installs them, and as
// a portable program folder started from elsewhere: where each finds and
// keeps its files.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <signal.h>

#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv::testing {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

struct Outcome {
  std::optional<int> code;
  std::string out, err;
};

class InstallationTest : public ::testing::Test {
 protected:
  InstallationTest() {
    MakeFolders(runtime_.path());
    WriteBytes(windows_ / "SYSTEM/Foo.dll", "dll");
  }

  // A copy of a built program: links would be resolved to the build's folder.
  static void CopyProgram(const std::string& name, const std::string& folder) {
    WriteBytes(folder + "/" + name, ReadBytes(BuiltProgramFolder() + "/" + name));
    chmod((folder + "/" + name).c_str(), 0755);
  }

  // The installation below root_: the programs with their marker, the
  // language file and help page in the shared folder.
  void Install() {
    for (const char* program : {"zorvan", "Zorvan32"}) CopyProgram(program, root_ / "lib/zorvan");
    WriteLines(root_ / "lib/zorvan/zorvan-installation", {"shared=../../share/zorvan"});
    WriteBytes(root_ / "share/zorvan/English.lng", ReadBytes(BuiltProgramFolder() + "/English.lng"));
    WriteBytes(root_ / "share/zorvan/Zvhelp.htm", "help");
  }

  Outcome Zorvan(const std::string& program, const std::vector<std::string>& args,
             std::map<std::string, std::string> env = {}) const {
    for (const auto& [name, value] : ProgramEnvironment(windows_.path(), runtime_.path(), home_.path())) {
      env.emplace(name, value);
    }
    ChildProcess child(program, args, elsewhere_.path(), env);
    Outcome run;
    run.code = child.WaitExit(60s);
    run.out = child.Output();
    run.err = child.ErrorOutput();
    return run;
  }

  ScratchFolder root_, windows_, home_, runtime_, elsewhere_;
};

TEST_F(InstallationTest, AnInstalledZorvanKeepsEachPersonsFilesInTheirDataFolder) {
  Install();
  const std::string zorvan = root_ / "lib/zorvan/zorvan";
  const std::string own = home_ / "data/zorvan";
  Outcome run = Zorvan(zorvan, {"track", "demo", "--", "sh", "-c", "echo x > \"$ZORVAN_WINDIR/demo.txt\""});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Exists(own + "/demo.MAP"));
  EXPECT_TRUE(Exists(own + "/Windows (1st map).MAP"));
  EXPECT_TRUE(Exists(own + "/MESSAGES.DAT")) << "unpacked from the installation's language file";
  EXPECT_EQ(ListNames(root_ / "lib/zorvan"), (Lines{"Zorvan32", "zorvan", "zorvan-installation"}));
  EXPECT_EQ(ListNames(root_ / "share/zorvan"), (Lines{"English.lng", "Zvhelp.htm"}));
  EXPECT_FALSE(Exists(elsewhere_ / "demo.MAP")) << "the working folder plays no part";

  // Another person: another folder, made at their first command.
  run = Zorvan(zorvan, {"maps"}, {{"XDG_DATA_HOME", home_ / "other"}});
  EXPECT_EQ(run.out, "") << run.err;
  EXPECT_TRUE(Exists(home_ / "other/zorvan"));

  // A folder named for the run is a portable program folder.
  LayOutProgramFolder(elsewhere_.path());
  run = Zorvan(zorvan, {"--program-folder", elsewhere_.path(), "new-map", "nothing"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Exists(elsewhere_ / "Windows (1st map).MAP"));
  EXPECT_FALSE(Exists(own + "/nothing.MAP"));
}

TEST_F(InstallationTest, APortableProgramFindsItsFolderFromAnyWorkingFolderOrByTheVariable) {
  ScratchFolder program, copy;
  LayOutProgramFolder(program.path());
  unlink((program / "Zorvan32").c_str());
  CopyProgram("Zorvan32", program.path());
  CopyProgram("zorvan", program.path());
  Outcome run = Zorvan(program / "zorvan", {"new-map", "first"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Exists(program / "Windows (1st map).MAP"));

  // A copy elsewhere finds the program folder through the variable.
  CopyProgram("zorvan", copy.path());
  run = Zorvan(copy / "zorvan", {"maps"}, {{"ZORVAN_PROGRAM_FOLDER", program.path()}});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("Windows (1st map)"), std::string::npos) << run.out;
  run = Zorvan(copy / "zorvan", {"maps"});
  EXPECT_NE(run.code, 0);
  EXPECT_NE(run.err.find(copy.path()), std::string::npos) << "its own folder, without the files: " << run.err;

  // The probe reads the files of its own folder, wherever it was started.
  CopyProgram("Vigilo32", program.path());
  WriteLines(program / "vigilo.ini", {"SYSTEM"});
  std::map<std::string, std::string> env = ProgramEnvironment(windows_.path(), runtime_.path(), home_.path());
  ChildProcess probe(program / "Vigilo32", {"FromZorvan"}, elsewhere_.path(), env);
  ASSERT_TRUE(WaitFor([&] { return HoldsLock(probe.pid(), runtime_ / "DUVO_VIGILO-PROBE.lock"); }, 10s))
      << probe.ErrorOutput();
  probe.Signal(SIGTERM);
  EXPECT_EQ(probe.WaitExit(10s), 0) << probe.ErrorOutput();
  EXPECT_EQ(probe.ErrorOutput().find(">Initialization failure."), std::string::npos) << probe.ErrorOutput();
  EXPECT_EQ(ReadBytes(program / "vigilo.dat"), "A\r\n");
  EXPECT_FALSE(Exists(elsewhere_ / "vigilo.dat"));
}

}  // namespace
}  // namespace zv::testing
