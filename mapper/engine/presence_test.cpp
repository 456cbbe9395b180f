#include "mapper/engine/presence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::MakeFolders;
using testing::ScratchFolder;
using testing::WriteBytes;

// Counts the listings with sizes, by path and relative to a parent; lists
// on `threads` threads.
class ListingCountingHost : public ForwardingHost {
 public:
  explicit ListingCountingHost(Host& target, unsigned threads = 1) : ForwardingHost(target), threads_(threads) {}
  bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                       std::vector<std::int64_t>* sizes) override {
    ++listings;
    return ForwardingHost::ListFolderSizes(path, out, sizes);
  }
  bool ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                          std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened) override {
    ++listings;
    ++relative;
    return ForwardingHost::ListSubfolderSizes(parent, name, out, sizes, opened);
  }
  unsigned ListingThreads() override { return threads_; }
  std::atomic<int> listings = 0;
  std::atomic<int> relative = 0;

 private:
  unsigned threads_;
};

// What Find answers for `relative`: "-" for nothing, else the kind ("d" or
// "f"), the path and the size.
std::string Found(PresenceCache& cache, std::string_view relative) {
  EntryKind kind = EntryKind::kFile;
  std::string path;
  std::int64_t size = 0;
  if (!cache.Find(relative, &kind, &path, &size)) return "-";
  return (kind == EntryKind::kFolder ? "d " : "f ") + path + " " + std::to_string(size);
}

TEST(PresenceCacheTest, MatchesLikeTheHostAndListsEachFolderOnce) {
  ScratchFolder root;
  WriteBytes(root / "SYSTEM/X.DLL", "x");
  WriteBytes(root / "SYSTEM/Twin", "upper");
  WriteBytes(root / "SYSTEM/twin", "lower");
  WriteBytes(root / "SYSTEM/TWIN2", "");
  MakeFolders(root / "SYSTEM/Sub");
  // A folder of more entries than are compared one by one: its names are
  // found through the hashed table, by the same rules.
  for (int i = 0; i < 30; ++i) WriteBytes(root / ("MANY/f" + std::to_string(i)), "many");
  WriteBytes(root / "MANY/Twin", "upper");
  WriteBytes(root / "MANY/twin", "lower");
  WriteBytes(root / "MANY/TWIN", "all upper");
  const std::unique_ptr<Host> real = NewPosixHost();
  ListingCountingHost host(*real);
  PresenceCache cache(host, root.path());

  const struct {
    std::string relative;
    bool found;
    EntryKind kind;
    std::string path;  // below the root
  } cases[] = {
      {"SYSTEM\\X.DLL", true, EntryKind::kFile, "SYSTEM/X.DLL"},
      {"system\\x.dll", true, EntryKind::kFile, "SYSTEM/X.DLL"},  // case ignored
      {"SYSTEM/X.DLL", true, EntryKind::kFile, "SYSTEM/X.DLL"},
      {"SYSTEM\\twin", true, EntryKind::kFile, "SYSTEM/twin"},    // as spelled first
      {"SYSTEM\\twin2", true, EntryKind::kFile, "SYSTEM/TWIN2"},
      {"SYSTEM\\tWiN", true, EntryKind::kFile, "SYSTEM/Twin"},    // then the first in byte order
      {"System\\SUB", true, EntryKind::kFolder, "SYSTEM/Sub"},
      {"SYSTEM", true, EntryKind::kFolder, "SYSTEM"},
      {"SYSTEM\\Gone.dll", false, EntryKind::kFile, ""},
      {"Nowhere\\X.DLL", false, EntryKind::kFile, ""},
      {"SYSTEM\\X.DLL\\Y", false, EntryKind::kFile, ""},  // below a file
      {"SYSTEM\\.\\X.DLL", true, EntryKind::kFile, "SYSTEM/X.DLL"},
      {"SYSTEM\\\\Sub", true, EntryKind::kFolder, "SYSTEM/Sub"},
      {"SYSTEM\\Sub\\..\\X.DLL", false, EntryKind::kFile, ""},  // never climbs
      {"..\\" + LastComponent(root.path()) + "\\SYSTEM\\X.DLL", false, EntryKind::kFile, ""},
      {"SYSTEM\\..", false, EntryKind::kFile, ""},
      {"<DIR> SYSTEM", false, EntryKind::kFile, ""},
      {"", false, EntryKind::kFile, ""},
      {"many\\F17", true, EntryKind::kFile, "MANY/f17"},
      {"MANY\\twin", true, EntryKind::kFile, "MANY/twin"},
      {"MANY\\tWIN", true, EntryKind::kFile, "MANY/TWIN"},  // "TWIN" < "Twin" < "twin"
      {"MANY\\f30", false, EntryKind::kFile, ""},
  };
  for (const auto& c : cases) {
    EntryKind kind = EntryKind::kFile;
    std::string path;
    std::int64_t size = 0;
    ASSERT_EQ(cache.Find(c.relative, &kind, &path, &size), c.found) << c.relative;
    if (!c.found) continue;
    EXPECT_EQ(kind, c.kind) << c.relative;
    EXPECT_EQ(path, root / c.path) << c.relative;
    EXPECT_EQ(size, c.kind == EntryKind::kFolder ? -1 : static_cast<std::int64_t>(testing::ReadBytes(path).size()))
        << c.relative;
  }
  EXPECT_EQ(host.listings, 4);  // the root, SYSTEM however spelled, Sub and MANY
}

TEST(PresenceCacheTest, ListingAheadOnSeveralThreadsAnswersAsListingOnDemand) {
  ScratchFolder root;
  WriteBytes(root / "SYSTEM/X.DLL", "x");
  WriteBytes(root / "SYSTEM/Twin", "upper");
  WriteBytes(root / "SYSTEM/twin", "lower");
  WriteBytes(root / "System/Other.dll", "another folder of the same name but for case");
  WriteBytes(root / "Sub/Deep.txt", "deep");
  std::filesystem::create_symlink(root / "Sub", root / "SYSTEM/Link");
  // Many folders side by side and one chain deep enough to be handed
  // between the threads many times.
  std::vector<std::string> relatives = {"SYSTEM\\X.DLL", "system\\twin", "SYSTEM\\tWiN", "System\\Other.dll",
                                        "SYSTEM\\Link\\Deep.txt", "SYSTEM\\.\\X.DLL", "SYSTEM\\\\X.DLL",
                                        "SYSTEM\\Sub\\..\\X.DLL", "..\\X.DLL", "Nowhere\\X.DLL",
                                        "SYSTEM\\X.DLL\\Y", "Sub\\Deep.txt", "X.DLL", "SUB"};
  for (int i = 0; i < 40; ++i) {
    const std::string folder = "Apps/App" + std::to_string(i);
    WriteBytes(root / (folder + "/Main.exe"), std::string(static_cast<std::size_t>(i), 'm'));
    MakeFolders(root / (folder + "/Empty"));
    relatives.push_back("apps\\APP" + std::to_string(i) + "\\main.EXE");
    relatives.push_back("Apps\\App" + std::to_string(i) + "\\Empty");
    relatives.push_back("Apps\\App" + std::to_string(i) + "\\Gone\\File");
  }
  std::string chain = "Chain";
  for (int i = 0; i < 30; ++i) chain += "/L" + std::to_string(i);
  WriteBytes(root / (chain + "/End.txt"), "end");
  std::string stored = chain + "/End.txt";
  std::replace(stored.begin(), stored.end(), '/', '\\');
  relatives.push_back(stored);

  const std::unique_ptr<Host> real = NewPosixHost();
  ListingCountingHost one(*real);
  PresenceCache on_demand(one, root.path());
  ListingCountingHost two(*real, 2);
  PresenceCache ahead(two, root.path());
  const std::vector<std::string_view> views(relatives.begin(), relatives.end());
  ahead.ListAhead(views);
  const int listed_ahead = two.listings;
  EXPECT_GT(two.relative, 40) << "the folders below the root are listed relative to their parents";
  for (const std::string& relative : relatives) EXPECT_EQ(Found(ahead, relative), Found(on_demand, relative)) << relative;
  EXPECT_EQ(two.listings, listed_ahead) << "Find needed no listing of its own";
  EXPECT_EQ(two.listings, one.listings) << "each folder listed once, as on demand";
  EXPECT_EQ(Found(ahead, "apps\\App7\\MAIN.exe"), "f " + (root / "Apps/App7/Main.exe") + " 7");

  // With one listing thread nothing is listed ahead.
  ListingCountingHost single(*real);
  PresenceCache lazy(single, root.path());
  lazy.ListAhead(views);
  EXPECT_EQ(single.listings, 0);
}

}  // namespace
}  // namespace zv
