#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_support.h"
#include "platform/posix_test_support.h"
#include "platform/text.h"

namespace zv {
namespace {

using host_testing::AgeFile;
using host_testing::DeadPid;
using host_testing::KillDuringWrite;
using host_testing::Names;
using host_testing::OtherFileSystemFolder;
using host_testing::PosixHostTest;
using testing::ListNames;
using testing::ReadBytes;

// A name as long as the file system allows (255 bytes) is written, replaced,
// copied and moved across file systems like any other: the temporary twin
// beside it has a short name of its own.
TEST_F(PosixHostTest, LongestNamesAreWrittenCopiedAndMovedThroughShortTemporaries) {
  const std::string longest = std::string(251, 'n') + ".MAP";
  host_->WriteFile(Path(longest), "one");
  host_->WriteFile(Path(longest), "two");
  EXPECT_EQ(Get(longest), "two");
  const std::string copy = std::string(251, 'c') + ".MAP";
  EXPECT_TRUE(host_->CopyFile(Path(longest), Path(copy)));
  EXPECT_TRUE(host_->CopyFile(Path(longest), Path(copy)));
  EXPECT_EQ(Get(copy), "two");
  EXPECT_EQ(NamesIn(), (Names{copy, longest}));

  OtherFileSystemFolder other(scratch_.path());
  if (other.path().empty()) return;
  const std::string moved = other.path() + "/" + std::string(255, 'm');
  EXPECT_TRUE(host_->MoveFile(Path(copy), moved));
  EXPECT_EQ(ReadBytes(moved), "two");
  EXPECT_EQ(ListNames(other.path()), Names{std::string(255, 'm')});
  EXPECT_EQ(NamesIn(), Names{longest});
}

// The temporaries are hidden, short, recognisable by their exact form, and
// match no wildcard the program lists its own files with.
TEST_F(PosixHostTest, TemporaryNamesAreShortHiddenAndMatchNoListingOfOurs) {
  posix::UniqueFd fd;
  const std::string temp = posix::CreateTempBeside(Path(std::string(255, 'x')), 0600, &fd);
  ASSERT_FALSE(temp.empty());
  const std::string name = posix::BaseName(temp);
  EXPECT_EQ(posix::ParentFolder(temp), scratch_.path());
  EXPECT_EQ(name[0], '.');
  EXPECT_LE(name.size(), 30u);
  for (const char* pattern : {"*.MAP", "*.tmp", "*.lng", "*.TXT", "*.DAT", "*.INI"}) {
    EXPECT_FALSE(MatchWildcard(pattern, name)) << pattern;
  }
  pid_t pid = 0;
  EXPECT_TRUE(posix::ParseTemporaryName(name, &pid));
  EXPECT_EQ(pid, ::getpid());
  const std::string again = posix::CreateTempBeside(Path("short"), 0600, &fd);
  EXPECT_NE(again, temp);

  for (const char* other : {".zorvan-12-3.tmp", ".zorvan-12-", ".zorvan--3", ".zorvan-012-3", "zorvan-12-3",
                                   ".zorvan-12-3x", ".zorvan-1a-3", ".Zorvan-12-3", ".zorvan-99999999999-1"}) {
    EXPECT_FALSE(posix::ParseTemporaryName(other, &pid)) << other;
  }
}

// A write killed half-way leaves its hidden temporary behind. The clean-up
// removes it once its writer is gone and it has been left alone for a
// while, and removes nothing else: no temporary of a living process, no
// fresh one, no name that merely looks alike, no folder.
TEST_F(PosixHostTest, KilledWritesLeaveTemporariesThatOnlyTheStaleCleanUpRemoves) {
  Put("map.MAP", "old");
  EXPECT_TRUE(KillDuringWrite(*host_, Path("map.MAP")));
  EXPECT_EQ(Get("map.MAP"), "old");
  Names left = NamesIn();
  ASSERT_EQ(left.size(), 2u);
  const std::string killed = left[0];
  pid_t pid = 0;
  ASSERT_TRUE(posix::ParseTemporaryName(killed, &pid));

  const std::string dead = std::to_string(DeadPid());
  const std::string alive = std::to_string(::getpid());
  const Names stale = {killed, ".zorvan-" + dead + "-7"};
  const Names kept = {".zorvan-" + alive + "-1", ".zorvan-" + dead + "-8.tmp", ".other-" + dead + "-1",
                      "zorvan-" + dead + "-1"};
  for (const std::string& name : {stale[1], kept[0], kept[1], kept[2], kept[3]}) Put(name, "");
  ::symlink("nowhere", Path(".zorvan-" + dead + "-9").c_str());  // a link moved across file systems
  ::mkdir(Path(".zorvan-" + dead + "-10").c_str(), 0777);
  Put(".zorvan-" + dead + "-11", "fresh");
  for (const std::string& name : NamesIn()) {
    if (name != ".zorvan-" + dead + "-11") AgeFile(Path(name), 3600);
  }

  EXPECT_EQ(host_->RemoveStaleTemporaries(scratch_.path()), 3);
  Names expected = kept;
  expected.push_back(".zorvan-" + dead + "-10");
  expected.push_back(".zorvan-" + dead + "-11");
  expected.push_back("map.MAP");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(NamesIn(), expected);
  EXPECT_EQ(host_->RemoveStaleTemporaries(Path("missing")), 0);
}

}  // namespace
}  // namespace zv
