// Renders the main window as a person sees it, with the real English
// language file and pictures, into the PNG named by $ZORVAN_SCREENSHOT.
// Skipped when that variable is not set.
#include <gtest/gtest.h>

#include <cstdlib>

#include "mapper/engine/catalogue.h"
#include "mapper/shell/window_test_support.h"

namespace zv {
namespace {

TEST(Screenshot, MainWindowWithAMapInTheDetailedList) {
  const char* target = std::getenv("ZORVAN_SCREENSHOT");
  const char* built = std::getenv("ZORVAN_PROGRAM_DIR");
  if (target == nullptr || built == nullptr) GTEST_SKIP() << "set ZORVAN_SCREENSHOT to a PNG path";

  testing::WindowFixture w;
  testing::WriteBytes(w.program_ / "English.lng", testing::ReadBytes(std::string(built) + "/English.lng"));
  for (const char* file : {"SYSTEM/wintab.dll", "apps/Paint/paint.exe", "apps/Paint/brushes.dat",
                           "apps/Paint/readme.txt", "apps/Paint/help/paint.hlp"}) {
    testing::WriteBytes(w.program_ / (std::string("WIN/") + file), std::string(1536, 'x'));
  }
  testing::WriteLines(w.program_ / "Windows (1st map).MAP", {"***Windows (1st map)***", "SYSTEM\\wintab.dll"});
  testing::WriteLines(w.program_ / "Paint Studio.MAP",
                      {"***Paint Studio***", "<DIR> apps\\Paint", "<DIR> apps\\Paint\\help",
                       "apps\\Paint\\paint.exe", "apps\\Paint\\brushes.dat", "apps\\Paint\\readme.txt",
                       "apps\\Paint\\help\\paint.hlp", "apps\\Paint\\paint.ini"});

  TForm1& form = *w.form_;
  form.ApplyLanguage("English.lng");
  form.SetCaption("Zorvan 3.0");
  w.mapper_.options.simple_list = false;
  form.ShowOptions();
  LoadMaps(w.mapper_, "Paint Studio");
  form.ShowMapsList();
  form.show();
  form.PopGroup->PopTimer.stop();
  form.ShowMap();
  form.PopGroup->PopTimer.stop();
  ASSERT_TRUE(testing::WaitUntil([&] { return form.PopGroup->Built(); }));
  // The pointer rests on the first button; the greyed ones do not light up.
  form.PopGroup->Tick({TPopGroup::ButtonLeft(4) + 40, 30});
  form.PopGroup->Tick({5, 5});
  for (int i = 0; i < 40; ++i) form.PopGroup->Tick({TPopGroup::ButtonLeft(0) + 40, 30});
  testing::WaitUntil([] { return false; }, 200);
  ASSERT_TRUE(form.grab().save(QString::fromLocal8Bit(target)));
  form.hide();
}

}  // namespace
}  // namespace zv
