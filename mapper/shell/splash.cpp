#include "mapper/shell/splash.h"

#include <QGuiApplication>
#include <algorithm>
#include <QScreen>

#include "mapper/shell/pictures.h"

namespace zv {

TSplash::TSplash(QWidget* parent) : QWidget(parent) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle("Loading...");
  setFixedSize(260, 149);
  QPalette ground = palette();
  ground.setColor(QPalette::Window, Qt::blue);
  setPalette(ground);
  setAutoFillBackground(true);

  Image1 = new QLabel(this);
  Image1->setGeometry(0, 0, 260, 149);
  Image1->setPixmap(SplashPicture().scaled(260, 149, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

  QPalette white_text = palette();
  white_text.setColor(QPalette::WindowText, Qt::white);

  Label1 = new QLabel("Keeps track of what each program installs", this);
  Label1->move(16, 104);
  QFont small = Label1->font();
  small.setPointSize(7);
  Label1->setFont(small);
  Label1->setPalette(white_text);
  Label1->adjustSize();

  ExtraMsg = new QLabel("Loading...", this);
  ExtraMsg->setGeometry(14, 120, 233, 16);
  ExtraMsg->setAlignment(Qt::AlignCenter);
  ExtraMsg->setPalette(white_text);

  Gauge1 = new QProgressBar(this);
  Gauge1->setGeometry(16, 122, 229, 12);
  Gauge1->setRange(0, 100);
  Gauge1->setTextVisible(false);
  // A navy bar on black, drawn by a style sheet so every style shows it alike.
  Gauge1->setStyleSheet(
      "QProgressBar { background: black; border: 1px solid black; }"
      "QProgressBar::chunk { background: navy; }");
  Gauge1->hide();
}

void TSplash::ShowNow() {
  if (!isVisible()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->availableGeometry();
      move(area.center() - rect().center());
    }
    show();
  }
  raise();
  repaint();
}

void TSplash::SetGauge(bool visible, int percent) {
  Gauge1->setValue(std::clamp(percent, 0, 100));
  Gauge1->setVisible(visible);
  if (visible) Gauge1->repaint();
}

}  // namespace zv
