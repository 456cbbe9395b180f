// The editor's tool bar glyphs, 16 x 16 with alpha: a diskette for saving
// and a printer for printing.
#include "art/draw_kit.h"
#include "art/draw_pictures.h"

namespace art_drawing {

QImage DrawSaveGlyph() {
  QImage glyph = Canvas(16, 16);
  QPainter p(&glyph);
  Smooth(p);
  // The diskette's body with a clipped corner.
  QPainterPath body;
  body.moveTo(1.5, 1.5);
  body.lineTo(12.5, 1.5);
  body.lineTo(14.5, 3.5);
  body.lineTo(14.5, 14.5);
  body.lineTo(1.5, 14.5);
  body.closeSubpath();
  p.setPen(OutlinePen());
  p.setBrush(kBlue);
  p.drawPath(body);
  // The metal shutter at the top, with its window.
  p.setBrush(kSteel);
  p.drawRect(QRectF(4.5, 1.5, 7, 4.5));
  p.setPen(Qt::NoPen);
  p.setBrush(kOutline);
  p.drawRect(QRectF(8.5, 2.5, 2, 2.5));
  // The paper label at the bottom.
  p.setPen(OutlinePen(0.8));
  p.setBrush(kPaper);
  p.drawRect(QRectF(3.5, 8.5, 9, 6));
  p.setPen(QPen(kSteelDark, 0.8));
  p.drawLine(QPointF(5, 10.8), QPointF(11, 10.8));
  p.drawLine(QPointF(5, 12.6), QPointF(11, 12.6));
  return glyph;
}

QImage DrawPrintGlyph() {
  QImage glyph = Canvas(16, 16);
  QPainter p(&glyph);
  Smooth(p);
  // The sheet waiting at the back.
  p.setPen(OutlinePen(0.8));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 1.5, 7, 6));
  // The printer's body with its slot and a green light.
  p.setPen(OutlinePen());
  p.setBrush(kSteel);
  p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(kSteelDark);
  p.drawRect(QRectF(3, 10, 10, 1.2));
  p.setBrush(kGreen);
  p.drawEllipse(QPointF(12.2, 8.3), 0.9, 0.9);
  // The printed sheet coming out at the front, with lines of text.
  p.setPen(OutlinePen(0.8));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 10.5, 7, 4.5));
  p.setPen(QPen(kBlue, 0.8));
  p.drawLine(QPointF(6, 12.3), QPointF(10, 12.3));
  p.drawLine(QPointF(6, 13.8), QPointF(9, 13.8));
  return glyph;
}

}  // namespace art_drawing
