// The logo frames, presence marks, application icon, splash, texture and
// about logo.
#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

#include <cmath>

#include "art/draw_kit.h"
#include "art/draw_pictures.h"

namespace art_drawing {
namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

QImage DrawAppIcon(int size) {
  QImage icon = Canvas(size, size);
  QPainter p(&icon);
  Smooth(p);
  if (size < 32) {
    // Below 32 pixels the map's folds blur; the compass alone stays clear.
    p.scale(size / 16.0, size / 16.0);
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

namespace {

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

}  // namespace

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

}  // namespace art_drawing
