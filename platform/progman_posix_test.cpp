#include "platform/progman_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::EnvGuard;
using host_testing::PosixHostTest;

// Runs a shell command line; answers its exit status and, in *output, what
// it wrote to standard output and standard error.
int RunCommand(const std::string& command, std::string* output) {
  output->clear();
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[512];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output->append(buffer, got);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Installed(const std::string& program) {
  std::string ignored;
  return RunCommand("command -v " + program, &ignored) == 0;
}

// A shell-quoted argument.
std::string Shell(const std::string& text) { return "'" + text + "'"; }

class ProgmanTest : public PosixHostTest {
 protected:
  ProgmanTest() {
    env_.Set("HOME", Path("home"));
    env_.Set("XDG_CONFIG_HOME", Path("config"));
    env_.Set("XDG_DATA_HOME", Path("data"));
  }

  std::unique_ptr<ServiceConversation> Open() { return host_->OpenConversation("Progman", "Progman"); }

  std::string Startup() { return Path("config/autostart"); }
  std::string StartMenu() { return Path("data/applications"); }

  EnvGuard env_;
};

TEST_F(ProgmanTest, GroupsAreTheStartupTheStartMenuOrAFolderBelowPrograms) {
  EXPECT_EQ(host_->OpenConversation("Shell", "Progman"), nullptr);
  EXPECT_NE(host_->OpenConversation("PROGMAN", "progman"), nullptr);
  Put("bin/tool", "#!/bin/sh\n");
  struct Case {
    const char* group;
    std::string folder;  // empty: refused
  };
  const Case cases[] = {
      {"autostart", Startup()}, {"AutoStart", Startup()},   {"..", StartMenu()},
      {"Games", StartMenu() + "/Games"},                     {"\"Quoted Group\"", StartMenu() + "/Quoted Group"},
      {"", ""},                 {"a/b", ""},                  {"..\\x", ""},
      {".", ""},                {"tab\there", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.group);
    auto conversation = Open();
    EXPECT_FALSE(conversation->Execute("[AddItem(" + Path("bin/tool") + ",Tool)]")) << "no group opened yet";
    const bool created = conversation->Execute(std::string("[CreateGroup(") + c.group + ")]\r\n");
    EXPECT_EQ(created, !c.folder.empty());
    EXPECT_EQ(conversation->Execute("[AddItem(" + Path("bin/tool") + ",Tool)]\r\n"), created);
    if (created) {
      EXPECT_TRUE(testing::Exists(c.folder + "/Tool.desktop"));
    }
  }
  EXPECT_EQ(NamesIn("data/applications"), (host_testing::Names{"Games", "Quoted Group", "Tool.desktop"}));

  auto conversation = Open();
  ASSERT_TRUE(conversation->Execute(" [ CreateGroup(..) ] "));
  for (const char* broken : {"CreateGroup(..)", "[CreateGroup(..]", "[Reload(..)]", "[AddItem(only-a-command)]",
                             "[AddItem(" "/bin/sh" ",)]", "[AddItem(/bin/sh,a/b)]", "[AddItem(,Title)]"}) {
    EXPECT_FALSE(conversation->Execute(broken)) << broken;
  }
}

TEST_F(ProgmanTest, AnItemIsAnEntryThatStartsTheProgramInItsFolderWithItsIcon) {
  Put("prog/Vigilo32", "#!/bin/sh\n");
  Put("prog/Zorvan32", "#!/bin/sh\n");
  Put("prog/Zorvan32.png", "png");
  auto conversation = Open();
  ASSERT_TRUE(conversation->Execute("[CreateGroup(autostart)]\r\n"));
  // The stored form joins with "\" and names the program with ".exe".
  ASSERT_TRUE(conversation->Execute("[AddItem(" + Path("prog") + "\\Vigilo32.exe,Zorvan - Vigilo probe)]\r\n"));
  EXPECT_EQ(testing::ReadBytes(Startup() + "/Zorvan - Vigilo probe.desktop"),
            "[Desktop Entry]\nType=Application\nName=Zorvan - Vigilo probe\nExec=" + Path("prog/Vigilo32") +
                "\nPath=" + Path("prog") + "\n");

  ASSERT_TRUE(conversation->Execute("[CreateGroup(..)]"));
  ASSERT_TRUE(conversation->Execute("[AddItem(" + Path("PROG") + "\\zorvan32.EXE,Zorvan)]"));
  EXPECT_EQ(testing::ReadBytes(StartMenu() + "/Zorvan.desktop"),
            "[Desktop Entry]\nType=Application\nName=Zorvan\nExec=" + Path("prog/Zorvan32") +
                "\nPath=" + Path("prog") + "\nIcon=" + Path("prog/Zorvan32.png") + "\n");

  // An entry of that name is replaced whole; a read-only one is left alone.
  ASSERT_TRUE(conversation->Execute("[AddItem(" + Path("prog/Vigilo32") + ",Zorvan)]"));
  EXPECT_NE(testing::ReadBytes(StartMenu() + "/Zorvan.desktop").find("Exec=" + Path("prog/Vigilo32")),
            std::string::npos);
  ::chmod((StartMenu() + "/Zorvan.desktop").c_str(), 0444);
  EXPECT_FALSE(conversation->Execute("[AddItem(" + Path("prog/Zorvan32") + ",Zorvan)]"));
  EXPECT_NE(testing::ReadBytes(StartMenu() + "/Zorvan.desktop").find("Exec=" + Path("prog/Vigilo32")),
            std::string::npos);
  EXPECT_EQ(NamesIn("data/applications"), host_testing::Names{"Zorvan.desktop"}) << "no temporary file left";
}

TEST(ProgmanExec, ArgumentsAreQuotedAndEscapedAsDesktopEntriesAsk) {
  const std::pair<std::string, std::string> cases[] = {
      {"/opt/zorvan/Zorvan32", "/opt/zorvan/Zorvan32"},
      {"/home/ann/my apps/Zorvan32", "\"/home/ann/my apps/Zorvan32\""},
      {"/home/ann/100%/Zorvan32", "/home/ann/100%%/Zorvan32"},
      {"/a$b/x", "\"/a\\\\$b/x\""},
      {"/a\"b`c/x", "\"/a\\\\\"b\\\\`c/x\""},
      {"/back\\slash/x", "\"/back\\\\\\\\slash/x\""},
      {"/it's (new)/x", "\"/it's (new)/x\""},
  };
  for (const auto& [argument, exec] : cases) EXPECT_EQ(posix::ExecValue({argument}), exec) << argument;
  EXPECT_EQ(posix::ExecValue({"/bin/prog", "two words", ""}), "/bin/prog \"two words\" \"\"");
  EXPECT_EQ(posix::DesktopEntry(" lead\ttab", "/p/x", ""),
            "[Desktop Entry]\nType=Application\nName=\\slead\\ttab\nExec=/p/x\nPath=/p\n");
}

// The desktop's own tools read our entries: the validator accepts them, and
// the launcher starts the program from its folder, blanks and shell
// characters in the path included.
TEST_F(ProgmanTest, TheDesktopsToolsAcceptAndStartTheEntry) {
  if (!Installed("desktop-file-validate") || !Installed("gio")) GTEST_SKIP() << "desktop-file-utils or gio missing";
  const std::string folder = Path("my apps (test) $HOME; x");
  testing::WriteBytes(folder + "/Vigilo32",
                      "#!/bin/sh\npwd -P > " + Shell(Path("started")) + ".tmp\nmv " + Shell(Path("started")) +
                          ".tmp " + Shell(Path("started")) + "\n");
  ::chmod((folder + "/Vigilo32").c_str(), 0755);
  testing::WriteBytes(folder + "/Vigilo32.png", testing::ReadBytes(folder + "/Vigilo32"));
  auto conversation = Open();
  ASSERT_TRUE(conversation->Execute("[CreateGroup(autostart)]"));
  ASSERT_TRUE(conversation->Execute("[AddItem(" + folder + "\\Vigilo32.exe,Zorvan - Vigilo probe)]"));
  const std::string entry = Startup() + "/Zorvan - Vigilo probe.desktop";

  std::string output;
  EXPECT_EQ(RunCommand("desktop-file-validate " + Shell(entry), &output), 0) << output;
  EXPECT_EQ(output, "");

  ASSERT_EQ(RunCommand("gio launch " + Shell(entry), &output), 0) << output;
  for (int i = 0; i < 250 && !testing::Exists(Path("started")); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(testing::Exists(Path("started"))) << output;
  EXPECT_EQ(testing::ReadLines(Path("started")),
            std::vector<std::string>{std::filesystem::canonical(folder).string()});
}

}  // namespace
}  // namespace zv
