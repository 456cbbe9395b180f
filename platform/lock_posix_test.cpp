#include "platform/lock_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::ModeOf;
using host_testing::PosixHostTest;

class LockTest : public PosixHostTest {
 protected:
  // The private folder the locks use below the scratch folder standing for /tmp.
  std::string Private() const { return Path("zorvan-" + std::to_string(::getuid())); }
  std::string Folder(const std::string& runtime) { return posix::LockFolder(runtime, scratch_.path()); }
};

TEST_F(LockTest, TheRuntimeFolderServesWhenItIsOursAndClosedToOthers) {
  const std::string runtime = Path("run");
  ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
  EXPECT_EQ(Folder(runtime), runtime);

  // Any other runtime folder falls back to a private folder made for us.
  ASSERT_EQ(::chmod(runtime.c_str(), 0777), 0);
  for (const std::string& unusable : {runtime, std::string("relative/run"), Path("missing"), std::string()}) {
    SCOPED_TRACE(unusable);
    EXPECT_EQ(Folder(unusable), Private());
    EXPECT_EQ(ModeOf(Private()), 0700u);
  }
}

TEST_F(LockTest, ThePrivateFolderMustBeARealFolderOfOurs) {
  // Opened to others by mistake: it is ours, so it is closed again.
  ASSERT_EQ(::mkdir(Private().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(Private().c_str(), 0777), 0);
  EXPECT_EQ(Folder(""), Private());
  EXPECT_EQ(ModeOf(Private()), 0700u);

  // A link, even to a folder of ours, or a file at its place is refused.
  ASSERT_EQ(::rmdir(Private().c_str()), 0);
  ASSERT_EQ(::mkdir(Path("elsewhere").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(Path("elsewhere").c_str(), Private().c_str()), 0);
  EXPECT_THROW(Folder(""), HostError);
  ASSERT_EQ(::unlink(Private().c_str()), 0);
  Put("zorvan-" + std::to_string(::getuid()), "");
  EXPECT_THROW(Folder(""), HostError);
}

TEST_F(LockTest, ALockIsTakenOnlyInAPlainFileOfOurs) {
  const std::string folder = Folder("");
  auto held = posix::AcquireLock(folder, "DUVO_TEST");
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(ModeOf(folder + "/DUVO_TEST.lock"), 0600u);
  EXPECT_EQ(posix::AcquireLock(folder, "DUVO_TEST"), nullptr);
  held.reset();
  EXPECT_NE(posix::AcquireLock(folder, "DUVO_TEST"), nullptr);

  struct Case {
    const char* name;
    void (*make)(const std::string& path, const std::string& scratch);
  };
  const Case cases[] = {
      {"a folder", [](const std::string& path, const std::string&) { ::mkdir(path.c_str(), 0700); }},
      {"a link to a file of ours",
       [](const std::string& path, const std::string& scratch) {
         testing::WriteBytes(scratch + "/target", "");
         ::symlink((scratch + "/target").c_str(), path.c_str());
       }},
      {"a dangling link", [](const std::string& path, const std::string&) { ::symlink("/nowhere", path.c_str()); }},
      // Opening a pipe must neither block nor pass for a lock.
      {"a pipe", [](const std::string& path, const std::string&) { ::mkfifo(path.c_str(), 0600); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = std::string("DUVO_") + std::to_string(&c - cases);
    c.make(folder + "/" + name + ".lock", scratch_.path());
    try {
      posix::AcquireLock(folder, name);
      ADD_FAILURE() << "taken";
    } catch (const HostError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(folder + "/" + name + ".lock: ", 0), 0u) << error.what();
    }
  }
}

TEST_F(LockTest, AHeldLockNamesItsHolderAndAFolderHasOneLockWhateverItsPath) {
  const std::string folder = Folder("");
  EXPECT_EQ(posix::LockHolder(folder, "DUVO_HOLDER"), "") << "no lock file yet";
  {
    auto held = posix::AcquireLock(folder, "DUVO_HOLDER", "zorvan scan");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(posix::LockHolder(folder, "DUVO_HOLDER"), "zorvan scan (process " + std::to_string(::getpid()) + ")");
  }
  EXPECT_EQ(posix::LockHolder(folder, "DUVO_HOLDER"), "") << "a free lock names nobody, whatever its file says";
  {
    // A holder that says nothing leaves no earlier holder's words behind.
    auto held = posix::AcquireLock(folder, "DUVO_HOLDER");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(posix::LockHolder(folder, "DUVO_HOLDER"), "");
  }

  ASSERT_EQ(::mkdir(Path("program").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(Path("other").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(Path("program").c_str(), Path("link").c_str()), 0);
  const std::string name = posix::FolderLockName(Path("program"));
  EXPECT_EQ(posix::FolderLockName(Path("link")), name);
  EXPECT_EQ(posix::FolderLockName(Path("other/../program")), name);
  EXPECT_NE(posix::FolderLockName(Path("other")), name);
  EXPECT_LT(name.size(), 64u) << "a long path still makes a short file name";
}

}  // namespace
}  // namespace zv
