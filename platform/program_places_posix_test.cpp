#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix_support.h"
#include "platform/posix_test_support.h"
#include "platform/programs.h"

namespace zv {
namespace {

using host_testing::EnvGuard;
using host_testing::PosixHostTest;

class ProgramPlacesTest : public PosixHostTest {
 protected:
  ProgramPlacesTest() {
    env_.Set(kProgramFolderVariable, std::nullopt);
    env_.Set("HOME", Path("home"));
    env_.Set("XDG_DATA_HOME", Path("data"));
    testing::MakeFolders(Path("usr/lib/zorvan"));
  }
  ProgramPlaces Places(const std::string& named = "") {
    return posix::PlacesOfExecutable(Path("usr/lib/zorvan"), named);
  }
  EnvGuard env_;
};

TEST_F(ProgramPlacesTest, APortableFolderHoldsEverything) {
  ProgramPlaces places = Places();
  EXPECT_FALSE(places.installed);
  EXPECT_EQ(places.folder, Path("usr/lib/zorvan"));
  EXPECT_EQ(places.programs, places.folder);
  EXPECT_EQ(places.shared, places.folder);
  EXPECT_EQ(places.menu_entry, "");

  // The variable names another portable folder, relative to the current
  // folder, without its trailing separator; a folder named for the run wins.
  testing::MakeFolders(Path("copy"));
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(scratch_.path());
  env_.Set(kProgramFolderVariable, "copy/");
  places = Places();
  EXPECT_EQ(places.folder, Path("copy"));
  EXPECT_EQ(places.programs, Path("copy"));
  EXPECT_EQ(Places(Path("named")).folder, Path("named"));
  std::filesystem::current_path(before);
}

TEST_F(ProgramPlacesTest, AnInstallationKeepsEachUsersFilesInTheirDataFolder) {
  Put("usr/lib/zorvan/zorvan-installation",
      "shared=../../share/zorvan\nmenu-entry=../../share/applications/zorvan.desktop\nlater=ignored\n");
  ProgramPlaces places = Places();
  EXPECT_TRUE(places.installed);
  EXPECT_EQ(places.folder, Path("data/zorvan"));
  EXPECT_EQ(places.programs, Path("usr/lib/zorvan"));
  EXPECT_EQ(places.shared, Path("usr/share/zorvan"));
  EXPECT_EQ(places.menu_entry, Path("usr/share/applications/zorvan.desktop"));
  EXPECT_FALSE(std::filesystem::exists(Path("data/zorvan"))) << "finding the places makes nothing";

  // A relative XDG_DATA_HOME is not one; the default below the home folder is.
  env_.Set("XDG_DATA_HOME", "relative");
  EXPECT_EQ(Places().folder, Path("home/.local/share/zorvan"));

  // Absolute paths in the marker stand as they are; a marker without them
  // finds the shared files beside the programs.
  Put("usr/lib/zorvan/zorvan-installation", "shared=/opt/zorvan/share\r\n");
  places = Places();
  EXPECT_EQ(places.shared, "/opt/zorvan/share");
  EXPECT_EQ(places.menu_entry, "");
  Put("usr/lib/zorvan/zorvan-installation", "");
  EXPECT_EQ(Places().shared, Path("usr/lib/zorvan"));

  // A portable folder named for the run, or by the variable, is used as it
  // is, even by an installed program.
  EXPECT_EQ(Places(Path("mine")).folder, Path("mine"));
  env_.Set(kProgramFolderVariable, Path("other"));
  places = Places();
  EXPECT_FALSE(places.installed);
  EXPECT_EQ(places.shared, Path("other"));
}

TEST_F(ProgramPlacesTest, AMarkerThatCannotBeReadIsAnError) {
  testing::MakeFolders(Path("usr/lib/zorvan/zorvan-installation"));
  EXPECT_THROW(Places(), HostError);
}

TEST_F(ProgramPlacesTest, TheHostAsksForTheRunningExecutablesFolder) {
  EXPECT_EQ(host_->FindProgramPlaces("").folder, OwnProgramFolder());
  EXPECT_EQ(host_->FindProgramPlaces(Path("named")).programs, Path("named"));
}

}  // namespace
}  // namespace zv
