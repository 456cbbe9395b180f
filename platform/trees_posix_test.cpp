#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/posix_support.h"
#include "platform/posix_test_support.h"
#include "tests/support/deep_chain.h"

namespace zv {
namespace {

using host_testing::ModeOf;
using host_testing::Names;
using host_testing::OtherFileSystemFolder;
using host_testing::PosixHostTest;
using testing::ReadBytes;
using testing::WriteBytes;

// Every case runs with openat2 (where the kernel has it) and with the walk
// one component at a time.
class TreeTest : public PosixHostTest, public ::testing::WithParamInterface<bool> {
 protected:
  TreeTest() { posix::SetTreesUseOpenat2(GetParam()); }
  ~TreeTest() override { posix::SetTreesUseOpenat2(true); }

  void Link(const std::string& target, const std::string& relative) {
    ASSERT_EQ(::symlink(target.c_str(), Path(relative).c_str()), 0);
  }
  TreeFind What(TreeHandle& tree, const std::string& relative) { return host_->LookInTree(tree, relative).what; }
};

INSTANTIATE_TEST_SUITE_P(BothWays, TreeTest, ::testing::Bool());

TEST_P(TreeTest, LooksUpBelowTheRootWithoutFollowingLinks) {
  Put("root/App/Sub/a.txt", "a");
  Put("outside/secret.txt", "s");
  Link(Path("outside"), "root/App/Away");
  Link(Path("outside/secret.txt"), "root/App/to-secret");
  Put("root/App/file", "f");
  auto tree = host_->OpenTree(Path("root"));

  TreeEntry entry = host_->LookInTree(*tree, "APP\\sub\\A.TXT");
  EXPECT_EQ(entry.what, TreeFind::kFile);
  EXPECT_EQ(entry.spelled, "App/Sub/a.txt");
  EXPECT_EQ(What(*tree, "App/Sub"), TreeFind::kFolder);
  EXPECT_EQ(What(*tree, ""), TreeFind::kFolder);
  EXPECT_EQ(What(*tree, "App/./Sub//a.txt"), TreeFind::kFile);
  EXPECT_EQ(What(*tree, "App/Sub/none"), TreeFind::kNothing);
  EXPECT_EQ(What(*tree, "App/None/a.txt"), TreeFind::kNothing);
  // A link as the last name is a file; on the way it blocks, as a file does.
  EXPECT_EQ(What(*tree, "App/to-secret"), TreeFind::kFile);
  EXPECT_EQ(What(*tree, "App/Away"), TreeFind::kFile);
  EXPECT_EQ(What(*tree, "App/Away/secret.txt"), TreeFind::kBlocked);
  EXPECT_EQ(What(*tree, "App/away/secret.txt"), TreeFind::kBlocked);
  EXPECT_EQ(What(*tree, "App/file/x"), TreeFind::kBlocked);
  EXPECT_EQ(What(*tree, "../outside/secret.txt"), TreeFind::kBlocked);
  EXPECT_EQ(What(*tree, "App/../../outside"), TreeFind::kBlocked);
  EXPECT_EQ(What(*tree, "/etc/passwd"), TreeFind::kBlocked);
  EXPECT_EQ(What(*tree, "\\etc"), TreeFind::kBlocked);

  ::chmod(Path("root/App/file").c_str(), 0444);
  EXPECT_TRUE(host_->LookInTree(*tree, "app/FILE").read_only);

  // A root that cannot be opened holds nothing and changes nothing.
  auto none = host_->OpenTree(Path("no-such-folder"));
  EXPECT_EQ(What(*none, ""), TreeFind::kNothing);
  EXPECT_EQ(What(*none, "a"), TreeFind::kNothing);
  EXPECT_FALSE(host_->MakeFolderInTree(*none, "a"));
}

// The cheap reachability answer is the look's kBlocked, without the look's
// search of the last name; and a flush of a held tree reaches the disk.
TEST_P(TreeTest, PathClearAnswersAsTheLookDoesAndTheFlushIsMade) {
  Put("root/App/Sub/a.txt", "a");
  Put("root/App/file", "f");
  Put("root/Twin/x", "1");
  Put("root/TWIN/x", "2");
  Put("outside/secret.txt", "s");
  Link(Path("outside"), "root/App/Away");
  auto tree = host_->OpenTree(Path("root"));
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", true},
      {"App", true},
      {"App/Sub/a.txt", true},
      {"APP\\SUB\\none", true},          // the last name is not looked for
      {"App/None/Deeper/x", true},       // a missing folder ends the way: nothing blocks
      {"App/Away", true},                // a link as the last name is a name like any
      {"App/Away/secret.txt", false},
      {"app/AWAY/secret.txt", false},
      {"App/file/x", false},
      {"twin/x", true},                  // twins in another case: missing, not blocked
      {"App/Sub/", true},
      {"App/Away/", true},               // empty components are skipped
      {"App/./Away/.", true},
      {"../outside/secret.txt", false},
      {"App/../../outside", false},
      {"/etc/passwd", false},
      {"\\etc", false},
  };
  for (const auto& [relative, clear] : cases) {
    EXPECT_EQ(host_->PathClearInTree(*tree, relative), clear) << relative;
    EXPECT_EQ(What(*tree, relative) != TreeFind::kBlocked, clear) << relative;
  }
  EXPECT_TRUE(posix::FlushTree(*tree));

  auto none = host_->OpenTree(Path("no-such-folder"));
  EXPECT_TRUE(host_->PathClearInTree(*none, "a/b"));
  EXPECT_FALSE(host_->PathClearInTree(*none, "../a"));
  EXPECT_FALSE(posix::FlushTree(*none));
}

TEST_P(TreeTest, AnotherCaseStandsForANameOnlyWhenItIsTheOnlyOne) {
  Put("root/Dir/foo.txt", "lower");
  Put("root/Dir/FOO.TXT", "upper");
  Put("root/Dir/Bar.txt", "bar");
  Put("root/Twin/x", "1");
  Put("root/TWIN/x", "2");
  auto tree = host_->OpenTree(Path("root"));
  EXPECT_EQ(host_->LookInTree(*tree, "dir/foo.txt").spelled, "Dir/foo.txt");
  EXPECT_EQ(host_->LookInTree(*tree, "dir/FOO.TXT").spelled, "Dir/FOO.TXT");
  EXPECT_EQ(What(*tree, "Dir/Foo.txt"), TreeFind::kNothing);
  EXPECT_EQ(host_->LookInTree(*tree, "DIR/BAR.TXT").spelled, "Dir/Bar.txt");
  EXPECT_EQ(What(*tree, "twin/x"), TreeFind::kNothing);
  EXPECT_EQ(What(*tree, "Twin/x"), TreeFind::kFile);
  EXPECT_FALSE(host_->DeleteInTree(*tree, "Dir/Foo.txt"));

  // A move creates its last name as spelled, beside a twin in another case.
  auto other = host_->OpenTree(Path("root/Twin"));
  ASSERT_TRUE(host_->MoveBetweenTrees(*other, "x", *tree, "Dir/bar.TXT", false));
  EXPECT_EQ(NamesIn("root/Dir"), (Names{"Bar.txt", "FOO.TXT", "bar.TXT", "foo.txt"}));
  EXPECT_EQ(Get("root/Dir/bar.TXT"), "1");
}

TEST_P(TreeTest, ChangesStayInsideAndNeverReplace) {
  Put("root/App/a.txt", "a");
  Put("root/App/b.txt", "b");
  Put("root/Keep/k", "k");
  Put("outside/a.txt", "outside");
  Put("trash/old", "old");
  Link(Path("outside"), "root/Link");
  auto tree = host_->OpenTree(Path("root"));
  auto trash = host_->OpenTree(Path("trash"));

  EXPECT_FALSE(host_->MoveBetweenTrees(*tree, "App/a.txt", *trash, "old", false));
  EXPECT_FALSE(host_->MoveBetweenTrees(*tree, "Link/a.txt", *trash, "taken", false));
  EXPECT_FALSE(host_->MoveBetweenTrees(*tree, "App/a.txt", *tree, "Link/new", false));
  EXPECT_FALSE(host_->MoveBetweenTrees(*tree, "App/a.txt", *tree, "../outside/new", false));
  EXPECT_EQ(Names{"a.txt"}, NamesIn("outside"));
  ASSERT_TRUE(host_->MoveBetweenTrees(*tree, "app/A.TXT", *trash, "DEL0a.txt", true));
  EXPECT_EQ(Get("trash/DEL0a.txt"), "a");
  EXPECT_FALSE(host_->MoveBetweenTrees(*trash, "del0a.txt", *tree, "App/New/../a.txt", false));
  ASSERT_TRUE(host_->MoveBetweenTrees(*trash, "del0a.txt", *tree, "App/a.txt", true));
  EXPECT_EQ(Get("root/App/a.txt"), "a");

  // Deleting: never a folder, a read-only file or through a link.
  EXPECT_FALSE(host_->DeleteInTree(*tree, "Keep"));
  EXPECT_FALSE(host_->DeleteInTree(*tree, "Link/a.txt"));
  ::chmod(Path("root/App/b.txt").c_str(), 0444);
  EXPECT_FALSE(host_->DeleteInTree(*tree, "App/b.txt"));
  ASSERT_TRUE(host_->SetReadOnlyInTree(*tree, "App/b.txt", false));
  EXPECT_EQ(ModeOf(Path("root/App/b.txt")), 0644u);
  ASSERT_TRUE(host_->SetReadOnlyInTree(*tree, "App/b.txt", true));
  EXPECT_EQ(ModeOf(Path("root/App/b.txt")), 0444u);
  ASSERT_TRUE(host_->SetReadOnlyInTree(*tree, "App/b.txt", false));
  EXPECT_TRUE(host_->DeleteInTree(*tree, "APP/B.TXT"));
  // A link has no bits of its own; the file it names keeps its bits.
  EXPECT_FALSE(host_->SetReadOnlyInTree(*tree, "Link", true));
  EXPECT_TRUE(host_->SetReadOnlyInTree(*tree, "Link", false));
  EXPECT_FALSE(host_->SetReadOnlyInTree(*tree, "Link/a.txt", true));
  EXPECT_EQ(ModeOf(Path("outside/a.txt")), 0644u);

  // Folders: one level, never through a link, a link is never removed as one.
  EXPECT_FALSE(host_->MakeFolderInTree(*tree, "New/Deeper"));
  EXPECT_TRUE(host_->MakeFolderInTree(*tree, "New"));
  EXPECT_FALSE(host_->MakeFolderInTree(*tree, "New"));
  EXPECT_TRUE(host_->MakeFolderInTree(*tree, "new/Deeper"));
  EXPECT_FALSE(host_->MakeFolderInTree(*tree, "Link/made"));
  EXPECT_FALSE(host_->RemoveFolderInTree(*tree, "Link"));
  EXPECT_FALSE(host_->RemoveFolderInTree(*tree, "New"));
  EXPECT_TRUE(host_->RemoveFolderInTree(*tree, "NEW/deeper"));
  EXPECT_TRUE(host_->RemoveFolderInTree(*tree, "New"));
  EXPECT_EQ(Names{"a.txt"}, NamesIn("outside"));
  EXPECT_EQ(Get("outside/a.txt"), "outside");
}

TEST_P(TreeTest, PathsLongerThanTheSystemLimitWork) {
  Put("trash/DEL0f.txt", "deep");
  testing::MakeFolders(Path("root"));
  const testing::DeepChain chain(Path("root"), 40, 130);  // over 5,000 bytes
  ASSERT_GT(chain.deepest().size(), 5000u);
  auto tree = host_->OpenTree(Path("root"));
  auto trash = host_->OpenTree(Path("trash"));
  const std::string file = chain.deepest() + "\\f.txt";
  EXPECT_EQ(What(*tree, file), TreeFind::kFile);
  ASSERT_TRUE(host_->MoveBetweenTrees(*tree, file, *trash, "DEL1f.txt", true));
  EXPECT_EQ(What(*tree, file), TreeFind::kNothing);
  ASSERT_TRUE(host_->MoveBetweenTrees(*trash, "DEL0f.txt", *tree, file, true));
  EXPECT_EQ(What(*tree, file), TreeFind::kFile);
  EXPECT_TRUE(host_->MakeFolderInTree(*tree, chain.deepest() + "/made"));
  EXPECT_EQ(What(*tree, chain.deepest() + "/MADE"), TreeFind::kFolder);
  EXPECT_TRUE(host_->RemoveFolderInTree(*tree, chain.deepest() + "/made"));
  EXPECT_TRUE(host_->DeleteInTree(*tree, file));
}

TEST_P(TreeTest, MovesAcrossFileSystemsBetweenHeldFolders) {
  OtherFileSystemFolder other(scratch_.path());
  if (other.path().empty()) GTEST_SKIP() << "/dev/shm is on the same file system as the scratch folder";
  Put("root/App/a.txt", "across");
  ::chmod(Path("root/App/a.txt").c_str(), 0640);
  Link("a.txt", "root/App/link");
  auto tree = host_->OpenTree(Path("root"));
  auto trash = host_->OpenTree(other.path());
  ASSERT_TRUE(host_->MoveBetweenTrees(*tree, "App/a.txt", *trash, "DEL0a.txt", true));
  ASSERT_TRUE(host_->MoveBetweenTrees(*tree, "App/link", *trash, "DEL0link", true));
  EXPECT_EQ(NamesIn("root/App"), Names{});
  EXPECT_EQ(ReadBytes(other.path() + "/DEL0a.txt"), "across");
  EXPECT_EQ(ModeOf(other.path() + "/DEL0a.txt"), 0640u);
  char target[16] = {};
  EXPECT_EQ(::readlink((other.path() + "/DEL0link").c_str(), target, sizeof target - 1), 5);
  EXPECT_STREQ(target, "a.txt");
  ASSERT_TRUE(host_->MoveBetweenTrees(*trash, "DEL0a.txt", *tree, "App/a.txt", true));
  EXPECT_EQ(Get("root/App/a.txt"), "across");
}

// The move across file systems removes the source from the folder it holds
// open: a folder swapped for a link after it was opened loses nothing of
// what the link now shows.
TEST_F(PosixHostTest, MoveAcrossRemovesTheSourceFromItsRealFolder) {
  OtherFileSystemFolder other(scratch_.path());
  if (other.path().empty()) GTEST_SKIP() << "/dev/shm is on the same file system as the scratch folder";
  Put("App/f.txt", "mine");
  Put("outside/f.txt", "not mine");
  const posix::UniqueFd app(::open(Path("App").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  const posix::UniqueFd trash(::open(other.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  ASSERT_EQ(::rename(Path("App").c_str(), Path("App.moved").c_str()), 0);
  ASSERT_EQ(::symlink(Path("outside").c_str(), Path("App").c_str()), 0);
  ASSERT_TRUE(posix::MoveAt({app.get(), "f.txt"}, {trash.get(), "DEL0f.txt"}, true));
  EXPECT_EQ(ReadBytes(other.path() + "/DEL0f.txt"), "mine");
  EXPECT_EQ(Get("outside/f.txt"), "not mine");
  EXPECT_EQ(NamesIn("App.moved"), Names{});
}

}  // namespace
}  // namespace zv
