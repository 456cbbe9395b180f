#include "mapper/engine/entry_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv {
namespace {

TEST(EntryPathTest, AbsoluteEntriesAndClimbingComponentsLeaveTheFolder) {
  const struct {
    std::string entry;
    bool leaves;
  } cases[] = {
      {"SYSTEM\\X.DLL", false},
      {"<DIR> SYSTEM\\Sub", false},
      {"a.txt", false},
      {"..\\outside\\run.sh", true},
      {"../outside/run.sh", true},
      {"SYSTEM\\..\\..\\x", true},
      {"SYSTEM/../x", true},
      {"SYSTEM\\..", true},
      {"..", true},
      {"<DIR> ..", true},
      {"<DIR> SYSTEM\\..\\..", true},
      {"C:\\WINDOWS\\X.DLL", true},
      {"<DIR> C:\\WINDOWS", true},
      {"z:", true},
      {"a:b", true},  // a drive, as the legacy entries have it
      {"\\etc\\passwd", true},
      {"/etc/passwd", true},
      // The Windows folder itself is no entry: removing it is refused too.
      {"", true},
      {"<DIR> ", true},
      {"<DIR> .", true},
      {".\\.", true},
      // Names that merely look alike stay inside.
      {"...\\x", false},
      {"..x\\y", false},
      {"x..\\y", false},
      {"SYSTEM\\.\\x", false},
      {"ab:c", false},
      {"<DIR>..", false},  // no blank: a name of its own
      {"...", false},
      {"<DIR> .\\x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(LeavesWindowsFolder(c.entry), c.leaves) << c.entry;
}

TEST(EntryPathTest, LegacyEntriesLoseOnlyAWholeWindowsFolder) {
  const std::vector<std::string> forms = {"C:\\windows", "Z:\\usr\\local"};
  const struct {
    std::string entry;
    std::size_t cut;
  } cases[] = {
      {"C:\\WINDOWS\\X.DLL", 11}, {"C:/windows/x", 11},        {"z:\\usr\\LOCAL\\lib\\x", 13},
      {"C:\\windows", 0},          {"C:\\windows\\", 0},      {"Z:\\usr\\localx\\y", 0},
      {"D:\\windows\\x", 0},      {"windows\\x", 0},          {"<DIR> C:\\windows\\x", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(LegacyPrefixLength(c.entry, forms), c.cut) << c.entry;
}

}  // namespace
}  // namespace zv
