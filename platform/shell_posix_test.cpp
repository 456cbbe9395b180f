#include "platform/host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <string>

#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::EnvGuard;
using host_testing::PosixHostTest;

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (::access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

class ShellOpenTest : public PosixHostTest {
 protected:
  // A program that records its arguments, working folder and parent process,
  // then lingers a little.
  void MakeRecorder(const std::string& relative) {
    Put(relative,
        "#!/bin/sh\n"
        "out=" + Path("marker") + "\n"
        "for a in \"$@\"; do echo \"arg:$a\"; done > \"$out.tmp\"\n"
        "echo \"cwd:$(pwd -P)\" >> \"$out.tmp\"\n"
        "echo \"ppid:$PPID\" >> \"$out.tmp\"\n"
        "mv \"$out.tmp\" \"$out\"\n"
        "sleep 2\n");
    ::chmod(Path(relative).c_str(), 0755);
  }
  std::vector<std::string> Marker() {
    if (!WaitForFile(Path("marker"))) return {"no marker"};
    auto lines = testing::ReadLines(Path("marker"));
    ::unlink(Path("marker").c_str());
    return lines;
  }
};

TEST_F(ShellOpenTest, StartsAProgramDetachedWithItsParametersAndFolder) {
  MakeRecorder("bin/record");
  testing::MakeFolders(Path("work"));
  const std::string work = std::filesystem::canonical(Path("work"));
  const std::string parent = "ppid:" + std::to_string(::getpid());

  EXPECT_EQ(host_->ShellOpen(Path("BIN\\Record.exe"), "one \"two  words\" \"\" last", Path("work"), 1), 42);
  auto lines = Marker();
  ASSERT_EQ(lines.size(), 6u) << lines[0];
  EXPECT_EQ(lines[0], "arg:one");
  EXPECT_EQ(lines[1], "arg:two  words");
  EXPECT_EQ(lines[2], "arg:");
  EXPECT_EQ(lines[3], "arg:last");
  EXPECT_EQ(lines[4], "cwd:" + work);
  EXPECT_NE(lines[5], parent);  // not our child: nobody has to wait for it

  // A relative name is taken in the given folder.
  EXPECT_GT(host_->ShellOpen("RECORD.EXE", "", Path("bin"), 1), 32);
  lines = Marker();
  ASSERT_EQ(lines.size(), 2u) << lines[0];
  EXPECT_EQ(lines[0], "cwd:" + std::string(std::filesystem::canonical(Path("bin"))));
}

TEST_F(ShellOpenTest, StartedProgramsDoNotInheritTheNamedMutex) {
  EnvGuard env;
  env.Set("XDG_RUNTIME_DIR", scratch_.path());
  MakeRecorder("record");
  auto held = host_->AcquireNamedMutex("DUVO_INHERIT");
  ASSERT_NE(held, nullptr);
  ASSERT_EQ(host_->ShellOpen(Path("record"), "", "", 1), 42);
  Marker();  // the program now lingers for a while
  held.reset();
  EXPECT_NE(host_->AcquireNamedMutex("DUVO_INHERIT"), nullptr);
}

TEST_F(ShellOpenTest, MissingFilesAndMissingOpener) {
  EnvGuard env;
  EXPECT_EQ(host_->ShellOpen(Path("missing.exe"), "", "", 1), 2);
  EXPECT_EQ(host_->ShellOpen("missing-document.txt", "", scratch_.path(), 1), 2);
  EXPECT_EQ(host_->ShellOpen("notepad", Path("missing.txt"), "", 1), 2);
  EXPECT_EQ(host_->ShellOpen("x", "", Path("no-such-folder"), 1), 2);
  EXPECT_EQ(host_->ShellOpen("", "", "", 1), 2);

  // Without xdg-open nothing can open a document, a folder or a web page.
  Put("readme.txt", "text");
  testing::MakeFolders(Path("empty-bin"));
  env.Set("PATH", Path("empty-bin"));
  EXPECT_EQ(host_->ShellOpen(Path("README.TXT"), "", "", 1), 31);
  EXPECT_EQ(host_->ShellOpen(scratch_.path(), "", "", 1), 31);
  EXPECT_EQ(host_->ShellOpen("https://example.org/", "", "", 1), 31);
  EXPECT_EQ(host_->ShellOpen("notepad.exe", "\"" + Path("readme.txt") + "\"", "", 1), 31);
}

TEST_F(ShellOpenTest, DocumentsGoToTheDesktopOpener) {
  EnvGuard env;
  MakeRecorder("bin/xdg-open");
  env.Set("PATH", Path("bin") + ":/usr/bin:/bin");
  Put("docs/Read Me.txt", "text");
  EXPECT_EQ(host_->ShellOpen("read me.TXT", "ignored", Path("docs"), 1), 42);
  auto lines = Marker();
  ASSERT_GE(lines.size(), 1u);
  EXPECT_EQ(lines[0], "arg:" + Path("docs/Read Me.txt"));

  EXPECT_EQ(host_->ShellOpen("Notepad", "  \"" + Path("DOCS/read me.txt") + "\" ", "", 1), 42);
  lines = Marker();
  ASSERT_GE(lines.size(), 1u);
  EXPECT_EQ(lines[0], "arg:" + Path("docs/Read Me.txt"));

  EXPECT_EQ(host_->ShellOpen("mailto:ann@example.org", "", "", 1), 42);
  lines = Marker();
  ASSERT_GE(lines.size(), 1u);
  EXPECT_EQ(lines[0], "arg:mailto:ann@example.org");
}


}  // namespace
}  // namespace zv
