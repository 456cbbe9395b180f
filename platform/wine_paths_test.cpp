#include "platform/wine_paths.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

using Forms = std::vector<std::string>;

TEST(WinePathsTest, PrefixDrivesAndTheRootDrive) {
  const struct {
    std::string folder;
    Forms forms;
  } cases[] = {
      {"/home/ann/.wine/drive_c/windows", {"C:\\windows", "Z:\\home\\ann\\.wine\\drive_c\\windows"}},
      {"/home/ann/.wine/dosdevices/c:/windows", {"C:\\windows", "Z:\\home\\ann\\.wine\\dosdevices\\c:\\windows"}},
      {"/p/dosdevices/d:/Apps/Win", {"D:\\Apps\\Win", "Z:\\p\\dosdevices\\d:\\Apps\\Win"}},
      {"/home/ann/.wine/drive_c", {"C:", "Z:\\home\\ann\\.wine\\drive_c"}},
      {"/a/drive_c/b/drive_c/windows", {"C:\\windows", "Z:\\a\\drive_c\\b\\drive_c\\windows"}},
      {"/usr/local", {"Z:\\usr\\local"}},
      {"/", {"Z:"}},
      // Look-alikes are no prefix.
      {"/p/drive_cc/windows", {"Z:\\p\\drive_cc\\windows"}},
      {"/p/dosdevices/cc:/x", {"Z:\\p\\dosdevices\\cc:\\x"}},
      {"/p/c:/x", {"Z:\\p\\c:\\x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(WindowsFormsOf(c.folder), c.forms) << c.folder;
}

}  // namespace
}  // namespace zv
