#include "platform/host.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::ListNames;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Names = std::vector<std::string>;

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
 public:
  ~EnvGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
      else ::unsetenv(it->first.c_str());
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) ::setenv(name.c_str(), value->c_str(), 1);
    else ::unsetenv(name.c_str());
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Runs `body` in a child process and answers its exit code (-1 when killed).
int InChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child process, lets no file grow beyond `bytes`, so that writing a
// larger file fails part way even for the super-user.
void LimitFileSize(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit = {bytes, bytes};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (::access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

class PosixHostTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& relative) const { return scratch_ / relative; }
  void Put(const std::string& relative, const std::string& bytes) { WriteBytes(Path(relative), bytes); }
  std::string Get(const std::string& relative) const { return ReadBytes(Path(relative)); }
  Names NamesIn(const std::string& relative = "") const {
    return ListNames(relative.empty() ? scratch_.path() : Path(relative));
  }

  ScratchFolder scratch_;
  std::unique_ptr<Host> host_ = NewPosixHost();
};

TEST_F(PosixHostTest, FindsPathsSpelledInAnotherCase) {
  Put("Sub/Data.TXT", "data");
  const std::string root = scratch_.path();
  EXPECT_EQ(host_->ReadFile(root + "\\SUB\\data.txt"), "data");
  EXPECT_EQ(host_->ReadFile(root + "/sub/DATA.txt"), "data");
  EXPECT_TRUE(host_->FileExists(root + "/sUb/dAtA.tXt"));
  EXPECT_TRUE(host_->FolderExists(root + "\\SUB"));
  EXPECT_EQ(host_->FileSize(root + "/SUB/DATA.TXT"), 4);
  EXPECT_FALSE(host_->FileExists(root + "/sub/data.txt2"));

  // Missing components keep their spelling; known ones take the disk's.
  EXPECT_TRUE(host_->MakeFolder(root + "/SUB/NewDir"));
  EXPECT_EQ(NamesIn("Sub"), (Names{"Data.TXT", "NewDir"}));
  EXPECT_TRUE(host_->MakeDirs(root + "\\sub\\newdir\\Deep\\Deeper"));
  EXPECT_EQ(NamesIn("Sub/NewDir/Deep"), (Names{"Deeper"}));
  EXPECT_TRUE(host_->DeleteFile(root + "/SUB/DATA.TXT"));
  EXPECT_EQ(NamesIn("Sub"), (Names{"NewDir"}));
}

TEST_F(PosixHostTest, NameInTwoCasesResolvesToTheFirstInByteOrder) {
  Put("Dir/name.txt", "lower");
  Put("Dir/Name.txt", "upper");
  Put("dir/x", "other folder");
  const std::string root = scratch_.path();
  EXPECT_EQ(host_->ReadFile(root + "/DIR/NAME.TXT"), "upper");  // "Dir" < "dir", "Name" < "name"
  EXPECT_EQ(host_->ReadFile(root + "/Dir/name.txt"), "lower");  // as spelled wins
  EXPECT_EQ(host_->ReadFile(root + "/dir/X"), "other folder");
  // Only the first match is searched: "Dir" has no x, "dir" holds no name.txt.
  EXPECT_FALSE(host_->FileExists(root + "/DIR/X"));
  EXPECT_FALSE(host_->FileExists(root + "/dir/name.txt"));
}

TEST_F(PosixHostTest, CreatingUnderAnotherCaseReplacesTheExistingFile) {
  Put("Readme.TXT", "old content, longer");
  host_->WriteFile(Path("README.txt"), "new");
  EXPECT_EQ(NamesIn(), (Names{"Readme.TXT"}));
  EXPECT_EQ(Get("Readme.TXT"), "new");

  Put("Copy.Dat", "old");
  Put("source", "copied");
  EXPECT_TRUE(host_->CopyFile(Path("SOURCE"), Path("copy.dat")));
  EXPECT_EQ(Get("Copy.Dat"), "copied");
  EXPECT_EQ(NamesIn(), (Names{"Copy.Dat", "Readme.TXT", "source"}));
}

TEST_F(PosixHostTest, WriteFileIsAtomicAndKeepsPermissions) {
  Put("map.MAP", "old");
  ::chmod(Path("map.MAP").c_str(), 0640);
  host_->WriteFile(Path("map.MAP"), "new\r\n");
  EXPECT_EQ(Get("map.MAP"), "new\r\n");
  EXPECT_EQ(ModeOf(Path("map.MAP")), 0640u);
  EXPECT_EQ(NamesIn(), (Names{"map.MAP"}));

  host_->WriteFile(Path("fresh"), "");
  EXPECT_EQ(Get("fresh"), "");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(ModeOf(Path("fresh")), 0666u & ~mask);

  // Writing through a link updates the file it points to.
  Put("target", "before");
  ::symlink("target", Path("link").c_str());
  host_->WriteFile(Path("link"), "after");
  EXPECT_EQ(Get("target"), "after");
  EXPECT_EQ(std::filesystem::is_symlink(Path("link")), true);
}

TEST_F(PosixHostTest, FailedWriteThrowsKeepsTheOldContentAndLeavesNoTemporary) {
  Put("data/map.MAP", "old");
  const int code = InChild([&] {
    LimitFileSize(10);
    try {
      host_->WriteFile(Path("data/map.MAP"), std::string(1000, 'x'));
    } catch (const HostError& error) {
      return std::string(error.what()).find(Path("data/map.MAP") + ": ") == 0 ? 0 : 2;
    }
    return 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Get("data/map.MAP"), "old");
  EXPECT_EQ(NamesIn("data"), (Names{"map.MAP"}));

  try {
    host_->WriteFile(scratch_.path() + "\\missing\\file.txt", "x");
    ADD_FAILURE() << "writing into a missing folder succeeded";
  } catch (const HostError& error) {
    EXPECT_EQ(std::string(error.what()), Path("missing/file.txt") + ": No such file or directory");
  }
  EXPECT_THROW(host_->WriteFile(Path("data"), "x"), HostError);  // a folder
  EXPECT_THROW(host_->ReadFile(Path("data")), HostError);
  EXPECT_THROW(host_->ReadFile(Path("nothing")), HostError);
  EXPECT_EQ(NamesIn(), (Names{"data"}));
}

TEST_F(PosixHostTest, ExistenceQueriesNeverFollowLinks) {
  Put("folder/file", "12345");
  ::symlink("folder", Path("folder-link").c_str());
  ::symlink("nowhere", Path("dangling").c_str());
  const struct {
    std::string name;
    bool file, folder, path;
  } cases[] = {
      {"folder/file", true, false, true},
      {"folder", false, true, true},
      {"folder-link", true, false, true},
      {"dangling", true, false, true},
      {"missing", false, false, false},
      {"folder/file/below", false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(host_->FileExists(Path(c.name)), c.file) << c.name;
    EXPECT_EQ(host_->FolderExists(Path(c.name)), c.folder) << c.name;
    EXPECT_EQ(host_->PathExists(Path(c.name)), c.path) << c.name;
  }
  EXPECT_TRUE(host_->FolderExists(""));
}

TEST_F(PosixHostTest, FileSizeTakesWildcardsInTheLastComponent) {
  Put("f/b.bin", "12");
  Put("f/A.BIN", "1234");
  Put("f/c.txt", "123456");
  const struct {
    std::string pattern;
    std::int64_t size;
  } cases[] = {
      {"f/c.txt", 6},       {"F\\C.TXT", 6},    {"f/*.bin", 4},  // "A.BIN" < "b.bin"
      {"f/b.*", 2},         {"f/?.TXT", 6},     {"f/*.exe", -1},
      {"f/missing", -1},    {"nofolder/*", -1}, {"f/*", 4},
  };
  for (const auto& c : cases) EXPECT_EQ(host_->FileSize(Path(c.pattern)), c.size) << c.pattern;
}

TEST_F(PosixHostTest, ReadOnlyIsTheOwnerWriteBitAndKeepsOtherBits) {
  Put("file", "x");
  ::chmod(Path("file").c_str(), 0754);
  EXPECT_FALSE(host_->IsReadOnly(Path("file")));
  EXPECT_TRUE(host_->SetReadOnly(Path("FILE"), true));
  EXPECT_EQ(ModeOf(Path("file")), 0554u);
  EXPECT_TRUE(host_->IsReadOnly(Path("file")));
  EXPECT_TRUE(host_->SetReadOnly(Path("file"), true));
  EXPECT_EQ(ModeOf(Path("file")), 0554u);
  EXPECT_TRUE(host_->SetReadOnly(Path("file"), false));
  EXPECT_EQ(ModeOf(Path("file")), 0754u);
  EXPECT_FALSE(host_->SetReadOnly(Path("missing"), true));
  EXPECT_FALSE(host_->IsReadOnly(Path("missing")));
}

TEST_F(PosixHostTest, ReadOnlyFilesAreNeitherReplacedNorDeleted) {
  Put("locked", "kept");
  Put("source", "other");
  ASSERT_TRUE(host_->SetReadOnly(Path("locked"), true));
  try {
    host_->WriteFile(Path("LOCKED"), "lost");
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const HostError& error) {
    EXPECT_EQ(std::string(error.what()), Path("LOCKED") + ": Permission denied");
  }
  EXPECT_FALSE(host_->CopyFile(Path("source"), Path("locked")));
  EXPECT_FALSE(host_->DeleteFile(Path("locked")));
  EXPECT_EQ(Get("locked"), "kept");
  EXPECT_EQ(NamesIn(), (Names{"locked", "source"}));

  EXPECT_TRUE(host_->MoveFile(Path("locked"), Path("moved")));  // a rename keeps the attribute
  EXPECT_TRUE(host_->IsReadOnly(Path("moved")));
  ASSERT_TRUE(host_->SetReadOnly(Path("moved"), false));
  EXPECT_TRUE(host_->CopyFile(Path("source"), Path("moved")));
  EXPECT_TRUE(host_->DeleteFile(Path("moved")));
}

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

// A host that answers OpenFolder and ListSubfolder with the interface's
// own path-based defaults, as a host without open folders would.
class PathListingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) override { return Host::OpenFolder(path); }
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    return Host::ListSubfolder(parent, name, out, opened);
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

    // A link named like a folder, a file, a missing name and names that are
    // not one plain name list nothing and open nothing.
    for (const char* name : {"sub-link", "Plain.txt", "missing", "..", ".", "", "Sub/Deep"}) {
      entries = {{"stale", EntryKind::kFile}};
      sub = std::make_unique<FolderHandle>("stale");
      EXPECT_FALSE(host->ListSubfolder(*top, name, &entries, &sub)) << name;
      EXPECT_TRUE(entries.empty()) << name;
      EXPECT_EQ(sub, nullptr) << name;
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

// A folder on another file system than the scratch folder, or none.
class OtherFileSystemFolder {
 public:
  explicit OtherFileSystemFolder(const std::string& beside) {
    struct stat here, shm;
    if (::stat(beside.c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev) return;
    std::string pattern = "/dev/shm/zorvan-test-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~OtherFileSystemFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(PosixHostTest, MoveAcrossFileSystemsCopiesWholeThenRemovesTheSource) {
  OtherFileSystemFolder other(scratch_.path());
  if (other.path().empty()) GTEST_SKIP() << "/dev/shm is on the same file system as the scratch folder";
  const std::string big(3 << 20, 'z');
  Put("big.dat", big);
  ::chmod(Path("big.dat").c_str(), 0751);
  const std::string there = other.path() + "/Big.dat";
  ASSERT_TRUE(host_->MoveFile(Path("BIG.DAT"), there));
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

TEST_F(PosixHostTest, FolderAndFileRemoval) {
  Put("full/file", "x");
  EXPECT_FALSE(host_->MakeFolder(Path("full")));
  EXPECT_FALSE(host_->MakeFolder(Path("FULL")));
  EXPECT_FALSE(host_->MakeFolder(Path("no/parent")));
  EXPECT_FALSE(host_->RemoveFolder(Path("full")));
  EXPECT_FALSE(host_->DeleteFile(Path("full")));
  EXPECT_FALSE(host_->RemoveFolder(Path("full/file")));
  EXPECT_TRUE(host_->DeleteFile(Path("Full/File")));
  EXPECT_TRUE(host_->RemoveFolder(Path("FULL")));
  EXPECT_FALSE(host_->DeleteFile(Path("full")));
  EXPECT_EQ(NamesIn(), Names{});
  EXPECT_TRUE(host_->MakeDirs(Path("a\\b\\c")));
  EXPECT_TRUE(host_->MakeDirs(Path("a/b/c")));
  EXPECT_TRUE(host_->FolderExists(Path("a/b/c")));
  Put("plain", "");
  EXPECT_FALSE(host_->MakeDirs(Path("plain/below")));
}

TEST_F(PosixHostTest, NamedMutexRefusesASecondHolderUntilReleased) {
  EnvGuard env;
  env.Set("XDG_RUNTIME_DIR", scratch_.path());
  auto held = host_->AcquireNamedMutex("DUVO_TEST");
  ASSERT_NE(held, nullptr);
  EXPECT_TRUE(::access(Path("DUVO_TEST.lock").c_str(), F_OK) == 0);
  EXPECT_EQ(host_->AcquireNamedMutex("DUVO_TEST"), nullptr);
  auto other_process_takes_it = [&] { return InChild([&] { return host_->AcquireNamedMutex("DUVO_TEST") ? 0 : 1; }); };
  EXPECT_EQ(other_process_takes_it(), 1);
  EXPECT_EQ(::system(("flock -n " + Path("DUVO_TEST.lock") + " true").c_str()), 256);
  EXPECT_NE(host_->AcquireNamedMutex("DUVO_OTHER"), nullptr);
  held.reset();
  EXPECT_EQ(other_process_takes_it(), 0);
  EXPECT_NE(host_->AcquireNamedMutex("DUVO_TEST"), nullptr);

  // Without a usable runtime folder the lock lives in /tmp.
  env.Set("XDG_RUNTIME_DIR", Path("missing-runtime"));
  const std::string fallback = "/tmp/DUVO_TEST_FALLBACK-" + std::to_string(::getuid()) + ".lock";
  {
    auto in_tmp = host_->AcquireNamedMutex("DUVO_TEST_FALLBACK");
    EXPECT_NE(in_tmp, nullptr);
    EXPECT_TRUE(::access(fallback.c_str(), F_OK) == 0);
  }
  ::unlink(fallback.c_str());
}

TEST_F(PosixHostTest, WindowsFolderResolutionOrder) {
  EnvGuard env;
  const std::string prefix_windows = Path("prefix/drive_c/windows");
  const std::string home_windows = Path("home/.wine/drive_c/windows");
  testing::MakeFolders(prefix_windows);
  testing::MakeFolders(home_windows);
  env.Set("ZORVAN_WINDIR", Path("configured") + "/");
  env.Set("WINEPREFIX", Path("prefix"));
  env.Set("HOME", Path("home"));
  EXPECT_EQ(host_->GetSystemFolder(0), Path("configured"));
  EXPECT_EQ(host_->GetSystemFolder(1), Path("configured/SYSTEM"));

  env.Set("ZORVAN_WINDIR", std::nullopt);
  EXPECT_EQ(host_->GetSystemFolder(0), prefix_windows);
  testing::MakeFolders(prefix_windows + "/system32");
  EXPECT_EQ(host_->GetSystemFolder(1), prefix_windows + "/system32");

  env.Set("WINEPREFIX", Path("empty-prefix"));
  EXPECT_EQ(host_->GetSystemFolder(0), home_windows);
  testing::MakeFolders(home_windows + "/System");
  EXPECT_EQ(host_->GetSystemFolder(1), home_windows + "/System");  // the SYSTEM folder as the disk spells it

  env.Set("HOME", Path("nohome"));
  EXPECT_EQ(host_->GetSystemFolder(0), "/usr/local");

  env.Set("TMPDIR", std::nullopt);
  EXPECT_EQ(host_->GetSystemFolder(2), "/tmp/");
  env.Set("TMPDIR", Path("tmp"));
  EXPECT_EQ(host_->GetSystemFolder(2), Path("tmp") + "/");
}

TEST_F(PosixHostTest, SpecialFoldersFollowTheXdgPlaces) {
  EnvGuard env;
  env.Set("HOME", Path("home"));
  env.Set("XDG_CONFIG_HOME", std::nullopt);
  env.Set("XDG_DATA_HOME", std::nullopt);
  env.Set("XDG_DESKTOP_DIR", std::nullopt);
  EXPECT_EQ(host_->SpecialFolderPath(7), Path("home/.config/autostart"));
  EXPECT_EQ(host_->SpecialFolderPath(11), Path("home/.local/share/applications"));
  EXPECT_EQ(host_->SpecialFolderPath(2), Path("home/.local/share/applications"));
  EXPECT_EQ(host_->SpecialFolderPath(16), "");  // no desktop folder exists
  testing::MakeFolders(Path("home/Desktop"));
  EXPECT_EQ(host_->SpecialFolderPath(16), Path("home/Desktop"));
  EXPECT_EQ(host_->SpecialFolderPath(8), "");
  EXPECT_EQ(host_->SpecialFolderPath(6), "");

  env.Set("XDG_CONFIG_HOME", Path("config"));
  env.Set("XDG_DATA_HOME", Path("data"));
  testing::MakeFolders(Path("home/Schreibtisch"));
  testing::WriteLines(Path("config/user-dirs.dirs"),
                      {"# written by xdg-user-dirs-update", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\""});
  EXPECT_EQ(host_->SpecialFolderPath(7), Path("config/autostart"));
  EXPECT_EQ(host_->SpecialFolderPath(11), Path("data/applications"));
  EXPECT_EQ(host_->SpecialFolderPath(16), Path("home/Schreibtisch"));
  testing::WriteLines(Path("config/user-dirs.dirs"), {"XDG_DESKTOP_DIR=\"$HOME/\""});
  EXPECT_EQ(host_->SpecialFolderPath(16), "");  // the home folder itself: desktop switched off
  env.Set("XDG_DESKTOP_DIR", Path("home/Desktop"));
  EXPECT_EQ(host_->SpecialFolderPath(16), Path("home/Desktop"));
}

// Changes the working folder for one test.
class CurrentFolderGuard {
 public:
  explicit CurrentFolderGuard(const std::string& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolderGuard() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

TEST_F(PosixHostTest, CurrentFolderAndExpandedPaths) {
  const std::string real = std::filesystem::canonical(scratch_.path());
  CurrentFolderGuard here(real);
  EXPECT_EQ(host_->GetCurrentFolder(), real);
  EXPECT_EQ(host_->ExpandPath("a\\b/../c"), real + "/a/c");
  EXPECT_EQ(host_->ExpandPath(""), real);
  EXPECT_EQ(host_->ExpandPath("/x/./y//z/"), "/x/y/z");
  EXPECT_EQ(host_->ExpandPath("/../.."), "/");
  {
    CurrentFolderGuard root("/");
    EXPECT_EQ(host_->GetCurrentFolder(), "/");
    EXPECT_EQ(host_->ExpandPath("usr"), "/usr");
  }
  Put("rel/file", "relative");
  EXPECT_EQ(host_->ReadFile("REL\\FILE"), "relative");
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
