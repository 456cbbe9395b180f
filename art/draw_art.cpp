// draw_art FOLDER: draws every picture of the mapper and writes the PNGs into
// FOLDER (normally the art/ folder of the sources, where the rendered
// pictures are kept beside this program). Run it by hand after changing a
// drawing; the build only embeds the PNGs. Exit code 0 on success, 1 when a
// picture cannot be written or the icon strip would not measure as its
// readers expect.
//
// Style: flat shapes with a dark outline, a few strong colours, one light
// source from the top left; everything readable at 16 x 16.
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QtMath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// ---- Colours shared by the pictures.

const QColor kOutline(34, 40, 64);
const QColor kPaper(255, 255, 250);
const QColor kPaperShade(226, 230, 238);
const QColor kMapLight(250, 238, 196);
const QColor kMapFold(226, 210, 160);
const QColor kLand(96, 176, 72);
const QColor kWater(56, 120, 216);
const QColor kBlue(40, 96, 208);
const QColor kBlueLight(110, 170, 250);
const QColor kGreen(40, 160, 64);
const QColor kRed(214, 40, 40);
const QColor kSteel(150, 166, 190);
const QColor kSteelDark(96, 112, 140);
const QColor kGlow(255, 228, 110);

// The strip's key colours: a flat ground that the program repaints with the
// button face, and the separator lines of the grid. Neither occurs inside a
// picture (Flatten keeps them out).
const QColor kGround(255, 0, 255);
const QColor kSeparator(0, 128, 128);
// The button face the pictures' soft edges are blended against.
const QColor kFace(224, 224, 224);

// Lightens a colour for the pictures shown while the pointer is over them.
QColor Lit(const QColor& c, bool lit) { return lit ? c.lighter(118) : c; }

QImage Canvas(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
}

QPen OutlinePen(qreal width = 1.0) {
  QPen pen(kOutline, width);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

QFont BoldFont(qreal pixels) {
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(qRound(pixels));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// A text as a path, centred on (cx, cy) by its ink.
QPainterPath CentredText(const QString& text, const QFont& font, qreal cx, qreal cy) {
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF box = path.boundingRect();
  path.translate(cx - box.center().x(), cy - box.center().y());
  return path;
}

// ---- Flattening onto the strip's ground.

// Copies a drawn picture (with alpha) onto `target` at (x, y): pixels that
// are mostly transparent become the ground colour, the others are blended
// against the button face, so edges stay smooth once the ground is repainted
// with the face colour. Pixels that would equal a key colour are nudged.
void Flatten(const QImage& art, QImage& target, int x, int y, int threshold = 40) {
  for (int j = 0; j < art.height(); ++j) {
    for (int i = 0; i < art.width(); ++i) {
      const QColor c = art.pixelColor(i, j);  // unpremultiplied
      QColor out = kGround;
      if (c.alpha() >= threshold) {
        const qreal a = c.alphaF();
        out = QColor(qRound(c.red() * a + kFace.red() * (1 - a)), qRound(c.green() * a + kFace.green() * (1 - a)),
                     qRound(c.blue() * a + kFace.blue() * (1 - a)));
        if (out == kGround || out == kSeparator) out.setBlue(out.blue() ^ 1);
      }
      target.setPixel(x + i, y + j, out.rgb());
    }
  }
}

// A soft halo of `colour` around the opaque parts of `art`.
QImage Halo(const QImage& art, const QColor& colour, int radius, int passes) {
  const int w = art.width(), h = art.height();
  std::vector<float> a(w * h), b(w * h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) a[j * w + i] = qAlpha(art.pixel(i, j)) / 255.0f;
  for (int pass = 0; pass < passes; ++pass) {
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        float sum = 0;
        int n = 0;
        for (int k = -radius; k <= radius; ++k)
          if (i + k >= 0 && i + k < w) sum += a[j * w + i + k], ++n;
        b[j * w + i] = sum / n;
      }
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        float sum = 0;
        int n = 0;
        for (int k = -radius; k <= radius; ++k)
          if (j + k >= 0 && j + k < h) sum += b[(j + k) * w + i], ++n;
        a[j * w + i] = sum / n;
      }
  }
  QImage halo = Canvas(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float v = std::min(1.0f, a[j * w + i] * 3.0f);
      QColor c = colour;
      c.setAlphaF(v);
      halo.setPixelColor(i, j, c);
    }
  return halo;
}

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

// ---- The animated logo: five frames of a globe turning behind "DUV",
// standing in for the "O". Meridians are 36 degrees apart and move 7.2
// degrees a frame, so the fifth frame leads back into the first.

void DrawGlobe(QPainter& p, QPointF c, qreal r, qreal turn_degrees) {
  QRadialGradient sea(c + QPointF(-r * 0.35, -r * 0.4), r * 1.3);
  sea.setColorAt(0, QColor(120, 200, 255));
  sea.setColorAt(0.6, QColor(30, 110, 210));
  sea.setColorAt(1, QColor(12, 50, 120));
  p.setPen(Qt::NoPen);
  p.setBrush(sea);
  p.drawEllipse(c, r, r);

  QPen grid(QColor(220, 245, 255, 150), 0.7);
  p.setPen(grid);
  p.setBrush(Qt::NoBrush);
  for (int lat : {-50, -25, 0, 25, 50}) {
    const qreal y = c.y() - r * std::sin(qDegreesToRadians(qreal(lat)));
    const qreal half = r * std::cos(qDegreesToRadians(qreal(lat)));
    p.drawLine(QPointF(c.x() - half, y), QPointF(c.x() + half, y));
  }
  for (int m = 0; m < 10; ++m) {
    const qreal lon = qDegreesToRadians(m * 36.0 + turn_degrees);
    if (std::cos(lon) <= 0) continue;  // behind the globe
    QPainterPath meridian;
    for (int lat = -90; lat <= 90; lat += 6) {
      const qreal la = qDegreesToRadians(qreal(lat));
      const QPointF pt(c.x() + r * std::sin(lon) * std::cos(la), c.y() - r * std::sin(la));
      if (lat == -90) meridian.moveTo(pt); else meridian.lineTo(pt);
    }
    p.setPen(QPen(QColor(235, 250, 255, 230), 1.1));
    p.drawPath(meridian);
  }
  p.setPen(QPen(QColor(255, 255, 255, 200), 1.0));
  p.drawEllipse(c, r, r);
}

void DrawLogoFrame(QPainter& p, int frame) {
  const QRectF box(0, 0, 65, 48);
  QLinearGradient ground(box.topLeft(), box.bottomLeft());
  ground.setColorAt(0, QColor(18, 36, 92));
  ground.setColorAt(1, QColor(6, 14, 46));
  p.setPen(Qt::NoPen);
  p.setBrush(ground);
  p.drawRect(box);

  const QFont letters = BoldFont(16);
  QPainterPath duv;
  duv.addText(0, 0, letters, "DUV");
  const QRectF ink = duv.boundingRect();
  const qreal globe_r = 8.5;
  const qreal total = ink.width() + 1.5 + 2 * globe_r;
  const qreal left = (65 - total) / 2;
  const qreal mid_y = 19;
  duv.translate(left - ink.left(), mid_y - ink.center().y());
  QLinearGradient gold(QPointF(0, mid_y - 9), QPointF(0, mid_y + 9));
  gold.setColorAt(0, QColor(255, 240, 170));
  gold.setColorAt(1, QColor(236, 170, 40));
  p.setPen(QPen(QColor(4, 8, 30), 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawPath(duv.translated(0.8, 0.8));
  p.setPen(Qt::NoPen);
  p.setBrush(gold);
  p.drawPath(duv);

  DrawGlobe(p, QPointF(left + ink.width() + 1.5 + globe_r, mid_y), globe_r, frame * 7.2);

  QFont small("DejaVu Sans");
  small.setPixelSize(8);
  small.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
  small.setHintingPreference(QFont::PreferNoHinting);
  p.setBrush(QColor(170, 200, 255));
  p.drawPath(CentredText("TEAM", small, 32.5, 38.5));
  p.setPen(QPen(QColor(90, 130, 210), 1));
  p.drawLine(QPointF(6, 38.5), QPointF(14, 38.5));
  p.drawLine(QPointF(51, 38.5), QPointF(59, 38.5));
}

QImage DrawLogoStrip() {
  QImage strip(335, 49, QImage::Format_RGB32);
  strip.fill(QColor(6, 14, 46));
  for (int k = 0; k < 5; ++k) {
    QImage frame(65, 48, QImage::Format_RGB32);
    QPainter p(&frame);
    Smooth(p);
    DrawLogoFrame(p, k);
    p.end();
    QPainter s(&strip);
    s.drawImage(67 * k + 1, 0, frame);
  }
  return strip;
}

// ---- Presence marks of the detailed list: present (a green tick) and
// missing (a red cross), side by side as an image list of two 16 x 16 images.

QImage DrawPresenceIcons() {
  QImage icons = Canvas(32, 16);
  QPainter p(&icons);
  Smooth(p);
  QRadialGradient green(QPointF(6, 5), 10);
  green.setColorAt(0, QColor(120, 220, 110));
  green.setColorAt(1, QColor(30, 140, 50));
  p.setPen(OutlinePen(0.9));
  p.setBrush(green);
  p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
  QPen tick(Qt::white, 2.0);
  tick.setCapStyle(Qt::RoundCap);
  tick.setJoinStyle(Qt::RoundJoin);
  p.setPen(tick);
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygonF({{4.8, 8.3}, {7.2, 10.7}, {11.4, 5.6}}));

  QRadialGradient red(QPointF(22, 5), 10);
  red.setColorAt(0, QColor(255, 120, 110));
  red.setColorAt(1, QColor(190, 24, 24));
  p.setPen(OutlinePen(0.9));
  p.setBrush(red);
  p.drawEllipse(QPointF(24, 8), 6.8, 6.8);
  QPen cross(Qt::white, 2.0);
  cross.setCapStyle(Qt::RoundCap);
  p.setPen(cross);
  p.drawLine(QPointF(21.2, 5.2), QPointF(26.8, 10.8));
  p.drawLine(QPointF(21.2, 10.8), QPointF(26.8, 5.2));
  return icons;
}

// ---- The application icon: a compass over a folded map. `size` is 16, 32
// or 48; the small one keeps only the compass.

void DrawCompass(QPainter& p, QPointF c, qreal r, qreal pen, bool small = false) {
  QRadialGradient face(c + QPointF(-r * 0.3, -r * 0.3), r * 1.2);
  face.setColorAt(0, QColor(255, 255, 255));
  face.setColorAt(1, QColor(206, 222, 240));
  p.setPen(QPen(kOutline, pen));
  p.setBrush(QColor(40, 90, 180));
  p.drawEllipse(c, r, r);
  p.setBrush(face);
  p.drawEllipse(c, r * (small ? 0.8 : 0.78), r * (small ? 0.8 : 0.78));
  // The small icon gets a bolder needle so that it still reads at 16 pixels.
  const qreal n = r * (small ? 0.8 : 0.68), w = r * (small ? 0.34 : 0.22);
  // North half red, south half dark, tilted a little to look alive.
  p.save();
  p.translate(c);
  p.rotate(small ? 45 : 28);
  p.setPen(QPen(kOutline, pen * 0.6));
  p.setBrush(kRed);
  p.drawPolygon(QPolygonF({{0, -n}, {w, 0}, {-w, 0}}));
  p.setBrush(QColor(60, 70, 90));
  p.drawPolygon(QPolygonF({{0, n}, {w, 0}, {-w, 0}}));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(0, 0), w * 0.45, w * 0.45);
  p.restore();
}

// The folded map with the compass on it, on a 48 x 48 grid.
void DrawMapAndCompass(QPainter& p) {
  const QPolygonF map({{3, 12}, {16, 6}, {31, 12}, {45, 6}, {45, 36}, {31, 42}, {16, 36}, {3, 42}});
  p.setPen(Qt::NoPen);
  p.setBrush(kMapLight);
  p.drawPolygon(map);
  p.setBrush(kMapFold);
  p.drawPolygon(QPolygonF({{16, 6}, {31, 12}, {31, 42}, {16, 36}}));
  p.save();
  QPainterPath clip;
  clip.addPolygon(map);
  p.setClipPath(clip);
  p.setBrush(kLand);
  p.drawEllipse(QRectF(1, 12, 16, 14));
  p.drawEllipse(QRectF(33, 28, 16, 14));
  QPen water(kWater, 3);
  p.setPen(water);
  p.setBrush(Qt::NoBrush);
  QPainterPath river(QPointF(2, 34));
  river.cubicTo(12, 26, 20, 30, 28, 24);
  river.cubicTo(34, 19, 40, 16, 46, 14);
  p.drawPath(river);
  p.restore();
  p.setPen(QPen(kOutline, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPolygon(map);
  DrawCompass(p, QPointF(28, 28), 15, 1.6);
}

QImage DrawAppIcon(int size) {
  QImage icon = Canvas(size, size);
  QPainter p(&icon);
  Smooth(p);
  if (size <= 16) {
    DrawCompass(p, QPointF(8, 8), 7.4, 1.0, true);
    return icon;
  }
  p.scale(size / 48.0, size / 48.0);
  DrawMapAndCompass(p);
  return icon;
}

// ---- The splash picture, the client area of the splash window: the name
// over a deep blue map grid with a compass rose. The band from y = 100 down
// stays calm for the white label, message line and gauge drawn over it.

void DrawRose(QPainter& p, QPointF c, qreal r, const QColor& colour) {
  p.save();
  p.translate(c);
  p.setPen(QPen(colour, 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(0, 0), r * 0.82, r * 0.82);
  p.drawEllipse(QPointF(0, 0), r * 0.66, r * 0.66);
  for (int i = 0; i < 8; ++i) {
    const qreal len = i % 2 ? r * 0.6 : r;
    const qreal w = i % 2 ? r * 0.09 : r * 0.14;
    QPainterPath ray;
    ray.moveTo(0, -len);
    ray.lineTo(w, -w);
    ray.lineTo(0, 0);
    ray.lineTo(-w, -w);
    ray.closeSubpath();
    p.setBrush(i % 2 ? Qt::NoBrush : QBrush(colour));
    p.drawPath(ray);
    p.rotate(45);
  }
  p.restore();
}

QImage DrawSplash() {
  QImage splash(260, 149, QImage::Format_RGB32);
  QPainter p(&splash);
  Smooth(p);
  QLinearGradient sky(QPointF(0, 0), QPointF(0, 149));
  sky.setColorAt(0, QColor(30, 80, 190));
  sky.setColorAt(0.62, QColor(14, 44, 140));
  sky.setColorAt(1, QColor(8, 24, 90));
  p.fillRect(splash.rect(), sky);

  // A faint map grid: parallels and gently curved meridians.
  QPen grid(QColor(120, 170, 255, 38), 1);
  p.setPen(grid);
  for (int y = 12; y < 100; y += 16) p.drawLine(QPointF(0, y + 0.5), QPointF(260, y + 0.5));
  for (int x = -20; x < 280; x += 26) {
    QPainterPath meridian(QPointF(x, 0));
    meridian.quadTo(x + 10, 50, x + 2, 100);
    p.drawPath(meridian);
  }

  DrawRose(p, QPointF(222, 50), 33, QColor(150, 190, 255, 70));

  // The name, with a soft shadow.
  QFont title("DejaVu Serif");
  title.setBold(true);
  title.setItalic(true);
  title.setPixelSize(40);
  title.setHintingPreference(QFont::PreferNoHinting);
  QPainterPath name;
  name.addText(0, 0, title, "Zorvan");
  const QRectF ink = name.boundingRect();
  name.translate(20 - ink.left(), 46 - ink.center().y());
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 8, 40, 150));
  p.drawPath(name.translated(2, 2));
  QLinearGradient silver(QPointF(0, 28), QPointF(0, 64));
  silver.setColorAt(0, QColor(255, 255, 255));
  silver.setColorAt(1, QColor(190, 215, 255));
  p.setBrush(silver);
  p.drawPath(name);

  QFont tag("DejaVu Sans");
  tag.setPixelSize(11);
  tag.setHintingPreference(QFont::PreferNoHinting);
  QPainterPath line;
  line.addText(0, 0, tag, "the map of every installation");
  line.translate(22 - line.boundingRect().left(), 80);
  p.setBrush(QColor(170, 200, 255));
  p.drawPath(line);

  // A thin rule above the calm band.
  QLinearGradient rule(QPointF(14, 0), QPointF(246, 0));
  rule.setColorAt(0, QColor(120, 170, 255, 0));
  rule.setColorAt(0.5, QColor(160, 200, 255, 160));
  rule.setColorAt(1, QColor(120, 170, 255, 0));
  p.fillRect(QRectF(14, 96, 232, 1), rule);
  return splash;
}

// ---- The remote window's texture (tiled by the about box behind its white
// labels): a dark blue, seamlessly tiling pattern of contour lines.

QImage DrawTexture() {
  const int w = 68, h = 41;
  QImage texture(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Sums of whole periods over the tile, so the edges meet.
      const qreal u = 2 * M_PI * x / w, v = 2 * M_PI * y / h;
      const qreal height = std::sin(u) * std::cos(v) + 0.5 * std::sin(u + v);
      // Contour lines: brightest where the height crosses a level.
      const qreal f = height * 2.0;
      const qreal distance = std::fabs(f - std::round(f));
      const qreal line = std::max(0.0, 1.0 - distance / 0.12) * 0.45;
      texture.setPixel(x, y, qRgb(qRound(12 + 38 * line), qRound(28 + 62 * line), qRound(88 + 80 * line)));
    }
  return texture;
}

// ---- The about box's logo, shown stretched in a 132 x 168 frame over the
// dark texture: the application's compass map above the name.

QImage DrawAboutLogo() {
  QImage logo = Canvas(132, 168);
  QPainter p(&logo);
  Smooth(p);
  p.save();
  p.translate(18, 16);
  p.scale(2.0, 2.0);
  DrawMapAndCompass(p);
  p.restore();

  QFont title("DejaVu Serif");
  title.setBold(true);
  title.setItalic(true);
  title.setPixelSize(30);
  title.setHintingPreference(QFont::PreferNoHinting);
  const QPainterPath name = CentredText("Zorvan", title, 66, 138);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 8, 40, 170));
  p.drawPath(name.translated(1.5, 1.5));
  QLinearGradient silver(QPointF(0, 126), QPointF(0, 150));
  silver.setColorAt(0, QColor(255, 255, 255));
  silver.setColorAt(1, QColor(190, 215, 255));
  p.setBrush(silver);
  p.drawPath(name);
  return logo;
}

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
  for (int size : {16, 32, 48})
    ok = Save(DrawAppIcon(size), folder, qPrintable(QString("Zorvan%1").arg(size))) && ok;
  return ok ? 0 : 1;
}
