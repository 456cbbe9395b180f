#include "platform/host.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::InChild;
using host_testing::LimitFileSize;
using host_testing::ModeOf;
using host_testing::Names;
using host_testing::OtherFileSystemFolder;
using host_testing::PosixHostTest;
using testing::ListNames;
using testing::ReadBytes;
using testing::WriteBytes;

TEST_F(PosixHostTest, MoveNeverReplacesAnExistingTarget) {
  Put("from", "source");
  Put("to", "target");
  EXPECT_FALSE(host_->MoveFile(Path("from"), Path("to")));
  EXPECT_FALSE(host_->MoveFile(Path("from"), Path("TO")));  // the same name in another case
  EXPECT_EQ(Get("from"), "source");
  EXPECT_EQ(Get("to"), "target");

  EXPECT_TRUE(host_->MoveFile(Path("FROM"), Path("moved")));
  EXPECT_EQ(NamesIn(), (Names{"moved", "to"}));
  EXPECT_TRUE(host_->MoveFile(Path("moved"), Path("MOVED")));  // only the case changes
  EXPECT_EQ(NamesIn(), (Names{"MOVED", "to"}));

  Put("dir/inner", "i");
  EXPECT_TRUE(host_->MoveFile(Path("dir"), Path("Dir2")));
  EXPECT_EQ(Get("Dir2/inner"), "i");
  EXPECT_FALSE(host_->MoveFile(Path("nothing"), Path("else")));
}


TEST_F(PosixHostTest, MoveAcrossFileSystemsCopiesWholeThenRemovesTheSource) {
  OtherFileSystemFolder other(scratch_.path());
  if (other.path().empty()) GTEST_SKIP() << "/dev/shm is on the same file system as the scratch folder";
  const std::string big(3 << 20, 'z');
  Put("big.dat", big);
  ::chmod(Path("big.dat").c_str(), 0751);
  const timespec times[2] = {{1000000000, 123456789}, {1200000000, 987654321}};
  ::utimensat(AT_FDCWD, Path("big.dat").c_str(), times, 0);
  const std::string there = other.path() + "/Big.dat";
  ASSERT_TRUE(host_->MoveFile(Path("BIG.DAT"), there));
  struct stat moved;  // before reading it, which may set the access time
  ASSERT_EQ(::stat(there.c_str(), &moved), 0);
  EXPECT_EQ(moved.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(moved.st_atim.tv_nsec, 123456789);
  EXPECT_EQ(moved.st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(moved.st_mtim.tv_nsec, 987654321);
  EXPECT_EQ(ReadBytes(there), big);
  EXPECT_EQ(ModeOf(there), 0751u);
  EXPECT_EQ(NamesIn(), Names{});
  EXPECT_EQ(ListNames(other.path()), Names{"Big.dat"});

  // A link travels as a link.
  ::symlink("somewhere/else", Path("link").c_str());
  ASSERT_TRUE(host_->MoveFile(Path("link"), other.path() + "/link"));
  EXPECT_EQ(std::filesystem::read_symlink(other.path() + "/link"), "somewhere/else");
  EXPECT_EQ(NamesIn(), Names{});

  // Folders are not carried across.
  Put("folder/inner", "i");
  EXPECT_FALSE(host_->MoveFile(Path("folder"), other.path() + "/folder"));
  EXPECT_EQ(Get("folder/inner"), "i");
}

TEST_F(PosixHostTest, FailedMoveAcrossFileSystemsLeavesTheSourceUntouched) {
  OtherFileSystemFolder other(scratch_.path());
  if (other.path().empty()) GTEST_SKIP() << "/dev/shm is on the same file system as the scratch folder";
  Put("file", "source bytes");
  ::chmod(Path("file").c_str(), 0600);
  WriteBytes(other.path() + "/taken", "already there");
  EXPECT_FALSE(host_->MoveFile(Path("file"), other.path() + "/TAKEN"));
  EXPECT_EQ(ReadBytes(other.path() + "/taken"), "already there");

  Put("large", std::string(100000, 'q'));
  const int code = InChild([&] {
    LimitFileSize(1000);
    return host_->MoveFile(Path("large"), other.path() + "/large") ? 1 : 0;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Get("large"), std::string(100000, 'q'));
  EXPECT_EQ(Get("file"), "source bytes");
  EXPECT_EQ(ModeOf(Path("file")), 0600u);
  EXPECT_EQ(ListNames(other.path()), Names{"taken"});  // no temporary left
}

TEST_F(PosixHostTest, MoveAsSpelledKeepsTheNameAndNeverReplaces) {
  Put("a", "first");
  Put("b", "second");
  Put("dest/name", "taken");
  // The folder part is still found in another case; the name is not.
  ASSERT_TRUE(host_->MoveFileAsSpelled(Path("A"), Path("DEST/NAME")));
  EXPECT_EQ(NamesIn("dest"), (Names{"NAME", "name"}));
  EXPECT_EQ(Get("dest/NAME"), "first");
  EXPECT_FALSE(host_->MoveFileAsSpelled(Path("b"), Path("dest/name")));
  EXPECT_EQ(Get("dest/name"), "taken");
  EXPECT_EQ(Get("b"), "second");

  OtherFileSystemFolder other(scratch_.path());
  if (other.path().empty()) return;
  ::chmod(Path("b").c_str(), 0640);
  ASSERT_TRUE(host_->MoveFileAsSpelled(Path("b"), other.path() + "/B"));
  EXPECT_EQ(ReadBytes(other.path() + "/B"), "second");
  EXPECT_EQ(ModeOf(other.path() + "/B"), 0640u);
  EXPECT_EQ(NamesIn(), Names{"dest"});
}

TEST_F(PosixHostTest, CopyReplacesTheTargetWholeWithTheSourceMode) {
  Put("source", "short");
  ::chmod(Path("source").c_str(), 0750);
  Put("target", "a much longer old content");
  ::chmod(Path("target").c_str(), 0600);
  ASSERT_TRUE(host_->CopyFile(Path("source"), Path("target")));
  EXPECT_EQ(Get("target"), "short");
  EXPECT_EQ(ModeOf(Path("target")), 0750u);
  EXPECT_EQ(Get("source"), "short");
  EXPECT_EQ(NamesIn(), (Names{"source", "target"}));

  EXPECT_FALSE(host_->CopyFile(Path("missing"), Path("x")));
  EXPECT_FALSE(host_->CopyFile(Path("source"), Path("nofolder/x")));
  host_->MakeFolder(Path("folder"));
  EXPECT_FALSE(host_->CopyFile(Path("folder"), Path("x")));

  Put("big", std::string(100000, 'b'));
  const int code = InChild([&] {
    LimitFileSize(1000);
    return host_->CopyFile(Path("big"), Path("target")) ? 1 : 0;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Get("target"), "short");
  EXPECT_EQ(NamesIn(), (Names{"big", "folder", "source", "target"}));
}


}  // namespace
}  // namespace zv
