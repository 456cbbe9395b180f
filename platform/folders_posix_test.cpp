#include "platform/host.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <string>

#include "platform/forwarding_host.h"
#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::Names;
using host_testing::OtherFileSystemFolder;
using host_testing::PosixHostTest;

TEST_F(PosixHostTest, ListFolderMarksLinksAsFilesAndShowsHiddenNames) {
  Put("top/.hidden", "");
  Put("top/Plain.txt", "");
  Put("top/Sub/inner", "");
  ::symlink("Sub", Path("top/sub-link").c_str());
  std::vector<FolderEntry> entries = {{"stale", EntryKind::kFolder}, {"x", EntryKind::kFile},
                                      {"y", EntryKind::kFile},       {"z", EntryKind::kFile},
                                      {"w", EntryKind::kFile}};
  ASSERT_TRUE(host_->ListFolder(Path("TOP"), &entries));
  std::vector<std::pair<std::string, EntryKind>> seen;
  for (const FolderEntry& entry : entries) seen.emplace_back(entry.name, entry.kind);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, EntryKind>>{{".hidden", EntryKind::kFile},
                                                                  {"Plain.txt", EntryKind::kFile},
                                                                  {"Sub", EntryKind::kFolder},
                                                                  {"sub-link", EntryKind::kFile}}));

  EXPECT_FALSE(host_->ListFolder(Path("missing"), &entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(host_->ListFolder(Path("top/Plain.txt"), &entries));
  ASSERT_TRUE(host_->ListFolder(Path("top/Sub/"), &entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "inner");
}

// A host that answers OpenFolder, ListSubfolder and OpenSubfolder with the
// interface's own path-based defaults, as a host without open folders would.
class PathListingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) override { return Host::OpenFolder(path); }
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    return Host::ListSubfolder(parent, name, out, opened);
  }
  std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) override {
    return Host::OpenSubfolder(parent, name);
  }
};

TEST_F(PosixHostTest, SubfoldersAreListedRelativeToTheirOpenParentAndLinksAreNotFollowed) {
  Put("top/Sub/inner", "");
  Put("top/Sub/Deep/deepest", "");
  Put("top/Plain.txt", "");
  ::symlink("Sub", Path("top/sub-link").c_str());
  PathListingHost path_host(*host_);
  for (Host* host : {host_.get(), static_cast<Host*>(&path_host)}) {
    SCOPED_TRACE(host == host_.get() ? "posix host" : "path-based default");
    EXPECT_EQ(host->OpenFolder(Path("missing")), nullptr);
    EXPECT_EQ(host->OpenFolder(Path("top/Plain.txt")), nullptr);
    const std::unique_ptr<FolderHandle> top = host->OpenFolder(Path("top"));
    ASSERT_NE(top, nullptr);

    std::vector<FolderEntry> entries = {{"stale", EntryKind::kFile}};
    std::unique_ptr<FolderHandle> sub;
    ASSERT_TRUE(host->ListSubfolder(*top, "Sub", &entries, &sub));
    Names names;
    for (const FolderEntry& entry : entries) {
      names.push_back(entry.name + (entry.kind == EntryKind::kFolder ? "/" : ""));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"Deep/", "inner"}));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->path(), Path("top") + "/Sub");
    ASSERT_TRUE(host->ListSubfolder(*sub, "Deep", &entries, nullptr));  // the child of an opened child
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "deepest");
    // Opened without being listed, for the folders below it.
    const std::unique_ptr<FolderHandle> reopened = host->OpenSubfolder(*top, "Sub");
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->path(), Path("top") + "/Sub");
    ASSERT_TRUE(host->ListSubfolder(*reopened, "Deep", &entries, nullptr));
    EXPECT_EQ(entries.size(), 1u);

    // A link named like a folder, a file, a missing name and names that are
    // not one plain name list nothing and open nothing.
    for (const char* name : {"sub-link", "Plain.txt", "missing", "..", ".", "", "Sub/Deep"}) {
      entries = {{"stale", EntryKind::kFile}};
      sub = std::make_unique<FolderHandle>("stale");
      EXPECT_FALSE(host->ListSubfolder(*top, name, &entries, &sub)) << name;
      EXPECT_TRUE(entries.empty()) << name;
      EXPECT_EQ(sub, nullptr) << name;
      EXPECT_EQ(host->OpenSubfolder(*top, name), nullptr) << name;
    }
  }

  // The posix host opens by the name alone: the open parent still lists its
  // subfolder after the parent was moved away from its path.
  const std::unique_ptr<FolderHandle> top = host_->OpenFolder(Path("top"));
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(::rename(Path("top").c_str(), Path("moved").c_str()), 0);
  std::vector<FolderEntry> entries;
  EXPECT_TRUE(host_->ListSubfolder(*top, "Sub", &entries, nullptr));
  EXPECT_EQ(entries.size(), 2u);
}

TEST_F(PosixHostTest, FindFilesListsVisibleMatchingFilesInProgramOrder) {
  for (const char* name : {"b.MAP", "A.map", "_x.map", "1.MAP", ".hidden.map", "c.txt", "Z.MaP"}) {
    Put(std::string("maps/") + name, "");
  }
  host_->MakeFolder(Path("maps/folder.map"));
  ::symlink("c.txt", Path("maps/link.map").c_str());
  EXPECT_EQ(host_->FindFiles(Path("MAPS"), "*.MAP"),
            (Names{"1.MAP", "A.map", "b.MAP", "link.map", "Z.MaP", "_x.map"}));
  EXPECT_EQ(host_->FindFiles(Path("maps"), "*.none"), Names{});
  EXPECT_EQ(host_->FindFiles(Path("missing"), "*"), Names{});
}


TEST_F(PosixHostTest, FolderStampMovesWithEveryChangeOfNames) {
  Put("top/Keep.txt", "old");
  Put("outside", "");
  FolderStamp before, after;
  ASSERT_TRUE(host_->ReadFolderStamp(Path("top"), &before));
  struct stat st;
  ASSERT_EQ(::stat(Path("top").c_str(), &st), 0);
  EXPECT_EQ(before.inode, st.st_ino);
  EXPECT_EQ(before.changed_ns, std::int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec);
  EXPECT_GE(before.read_ns, before.changed_ns) << "read on the clock the file system stamps with";
  ASSERT_TRUE(host_->ReadFolderStamp(Path("top"), &after));
  EXPECT_TRUE(after.SameAs(before)) << "nothing changed";

  const std::pair<const char*, std::function<void()>> changes[] = {
      {"created", [&] { Put("top/new", ""); }},
      {"deleted", [&] { ::unlink(Path("top/new").c_str()); }},
      {"renamed in case only", [&] { ::rename(Path("top/Keep.txt").c_str(), Path("top/KEEP.TXT").c_str()); }},
      {"moved in", [&] { ::rename(Path("outside").c_str(), Path("top/inside").c_str()); }},
      {"moved out", [&] { ::rename(Path("top/inside").c_str(), Path("outside").c_str()); }},
      {"folder made", [&] { ::mkdir(Path("top/Sub").c_str(), 0777); }},
      {"read permission taken", [&] { ::chmod(Path("top").c_str(), 0300); }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    // A change within the same tick of the file system's coarse clock may
    // leave the times as they were; the next tick gives it times of its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    change();
    ASSERT_TRUE(host_->ReadFolderStamp(Path("top"), &after));
    EXPECT_FALSE(after.SameAs(before));
    before = after;
  }
}

// A file's stamp is the regular file a map read with links not followed
// reads; it moves with a rewrite in place and with a replacement.
TEST_F(PosixHostTest, FileStampIsOfTheRegularFileAndMovesWithItsContent) {
  Put("maps/Base.MAP", "one\r\n");
  Put("maps/sub/x", "");
  ::symlink("Base.MAP", Path("maps/link.MAP").c_str());
  FileStamp stamp, seen;
  ASSERT_TRUE(host_->ReadFileStamp(Path("maps/Base.MAP"), &stamp));
  struct stat st;
  ASSERT_EQ(::stat(Path("maps/Base.MAP").c_str(), &st), 0);
  EXPECT_EQ(stamp.inode, st.st_ino);
  EXPECT_EQ(stamp.size, 5u);
  EXPECT_GE(stamp.read_ns, stamp.changed_ns);
  ASSERT_TRUE(host_->ReadFileStamp(Path("MAPS/base.map"), &seen));
  EXPECT_TRUE(seen.SameAs(stamp)) << "found in another case";
  for (const char* none : {"maps/missing", "maps/sub", "maps/link.MAP"}) {
    EXPECT_FALSE(host_->ReadFileStamp(Path(none), &seen)) << none;
  }

  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Put("maps/Base.MAP", "two\r\n");  // in place, the same size
  ASSERT_TRUE(host_->ReadFileStamp(Path("maps/Base.MAP"), &seen));
  EXPECT_FALSE(seen.SameAs(stamp));
  stamp = seen;
  host_->WriteFile(Path("maps/Base.MAP"), "two\r\n");  // replaced by rename
  ASSERT_TRUE(host_->ReadFileStamp(Path("maps/Base.MAP"), &seen));
  EXPECT_FALSE(seen.SameAs(stamp));
  EXPECT_FALSE(host_->Host::ReadFileStamp(Path("maps/Base.MAP"), &seen)) << "a host without stamps";
}

TEST_F(PosixHostTest, FolderStampIsOfTheFolderThatListFolderReads) {
  Put("top/Sub/inner", "");
  Put("top/Other/inner", "");
  Put("top/file", "");
  ::symlink("Sub", Path("top/link").c_str());
  ::symlink("file", Path("top/file-link").c_str());
  FolderStamp sub, seen;
  ASSERT_TRUE(host_->ReadFolderStamp(Path("top/Sub"), &sub));
  for (const std::string& spelling : {Path("TOP/sub"), scratch_.path() + "\\top\\Sub", Path("top/link")}) {
    SCOPED_TRACE(spelling);
    ASSERT_TRUE(host_->ReadFolderStamp(spelling, &seen));
    EXPECT_TRUE(seen.SameAs(sub));
  }
  // A link pointed elsewhere is another folder's stamp.
  ::unlink(Path("top/link").c_str());
  ::symlink("Other", Path("top/link").c_str());
  ASSERT_TRUE(host_->ReadFolderStamp(Path("top/link"), &seen));
  EXPECT_FALSE(seen.SameAs(sub));

  for (const char* none : {"missing", "top/file", "top/file-link"}) {
    EXPECT_FALSE(host_->ReadFolderStamp(Path(none), &seen)) << none;
  }
  EXPECT_FALSE(host_->ReadFolderStamp("", &seen));
  // Times set by hand beyond what 64-bit nanoseconds hold give no stamp
  // rather than a wrapped one (where the file system keeps such times).
  const timespec year_2286[2] = {{10'000'000'000, 0}, {10'000'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Path("top/Other").c_str(), year_2286, 0), 0);
  if (host_->ReadFolderStamp(Path("top/Other"), &seen)) {
    EXPECT_GT(seen.modified_ns, seen.read_ns);
  }
  EXPECT_FALSE(host_->Host::ReadFolderStamp(Path("top"), &seen)) << "a host without stamps";

  OtherFileSystemFolder memory(scratch_.path());
  if (!memory.path().empty()) {
    EXPECT_TRUE(host_->ReadFolderStamp(memory.path(), &seen)) << "tmpfs keeps them";
  }
}

TEST_F(PosixHostTest, AnOpenFolderGivesTheStampOfExactlyTheFolderOpened) {
  Put("top/Sub/Deep/deepest", "");
  PathListingHost path_host(*host_);
  for (Host* host : {host_.get(), static_cast<Host*>(&path_host)}) {
    SCOPED_TRACE(host == host_.get() ? "posix host" : "path-based default");
    const std::unique_ptr<FolderHandle> top = host->OpenFolder(Path("top"));
    std::unique_ptr<FolderHandle> sub;
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(host->ListSubfolder(*top, "Sub", &entries, &sub));
    FolderStamp by_path, opened;
    ASSERT_TRUE(host_->ReadFolderStamp(Path("top/Sub"), &by_path));
    ASSERT_TRUE(host->ReadOpenFolderStamp(*sub, &opened));
    EXPECT_TRUE(opened.SameAs(by_path));
    ASSERT_TRUE(host->ReadOpenFolderStamp(*top, &opened));
    EXPECT_FALSE(opened.SameAs(by_path));
  }

  // Another folder moved into the opened one's place has a stamp of its own.
  const std::unique_ptr<FolderHandle> top = host_->OpenFolder(Path("top"));
  std::unique_ptr<FolderHandle> sub;
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(host_->ListSubfolder(*top, "Sub", &entries, &sub));
  FolderStamp before, after;
  ASSERT_TRUE(host_->ReadOpenFolderStamp(*sub, &before));
  ASSERT_EQ(::rename(Path("top/Sub").c_str(), Path("top/Moved").c_str()), 0);
  Put("top/Sub/other", "");
  ASSERT_TRUE(host_->ReadOpenFolderStamp(*sub, &after));
  EXPECT_EQ(after.inode, before.inode);
  ASSERT_TRUE(host_->ReadFolderStamp(Path("top/Sub"), &after));
  EXPECT_NE(after.inode, before.inode);
}


}  // namespace
}  // namespace zv
