// The embedded pictures: each loads from its resource path at its size, and
// the icon strip measures as the main window and the remote window read it.
#include <stdexcept>

#include <gtest/gtest.h>

#include "art/art.h"

namespace zv::art {
namespace {

TEST(Art, EveryPictureIsEmbeddedAtItsSize) {
  struct Case {
    const char* path;
    int width, height;
    bool transparent_corner;  // drawn for use over any ground
  };
  const Case cases[] = {
      {kIconStrip, 165, 83, false},   {kLogoFrames, 335, 49, false}, {kPresenceIcons, 32, 16, true},
      {kSplash, 260, 149, false},     {kTexture, 68, 41, false},     {kAboutLogo, 132, 168, true},
      {kAppIcon16, 16, 16, true},     {kAppIcon32, 32, 32, true},    {kAppIcon48, 48, 48, true},
      {kSaveGlyph, 16, 16, true},     {kPrintGlyph, 16, 16, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const QImage image = Load(c.path);
    EXPECT_EQ(image.width(), c.width);
    EXPECT_EQ(image.height(), c.height);
    if (c.transparent_corner) {
      EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
  }
  EXPECT_THROW(Load(":/art/NoSuchPicture.png"), std::runtime_error);
}

// The cell size as the main window measures it: the smallest n >= 1 for which
// pixel (n+1, 1), and the smallest m >= 1 for which pixel (1, m+1), has the
// separator colour of pixel (0,0).
TEST(Art, IconStripMeasuresThirtyTwoByThirtyTwo) {
  const QImage strip = Load(kIconStrip);
  const QRgb separator = strip.pixel(0, 0);
  int width = 1, height = 1;
  while (width + 1 < strip.width() && strip.pixel(width + 1, 1) != separator) ++width;
  while (height + 1 < strip.height() && strip.pixel(1, height + 1) != separator) ++height;
  EXPECT_EQ(width, 32);
  EXPECT_EQ(height, 32);
  const QRgb ground = strip.pixel(1, 1);
  EXPECT_NE(ground, separator);

  // Every cell holds a picture on the ground: the five bar pictures in two
  // looks that differ, and the six remote-window pictures of 16 x 16.
  auto cell = [&](int x, int y, int size) { return strip.copy(x, y, size, size); };
  auto drawn = [&](const QImage& image) {
    int ground_pixels = 0, picture_pixels = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) (image.pixel(x, y) == ground ? ground_pixels : picture_pixels)++;
    return ground_pixels > 0 && picture_pixels > image.width() * image.height() / 5;
  };
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    const QImage normal = cell((width + 1) * k + 1, 1, 32);
    const QImage hover = cell((width + 1) * k + 1, height + 2, 32);
    EXPECT_TRUE(drawn(normal));
    EXPECT_TRUE(drawn(hover));
    EXPECT_NE(normal, hover);
  }
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const QImage small = cell(17 * i + 1, 67, 16);
    EXPECT_TRUE(drawn(small));
    EXPECT_NE(strip.pixel(17 * i + 17, 70), ground) << "separator after the picture";
  }
}

TEST(Art, LogoFramesAreFiveDifferentFrames) {
  const QImage logo = Load(kLogoFrames);
  for (int a = 0; a < 5; ++a)
    for (int b = a + 1; b < 5; ++b)
      EXPECT_NE(logo.copy(67 * a + 1, 0, 65, 48), logo.copy(67 * b + 1, 0, 65, 48)) << a << " " << b;
}

}  // namespace
}  // namespace zv::art
