#include "mapper/shell/remote_parts.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "art/art.h"

namespace zv::remote {
namespace {

using Hints = std::array<std::string, kButtons>;

TEST(RemotePartsTest, ThePointerSelectsAButtonFromFourPixelsAwayAndNoneBetweenTwo) {
  const struct {
    QPoint pointer;
    int button;
  } cases[] = {
      {{14, 69}, 0},  {{10, 65}, 0},  {{34, 89}, 0},   // corners of button 0 grown by 4, bounds inclusive
      {{9, 77}, -1},  {{35, 77}, -1}, {{39, 77}, -1},  // left of it, and between buttons 0 and 1
      {{40, 77}, 1},  {{74, 99}, 5},  {{94, 119}, 5},  // the next one, and the last one's far corner
      {{20, 90}, -1}, {{20, 94}, -1}, {{20, 95}, 3},   // between the rows, and row 2's grown top
      {{50, 40}, -1}, {{95, 120}, -1},                 // the message area, below the last button
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pointer.x() << "," << c.pointer.y());
    EXPECT_EQ(HitButton(c.pointer), c.button);
  }
  EXPECT_EQ(ButtonRect(2), QRect(74, 69, 16, 16));
  EXPECT_EQ(ButtonRect(4), QRect(44, 99, 16, 16));
}

TEST(RemotePartsTest, AWindowAlmostOffTheScreenComesBackToTwentyVisiblePixels) {
  const QRect screen(0, 0, 800, 600);
  const struct {
    QRect frame;
    QPoint place;
  } cases[] = {
      {{-100, -200, 104, 160}, {-84, -140}},  // 4 and -40 pixels left on screen: back to 20
      {{-84, -140, 104, 160}, {-84, -140}},   // exactly 20: stays
      {{790, 595, 104, 160}, {780, 580}},     // right and below
      {{300, 200, 104, 160}, {300, 200}},     // on the screen
  };
  for (const auto& c : cases) EXPECT_EQ(KeepOnScreen(c.frame, screen), c.place);
  // A screen that does not begin at the origin (a second monitor on the left).
  EXPECT_EQ(KeepOnScreen({-2000, 10, 104, 160}, {-1280, 0, 2080, 1024}), QPoint(-1280 + 20 - 104, 10));
}

TEST(RemotePartsTest, TheGroundHasFourBlueFramesTheOutermostDarkest) {
  const QColor face(192, 192, 192);
  const QImage ground = DrawGround({kWidth, kHeight}, face);
  for (int i = 0; i < 4; ++i) {
    const QRgb blue = qRgb(0, 0, 100 + 50 * i);
    EXPECT_EQ(ground.pixel(i, 50), blue) << i;
    EXPECT_EQ(ground.pixel(50, i), blue) << i;
    EXPECT_EQ(ground.pixel(kWidth - 1 - i, 50), blue) << i;
    EXPECT_EQ(ground.pixel(50, kHeight - 1 - i), blue) << i;
  }
  EXPECT_EQ(ground.pixel(4, 4), face.rgb());
  EXPECT_EQ(ground.pixel(kWidth - 5, kHeight - 5), face.rgb());
}

TEST(RemotePartsTest, AButtonIsPaintedOnTheGroundAndItsCopyKeepsOnlyRed) {
  QImage strip(165, 83, QImage::Format_RGB32);
  strip.fill(qRgb(255, 0, 255));  // the strip's ground
  const QPoint square(17 * 4 + 1, 67);
  strip.setPixel(square + QPoint(3, 2), qRgb(200, 100, 50));
  strip.setPixel(square + QPoint(15, 15), qRgb(10, 20, 30));
  QImage ground = DrawGround({kWidth, kHeight}, QColor(192, 192, 192));
  ground.setPixel(ButtonRect(4).topLeft() + QPoint(7, 7), qRgb(1, 2, 3));  // something already on the ground

  const QImage copy = PaintButton(strip, 4, ground);

  const QPoint at = ButtonRect(4).topLeft();
  EXPECT_EQ(ground.pixel(at + QPoint(3, 2)), qRgb(200, 100, 50));
  EXPECT_EQ(copy.pixel(3, 2), qRgb(200, 0, 0));
  EXPECT_EQ(ground.pixel(at + QPoint(15, 15)), qRgb(10, 20, 30));
  EXPECT_EQ(copy.pixel(15, 15), qRgb(10, 0, 0));
  EXPECT_EQ(ground.pixel(at + QPoint(0, 0)), qRgb(192, 192, 192));  // the strip's ground paints nothing
  EXPECT_EQ(copy.pixel(0, 0), qRgb(192, 192, 192));                 // and the copy shows the ground there
  EXPECT_EQ(copy.pixel(7, 7), qRgb(1, 2, 3));

  EXPECT_THROW(PaintButton(QImage(100, 70, QImage::Format_RGB32), 0, ground), std::runtime_error);
}

TEST(RemotePartsTest, TheShippedStripGivesSixPicturesWithRedCopies) {
  const QImage strip = art::Load(art::kIconStrip);
  QImage ground = DrawGround({kWidth, kHeight}, QColor(192, 192, 192));
  const QImage plain = ground;
  for (int i = 0; i < kButtons; ++i) {
    const QImage copy = PaintButton(strip, i, ground);
    const QRect place = ButtonRect(i);
    int painted = 0;
    for (int y = 0; y < kButtonSize; ++y) {
      for (int x = 0; x < kButtonSize; ++x) {
        const QRgb now = ground.pixel(place.topLeft() + QPoint(x, y));
        if (now == plain.pixel(place.topLeft() + QPoint(x, y))) continue;
        ++painted;
        EXPECT_EQ(copy.pixel(x, y), qRgb(qRed(now), 0, 0));
      }
    }
    EXPECT_GT(painted, 40) << "button " << i << " has a picture";
  }
}

TEST(RemotePartsTest, HintsAreTheSixLinesAfterTheirSection) {
  const std::vector<std::string> catalogue = {"*KEY", "text", "[remotebtns]", "a", "b", "c", "d", "e", "f", "g"};
  EXPECT_EQ(ButtonHints(catalogue), (Hints{"a", "b", "c", "d", "e", "f"}));
  EXPECT_EQ(ButtonHints({"[RemoteBtns]", "a", "b"}), (Hints{"a", "b", "", "", "", ""}));
  EXPECT_EQ(ButtonHints({"*KEY", "text", "a", "b", "c", "d"}), Hints{});
}

}  // namespace
}  // namespace zv::remote
