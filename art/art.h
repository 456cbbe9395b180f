// The mapper's pictures, embedded in the program by the zorvan_art library
// (Qt resources under ":/art/"). Each is drawn by draw_art; see README.md.
#pragma once

#include <QImage>

namespace zv::art {

// The main window's icon strip `Immagini` (165 x 83): two rows of five
// 32 x 32 bar pictures (normal, pointer over) and a row of six 16 x 16
// remote-window pictures at (17 i + 1, 67). Ground colour = pixel (1,1).
inline constexpr char kIconStrip[] = ":/art/Immagini.png";
// `LogoAniSrc` (335 x 49): five 65 x 48 logo frames at x = 67 k + 1.
inline constexpr char kLogoFrames[] = ":/art/LogoAniSrc.png";
// `PresenceIcons` (32 x 16, with alpha): image 1 "present" at x 0, image 2
// "missing" at x 16, each 16 x 16.
inline constexpr char kPresenceIcons[] = ":/art/PresenceIcons.png";
// The splash window's picture (260 x 149).
inline constexpr char kSplash[] = ":/art/Splash.png";
// The remote window's texture `BkgTxture` (68 x 41), tiled by the about box.
inline constexpr char kTexture[] = ":/art/BkgTxture.png";
// The about box's logo `ZVLogo` (132 x 168, with alpha).
inline constexpr char kAboutLogo[] = ":/art/AboutLogo.png";
// The text editor's tool bar glyphs (16 x 16, with alpha): save, print.
inline constexpr char kSaveGlyph[] = ":/art/SaveGlyph.png";
inline constexpr char kPrintGlyph[] = ":/art/PrintGlyph.png";
// The mapper's application icon at 16, 32 and 48 pixels (with alpha).
inline constexpr char kAppIcon16[] = ":/art/Zorvan16.png";
inline constexpr char kAppIcon32[] = ":/art/Zorvan32.png";
inline constexpr char kAppIcon48[] = ":/art/Zorvan48.png";

// The picture at one of the paths above. Throws std::runtime_error naming the
// path when it is not embedded: a fault of the build, not of the user.
QImage Load(const char* path);

}  // namespace zv::art
