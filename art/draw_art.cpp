// draw_art FOLDER: draws every picture of the mapper and writes the PNGs into
// FOLDER (normally the art/ folder of the sources, where the rendered
// pictures are kept beside this program). Run it by hand after changing a
// drawing; the build only embeds the PNGs. Exit code 0 on success, 1 when a
// picture cannot be written or the icon strip would not measure as its
// readers expect.
//
// Style: flat shapes with a dark outline, a few strong colours, one light
// source from the top left; everything readable at 16 x 16.
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>

#include "art/draw_pictures.h"

namespace {

bool Save(const QImage& image, const QString& folder, const char* name) {
  const QString path = folder + "/" + name + ".png";
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "draw_art: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace art_drawing;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_art FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QImage strip = DrawStrip();
  if (!StripMeasuresRight(strip)) return 1;
  bool ok = Save(strip, folder, "Immagini");
  ok = Save(DrawLogoStrip(), folder, "LogoAniSrc") && ok;
  ok = Save(DrawPresenceIcons(), folder, "PresenceIcons") && ok;
  ok = Save(DrawSplash(), folder, "Splash") && ok;
  ok = Save(DrawTexture(), folder, "BkgTxture") && ok;
  ok = Save(DrawAboutLogo(), folder, "AboutLogo") && ok;
  ok = Save(DrawSaveGlyph(), folder, "SaveGlyph") && ok;
  ok = Save(DrawPrintGlyph(), folder, "PrintGlyph") && ok;
  // The program embeds 16, 32 and 48; the installation gives the desktop
  // every size of its icon theme.
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    ok = Save(DrawAppIcon(size), folder, qPrintable(QString("Zorvan%1").arg(size))) && ok;
  return ok ? 0 : 1;
}
