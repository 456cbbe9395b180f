#include "mapper/engine/guarded.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "mapper/engine/fake_person.h"
#include "platform/forwarding_host.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

// Without a message catalogue every text is its bare key, which keeps the
// expected prompts readable.
class GuardedTest : public ::testing::Test {
 protected:
  GuardedTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    mapper_.program_folder = dir_.path();
  }

  std::string File(const std::string& name, const std::string& content = "data") {
    WriteBytes(dir_ / name, content);
    return dir_ / name;
  }
  std::string ReadOnlyFile(const std::string& name) {
    const std::string path = File(name);
    chmod(path.c_str(), 0444);
    return path;
  }
  static bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
  }
  static std::string Q(const std::string& path) { return "\"" + path + "\""; }

  // A host whose deletes can be made to fail, as for a file in use.
  struct RefusingHost : ForwardingHost {
    using ForwardingHost::ForwardingHost;
    bool DeleteFile(const std::string& path) override { return !refuse_deletes && ForwardingHost::DeleteFile(path); }
    bool refuse_deletes = false;
  };

  ScratchFolder dir_;
  std::unique_ptr<Host> real_;
  RefusingHost host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST_F(GuardedTest, ReadOnlySourceIsTouchedOnlyAfterYes) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    const std::string moved = ReadOnlyFile("move.txt"), deleted = ReadOnlyFile("delete.txt");
    const std::string target = dir_ / "moved.txt";
    person_.QueueConfirm(yes);
    EXPECT_EQ(GuardedMove(mapper_, moved, target), yes);
    person_.QueueConfirm(yes);
    EXPECT_EQ(GuardedDelete(mapper_, deleted), yes);

    EXPECT_EQ(person_.confirm_questions,
              (std::vector<std::string>{Q(moved) + " VIO-FRONLY\n VIO-MOVE?", Q(deleted) + " VIO-FRONLY\nVIO-DELETE?"}));
    person_.confirm_questions.clear();
    EXPECT_EQ(Exists(moved), !yes);
    EXPECT_EQ(Exists(deleted), !yes);
    if (yes) {
      EXPECT_FALSE(IsReadOnly(target));  // arrives without read-only
      std::remove(target.c_str());
    } else {
      EXPECT_TRUE(IsReadOnly(moved));
      EXPECT_TRUE(IsReadOnly(deleted));
      EXPECT_FALSE(Exists(target));
    }
  }
}

// A person who answers the read-only question apart from the others, as a
// terminal does with its own flag.
struct ReadOnlyApart : FakePerson {
  bool AskTouchReadOnly(const std::string& text) override {
    read_only_questions.push_back(text);
    return touch;
  }
  std::vector<std::string> read_only_questions;
  bool touch = false;
};

TEST_F(GuardedTest, OnlyTheReadOnlyQuestionGoesToItsOwnCall) {
  ReadOnlyApart person;
  Mapper mapper(host_, person);
  mapper.program_folder = dir_.path();
  const std::string source = ReadOnlyFile("ro.txt");
  EXPECT_FALSE(GuardedMove(mapper, source, dir_ / "New/ro.txt"));
  EXPECT_FALSE(GuardedDelete(mapper, source));
  EXPECT_TRUE(person.confirm_questions.empty()) << "declined before the folder was offered";
  EXPECT_EQ(person.read_only_questions.size(), 2u);
  EXPECT_TRUE(IsReadOnly(source));

  person.touch = true;
  person.QueueConfirm(true);  // create the missing folder
  EXPECT_TRUE(GuardedMove(mapper, source, dir_ / "New/ro.txt"));
  EXPECT_EQ(person.read_only_questions.size(), 3u);
  ASSERT_EQ(person.confirm_questions.size(), 1u);
  EXPECT_NE(person.confirm_questions[0].find("VIO-CREADIR?"), std::string::npos);
  EXPECT_TRUE(Exists(dir_ / "New/ro.txt"));
}

TEST_F(GuardedTest, FailureAfterYesLeavesTheFileReadOnly) {
  const std::string source = ReadOnlyFile("ro.txt"), taken = File("taken.txt", "other");
  person_.QueueConfirm(true);
  EXPECT_FALSE(GuardedMove(mapper_, source, taken));  // a move never replaces
  EXPECT_TRUE(IsReadOnly(source));
  EXPECT_EQ(ReadBytes(taken), "other");

  host_.refuse_deletes = true;
  person_.QueueConfirm(true);
  EXPECT_FALSE(GuardedDelete(mapper_, source));
  EXPECT_TRUE(IsReadOnly(source));
}

TEST_F(GuardedTest, PreparedMoveAnnouncesEveryBoxFirst) {
  const std::string source = ReadOnlyFile("a.txt");
  const auto tree = host_.OpenTree(dir_.path());
  std::vector<std::size_t> asked_before;  // questions already asked at each announcement
  const auto before_box = [&] {
    asked_before.push_back(person_.confirm_questions.size());
    return true;
  };
  person_.QueueConfirm(true);
  person_.QueueConfirm(false);
  const auto prepared = PrepareGuardedMove(mapper_, {*tree, "a.txt"}, {*tree, "New/a.txt"}, before_box);
  ASSERT_TRUE(prepared.has_value());
  EXPECT_TRUE(prepared->cleared_read_only);
  EXPECT_EQ(asked_before, (std::vector<std::size_t>{0, 1}));
  EXPECT_FALSE(PrepareGuardedMove(mapper_, {*tree, "none"}, {*tree, "b.txt"}, before_box).has_value());
  EXPECT_EQ(asked_before.size(), 3u);
  EXPECT_EQ(person_.notices.size(), 1u);
  EXPECT_TRUE(Exists(source));  // nothing moved yet

  // A hook that stops the work: no box, and the source stays read-only.
  ::chmod(source.c_str(), 0444);
  person_.notices.clear();
  const std::size_t questions = person_.confirm_questions.size();
  EXPECT_FALSE(PrepareGuardedMove(mapper_, {*tree, "a.txt"}, {*tree, "New/a.txt"}, [] { return false; }).has_value());
  EXPECT_EQ(person_.confirm_questions.size(), questions);
  EXPECT_TRUE(person_.notices.empty());
  EXPECT_TRUE(IsReadOnly(source));
}

TEST_F(GuardedTest, MissingDestinationFolderIsOfferedOneLevel) {
  const std::string source = File("a.txt");
  person_.QueueConfirm(true);
  EXPECT_TRUE(GuardedMove(mapper_, source, dir_ / "New/a.txt"));
  EXPECT_EQ(person_.confirm_questions.back(), "VIO-DIR " + Q(dir_ / "New/") + " VIO-NOTFOUND.\nVIO-CREADIR?");
  EXPECT_EQ(ReadBytes(dir_ / "New/a.txt"), "data");

  // The parent is missing too: creation fails silently, and so does the move.
  const std::string second = File("b.txt");
  person_.QueueConfirm(true);
  EXPECT_FALSE(GuardedMove(mapper_, second, dir_ / "Deep/Er/b.txt"));
  EXPECT_TRUE(Exists(second));
  EXPECT_FALSE(Exists(dir_ / "Deep"));
  EXPECT_TRUE(person_.notices.empty());

  // Declined: the copy is tried all the same and fails.
  person_.QueueConfirm(false);
  EXPECT_FALSE(GuardedCopy(mapper_, second, dir_ / "Other/b.txt"));
  EXPECT_FALSE(Exists(dir_ / "Other"));
}

TEST_F(GuardedTest, TreeMoveMakesEveryMissingLevelButNoneThroughALink) {
  File("root/a.txt");
  File("outside/x");
  ASSERT_EQ(::symlink((dir_ / "outside").c_str(), (dir_ / "root/Away").c_str()), 0);
  const auto root = host_.OpenTree(dir_ / "root");
  person_.QueueConfirm(true);
  EXPECT_TRUE(GuardedMove(mapper_, {*root, "a.txt"}, {*root, "Deep\\Er\\Est\\a.txt"}));
  EXPECT_EQ(ReadBytes(dir_ / "root/Deep/Er/Est/a.txt"), "data");
  EXPECT_EQ(person_.confirm_questions,
            std::vector<std::string>{"VIO-DIR " + Q(dir_ / "root/Deep/Er/Est/") + " VIO-NOTFOUND.\nVIO-CREADIR?"});

  // Below a link nothing is offered, made or moved.
  EXPECT_FALSE(GuardedMove(mapper_, {*root, "Deep/Er/Est/a.txt"}, {*root, "Away/New/a.txt"}));
  EXPECT_EQ(person_.confirm_questions.size(), 1u);
  EXPECT_FALSE(Exists(dir_ / "outside/New"));
  // Declined: nothing is made and the move fails.
  person_.QueueConfirm(false);
  EXPECT_FALSE(GuardedMove(mapper_, {*root, "Deep/Er/Est/a.txt"}, {*root, "Other/Level/a.txt"}));
  EXPECT_FALSE(Exists(dir_ / "root/Other"));
  EXPECT_TRUE(Exists(dir_ / "root/Deep/Er/Est/a.txt"));

  // A read-only file below the tree: asked about, and kept read-only when
  // its delete fails.
  ::chmod((dir_ / "root/Deep/Er/Est/a.txt").c_str(), 0444);
  person_.QueueConfirm(false);
  EXPECT_FALSE(GuardedDelete(mapper_, TreePlace{*root, "Deep/Er/Est/a.txt"}));
  EXPECT_TRUE(IsReadOnly(dir_ / "root/Deep/Er/Est/a.txt"));
  person_.QueueConfirm(true);
  EXPECT_TRUE(GuardedDelete(mapper_, TreePlace{*root, "deep/er/est/A.TXT"}));
  EXPECT_FALSE(Exists(dir_ / "root/Deep/Er/Est/a.txt"));
  EXPECT_FALSE(GuardedDelete(mapper_, TreePlace{*root, "Away/x"}));
  EXPECT_TRUE(Exists(dir_ / "outside/x"));
}

TEST_F(GuardedTest, MoveNeverReplacesCopyDoes) {
  const std::string source = File("a.txt", "new"), target = File("b.txt", "old");
  EXPECT_FALSE(GuardedMove(mapper_, source, target));
  EXPECT_EQ(ReadBytes(source), "new");
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_TRUE(GuardedCopy(mapper_, source, target));
  EXPECT_EQ(ReadBytes(source), "new");
  EXPECT_EQ(ReadBytes(target), "new");
  EXPECT_TRUE(person_.confirm_questions.empty());
}

TEST_F(GuardedTest, FolderOrMissingSourceIsReportedNotFound) {
  MakeFolders(dir_ / "Folder");
  for (const std::string& source : {dir_ / "Folder", dir_ / "missing.txt"}) {
    person_.notices.clear();
    EXPECT_FALSE(GuardedMove(mapper_, source, dir_ / "x.txt"));
    EXPECT_FALSE(GuardedDelete(mapper_, source));
    EXPECT_FALSE(GuardedCopy(mapper_, source, dir_ / "x.txt"));
    const std::string text = Q(source) + " VIO-NOTFOUND";
    ASSERT_EQ(person_.notices.size(), 3u);
    EXPECT_EQ(person_.notices[0].title, "VIO-CANTMOVE");
    EXPECT_EQ(person_.notices[1].title, "VIO-DELFAIL");
    EXPECT_EQ(person_.notices[2].title, "VIO-CANTCOPY");
    for (const auto& notice : person_.notices) EXPECT_EQ(notice.text, text);
  }
  EXPECT_TRUE(Exists(dir_ / "Folder"));
  EXPECT_FALSE(Exists(dir_ / "x.txt"));
}

}  // namespace
}  // namespace zv
