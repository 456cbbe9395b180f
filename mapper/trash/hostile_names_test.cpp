// The trash against names and files that try to make it lose track: names
// holding the log's own markers or the folder mark, a link in place of the
// log, a trash folder that cannot be listed, an entry naming the Windows
// folder itself, names too long for a trashed name.
#include <sys/stat.h>
#include <unistd.h>

#include "mapper/trash/trash_manager.h"
#include "mapper/trash/trash_test_support.h"

namespace zv {
namespace {

using namespace trash_testing;

class HostileNamesTest : public TrashTest {
 protected:
  // Removes these entries as the map `map`, as "delete application" does.
  void Remove(const std::string& map, const Lines& entries) {
    mapper_.maps = {{map}, 0};
    TrashSession session(mapper_);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) session.Add(*entry);
    session.Finish();
  }
  std::vector<std::size_t> RowsOf(const TrashManager& manager, const std::string& map) const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < manager.rows().size(); ++i) {
      if (manager.rows()[i].map == map) rows.push_back(i);
    }
    return rows;
  }
  void Restore(const std::string& map) {
    TrashManager manager(mapper_);
    manager.Refresh();
    manager.Restore(RowsOf(manager, map), "Restore");
  }
  void Purge(const std::string& map) {
    TrashManager manager(mapper_);
    manager.Refresh();
    person_.QueueConfirm(true);
    manager.DeleteForGood(RowsOf(manager, map), "Delete");
  }
};

TEST_F(HostileNamesTest, ANameHoldingMarkersNeverNamesAnotherFile) {
  const std::vector<std::string> names = {"x|T{DEL0Foo.dll}T|", "a}T|b.txt", "c}N|d.txt", "|P{e}P|f.txt",
                                          "g}M|T{h", "/2F", "l\xe9|"};
  Install("App/Foo.dll", "A's own");
  Lines b_entries;
  for (const std::string& name : names) {
    Install("App/" + name, name);
    b_entries.push_back("App\\" + name);
  }
  Remove("A", {"App\\Foo.dll"});
  Remove("B|x}M|", b_entries);
  EXPECT_EQ(TrashFiles().size(), names.size() + 1);
  {
    TrashManager manager(mapper_);
    manager.Refresh();
    EXPECT_EQ(manager.rows().size(), names.size() + 1);  // nothing dropped at the tidying
  }
  // Restoring B brings each file back under its own name, and no other.
  Restore("B|x}M|");
  for (const std::string& name : names) EXPECT_EQ(ReadBytes(InWindows("App/" + name)), name) << name;
  EXPECT_FALSE(host_.PathExists(InWindows("App/Foo.dll")));
  // Trashed again and purged: only B's files go; A's record and file stay.
  Remove("B|x}M|", b_entries);
  Purge("B|x}M|");
  EXPECT_EQ(TrashFiles(), (Lines{"DEL0Foo.dll"}));
  Restore("A");
  EXPECT_EQ(ReadBytes(InWindows("App/Foo.dll")), "A's own");
  EXPECT_EQ(Log().size(), 1u);
  EXPECT_TRUE(person_.notices.empty());
}

TEST_F(HostileNamesTest, OnlyATrashedNameOfExactlyTheFolderMarkIsAFolder) {
  Install("SYSTEM/a<DIR>b.txt", "1");
  Install("APP/x<dir>y", "2");
  Install("APP/<DIR> z", "3");
  Remove("A<DIR>", {"<DIR> APP", "APP\\<DIR> z", "APP\\x<dir>y", "SYSTEM\\a<DIR>b.txt"});
  EXPECT_EQ(TrashFiles().size(), 3u);
  {
    TrashManager manager(mapper_);
    manager.Refresh();
    EXPECT_EQ(manager.rows().size(), 4u);  // three files and the folder APP
  }
  person_.QueueConfirm(true);  // the file listed before its folder asks to make APP
  Restore("A<DIR>");
  EXPECT_EQ(ReadBytes(InWindows("SYSTEM/a<DIR>b.txt")), "1");
  EXPECT_EQ(ReadBytes(InWindows("APP/x<dir>y")), "2");
  EXPECT_EQ(ReadBytes(InWindows("APP/<DIR> z")), "3");
  EXPECT_TRUE(TrashFiles().empty());
  EXPECT_EQ(Log().size(), 1u);

  // A missing file whose name holds the mark is no folder entry: an empty
  // folder of the name after the mark stays.
  ASSERT_EQ(::mkdir(InWindows("y").c_str(), 0755), 0);
  Remove("A", {"x<DIR> y"});
  EXPECT_TRUE(host_.FolderExists(InWindows("y")));
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(HostileNamesTest, TheLogIsNeverWrittenThroughALink) {
  ScratchFolder outside;
  WriteBytes(outside / "victim", "keep me");
  ASSERT_EQ(::unlink(InTrash("!TRASH!.DAT").c_str()), 0);
  ASSERT_EQ(::symlink((outside / "victim").c_str(), InTrash("!TRASH!.DAT").c_str()), 0);
  Install("App/a.txt");
  Remove("A", {"App\\a.txt"});
  EXPECT_EQ(ReadBytes(outside / "victim"), "keep me");
  EXPECT_TRUE(host_.FileExists(InWindows("App/a.txt")));  // nothing moved without its record
  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_NE(person_.notices[0].text.find("symbolic link"), std::string::npos);

  TrashManager manager(mapper_);
  EXPECT_THROW(manager.Refresh(), RefusedFileError);
  EXPECT_EQ(ReadBytes(outside / "victim"), "keep me");

  // A link spelled in another case is found as the log and refused alike.
  ASSERT_EQ(::rename(InTrash("!TRASH!.DAT").c_str(), InTrash("!trash!.dat").c_str()), 0);
  EXPECT_THROW(manager.Refresh(), RefusedFileError);
  EXPECT_EQ(ReadBytes(outside / "victim"), "keep me");
}

// Lists every folder but the trash folder.
class TrashUnlistableHost : public ForwardingHost {
 public:
  TrashUnlistableHost(Host& target, std::string trash) : ForwardingHost(target), trash_(std::move(trash)) {}
  bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) override {
    if (ToHostPath(path) == trash_) {
      out->clear();
      return false;
    }
    return ForwardingHost::ListFolder(path, out);
  }

 private:
  std::string trash_;
};

TEST_F(HostileNamesTest, ATrashFolderThatCannotBeListedLosesNoRecord) {
  Install("App/a.txt");
  Install("App/b.txt");
  Remove("A", {"App\\a.txt", "App\\b.txt"});
  const Lines before = Log();
  ASSERT_EQ(before.size(), 3u);

  TrashUnlistableHost blind(*real_, ToHostPath(InTrash("")).substr(0, ToHostPath(InTrash("")).size() - 1));
  FakePerson person;
  Mapper mapper(blind, person);
  mapper.program_folder = mapper_.program_folder;
  mapper.windows_folder = mapper_.windows_folder;
  mapper.maps = {{"A"}, 0};
  TrashManager manager(mapper);
  manager.Refresh();
  EXPECT_EQ(manager.rows().size(), 2u);
  EXPECT_NE(manager.status().find("cannot be listed"), std::string::npos);
  EXPECT_EQ(Log().size(), 3u);

  // Nothing new goes into a trash whose names cannot be read.
  Install("App/c.txt");
  TrashSession session(mapper);
  session.Add("App\\c.txt");
  session.Finish();
  EXPECT_TRUE(real_->FileExists(InWindows("App/c.txt")));
  ASSERT_EQ(person.notices.size(), 1u);
  EXPECT_EQ(Log().size(), 3u);
}

TEST_F(HostileNamesTest, AnEntryNamingTheWindowsFolderItselfIsRefused) {
  for (const char* entry : {"<DIR> ", "<DIR> .", "<DIR> .\\"}) {
    person_.notices.clear();
    Remove("A", {entry});
    EXPECT_TRUE(host_.FolderExists(windows_.path())) << entry;
    ASSERT_EQ(person_.notices.size(), 1u) << entry;
    EXPECT_NE(person_.notices[0].text.find("leaves the Windows folder"), std::string::npos);
  }
  EXPECT_EQ(Log().size(), 1u);
  // A folder record of no place is never acted on either.
  SetLog({"***TrashManager 2.0***", Record("x", "A", "<DIR>", "")});
  TrashManager manager(mapper_);
  manager.Refresh();
  EXPECT_TRUE(host_.FolderExists(windows_.path()));
}

TEST_F(HostileNamesTest, NamesTooLongForATrashedNameGetAShorterOne) {
  Lines entries;
  for (const std::size_t length : {250u, 251u, 252u, 253u, 254u, 255u}) {
    for (const char* folder : {"A", "B"}) {  // the same name twice: two numbers
      const std::string name = std::string(length - 4, static_cast<char>('a' + length % 26)) + ".txt";
      Install(std::string(folder) + "/" + name, folder + name);
      entries.push_back(std::string(folder) + "\\" + name);
    }
  }
  Remove("A", entries);
  const Lines trashed = TrashFiles();
  EXPECT_EQ(trashed.size(), entries.size());
  for (const std::string& name : trashed) {
    EXPECT_LE(name.size(), 255u);
    EXPECT_TRUE(name.ends_with(".txt")) << name;
  }
  EXPECT_TRUE(person_.notices.empty());
  Restore("A");
  for (const std::string& entry : entries) {
    const std::string path = InWindows(ToHostPath(entry));
    EXPECT_EQ(ReadBytes(path), entry.substr(0, 1) + entry.substr(2));
  }
  EXPECT_TRUE(TrashFiles().empty());
}

}  // namespace
}  // namespace zv
