#include "platform/host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/forwarding_host.h"
#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::EnvGuard;
using host_testing::InChild;
using host_testing::LimitFileSize;
using host_testing::ModeOf;
using host_testing::Names;
using host_testing::PosixHostTest;

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

// A file written in pieces replaces the old one only when committed, with
// all its pieces and the old one's permission bits; given up, or failing
// part way, it leaves the old file and no temporary behind.
TEST_F(PosixHostTest, FileWrittenInPiecesReplacesTheOldOnlyWhenCommitted) {
  Put("WINDIR.TMP", "old");
  ::chmod(Path("WINDIR.TMP").c_str(), 0640);
  // Large enough that the host sends the first part on to the disk early.
  const std::string middle(9u << 20, 'm');
  {
    const auto file = host_->WriteFileInPieces(Path("windir.tmp"));
    file->Add("first\r\n");
    file->Add(middle);
    file->Add("");
    file->Add("last");
    EXPECT_EQ(Get("WINDIR.TMP"), "old");
    file->Commit();
  }
  EXPECT_EQ(Get("WINDIR.TMP"), "first\r\n" + middle + "last");
  EXPECT_EQ(ModeOf(Path("WINDIR.TMP")), 0640u);
  EXPECT_EQ(NamesIn(), (Names{"WINDIR.TMP"}));

  host_->WriteFileInPieces(Path("WINDIR.TMP"))->Add("given up");
  EXPECT_EQ(Get("WINDIR.TMP").size(), middle.size() + 11);
  EXPECT_EQ(NamesIn(), (Names{"WINDIR.TMP"}));

  const int code = InChild([&] {
    LimitFileSize(1000);
    try {
      const auto file = host_->WriteFileInPieces(Path("WINDIR.TMP"));
      file->Add(std::string(600, 'x'));
      file->Add(std::string(600, 'y'));
      file->Commit();
    } catch (const HostError& error) {
      return std::string(error.what()).find(Path("WINDIR.TMP") + ": ") == 0 ? 0 : 2;
    }
    return 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(NamesIn(), (Names{"WINDIR.TMP"}));

  ::chmod(Path("WINDIR.TMP").c_str(), 0440);
  EXPECT_THROW(
      {
        const auto file = host_->WriteFileInPieces(Path("WINDIR.TMP"));
        file->Add("x");
        file->Commit();
      },
      HostError);
  EXPECT_EQ(Get("WINDIR.TMP").size(), middle.size() + 11);
  EXPECT_EQ(NamesIn(), (Names{"WINDIR.TMP"}));
}

// Counts the whole-file writes that reach it.
class CountingWritesHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  void WriteFile(const std::string& path, std::string_view data) override {
    ++writes;
    if (fail) throw HostError(path, "the disk is full");
    ForwardingHost::WriteFile(path, data);
  }
  int writes = 0;
  bool fail = false;
};

// A host that only knows how to write whole files still takes a file in
// pieces: they meet in one WriteFile at Commit, so a fault injected there
// reaches the file too. Such a host lists on one thread.
TEST_F(PosixHostTest, ByDefaultPiecesAreWrittenWholeThroughWriteFile) {
  CountingWritesHost host(*host_);
  EXPECT_EQ(host.ListingThreads(), 1u);
  EXPECT_GE(host_->ListingThreads(), 1u);
  Put("list.ini", "old");
  host.WriteFileInPieces(Path("list.ini"))->Add("dropped");
  EXPECT_EQ(host.writes, 0);
  const auto file = host.WriteFileInPieces(Path("list.ini"));
  for (int i = 0; i < 5000; ++i) file->Add("line " + std::to_string(i) + "\r\n");
  file->Commit();
  EXPECT_EQ(host.writes, 1);
  const std::string written = Get("list.ini");
  EXPECT_EQ(written.substr(0, 8), "line 0\r\n");
  EXPECT_EQ(written.substr(written.size() - 11), "line 4999\r\n");

  host.fail = true;
  const auto failing = host.WriteFileInPieces(Path("list.ini"));
  failing->Add("lost");
  EXPECT_THROW(failing->Commit(), HostError);
  EXPECT_EQ(Get("list.ini"), written);
}

// Uses the Host's own default listing with sizes, which asks FileSize per
// entry.
class DefaultSizesHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                       std::vector<std::int64_t>* sizes) override {
    return Host::ListFolderSizes(path, out, sizes);
  }
};

// A name holding "\" would read as a path once joined to its folder (a
// file named "\..\outside\site.map" would stand for "../outside/site.map"):
// wildcard listings never answer one, and a size is never taken through one.
TEST_F(PosixHostTest, NamesHoldingABackslashAreNeverTakenForPaths) {
  Put("maps/Keep.MAP", "");
  Put("outside/site.map", "outside, 24 bytes long..");
  testing::WriteBytes(Path("maps") + "/\\..\\outside\\site.map", "");
  testing::WriteBytes(Path("maps") + "/\\..\\outside\\report.tmp", "");
  EXPECT_EQ(host_->FindFiles(Path("maps"), "*.MAP"), Names{"Keep.MAP"});
  EXPECT_EQ(host_->FindFiles(Path("maps"), "*.tmp"), Names{});
  EXPECT_EQ(host_->FindFiles(Path("maps"), "*"), Names{"Keep.MAP"});

  testing::WriteBytes(Path("maps") + "/..\\outside\\site.map", "");
  DefaultSizesHost sizes_host(*host_);
  std::vector<FolderEntry> entries;
  std::vector<std::int64_t> sizes;
  ASSERT_TRUE(sizes_host.ListFolderSizes(Path("maps"), &entries, &sizes));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(sizes[i], entries[i].name == "Keep.MAP" ? 0 : -1) << entries[i].name;
  }
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

  // Without a usable runtime folder the lock lives in a private folder in /tmp.
  env.Set("XDG_RUNTIME_DIR", Path("missing-runtime"));
  const std::string fallback = "/tmp/zorvan-" + std::to_string(::getuid()) + "/DUVO_TEST_FALLBACK.lock";
  {
    auto in_tmp = host_->AcquireNamedMutex("DUVO_TEST_FALLBACK");
    EXPECT_NE(in_tmp, nullptr);
    EXPECT_TRUE(::access(fallback.c_str(), F_OK) == 0);
  }
  ::unlink(fallback.c_str());
}


}  // namespace
}  // namespace zv
