#include "mapper/engine/presence.h"

#include <gtest/gtest.h>

#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::MakeFolders;
using testing::ScratchFolder;
using testing::WriteBytes;

class ListingCountingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                       std::vector<std::int64_t>* sizes) override {
    ++listings;
    return ForwardingHost::ListFolderSizes(path, out, sizes);
  }
  int listings = 0;
};

TEST(PresenceCacheTest, MatchesLikeTheHostAndListsEachFolderOnce) {
  ScratchFolder root;
  WriteBytes(root / "SYSTEM/X.DLL", "x");
  WriteBytes(root / "SYSTEM/Twin", "upper");
  WriteBytes(root / "SYSTEM/twin", "lower");
  WriteBytes(root / "SYSTEM/TWIN2", "");
  MakeFolders(root / "SYSTEM/Sub");
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
  EXPECT_EQ(host.listings, 3);  // the root, SYSTEM however spelled, and Sub
}

}  // namespace
}  // namespace zv
