#include "art/draw_kit.h"

#include <algorithm>
#include <vector>

namespace art_drawing {

QImage Canvas(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
}

QPen OutlinePen(qreal width) {
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

QPainterPath CentredText(const QString& text, const QFont& font, qreal cx, qreal cy) {
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF box = path.boundingRect();
  path.translate(cx - box.center().x(), cy - box.center().y());
  return path;
}

void Flatten(const QImage& art, QImage& target, int x, int y, int threshold) {
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


}  // namespace art_drawing
