// The trash against a Windows folder that changes under it: a folder
// swapped for a link between the look and the move, paths deeper than the
// system's limit, case twins and folders gone before a restore.
#include <fcntl.h>
#include <unistd.h>

#include <functional>

#include "mapper/trash/trash_manager.h"
#include "mapper/trash/trash_test_support.h"
#include "platform/posix_test_support.h"
#include "tests/support/deep_chain.h"

namespace zv {
namespace {

using namespace trash_testing;

// Runs `swap` once, right before the first move between trees: what a
// process writing in the Windows folder could do after the checks.
class SwappingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree, const std::string& to,
                        bool flush) override {
    if (swap) std::exchange(swap, nullptr)();
    return ForwardingHost::MoveBetweenTrees(from_tree, from, to_tree, to, flush);
  }
  std::function<void()> swap;
};

class TrashRacesTest : public TrashTest {
 protected:
  TrashRacesTest() {
    WriteBytes(outside_ / "App/f.txt", "not ours");
    WriteBytes(outside_ / "f.txt", "not ours either");
  }

  // A mapper on the swapping host, its program folder `program`.
  Mapper SwappingMapper(const std::string& program) {
    Mapper mapper(swapping_, person_);
    mapper.program_folder = program;
    mapper.windows_folder = windows_.path();
    mapper.main_caption = "Zorvan";
    mapper.maps = {{"App"}, 0};
    return mapper;
  }
  // Replaces the Windows folder's "App" with a link to the outside folder,
  // keeping the real one as "App.real".
  void SwapApp() {
    ASSERT_EQ(::rename(InWindows("App").c_str(), InWindows("App.real").c_str()), 0);
    ASSERT_EQ(::symlink(outside_.path().c_str(), InWindows("App").c_str()), 0);
  }
  void ExpectOutsideUntouched() {
    EXPECT_EQ(ListNames(outside_.path()), (Lines{"App", "f.txt"}));
    EXPECT_EQ(ReadBytes(outside_ / "App/f.txt"), "not ours");
    EXPECT_EQ(ReadBytes(outside_ / "f.txt"), "not ours either");
  }
  Lines Files(const std::string& folder) {
    Lines names = ListNames(folder);
    std::erase(names, std::string("!TRASH!.DAT"));
    return names;
  }

  ScratchFolder outside_;
  SwappingHost swapping_{*real_};
};

TEST_F(TrashRacesTest, AFolderSwappedForALinkAfterTheChecksRedirectsNothing) {
  Install("App/f.txt", "ours");
  {
    Mapper mapper = SwappingMapper(program_.path());
    swapping_.swap = [&] { SwapApp(); };
    EXPECT_FALSE(TrashEntry(mapper, "App\\f.txt"));
    ExpectOutsideUntouched();
    EXPECT_EQ(TrashFiles(), Lines{});
    EXPECT_EQ(ReadBytes(InWindows("App.real/f.txt")), "ours");
    // The failed move's record does not stay behind.
    EXPECT_EQ(Log(), Lines{"***TrashManager 2.0***"});
  }

  // A restore whose folder is swapped after the row was checked.
  ::unlink(InWindows("App").c_str());
  ::rename(InWindows("App.real").c_str(), InWindows("App").c_str());
  {
    Mapper mapper = SwappingMapper(program_.path());
    ASSERT_TRUE(TrashEntry(mapper, "App\\f.txt"));
    ::unlink((outside_ / "App/f.txt").c_str());
    ::unlink((outside_ / "f.txt").c_str());
    TrashManager manager(mapper);
    manager.Refresh();
    swapping_.swap = [&] { SwapApp(); };
    manager.Restore({0}, "Restore");
    EXPECT_EQ(ListNames(outside_.path()), Lines{"App"});
    EXPECT_EQ(ListNames(outside_ / "App"), Lines{});
    EXPECT_EQ(TrashFiles(), Lines{"DEL0f.txt"});
    EXPECT_EQ(manager.rows().size(), 1u);
  }
}

TEST_F(TrashRacesTest, ASwapDuringAMoveAcrossFileSystemsDeletesNothing) {
  host_testing::OtherFileSystemFolder other(windows_.path());
  if (other.path().empty()) GTEST_SKIP() << "/dev/shm is on the same file system as the Windows folder";
  Install("App/f.txt", "ours");
  Install("App/g.txt", "ours too");
  Mapper mapper = SwappingMapper(other.path());
  WriteLines(other.path() + "/" + kIgnoreListFile, {"\\Temp\\"});
  ASSERT_TRUE(CreateTrashStore(mapper));
  swapping_.swap = [&] { SwapApp(); };
  TrashSession session(mapper);
  session.Add("App\\f.txt");
  session.Add("App\\g.txt");
  session.Finish();
  EXPECT_EQ(session.trashed(), 0u);
  ExpectOutsideUntouched();
  EXPECT_EQ(ListNames(InWindows("App.real")), (Lines{"f.txt", "g.txt"}));
  EXPECT_EQ(Files(other.path() + "/#TRASH"), Lines{});

  // Unswapped, the same move across carries the file whole.
  ::unlink(InWindows("App").c_str());
  ::rename(InWindows("App.real").c_str(), InWindows("App").c_str());
  EXPECT_TRUE(TrashEntry(mapper, "App\\f.txt"));
  EXPECT_EQ(ReadBytes(other.path() + "/#TRASH/DEL0f.txt"), "ours");
  ExpectOutsideUntouched();
}

TEST_F(TrashRacesTest, PathsBeyondTheSystemLimitAreTrashedAndRestored) {
  const testing::DeepChain chain(windows_.path(), 40, 130);
  ASSERT_GT(chain.deepest().size(), 5000u);
  Map("Deep", {});
  const std::string entry = chain.deepest() + "\\f.txt";
  TrashSession session(mapper_);
  session.Add(entry);
  session.Add("<DIR> " + chain.deepest() + "\\SideA");  // not empty: stays
  session.Finish();
  EXPECT_EQ(session.trashed(), 1u);
  EXPECT_EQ(TrashFiles(), Lines{"DEL0f.txt"});
  EXPECT_EQ(Log(), (Lines{"***TrashManager 2.0***", Record("f.txt", "Deep", "DEL0f.txt", chain.deepest() + "\\")}));
  EXPECT_EQ(host_.LookInTree(*host_.OpenTree(windows_.path()), entry).what, TreeFind::kNothing);

  TrashManager manager(mapper_);
  manager.Refresh();
  manager.Restore({0}, "Restore");
  EXPECT_EQ(TrashFiles(), Lines{});
  EXPECT_TRUE(manager.rows().empty());
  EXPECT_EQ(host_.LookInTree(*host_.OpenTree(windows_.path()), entry).what, TreeFind::kFile);
}

TEST_F(TrashRacesTest, ATwinInAnotherCaseIsNeverTakenForTheFileThatWentFirst) {
  Map("C", {"App\\foo.txt"});
  Install("App/foo.txt", "mine");
  Install("App/FOO.TXT", "in no map");
  EXPECT_TRUE(TrashEntry(mapper_, "App\\foo.txt"));
  // A second removal moves nothing: the entry's own file is in the trash.
  EXPECT_FALSE(TrashEntry(mapper_, "App\\foo.txt"));
  EXPECT_EQ(ReadBytes(InWindows("App/FOO.TXT")), "in no map");
  EXPECT_EQ(TrashFiles(), Lines{"DEL0foo.txt"});

  // With no record of it, an entry found only in another case, the one
  // name of its folder equal to it, is the entry's own file.
  Install("App/Bar.TXT", "renamed by its installer");
  EXPECT_TRUE(TrashEntry(mapper_, "App\\bar.txt"));
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0bar.txt", "DEL0foo.txt"}));
  // Nor when another map lists the name found in its own spelling.
  WriteLines(program_ / "D.MAP", {"***D***", "App\\Baz.TXT"});
  Install("App/Baz.TXT", "D's own");
  EXPECT_FALSE(TrashEntry(mapper_, "App\\baz.txt"));
  EXPECT_EQ(ReadBytes(InWindows("App/Baz.TXT")), "D's own");
  // Two names equal to it ignoring case, neither as spelled: neither goes.
  Install("App/x.txt");
  Install("App/X.txt");
  EXPECT_FALSE(TrashEntry(mapper_, "App\\X.TXT"));
  EXPECT_EQ(ListNames(InWindows("App")), (Lines{"Baz.TXT", "FOO.TXT", "X.txt", "x.txt"}));
  EXPECT_TRUE(person_.notices.empty());

  // Its own name comes back beside the twin.
  TrashManager manager(mapper_);
  manager.Refresh();
  manager.Restore({1}, "Restore");
  EXPECT_EQ(ReadBytes(InWindows("App/foo.txt")), "mine");
  EXPECT_EQ(ReadBytes(InWindows("App/FOO.TXT")), "in no map");
}

TEST_F(TrashRacesTest, ARestoreMakesEveryMissingLevelAfterOneQuestion) {
  Map("App", {});
  Install("A/B/C/ro.txt", "deep");
  ASSERT_TRUE(TrashEntry(mapper_, "A\\B\\C\\ro.txt"));
  std::filesystem::remove_all(InWindows("A"));
  TrashManager manager(mapper_);
  manager.Refresh();
  person_.QueueConfirm(true);
  manager.Restore({0}, "Restore");
  EXPECT_EQ(person_.confirm_questions.size(), 1u);
  EXPECT_EQ(ReadBytes(InWindows("A/B/C/ro.txt")), "deep");
  EXPECT_TRUE(manager.rows().empty());

  // Never through a link: a level that is one stops the making.
  ASSERT_TRUE(TrashEntry(mapper_, "A\\B\\C\\ro.txt"));
  std::filesystem::remove_all(InWindows("A"));
  MakeFolders(InWindows("A"));
  ASSERT_EQ(::symlink(outside_.path().c_str(), InWindows("A/B").c_str()), 0);
  manager.Refresh();
  person_.QueueConfirm(true);
  manager.Restore({0}, "Restore");
  ExpectOutsideUntouched();
  EXPECT_EQ(TrashFiles(), Lines{"DEL0ro.txt"});
}

}  // namespace
}  // namespace zv
