#include "mapper/shell/about_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "art/art.h"

namespace zv {
namespace {

TEST(AboutBox, TheTextureCoversTheBackgroundCellByCell) {
  const QImage texture = art::Load(art::kTexture);
  ASSERT_EQ(texture.size(), QSize(68, 41));
  for (const QSize size : {QSize(309, 197), QSize(68, 41), QSize(136, 40), QSize(10, 100)}) {
    SCOPED_TRACE(size.width());
    const QImage tiled = TileTexture(texture, size);
    ASSERT_EQ(tiled.size(), size);
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x)
        ASSERT_EQ(tiled.pixel(x, y), texture.pixel(x % 68, y % 41)) << x << "," << y;
  }
  TAboutBox box;
  EXPECT_EQ(box.Bkg->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
            TileTexture(texture, box.Bkg->size()));
  EXPECT_EQ(box.size(), QSize(329, 254));
}

TEST(AboutBox, TheSiteLinkTurnsRedWhilePressedThenOpensAndClosesTheBox) {
  TAboutBox box;
  std::vector<std::string> opened;
  int guides = 0;
  box.on_site = [&](const std::string& site) { opened.push_back(site); };
  box.on_guide = [&] { ++guides; };
  box.SiteURL->setText("zorvan.example.org");
  box.show();
  auto colour = [&] { return box.SiteURL->palette().color(QPalette::WindowText); };
  EXPECT_EQ(colour(), QColor(Qt::cyan));

  const QPointF at(5, 5);
  QMouseEvent press(QEvent::MouseButtonPress, at, box.SiteURL->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(box.SiteURL, &press);
  EXPECT_EQ(colour(), QColor(Qt::red));
  EXPECT_TRUE(opened.empty());
  QMouseEvent release(QEvent::MouseButtonRelease, at, box.SiteURL->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(box.SiteURL, &release);
  EXPECT_EQ(colour(), QColor(Qt::blue));
  EXPECT_EQ(opened, std::vector<std::string>{"zorvan.example.org"});
  EXPECT_FALSE(box.isVisible());

  box.show();
  EXPECT_EQ(colour(), QColor(Qt::cyan)) << "legible again on the dark texture";
  box.BitBtn1->click();
  EXPECT_EQ(guides, 1);
  EXPECT_TRUE(box.isVisible()) << "the guide leaves the box open";
  box.BitBtn2->click();
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace zv
