// The process dies at every moment of deleting an application and of
// restoring it: afterwards every file is either in its place or in the trash
// with its record, and the work can be finished and undone.
#include <gtest/gtest.h>

#include <map>

#include "mapper/engine/fake_person.h"
#include "mapper/engine/scanner.h"
#include "mapper/trash/removal.h"
#include "mapper/trash/trash_log.h"
#include "mapper/trash/trash_manager.h"
#include "mapper/trash/trash_store.h"
#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

struct Killed {};

// Forwards to the real host until the chosen change to the disk, where the
// process "dies": that change does not happen (an append may be cut part
// way, as a fatal signal can cut a write), and every later call fails too.
class KillingHost : public ForwardingHost {
 public:
  KillingHost(Host& target, int kill_at, bool tear) : ForwardingHost(target), left_(kill_at), tear_(tear) {}

  bool dead() const { return dead_; }
  int changes() const { return changes_; }

  void WriteFile(const std::string& path, std::string_view data) override {
    Change();
    ForwardingHost::WriteFile(path, data);
  }
  void WriteOwnFile(const std::string& path, std::string_view data, const FileRules& rules) override {
    Change();
    ForwardingHost::WriteOwnFile(path, data, rules);
  }
  std::string ReadOwnFile(const std::string& path, const FileRules& rules) override {
    Check();
    return ForwardingHost::ReadOwnFile(path, rules);
  }
  void AppendFile(const std::string& path, std::string_view data, bool flush) override {
    if (Dies() && tear_) ForwardingHost::AppendFile(path, data.substr(0, data.size() / 2 + 7), flush);
    Check();
    ForwardingHost::AppendFile(path, data, flush);
  }
  bool MoveFile(const std::string& from, const std::string& to) override {
    Change();
    return ForwardingHost::MoveFile(from, to);
  }
  bool MoveFileAsSpelled(const std::string& from, const std::string& to) override {
    Change();
    return ForwardingHost::MoveFileAsSpelled(from, to);
  }
  bool DeleteFile(const std::string& path) override {
    Change();
    return ForwardingHost::DeleteFile(path);
  }
  bool MakeFolder(const std::string& path) override {
    Change();
    return ForwardingHost::MakeFolder(path);
  }
  bool RemoveFolder(const std::string& path) override {
    Change();
    return ForwardingHost::RemoveFolder(path);
  }
  bool SetReadOnly(const std::string& path, bool read_only) override {
    Change();
    return ForwardingHost::SetReadOnly(path, read_only);
  }
  bool SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool read_only) override {
    Change();
    return ForwardingHost::SetReadOnlyInTree(tree, relative, read_only);
  }
  bool DeleteInTree(TreeHandle& tree, const std::string& relative) override {
    Change();
    return ForwardingHost::DeleteInTree(tree, relative);
  }
  bool MakeFolderInTree(TreeHandle& tree, const std::string& relative) override {
    Change();
    return ForwardingHost::MakeFolderInTree(tree, relative);
  }
  bool RemoveFolderInTree(TreeHandle& tree, const std::string& relative) override {
    Change();
    return ForwardingHost::RemoveFolderInTree(tree, relative);
  }
  bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree, const std::string& to,
                        bool flush) override {
    Change();
    return ForwardingHost::MoveBetweenTrees(from_tree, from, to_tree, to, flush);
  }
  TreeEntry LookInTree(TreeHandle& tree, const std::string& relative) override {
    Check();
    return ForwardingHost::LookInTree(tree, relative);
  }
  bool FileExists(const std::string& path) override {
    Check();
    return ForwardingHost::FileExists(path);
  }
  bool FolderExists(const std::string& path) override {
    Check();
    return ForwardingHost::FolderExists(path);
  }
  std::string ReadFile(const std::string& path) override {
    Check();
    return ForwardingHost::ReadFile(path);
  }

 private:
  // Counts one change; true when the process dies at it.
  bool Dies() {
    Check();
    ++changes_;
    if (--left_ == 0) dead_ = true;
    return dead_;
  }
  void Change() {
    Dies();
    Check();
  }
  void Check() const {
    if (dead_) throw Killed{};
  }

  int left_;
  bool tear_;
  bool dead_ = false;
  int changes_ = 0;
};

// A fresh program folder and Windows folder with an application installed
// and mapped, and a trash that already holds one file of another map.
class World {
 public:
  World() {
    WriteLines(program_ / kIgnoreListFile, {"\\Temp\\"});
    for (const auto& [relative, content] : Files()) WriteBytes(windows_ / relative, content);
    WriteLines(program_ / "App.MAP", {"***App***", "<DIR> App", "<DIR> App\\Sub", "App\\a.txt", "App\\b.txt",
                                      "App\\Sub\\c.txt", "App\\Sub\\d.txt", "e.txt", "f.txt"});
    WriteBytes(program_ / "#TRASH/DEL0old.txt", "older");
    WriteLines(program_ / "#TRASH/!TRASH!.DAT",
               {"***TrashManager 2.0***", RecordLine({"old.txt", "Other", "DEL0old.txt", ""})});
  }

  static std::map<std::string, std::string> Files() {
    return {{"App/a.txt", "a"}, {"App/b.txt", "b"}, {"App/Sub/c.txt", "c"},
            {"App/Sub/d.txt", "d"}, {"e.txt", "e"}, {"f.txt", "f"}};
  }

  Mapper MapperOn(Host& host, Person& person) const {
    Mapper mapper(host, person);
    mapper.program_folder = program_.path();
    mapper.windows_folder = windows_.path();
    mapper.maps = {{"App"}, 0};
    return mapper;
  }

  // Every file is in its place or in the trash with its record, and the
  // older file of the trash kept its record.
  void ExpectNothingLost() {
    FakePerson person;
    auto host = NewPosixHost();
    Mapper mapper = MapperOn(*host, person);
    TrashManager manager(mapper);
    manager.Refresh();
    std::map<std::string, const TrashRow*> rows;
    for (const TrashRow& row : manager.rows()) rows[row.name] = &row;
    ASSERT_TRUE(rows.contains("old.txt"));
    for (const auto& [relative, content] : Files()) {
      SCOPED_TRACE(relative);
      const std::string name = relative.substr(relative.rfind('/') + 1);
      if (host->FileExists(windows_ / relative)) {
        EXPECT_EQ(ReadBytes(windows_ / relative), content);
        EXPECT_FALSE(rows.contains(name));
        continue;
      }
      ASSERT_TRUE(rows.contains(name));
      EXPECT_EQ(ToHostPath(rows[name]->place) + name, relative);
      EXPECT_EQ(ReadBytes(program_ / ("#TRASH/" + rows[name]->trashed)), content);
    }
    EXPECT_EQ(manager.rows().size(), rows.size());  // one record per name
    EXPECT_TRUE(person.notices.empty());
  }

  // Deletes the application with nothing going wrong.
  void DeleteApplicationUnharmed() const {
    FakePerson person;
    auto real = NewPosixHost();
    Mapper mapper = MapperOn(*real, person);
    person.QueueConfirmDialog(true);
    DeleteApplication(mapper);
  }

  // Finishes the deletion, then brings everything back.
  void ExpectDeleteAndRestoreToFinish() {
    FakePerson person;
    auto host = NewPosixHost();
    Mapper mapper = MapperOn(*host, person);
    person.QueueConfirmDialog(true);
    DeleteApplication(mapper);
    TrashManager manager(mapper);
    manager.Refresh();
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < manager.rows().size(); ++i) {
      if (manager.rows()[i].map == "App") all.push_back(i);
    }
    for (int i = 0; i < 10; ++i) person.QueueConfirm(true);  // create the missing folders
    manager.Restore(all, "Restore");
    for (const auto& [relative, content] : Files()) EXPECT_EQ(ReadBytes(windows_ / relative), content);
    ASSERT_EQ(manager.rows().size(), 1u);
    EXPECT_EQ(manager.rows()[0].name, "old.txt");
    EXPECT_TRUE(person.notices.empty());
  }

  ScratchFolder program_, windows_;
};

TEST(TrashCrashTest, AKillWhileDeletingLosesNothing) {
  for (const bool tear : {false, true}) {
    for (int kill_at = 1;; ++kill_at) {
      SCOPED_TRACE((tear ? "cut append, change " : "change ") + std::to_string(kill_at));
      World world;
      auto real = NewPosixHost();
      KillingHost host(*real, kill_at, tear);
      FakePerson person;
      Mapper mapper = world.MapperOn(host, person);
      person.QueueConfirmDialog(true);
      try {
        DeleteApplication(mapper);
      } catch (const Killed&) {
      }
      world.ExpectNothingLost();
      world.ExpectDeleteAndRestoreToFinish();
      if (!host.dead()) break;  // the command ran to its end
    }
  }
}

TEST(TrashCrashTest, AKillWhileRestoringLosesNothing) {
  for (int kill_at = 1;; ++kill_at) {
    SCOPED_TRACE("change " + std::to_string(kill_at));
    World world;
    world.DeleteApplicationUnharmed();
    auto real = NewPosixHost();
    FakePerson person;
    for (int i = 0; i < 10; ++i) person.QueueConfirm(true);
    KillingHost host(*real, kill_at, false);
    Mapper mapper = world.MapperOn(host, person);
    TrashManager manager(mapper);
    try {
      manager.Refresh();
      std::vector<std::size_t> all(manager.rows().size());
      for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
      std::erase_if(all, [&](std::size_t i) { return manager.rows()[i].map != "App"; });
      manager.Restore(all, "Restore");
    } catch (const Killed&) {
    }
    world.ExpectNothingLost();
    world.ExpectDeleteAndRestoreToFinish();
    if (!host.dead()) break;
  }
}

TEST(TrashCrashTest, AKillWhilePurgingDeletesOnlyWhatWasChosen) {
  for (int kill_at = 1;; ++kill_at) {
    SCOPED_TRACE("change " + std::to_string(kill_at));
    World world;
    world.DeleteApplicationUnharmed();
    auto real = NewPosixHost();
    FakePerson person;
    person.QueueConfirm(true);
    KillingHost host(*real, kill_at, false);
    Mapper mapper = world.MapperOn(host, person);
    TrashManager manager(mapper);
    try {
      manager.Refresh();
      std::vector<std::size_t> app;
      for (std::size_t i = 0; i < manager.rows().size(); ++i) {
        if (manager.rows()[i].map == "App") app.push_back(i);
      }
      manager.DeleteForGood(app, "Delete");
    } catch (const Killed&) {
    }
    // The other map's file and record are untouched; each file of App is
    // either still in the trash with its record or gone with it.
    FakePerson after;
    Mapper looking = world.MapperOn(*real, after);
    TrashManager check(looking);
    check.Refresh();
    std::size_t old_rows = 0;
    for (const TrashRow& row : check.rows()) {
      if (row.map == "Other") {
        ++old_rows;
        EXPECT_EQ(ReadBytes(world.program_ / "#TRASH/DEL0old.txt"), "older");
        continue;
      }
      if (!IsFolderRow(row)) {
        EXPECT_TRUE(real->FileExists(world.program_ / ("#TRASH/" + row.trashed)));
      }
    }
    EXPECT_EQ(old_rows, 1u);
    for (const auto& [relative, content] : World::Files()) EXPECT_FALSE(real->PathExists(world.windows_ / relative));
    if (!host.dead()) {
      EXPECT_EQ(check.rows().size(), 1u);
      break;
    }
  }
}

}  // namespace
}  // namespace zv
