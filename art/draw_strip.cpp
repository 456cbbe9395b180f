// The icon strip: the bar's five pictures and the remote window's six.
#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

#include <cmath>
#include <cstdio>
#include <functional>

#include "art/draw_kit.h"
#include "art/draw_pictures.h"

namespace art_drawing {
namespace {

// ---- The five bar pictures, 32 x 32, drawn inside (1,1)-(31,31) so that the
// first row and column of every cell stay ground.

// 0: a folded paper map with a river and land, and a green "+" badge.
void DrawNewMap(QPainter& p, bool lit) {
  const QPolygonF left({{3, 7}, {11, 4}, {11, 25}, {3, 28}});
  const QPolygonF middle({{11, 4}, {20, 7}, {20, 28}, {11, 25}});
  const QPolygonF right({{20, 7}, {28, 4}, {28, 25}, {20, 28}});
  p.setPen(Qt::NoPen);
  p.setBrush(Lit(kMapLight, lit));
  p.drawPolygon(left);
  p.drawPolygon(right);
  p.setBrush(Lit(kMapFold, lit));
  p.drawPolygon(middle);

  // Land and a river crossing the three panels.
  p.save();
  QPainterPath clip;
  clip.addPolygon(QPolygonF({{3, 7}, {11, 4}, {20, 7}, {28, 4}, {28, 25}, {20, 28}, {11, 25}, {3, 28}}));
  p.setClipPath(clip);
  p.setBrush(Lit(kLand, lit));
  p.drawEllipse(QRectF(2, 6, 11, 9));
  p.drawEllipse(QRectF(17, 19, 12, 10));
  QPainterPath river(QPointF(2, 22));
  river.cubicTo(8, 17, 12, 13, 16, 15);
  river.cubicTo(20, 17, 24, 9, 29, 8);
  QPen water(Lit(kWater, lit), 2.2);
  water.setCapStyle(Qt::FlatCap);
  p.setPen(water);
  p.setBrush(Qt::NoBrush);
  p.drawPath(river);
  p.restore();

  p.setPen(OutlinePen());
  p.setBrush(Qt::NoBrush);
  p.drawPolygon(QPolygonF({{3, 7}, {11, 4}, {20, 7}, {28, 4}, {28, 25}, {20, 28}, {11, 25}, {3, 28}}));
  QPen fold(kOutline, 0.8);
  fold.setColor(QColor(90, 80, 60));
  p.setPen(fold);
  p.drawLine(QPointF(11, 4.5), QPointF(11, 24.5));
  p.drawLine(QPointF(20, 7.5), QPointF(20, 27.5));

  // The "+" badge.
  p.setPen(OutlinePen());
  p.setBrush(Lit(kGreen, lit));
  p.drawEllipse(QPointF(24.5, 24.5), 6.2, 6.2);
  QPen plus(Qt::white, 2.4);
  plus.setCapStyle(Qt::FlatCap);
  p.setPen(plus);
  p.drawLine(QPointF(24.5, 20.8), QPointF(24.5, 28.2));
  p.drawLine(QPointF(20.8, 24.5), QPointF(28.2, 24.5));
}

// A sheet of paper with a folded top-right corner inside `box`.
void DrawPage(QPainter& p, const QRectF& box, qreal corner, bool lit, qreal pen_width = 1.0) {
  QPainterPath page;
  page.moveTo(box.left(), box.top());
  page.lineTo(box.right() - corner, box.top());
  page.lineTo(box.right(), box.top() + corner);
  page.lineTo(box.right(), box.bottom());
  page.lineTo(box.left(), box.bottom());
  page.closeSubpath();
  QLinearGradient shade(box.topLeft(), box.bottomRight());
  shade.setColorAt(0, Lit(kPaper, lit));
  shade.setColorAt(1, Lit(kPaperShade, lit));
  p.setPen(OutlinePen(pen_width));
  p.setBrush(shade);
  p.drawPath(page);
  QPainterPath ear;
  ear.moveTo(box.right() - corner, box.top());
  ear.lineTo(box.right() - corner, box.top() + corner);
  ear.lineTo(box.right(), box.top() + corner);
  p.setBrush(Lit(QColor(200, 206, 220), lit));
  p.drawPath(ear);
}

// 1: a document with a blue question badge.
void DrawIdentify(QPainter& p, bool lit) {
  DrawPage(p, QRectF(5.5, 2.5, 17, 24), 6, lit);
  QPen line(QColor(150, 160, 180), 1.4);
  line.setCapStyle(Qt::FlatCap);
  p.setPen(line);
  for (qreal y : {8.5, 12.5, 16.5, 20.5}) p.drawLine(QPointF(8.5, y), QPointF(y < 10 ? 14.5 : 19.5, y));

  p.setPen(OutlinePen());
  QRadialGradient ball(QPointF(20.5, 19.5), 9);
  ball.setColorAt(0, Lit(kBlueLight, lit));
  ball.setColorAt(1, Lit(kBlue, lit));
  p.setBrush(ball);
  p.drawEllipse(QPointF(22.5, 22.5), 7.8, 7.8);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(CentredText("?", BoldFont(13), 22.6, 22.6));
}

// 2: a metal bin with a lid.
void DrawTrash(QPainter& p, bool lit) {
  QPainterPath body;
  body.moveTo(8, 10.5);
  body.lineTo(24, 10.5);
  body.lineTo(22.2, 29.5);
  body.lineTo(9.8, 29.5);
  body.closeSubpath();
  QLinearGradient metal(QPointF(8, 0), QPointF(24, 0));
  metal.setColorAt(0, Lit(kSteel.lighter(115), lit));
  metal.setColorAt(0.45, Lit(kSteel, lit));
  metal.setColorAt(1, Lit(kSteelDark, lit));
  p.setPen(OutlinePen());
  p.setBrush(metal);
  p.drawPath(body);
  QPen rib(Lit(QColor(70, 84, 110), lit), 1.1);
  p.setPen(rib);
  for (qreal x : {12.5, 16.0, 19.5}) p.drawLine(QPointF(x, 13.5), QPointF(x + (x - 16) * 0.08, 26.5));

  // Lid and handle.
  p.setPen(OutlinePen());
  p.setBrush(Lit(kSteelDark.lighter(125), lit));
  p.drawRoundedRect(QRectF(12.5, 3.5, 7, 4), 1.5, 1.5);
  QLinearGradient lid(QPointF(0, 6), QPointF(0, 10));
  lid.setColorAt(0, Lit(kSteel.lighter(120), lit));
  lid.setColorAt(1, Lit(kSteelDark, lit));
  p.setBrush(lid);
  p.drawRoundedRect(QRectF(5.5, 6.5, 21, 4), 1.5, 1.5);
}

// 3: an information badge.
void DrawAbout(QPainter& p, bool lit) {
  QRadialGradient ball(QPointF(12, 10), 18);
  ball.setColorAt(0, Lit(kBlueLight, lit));
  ball.setColorAt(1, Lit(kBlue.darker(115), lit));
  p.setPen(OutlinePen());
  p.setBrush(ball);
  p.drawEllipse(QPointF(16, 16), 13.5, 13.5);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(16, 9.2), 2.5, 2.5);
  QPainterPath stem;
  stem.moveTo(12.5, 13.5);
  stem.lineTo(18, 13.5);
  stem.lineTo(18, 22.5);
  stem.lineTo(20, 22.5);
  stem.lineTo(20, 25);
  stem.lineTo(12, 25);
  stem.lineTo(12, 22.5);
  stem.lineTo(14, 22.5);
  stem.lineTo(14, 16);
  stem.lineTo(12.5, 16);
  stem.closeSubpath();
  p.drawPath(stem);
}

// 4: a watching eye with a green iris, like the probe's own icon.
void DrawVigilo(QPainter& p, bool lit) {
  QPainterPath eye;
  eye.moveTo(2, 16);
  eye.quadTo(16, 1, 30, 16);
  eye.quadTo(16, 31, 2, 16);
  p.setPen(OutlinePen(1.2));
  p.setBrush(Lit(kPaper, lit));
  p.drawPath(eye);
  p.save();
  p.setClipPath(eye);
  QRadialGradient iris(QPointF(14.5, 14), 9);
  iris.setColorAt(0, Lit(QColor(120, 214, 120), lit));
  iris.setColorAt(1, Lit(QColor(24, 120, 52), lit));
  p.setBrush(iris);
  p.setPen(OutlinePen(1.0));
  p.drawEllipse(QPointF(16, 16), 7.2, 7.2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(16, 20, 32));
  p.drawEllipse(QPointF(16, 16), 3.3, 3.3);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(13.6, 13.4), 1.7, 1.7);
  p.restore();
  p.setPen(OutlinePen(1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(eye);
}

// ---- The six remote-window pictures, 16 x 16.

void DrawPencil(QPainter& p, QPointF tip, qreal length, qreal width) {
  p.save();
  p.translate(tip);
  p.rotate(-45);
  const qreal w = width / 2;
  QPainterPath wood;
  wood.moveTo(0, 0);
  wood.lineTo(3, -w);
  wood.lineTo(3, w);
  wood.closeSubpath();
  p.setPen(OutlinePen(0.9));
  p.setBrush(QColor(240, 200, 150));
  p.drawPath(wood);
  p.setBrush(QColor(250, 196, 40));
  p.drawRect(QRectF(3, -w, length - 6, width));
  p.setBrush(QColor(236, 120, 140));
  p.drawRect(QRectF(length - 3, -w, 3, width));
  p.setPen(Qt::NoPen);
  p.setBrush(kOutline);
  p.drawEllipse(QPointF(0.6, 0), 0.8, 0.8);
  p.restore();
}

void DrawSmallPage(QPainter& p, const QRectF& box) {
  DrawPage(p, box, 3.5, false, 0.9);
  QPen line(QColor(150, 160, 180), 1.0);
  line.setCapStyle(Qt::FlatCap);
  p.setPen(line);
  for (qreal y = box.top() + 5; y < box.bottom() - 1.5; y += 2.5)
    p.drawLine(QPointF(box.left() + 2, y), QPointF(box.right() - 2, y));
}

void DrawSmallMap(QPainter& p) {
  const QPolygonF outline({{1, 3.5}, {5.5, 1.5}, {10, 3.5}, {14.5, 1.5}, {14.5, 12.5}, {10, 14.5}, {5.5, 12.5}, {1, 14.5}});
  p.setPen(Qt::NoPen);
  p.setBrush(kMapLight);
  p.drawPolygon(outline);
  p.setBrush(kMapFold);
  p.drawPolygon(QPolygonF({{5.5, 1.5}, {10, 3.5}, {10, 14.5}, {5.5, 12.5}}));
  p.save();
  QPainterPath clip;
  clip.addPolygon(outline);
  p.setClipPath(clip);
  QPen water(kWater, 1.5);
  p.setPen(water);
  QPainterPath river(QPointF(1, 11));
  river.cubicTo(5, 8, 8, 9, 15, 5);
  p.drawPath(river);
  p.restore();
  p.setPen(OutlinePen(0.9));
  p.setBrush(Qt::NoBrush);
  p.drawPolygon(outline);
}

// A red round badge with a white cross (delete) or a white bar (remove). The
// red is dark enough that the mark still stands out in the remote window's
// red-only hover copy.
void DrawRedBadge(QPainter& p, QPointF centre, qreal radius, bool cross) {
  p.setPen(OutlinePen(0.9));
  p.setBrush(kRed.darker(120));
  p.drawEllipse(centre, radius, radius);
  QPen mark(Qt::white, 1.6);
  mark.setCapStyle(Qt::FlatCap);
  p.setPen(mark);
  const qreal r = radius * 0.5;
  if (cross) {
    p.drawLine(centre + QPointF(-r, -r), centre + QPointF(r, r));
    p.drawLine(centre + QPointF(-r, r), centre + QPointF(r, -r));
  } else {
    p.drawLine(centre + QPointF(-radius * 0.6, 0), centre + QPointF(radius * 0.6, 0));
  }
}

void DrawSmallBin(QPainter& p) {
  QPainterPath body;
  body.moveTo(3.5, 5.5);
  body.lineTo(12.5, 5.5);
  body.lineTo(11.5, 14.5);
  body.lineTo(4.5, 14.5);
  body.closeSubpath();
  QLinearGradient metal(QPointF(3.5, 0), QPointF(12.5, 0));
  metal.setColorAt(0, kSteel.lighter(115));
  metal.setColorAt(1, kSteelDark);
  p.setPen(OutlinePen(0.9));
  p.setBrush(metal);
  p.drawPath(body);
  p.setPen(QPen(QColor(70, 84, 110), 0.9));
  p.drawLine(QPointF(6.5, 7.5), QPointF(6.8, 12.5));
  p.drawLine(QPointF(9.5, 7.5), QPointF(9.2, 12.5));
  p.setPen(OutlinePen(0.9));
  p.setBrush(kSteel);
  p.drawRect(QRectF(2.5, 3.5, 11, 2));
  p.drawRect(QRectF(6.5, 1.5, 3, 2));
}

void DrawRemote(QPainter& p, int index) {
  switch (index) {
    case 0:  // edit the map
      DrawSmallPage(p, QRectF(1.5, 1.5, 10, 13));
      DrawPencil(p, QPointF(6, 13), 13, 3.4);
      break;
    case 1: {  // rename the map: a name field with a text cursor
      p.setPen(OutlinePen(0.9));
      p.setBrush(kPaper);
      p.drawRoundedRect(QRectF(0.5, 4.5, 15, 8), 1.5, 1.5);
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      p.drawPath(CentredText("ab", BoldFont(8), 6.0, 8.8));
      QPen cursor(kRed, 1.2);
      p.setPen(cursor);
      p.drawLine(QPointF(12, 2.5), QPointF(12, 14.5));
      p.drawLine(QPointF(10.5, 2.5), QPointF(13.5, 2.5));
      p.drawLine(QPointF(10.5, 14.5), QPointF(13.5, 14.5));
      break;
    }
    case 2:  // unmap: the map with a "remove" badge
      DrawSmallMap(p);
      DrawRedBadge(p, QPointF(11.5, 11.5), 4, false);
      break;
    case 3:  // delete the selected file
      DrawSmallPage(p, QRectF(2.5, 0.5, 10, 13));
      DrawRedBadge(p, QPointF(11.5, 11.5), 4, true);
      break;
    case 4:  // delete the application's files
      DrawSmallBin(p);
      break;
    case 5: {  // refresh: two chasing arrows
      QPen arc(kGreen, 2.2);
      arc.setCapStyle(Qt::FlatCap);
      const QRectF ring(2.5, 2.5, 11, 11);
      for (int half = 0; half < 2; ++half) {
        p.save();
        p.translate(8, 8);
        p.rotate(180 * half);
        p.translate(-8, -8);
        p.setPen(arc);
        p.setBrush(Qt::NoBrush);
        p.drawArc(ring, 200 * 16, 120 * 16);
        // Arrow head at the arc's end (angle 320 degrees, counter-clockwise).
        const qreal a = qDegreesToRadians(320.0);
        const QPointF end(8 + 5.5 * std::cos(a), 8 - 5.5 * std::sin(a));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen.darker(110));
        p.drawPolygon(QPolygonF({end + QPointF(-2.8, -2.2), end + QPointF(2.9, -1.2), end + QPointF(0.6, 3.4)}));
        p.restore();
      }
      break;
    }
  }
}

// ---- The icon strip.

using Drawing = std::function<void(QPainter&, bool)>;

}  // namespace

QImage DrawStrip() {
  QImage strip(165, 83, QImage::Format_RGB32);
  strip.fill(kGround);
  // Separator lines: the frame of the 32 x 32 grid (two rows of five), and
  // the 16 x 16 row below it.
  const QRgb sep = kSeparator.rgb();
  for (int x = 0; x < 165; ++x)
    for (int y : {0, 33, 66}) strip.setPixel(x, y, sep);
  for (int y = 0; y <= 66; ++y)
    for (int x = 0; x < 165; x += 33) strip.setPixel(x, y, sep);
  for (int y = 66; y < 83; ++y)
    for (int x = 0; x <= 102; x += 17) strip.setPixel(x, y, sep);

  const Drawing drawings[] = {DrawNewMap, DrawIdentify, DrawTrash, DrawAbout, DrawVigilo};
  for (int k = 0; k < 5; ++k) {
    for (int row = 0; row < 2; ++row) {
      const bool lit = row == 1;
      QImage art = Canvas(32, 32);
      {
        QPainter p(&art);
        Smooth(p);
        drawings[k](p, lit);
      }
      if (lit) {
        QImage glowing = Halo(art, kGlow, 2, 3);
        QPainter p(&glowing);
        p.drawImage(0, 0, art);
        p.end();
        art = glowing;
      }
      Flatten(art, strip, 33 * k + 1, 33 * row + 1, lit ? 12 : 40);
    }
  }
  for (int i = 0; i < 6; ++i) {
    QImage art = Canvas(16, 16);
    {
      QPainter p(&art);
      Smooth(p);
      DrawRemote(p, i);
    }
    Flatten(art, strip, 17 * i + 1, 67);
  }
  return strip;
}

// The strip's readers find the grid by measuring from the top-left corner;
// this repeats their measure, so a drawing that breaks it is caught here.
bool StripMeasuresRight(const QImage& strip) {
  const QRgb sep = strip.pixel(0, 0);
  int width = 1, height = 1;
  while (width < strip.width() - 1 && strip.pixel(width + 1, 1) != sep) ++width;
  while (height < strip.height() - 1 && strip.pixel(1, height + 1) != sep) ++height;
  if (width != 32 || height != 32) {
    std::fprintf(stderr, "draw_art: the strip measures %d x %d, not 32 x 32\n", width, height);
    return false;
  }
  return true;
}

}  // namespace art_drawing
