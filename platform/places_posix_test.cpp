#include "platform/host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::EnvGuard;
using host_testing::PosixHostTest;

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


}  // namespace
}  // namespace zv
