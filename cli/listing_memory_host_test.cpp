#include "cli/listing_memory_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "mapper/engine/fake_person.h"
#include "mapper/engine/scanner.h"
#include "tests/support/deep_chain.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::DeepChain;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

// A clock running as if a while had passed since the test made its
// folders, so that their stamps are old enough to vouch for them.
std::int64_t Later() { return ListingMemoryHost::SystemClock() + 3 * ListingMemoryHost::kStampTrustedAfterNs; }

class ListingMemoryHostTest : public ::testing::Test {
 protected:
  ListingMemoryHostTest() : posix_(NewPosixHost()) {
    WriteBytes(windows_ / "win.ini", "x");
    WriteBytes(windows_ / "SYSTEM/Foo.dll", "x");
    WriteBytes(windows_ / "SYSTEM/Drivers/a.sys", "x");
    MakeFolders(windows_ / "Fonts/Old");
    WriteBytes(windows_ / "Help/b.hlp", "x");
    WriteBytes(windows_ / "One/Inner/a.txt", "x");
    WriteBytes(windows_ / "Two/Inner/b.txt", "x");
    for (const ScratchFolder* program : {&fresh_, &remembered_}) {
      WriteBytes(*program / kIgnoreListFile, "\\Temporary Internet Files\\\r\n");
    }
  }

  // The snapshot a walk through `host` writes into `program`.
  std::string Scan(Host& host, const ScratchFolder& program) {
    FakePerson person;
    Mapper mapper(host, person);
    mapper.program_folder = program.path();
    ScanWindowsFolder(mapper, windows_.path());
    return ReadBytes(program / kSnapshotFile) + "--\r\n" + ReadBytes(program / kProbeFolderList);
  }

  // Changes names in some folders, and contents (no names) in another.
  void Install() {
    WriteBytes(windows_ / "SYSTEM/Drivers/new.sys", "x");
    WriteBytes(windows_ / "App/Sub/c.dll", "x");
    ::unlink((windows_ / "Help/b.hlp").c_str());
    ::rmdir((windows_ / "Fonts/Old").c_str());
    ::symlink("/", (windows_ / "Fonts/Old").c_str());  // a folder became a link: a file now
    WriteBytes(windows_ / "SYSTEM/Foo.dll", "changed contents");
    // Two folders trade places: each Inner keeps its old times, but under
    // the other's name.
    ::rename((windows_ / "One").c_str(), (windows_ / "Swap").c_str());
    ::rename((windows_ / "Two").c_str(), (windows_ / "One").c_str());
    ::rename((windows_ / "Swap").c_str(), (windows_ / "Two").c_str());
  }

  ScratchFolder windows_, fresh_, remembered_;
  std::unique_ptr<Host> posix_;
};

TEST_F(ListingMemoryHostTest, ASecondWalkReadsOnlyChangedFoldersAndSeesWhatAFreshWalkSees) {
  ListingMemoryHost memory(*posix_, Later);
  memory.SetMode(ListingMemoryHost::Mode::kRemember);
  EXPECT_EQ(Scan(memory, remembered_), Scan(*posix_, fresh_));

  Install();
  memory.SetMode(ListingMemoryHost::Mode::kReplay);
  const std::string replayed = Scan(memory, remembered_);
  EXPECT_EQ(replayed, Scan(*posix_, fresh_));
  EXPECT_NE(replayed.find("App\\Sub\\c.dll"), std::string::npos);
  EXPECT_EQ(replayed.find("b.hlp"), std::string::npos);
  EXPECT_NE(replayed.find("One\\Inner\\b.txt"), std::string::npos);
  // Of the folders remembered, only SYSTEM kept its names (one of its
  // files changed contents); Fonts\Old is a link now and is not walked.
  EXPECT_EQ(memory.replayed(), 1u);

  // Forwarding again reads every folder.
  memory.SetMode(ListingMemoryHost::Mode::kForward);
  EXPECT_EQ(Scan(memory, remembered_), Scan(*posix_, fresh_));
  EXPECT_EQ(memory.replayed(), 1u);
}

TEST_F(ListingMemoryHostTest, YoungStampsVouchForNothing) {
  // The folders were made just now: their stamps are too young to prove
  // that a change in the same clock tick did not leave them as they were.
  ListingMemoryHost memory(*posix_);
  memory.SetMode(ListingMemoryHost::Mode::kRemember);
  Scan(memory, remembered_);
  Install();
  memory.SetMode(ListingMemoryHost::Mode::kReplay);
  EXPECT_EQ(Scan(memory, remembered_), Scan(*posix_, fresh_));
  EXPECT_EQ(memory.replayed(), 0u);
}

// However deep the tree, a walk through the memory sees what a walk of the
// plain host sees, while forwarding (on as many threads as the target
// allows), remembering and replaying: a folder the walk let go of is
// opened again relative to the target's own folders, never by a path too
// long for the system.
TEST_F(ListingMemoryHostTest, DeepTreesAreWalkedWholeInEveryMode) {
  // Deep enough that folders let go of lie beyond what one path may hold.
  const DeepChain chain(windows_.path(), 250, 60);
  const std::string plain = Scan(*posix_, fresh_);
  ASSERT_NE(plain.find(chain.deepest() + "\\f.txt"), std::string::npos);
  ListingMemoryHost memory(*posix_, Later);
  EXPECT_EQ(memory.ListingThreads(), posix_->ListingThreads());
  EXPECT_EQ(Scan(memory, remembered_), plain);
  memory.SetMode(ListingMemoryHost::Mode::kRemember);
  EXPECT_EQ(memory.ListingThreads(), 1u);
  EXPECT_EQ(Scan(memory, remembered_), plain);
  memory.SetMode(ListingMemoryHost::Mode::kReplay);
  EXPECT_EQ(memory.ListingThreads(), 1u);
  EXPECT_EQ(Scan(memory, remembered_), plain);
  EXPECT_GT(memory.replayed(), 100u);
}

// Counts the writes and stamps that reach it from the memory in front.
class CountingHost : public ForwardingHost {
 public:
  explicit CountingHost(Host& target) : ForwardingHost(target), target_(target) {}
  void WriteFile(const std::string& path, std::string_view data) override {
    ++whole_writes;
    ForwardingHost::WriteFile(path, data);
  }
  std::unique_ptr<FileInPieces> WriteFileInPieces(const std::string& path) override {
    ++piece_writes;
    return target_.WriteFileInPieces(path);
  }
  bool ReadFileStamp(const std::string& path, FileStamp* out) override {
    ++stamps;
    return target_.ReadFileStamp(path, out);
  }
  int whole_writes = 0, piece_writes = 0, stamps = 0;

 private:
  Host& target_;
};

// In every mode a file written in pieces streams to the target rather than
// being gathered whole first, and a file's stamp is the target's, so that a
// text read earlier can still be vouched for.
TEST_F(ListingMemoryHostTest, WritingInPiecesAndFileStampsReachTheTarget) {
  CountingHost target(*posix_);
  ListingMemoryHost memory(target, Later);
  int round = 0;
  for (const auto mode : {ListingMemoryHost::Mode::kForward, ListingMemoryHost::Mode::kRemember,
                          ListingMemoryHost::Mode::kReplay}) {
    ++round;
    memory.SetMode(mode);
    const auto file = memory.WriteFileInPieces(windows_ / "WINDIR.TMP");
    file->Add("first\r\n");
    file->Add("last");
    file->Commit();
    EXPECT_EQ(ReadBytes(windows_ / "WINDIR.TMP"), "first\r\nlast");
    EXPECT_EQ(target.piece_writes, round);
    EXPECT_EQ(target.whole_writes, 0);

    FileStamp through, direct;
    ASSERT_TRUE(memory.ReadFileStamp(windows_ / "win.ini", &through));
    ASSERT_TRUE(posix_->ReadFileStamp(windows_ / "win.ini", &direct));
    EXPECT_TRUE(through.SameAs(direct));
    EXPECT_EQ(target.stamps, round);
  }
}

}  // namespace
}  // namespace zv
