#include "mapper/shell/button_bar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "art/art.h"

namespace zv {
namespace {

// A strip of `columns` x `rows` cells of w x h with one-pixel separators.
QImage GridStrip(int w, int h, int columns, int rows) {
  QImage strip((w + 1) * columns + 1, (h + 1) * rows + 1, QImage::Format_RGB32);
  strip.fill(Qt::black);
  QPainter painter(&strip);
  for (int c = 0; c < columns; ++c) {
    for (int r = 0; r < rows; ++r) painter.fillRect((w + 1) * c + 1, (h + 1) * r + 1, w, h, Qt::white);
  }
  return strip;
}

class ButtonBarTest : public ::testing::Test {
 protected:
  ButtonBarTest() {
    bar_.resize(540, 64);
    bar_.on_command = [this](int k) {
      commands_.push_back(k);
      timer_during_command_ = bar_.PopTimer.isActive();
    };
    bar_.on_status = [this](Colour, const std::string& text) { status_ = text; };
    bar_.graphic_fx = [this] { return fx_; };
    for (int k = 0; k < TPopGroup::kButtons; ++k) bar_.SetHint(k, "Button" + std::to_string(k) + "|Does " + std::to_string(k));
    bar_.Build(art::Load(art::kIconStrip));
    bar_.PopTimer.stop();
  }

  // The middle of button k.
  static QPoint Over(int k) { return {TPopGroup::ButtonLeft(k) + 40, 30}; }

  TPopGroup bar_{nullptr};
  std::vector<int> commands_;
  bool timer_during_command_ = true;
  std::string status_;
  bool fx_ = true;
};

TEST(StripGrid, CellsAreMeasuredFromTheSeparatorLines) {
  const StripGrid supplied = MeasureStrip(art::Load(art::kIconStrip));
  EXPECT_EQ(supplied.cell_width, 32);
  EXPECT_EQ(supplied.cell_height, 32);
  const StripGrid other = MeasureStrip(GridStrip(20, 24, 5, 2));
  EXPECT_EQ(other.cell_width, 20);
  EXPECT_EQ(other.cell_height, 24);
  QImage plain(40, 40, QImage::Format_RGB32);
  plain.fill(Qt::white);
  plain.setPixel(0, 0, qRgb(0, 0, 0));
  EXPECT_THROW(MeasureStrip(plain), std::runtime_error);
}

TEST(StripGrid, HintsSplitIntoCaptionAndStatusText) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"New map|Scan now", "New map", "Scan now"},
      {"No bar at all", "", "No bar at all"},
      {"A|b|c", "A", "b|c"},
      {"|Only status", "", "Only status"},
  };
  for (const auto& [hint, caption, status] : cases) {
    EXPECT_EQ(HintCaption(hint), caption) << hint;
    EXPECT_EQ(HintStatus(hint), status) << hint;
  }
}

TEST_F(ButtonBarTest, TheGroundOfTheStripTakesTheButtonFaceColour) {
  const QImage& strip = bar_.Strip();
  EXPECT_EQ(strip.pixel(1, 1), bar_.palette().color(QPalette::Button).rgb());
  EXPECT_EQ(bar_.Button(2)->geometry(), QRect(186, 9, 84, 51));
  EXPECT_EQ(bar_.HighlightPicture()->geometry(), QRect(10, 8, 84, 53));
}

TEST_F(ButtonBarTest, ButtonEdgesCountAsOverTheButton) {
  const int left = TPopGroup::ButtonLeft(1);
  const std::vector<std::pair<QPoint, int>> cases = {
      {{left, 9}, 1},            {{left + 84, 9}, 1},  {{left + 84, 60}, 1}, {{left + 40, 60}, 1},
      {{left + 85, 30}, -1},     {{left + 40, 61}, -1}, {{left - 1, 30}, -1}, {{left + 40, 8}, -1},
      {{left + 88, 30}, 2},  // the next button's left edge
  };
  for (const auto& [pos, index] : cases) {
    bar_.Tick(pos);
    EXPECT_EQ(bar_.CurrentIndex(), index) << pos.x() << "," << pos.y();
    EXPECT_EQ(bar_.HighlightPicture()->isVisibleTo(&bar_), index >= 0);
  }
}

TEST_F(ButtonBarTest, TheHighlightReplacesTheButtonUnderThePointerAndShowsItsStatusText) {
  bar_.Tick(Over(3));
  EXPECT_FALSE(bar_.Button(3)->isVisibleTo(&bar_));
  EXPECT_EQ(bar_.HighlightPicture()->x(), TPopGroup::ButtonLeft(3));
  EXPECT_EQ(status_, "Does 3");
  bar_.Tick(Over(1));
  EXPECT_TRUE(bar_.Button(3)->isVisibleTo(&bar_));
  EXPECT_FALSE(bar_.Button(1)->isVisibleTo(&bar_));
  bar_.Tick({5, 5});
  EXPECT_TRUE(bar_.Button(1)->isVisibleTo(&bar_));
  EXPECT_FALSE(bar_.HighlightPicture()->isVisibleTo(&bar_));
}

TEST_F(ButtonBarTest, TheCommandIsTheOneUnderThePointerAtRelease) {
  bar_.Tick(Over(1));
  bar_.PopGroupMouseDown(Over(1));
  EXPECT_FALSE(bar_.PopTimer.isActive());
  bar_.PopGroupMouseUp(Over(3));
  EXPECT_EQ(commands_, std::vector<int>{3});
  EXPECT_FALSE(timer_during_command_);
  EXPECT_TRUE(bar_.PopTimer.isActive());

  // Released off the buttons: nothing runs, the bar goes on.
  commands_.clear();
  bar_.Tick(Over(0));
  bar_.PopGroupMouseDown(Over(0));
  bar_.PopGroupMouseUp({5, 5});
  EXPECT_TRUE(commands_.empty());
  EXPECT_TRUE(bar_.PopTimer.isActive());

  // Pressed off the buttons: nothing runs even when released over one.
  bar_.Tick({5, 5});
  bar_.PopGroupMouseDown({5, 5});
  bar_.PopGroupMouseUp(Over(2));
  EXPECT_TRUE(commands_.empty());
  EXPECT_TRUE(bar_.PopTimer.isActive());
}

TEST_F(ButtonBarTest, ACommandThatFailsStillRestartsTheBar) {
  bar_.on_command = [](int) { throw std::runtime_error("disk full"); };
  bar_.Tick(Over(0));
  bar_.PopGroupMouseDown(Over(0));
  EXPECT_THROW(bar_.PopGroupMouseUp(Over(0)), std::runtime_error);
  EXPECT_TRUE(bar_.PopTimer.isActive());
}

TEST_F(ButtonBarTest, ThePressedLookShiftsThePictureDownRight) {
  bar_.Tick(Over(2));
  const QImage raised = bar_.HighlightPicture()->canvas;
  bar_.PopGroupMouseDown(Over(2));
  const QImage pressed = bar_.HighlightPicture()->canvas;
  const int w = raised.width();
  const int h = raised.height();
  for (int y = 4; y < h - 4; ++y) {
    for (int x = 4; x < w - 4; ++x) ASSERT_EQ(pressed.pixel(x, y), raised.pixel(x - 1, y - 1)) << x << "," << y;
  }
  const QPalette palette = bar_.palette();
  EXPECT_EQ(pressed.pixel(1, 1), palette.color(QPalette::Dark).rgb());
  EXPECT_EQ(pressed.pixel(w - 2, h / 2), palette.color(QPalette::Light).rgb());
  EXPECT_EQ(raised.pixel(1, h / 2), palette.color(QPalette::Light).rgb());
  EXPECT_EQ(raised.pixel(w - 2, h / 2), palette.color(QPalette::Dark).rgb());
  EXPECT_EQ(raised.pixel(0, 0), qRgb(0, 0, 0));
}

// Every pixel grey: red, green and blue alike.
bool AllGrey(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p)) return false;
    }
  }
  return true;
}

TEST_F(ButtonBarTest, AButtonIsGreyedAndInertExactlyWhileItsMenuItemIsDisabled) {
  QAction item(nullptr);
  const QImage normal = bar_.Button(3)->canvas;
  ASSERT_FALSE(AllGrey(normal)) << "the picture has colours";
  bar_.SetItem(3, &item);
  EXPECT_TRUE(bar_.ButtonEnabled(3));
  EXPECT_EQ(bar_.Button(3)->canvas, normal);

  item.setEnabled(false);
  EXPECT_FALSE(bar_.ButtonEnabled(3));
  EXPECT_TRUE(AllGrey(bar_.Button(3)->canvas)) << "drawn greyed";
  bar_.Tick(Over(3));
  EXPECT_EQ(bar_.CurrentIndex(), -1) << "no highlight over a greyed button";
  EXPECT_TRUE(bar_.Button(3)->isVisibleTo(&bar_));
  EXPECT_FALSE(bar_.HighlightPicture()->isVisibleTo(&bar_));
  bar_.PopGroupMouseDown(Over(3));
  bar_.PopGroupMouseUp(Over(3));
  // Pressed on a live button and released over the greyed one: nothing runs.
  bar_.Tick(Over(2));
  bar_.PopGroupMouseDown(Over(2));
  bar_.PopGroupMouseUp(Over(3));
  EXPECT_TRUE(commands_.empty());
  EXPECT_TRUE(bar_.PopTimer.isActive());

  item.setEnabled(true);
  EXPECT_EQ(bar_.Button(3)->canvas, normal);
  bar_.Tick(Over(3));
  bar_.PopGroupMouseDown(Over(3));
  bar_.PopGroupMouseUp(Over(3));
  EXPECT_EQ(commands_, std::vector<int>{3});
}

// Phases of the caption wave over `ticks` ticks after the pointer enters
// button 1 from button 0.
std::vector<float> WavePhases(TPopGroup& bar, int ticks) {
  bar.Tick({TPopGroup::ButtonLeft(0) + 40, 30});
  std::vector<float> phases;
  for (int i = 0; i < ticks; ++i) {
    bar.Tick({TPopGroup::ButtonLeft(1) + 40, 30});
    phases.push_back(bar.Phase());
  }
  return phases;
}

TEST_F(ButtonBarTest, TheCaptionWaveDarkensThenBrightensThenStops) {
  bar_.SetHint(1, "Identify|Find");
  const std::vector<float> phases = WavePhases(bar_, 60);
  const auto first_negative = std::find_if(phases.begin(), phases.end(), [](float p) { return p < 0; });
  ASSERT_NE(first_negative, phases.end()) << "the darkening wave never ends";
  EXPECT_FLOAT_EQ(*first_negative, -0.6f);
  const auto stopped = std::find(first_negative, phases.end(), 0.0f);
  ASSERT_NE(stopped, phases.end()) << "the brightening wave never ends";
  EXPECT_TRUE(std::all_of(stopped, phases.end(), [](float p) { return p == 0.0f; }));
}

TEST_F(ButtonBarTest, ALongCaptionNeverFinishesDarkening) {
  bar_.SetHint(1, "Seventeen letters|long");
  const std::vector<float> phases = WavePhases(bar_, 200);
  EXPECT_TRUE(std::all_of(phases.begin(), phases.end(), [](float p) { return p > 0; }));
}

TEST_F(ButtonBarTest, WithoutGraphicEffectsOrCaptionThereIsNoWave) {
  fx_ = false;
  bar_.Tick(Over(0));
  bar_.Tick(Over(1));
  EXPECT_FLOAT_EQ(bar_.Phase(), 0.1f);  // armed, but not running
  fx_ = true;
  bar_.SetHint(2, "Only a status text");
  bar_.Tick(Over(2));
  EXPECT_FLOAT_EQ(bar_.Phase(), 0.0f);
  EXPECT_EQ(status_, "Only a status text");
}

}  // namespace
}  // namespace zv
