#include "mapper/engine/scan_feed.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <stdexcept>

#include "mapper/engine/fake_person.h"
#include "mapper/engine/scanner.h"
#include "platform/forwarding_host.h"
#include "tests/support/deep_chain.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::DeepChain;
using testing::ListNames;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;

// Lists through the real host on as many threads as it is told, pausing
// now and then so that the threads meet the folders in ever other orders;
// with more than one thread, the thread that made it pauses at every call,
// so that the helpers surely get folders to list. Folders named "Locked"
// cannot be read, and listing a folder named `throwing` throws.
class ManyThreadsHost : public ForwardingHost {
 public:
  ManyThreadsHost(Host& target, unsigned threads, unsigned seed, std::string throwing = {})
      : ForwardingHost(target), threads_(threads), seed_(seed), throwing_(std::move(throwing)) {}

  unsigned ListingThreads() override { return threads_; }
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    Note();
    if (name == throwing_) throw std::runtime_error("the listing broke down");
    if (name == "Locked") {
      out->clear();
      if (opened != nullptr) opened->reset();
      return false;
    }
    return ForwardingHost::ListSubfolder(parent, name, out, opened);
  }
  std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) override {
    Note();
    return name == "Locked" ? nullptr : ForwardingHost::OpenSubfolder(parent, name);
  }
  // How many threads made listing calls.
  std::size_t Listers() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return listers_.size();
  }

 private:
  void Note() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      listers_.insert(std::this_thread::get_id());
    }
    thread_local std::minstd_rand random;
    thread_local bool seeded = false;
    if (!seeded) random.seed(seed_ + static_cast<unsigned>(std::hash<std::thread::id>{}(std::this_thread::get_id())));
    seeded = true;
    const bool walk = std::this_thread::get_id() == walk_;
    if ((walk && threads_ > 1) || random() % 8 == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
    }
  }

  const unsigned threads_, seed_;
  const std::string throwing_;
  const std::thread::id walk_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::set<std::thread::id> listers_;
};

// What one scan wrote and counted.
struct ScanResult {
  std::string snapshot, folders;
  std::uint64_t entries, skipped, twins, unreadable;
  bool operator==(const ScanResult&) const = default;
};

class ScanFeedTest : public ::testing::Test {
 protected:
  ScanFeedTest() { WriteLines(program_ / kIgnoreListFile, {"\\Temporary Internet Files\\", "\\Cookies\\"}); }

  void File(const std::string& relative) { WriteBytes(windows_ / relative, "x"); }

  ScanResult Scan(Host& host) {
    FakePerson person;
    Mapper mapper(host, person);
    mapper.windows_folder = windows_.path();
    mapper.program_folder = program_.path();
    TextBuffer kept;
    ScanWindowsFolder(mapper, windows_.path(), &kept);
    // Nothing but the two outputs is left beside the ignore list, and the
    // text kept for the caller is the file's.
    EXPECT_EQ(ListNames(program_.path()), (std::vector<std::string>{kIgnoreListFile, kSnapshotFile, kProbeFolderList}));
    const std::string snapshot = ReadBytes(program_ / kSnapshotFile);
    EXPECT_TRUE(kept.view() == snapshot);
    return {snapshot, ReadBytes(program_ / kProbeFolderList), mapper.entry_counter, mapper.skipped_names,
            mapper.twin_names, mapper.unreadable_folders};
  }

  // A tree with a bit of everything a walk meets: a wide folder, empty
  // folders, case twins, ignored folders and excluded files, names no map
  // line can hold, folders that cannot be read, links, and a chain deeper
  // than the folders the feed holds open, with paths beyond 4096 bytes.
  void BuildMixedTree() {
    for (int i = 0; i < 1200; ++i) File("Wide\\file" + std::to_string(i) + (i % 7 == 0 ? ".TMP" : ".dll"));
    for (int j = 0; j < 120; ++j) {
      const std::string sub = "Wide\\Sub" + std::to_string(j);
      MakeFolders(windows_ / sub);
      for (int k = 0; k < j % 4; ++k) File(sub + "\\f" + std::to_string(k) + ".txt");
    }
    MakeFolders(windows_ / "Empty");
    MakeFolders(windows_ / "Nest\\Empty\\Inner");
    for (const char* twin : {"Twins\\readme.txt", "Twins\\README.TXT", "Twins\\Dup\\a.txt", "Twins\\DUP\\A.TXT",
                             "Twins\\DUP\\b.txt"}) {
      File(twin);
    }
    File("Cache\\Temporary Internet Files\\x.htm");
    File("Cache\\Deep\\Cookies\\c.txt");
    File("Cache\\kept.htm");
    File("Start.LNK");
    File("Odd\\tab\there.txt");
    WriteBytes(windows_.path() + "/Odd/back\\slash/inner.txt", "x");
    File("Locked\\secret.txt");
    File("Wide\\Sub5\\Locked\\s.txt");
    std::filesystem::create_directory_symlink(windows_ / "Wide", windows_ / "LinkToFolder");
    std::filesystem::create_symlink(windows_ / "nowhere", windows_ / "Dangling");
  }

  ScratchFolder windows_, program_;
  std::unique_ptr<Host> host_ = NewPosixHost();
};

// However many threads list, and whichever thread reads which folder, the
// scan writes the same bytes and counts the same as one thread does.
TEST_F(ScanFeedTest, ListingOnManyThreadsWritesExactlyWhatOneThreadWrites) {
  BuildMixedTree();
  const DeepChain chain(windows_.path(), 80, 60);
  ASSERT_GT(chain.deepest().size(), 4096u);

  ManyThreadsHost one(*host_, 1, 0);
  const ScanResult alone = Scan(one);
  EXPECT_EQ(one.Listers(), 1u);
  // The tree gives every kind of count, and the chain is walked to its end.
  EXPECT_GT(alone.entries, 1500u);
  EXPECT_EQ(alone.skipped, 2u);
  EXPECT_EQ(alone.twins, 3u);
  EXPECT_EQ(alone.unreadable, 2u);
  EXPECT_NE(alone.snapshot.find(chain.deepest() + "\\f.txt\r\n"), std::string::npos);

  for (unsigned threads : {2u, 3u, 4u}) {
    for (unsigned round = 0; round < 3; ++round) {
      ManyThreadsHost many(*host_, threads, threads * 10 + round);
      EXPECT_TRUE(Scan(many) == alone) << threads << " threads, round " << round;
      EXPECT_GT(many.Listers(), 1u) << "the helpers listed nothing";
    }
  }
}

// A listing that throws, on whichever thread it runs, ends the scan with its
// error instead of a hang, and the old outputs stay as they were.
TEST_F(ScanFeedTest, AListingThatThrowsEndsTheScanAndKeepsTheOldFiles) {
  for (int i = 0; i < 300; ++i) File("F" + std::to_string(i) + "\\x.txt");
  const ScanResult before = Scan(*host_);
  File("new.txt");
  for (unsigned round = 0; round < 5; ++round) {
    ManyThreadsHost breaking(*host_, 3, round, "F" + std::to_string(60 * round + 10));
    FakePerson person;
    Mapper mapper(breaking, person);
    mapper.windows_folder = windows_.path();
    mapper.program_folder = program_.path();
    EXPECT_THROW(ScanWindowsFolder(mapper, windows_.path()), std::runtime_error);
    EXPECT_EQ(ReadBytes(program_ / kSnapshotFile), before.snapshot);
    EXPECT_EQ(ListNames(program_.path()), (std::vector<std::string>{kIgnoreListFile, kSnapshotFile, kProbeFolderList}));
  }
}

}  // namespace
}  // namespace zv
