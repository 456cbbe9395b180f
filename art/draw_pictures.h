// The pictures draw_art renders, each a complete image.
#pragma once

#include <QImage>

namespace art_drawing {

// The icon strip: five 32 x 32 bar pictures in a normal and a hover row, and
// six 16 x 16 remote-window pictures, on a key-coloured ground with grid lines.
QImage DrawStrip();
// Whether the strip measures from its pixels as the bar's reader expects.
bool StripMeasuresRight(const QImage& strip);
// The five frames of the animated logo side by side.
QImage DrawLogoStrip();
// The detailed list's presence marks, 16 x 16 each: present, absent.
QImage DrawPresenceIcons();
// The application icon, `size` pixels square: the compass alone below 32,
// the compass on its folded map from 32 up.
QImage DrawAppIcon(int size);
QImage DrawSplash();
// The remote window's tiled texture.
QImage DrawTexture();
QImage DrawAboutLogo();
// The text editor's tool bar glyphs (16 x 16, alpha): save and print.
QImage DrawSaveGlyph();
QImage DrawPrintGlyph();

}  // namespace art_drawing
