// Draws the probe's pictures with QPainter and saves them as PNG files:
//   active_<n>.png   the watching tray icon and window icon: a green radar
//                    screen with an open eye at its centre
//   standby_<n>.png  the same picture greyed, with a pause mark
//   folder_32.png    the watched folder (the window's Image2)
//   lens_32.png      a magnifying glass looking at it (the window's Image1)
// Usage: make_probe_art <output folder>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter&)>;

// Renders a picture drawn on a 64 x 64 canvas at size x size pixels.
bool Render(const QString& path, int size, const Draw& draw) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  draw(painter);
  painter.end();
  return image.save(path, "PNG");
}

struct Palette {
  QColor rim, screen_light, screen_dark, rings, eye, iris, pupil, sweep;
};

const Palette kActive{QColor(10, 70, 25), QColor(70, 200, 90), QColor(12, 110, 35), QColor(150, 255, 150),
                      QColor(240, 255, 235), QColor(20, 150, 45), QColor(5, 40, 12), QColor(160, 255, 120)};
const Palette kStandBy{QColor(70, 70, 70), QColor(185, 185, 185), QColor(120, 120, 120), QColor(215, 215, 215),
                       QColor(245, 245, 245), QColor(135, 135, 135), QColor(50, 50, 50), QColor(220, 220, 220)};

// The radar screen with the eye. `small` (16 pixels) keeps only the disc and
// a bold eye: the sweep and the rings would only blur there.
void DrawRadarEye(QPainter& p, const Palette& c, bool small) {
  QRadialGradient screen(QPointF(26, 24), 36);
  screen.setColorAt(0, c.screen_light);
  screen.setColorAt(1, c.screen_dark);
  p.setPen(QPen(c.rim, small ? 4 : 3.5));
  p.setBrush(screen);
  p.drawEllipse(QPointF(32, 32), small ? 29.5 : 29, small ? 29.5 : 29);

  if (!small) {
    // The sweep: a wedge fading behind the beam, over the range rings.
    QConicalGradient sweep(QPointF(32, 32), 45);
    QColor bright = c.sweep;
    bright.setAlpha(170);
    QColor clear = c.sweep;
    clear.setAlpha(0);
    sweep.setColorAt(0, bright);
    sweep.setColorAt(0.22, clear);
    sweep.setColorAt(1, clear);
    p.setPen(Qt::NoPen);
    p.setBrush(sweep);
    p.drawEllipse(QPointF(32, 32), 27, 27);
    p.setBrush(Qt::NoBrush);
    QColor ring = c.rings;
    ring.setAlpha(120);
    p.setPen(QPen(ring, 1.5));
    p.drawEllipse(QPointF(32, 32), 19, 19);
    p.drawLine(QPointF(32, 5), QPointF(32, 59));
    p.drawLine(QPointF(5, 32), QPointF(59, 32));
  }

  // The eye: an almond with an iris and a pupil.
  const double reach = small ? 4 : 8;
  QPainterPath almond;
  almond.moveTo(reach, 32);
  almond.quadTo(32, small ? 4 : 8, 64 - reach, 32);
  almond.quadTo(32, small ? 60 : 56, reach, 32);
  p.setPen(QPen(c.pupil, small ? 4 : 3));
  p.setBrush(c.eye);
  p.drawPath(almond);
  p.setPen(Qt::NoPen);
  p.setBrush(c.iris);
  p.drawEllipse(QPointF(32, 32), small ? 12 : 10, small ? 12 : 10);
  p.setBrush(c.pupil);
  p.drawEllipse(QPointF(32, 32), small ? 7 : 5, small ? 7 : 5);
  if (!small) {
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(QPointF(35, 29), 2, 2);
  }
}

// Two bars on a round badge in the lower right corner.
void DrawPauseMark(QPainter& p, bool small) {
  const QPointF centre = QPointF(47, 47);
  const double radius = small ? 17 : 16;
  p.setPen(QPen(QColor(255, 255, 255), small ? 3 : 2.5));
  p.setBrush(QColor(200, 110, 0));
  p.drawEllipse(centre, radius, radius);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  const double bar_w = small ? 6 : 5.5, bar_h = small ? 18 : 17, gap = small ? 5 : 3.5;
  p.drawRect(QRectF(centre.x() - gap / 2 - bar_w, centre.y() - bar_h / 2, bar_w, bar_h));
  p.drawRect(QRectF(centre.x() + gap / 2, centre.y() - bar_h / 2, bar_w, bar_h));
}

void DrawFolder(QPainter& p) {
  const QColor edge(120, 80, 0);
  QPainterPath back;
  back.moveTo(4, 14);
  back.lineTo(4, 54);
  back.lineTo(60, 54);
  back.lineTo(60, 18);
  back.lineTo(30, 18);
  back.lineTo(25, 11);
  back.lineTo(7, 11);
  back.closeSubpath();
  p.setPen(QPen(edge, 2.5));
  p.setBrush(QColor(225, 170, 40));
  p.drawPath(back);
  p.setBrush(QColor(250, 250, 240));
  p.setPen(QPen(QColor(150, 150, 150), 1.5));
  p.drawRect(QRectF(10, 20, 44, 20));
  QLinearGradient front_fill(0, 24, 0, 54);
  front_fill.setColorAt(0, QColor(255, 215, 90));
  front_fill.setColorAt(1, QColor(235, 175, 30));
  QPainterPath front;
  front.moveTo(4, 54);
  front.lineTo(9, 26);
  front.lineTo(63, 26);
  front.lineTo(60, 54);
  front.closeSubpath();
  p.setPen(QPen(edge, 2.5));
  p.setBrush(front_fill);
  p.drawPath(front);
}

void DrawLens(QPainter& p) {
  p.setPen(QPen(QColor(60, 40, 20), 10, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(40, 40), QPointF(58, 58));
  p.setPen(QPen(QColor(150, 100, 50), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(42, 42), QPointF(57, 57));
  QRadialGradient glass(QPointF(22, 20), 26);
  glass.setColorAt(0, QColor(210, 255, 210, 230));
  glass.setColorAt(1, QColor(40, 170, 70, 200));
  p.setPen(QPen(QColor(40, 45, 50), 5));
  p.setBrush(glass);
  p.drawEllipse(QPointF(26, 26), 20, 20);
  p.setPen(QPen(QColor(255, 255, 255, 210), 3, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(13, 13, 26, 26), 100 * 16, 70 * 16);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString out = QString::fromLocal8Bit(argv[1]) + "/";
  bool ok = true;
  for (int size : {16, 32, 48, 64}) {
    const bool small = size < 32;
    const QString n = QString::number(size);
    ok &= Render(out + "active_" + n + ".png", size, [&](QPainter& p) { DrawRadarEye(p, kActive, small); });
    ok &= Render(out + "standby_" + n + ".png", size, [&](QPainter& p) {
      DrawRadarEye(p, kStandBy, small);
      DrawPauseMark(p, small);
    });
  }
  ok &= Render(out + "folder_32.png", 32, DrawFolder);
  ok &= Render(out + "lens_32.png", 32, DrawLens);
  if (!ok) {
    std::fprintf(stderr, "could not write the pictures into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
