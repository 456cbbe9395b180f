// Start-up reading settings that end in an error: what was read shows.
#include "mapper/shell/startup.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "mapper/shell/window_test_support.h"

namespace zv {
namespace {

using testing::WriteLines;

// The start-up sequence with a scratch program folder as the process's
// working folder and its "WIN" folder as the Windows folder.
class StartupTest : public ::testing::Test, public testing::StartUpFixture {
 protected:
  bool Start() { return FormCreate(*form_, mapper_, "", program_ / "home"); }
};

TEST_F(StartupTest, OptionsReadBeforeAValueThatIsNoNumberShowAsStored) {
  WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "RemoteON=Y", "ScanOnStart=Y", "Font=Arial",
                                   "FontSize=big", "SysIcons=N", "FX=N"});
  EXPECT_THROW(Start(), std::invalid_argument);
  EXPECT_TRUE(mapper_.options.remote_control);
  EXPECT_TRUE(form_->Remotecontrol1->isChecked());
  EXPECT_TRUE(form_->ScanOnStart->isChecked());
  EXPECT_EQ(form_->MapsList->font().family(), "Arial");
  // The keys after the bad one keep their defaults, and so do their marks.
  EXPECT_TRUE(form_->Usesysicons1->isChecked());
  EXPECT_TRUE(form_->GraphicFX1->isChecked());
}

}  // namespace
}  // namespace zv
