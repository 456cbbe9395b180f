// The drawing kit shared by draw_art's pictures: colours, pens, fonts and
// the flattening of drawn art onto the icon strip's ground.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace art_drawing {

// ---- Colours shared by the pictures.

inline const QColor kOutline(34, 40, 64);
inline const QColor kPaper(255, 255, 250);
inline const QColor kPaperShade(226, 230, 238);
inline const QColor kMapLight(250, 238, 196);
inline const QColor kMapFold(226, 210, 160);
inline const QColor kLand(96, 176, 72);
inline const QColor kWater(56, 120, 216);
inline const QColor kBlue(40, 96, 208);
inline const QColor kBlueLight(110, 170, 250);
inline const QColor kGreen(40, 160, 64);
inline const QColor kRed(214, 40, 40);
inline const QColor kSteel(150, 166, 190);
inline const QColor kSteelDark(96, 112, 140);
inline const QColor kGlow(255, 228, 110);

// The strip's key colours: a flat ground that the program repaints with the
// button face, and the separator lines of the grid. Neither occurs inside a
// picture (Flatten keeps them out).
inline const QColor kGround(255, 0, 255);
inline const QColor kSeparator(0, 128, 128);
// The button face the pictures' soft edges are blended against.
inline const QColor kFace(224, 224, 224);

// Lightens a colour for the pictures shown while the pointer is over them.
inline QColor Lit(const QColor& c, bool lit) { return lit ? c.lighter(118) : c; }

// A transparent canvas of w x h.
QImage Canvas(int w, int h);
// Antialiased shapes and text.
void Smooth(QPainter& p);
// The dark outline every shape is drawn with.
QPen OutlinePen(qreal width = 1.0);
QFont BoldFont(qreal pixels);
// A text as a path, centred on (cx, cy) by its ink.
QPainterPath CentredText(const QString& text, const QFont& font, qreal cx, qreal cy);
// Copies a drawn picture (with alpha) onto `target` at (x, y): pixels that
// are mostly transparent become the ground colour, the others are blended
// against the button face, so edges stay smooth once the ground is repainted
// with the face colour. Pixels that would equal a key colour are nudged.
void Flatten(const QImage& art, QImage& target, int x, int y, int threshold = 40);
// A soft halo of `colour` around the opaque parts of `art`.
QImage Halo(const QImage& art, const QColor& colour, int radius, int passes);

}  // namespace art_drawing
