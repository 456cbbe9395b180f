#include "mapper/shell/remote_window.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "art/art.h"
#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

// The classic silver face the small pictures are drawn against.
const QColor kFace(192, 192, 192);

QImage DrawMarker() {
  QImage marker(remote::kMarkerSize, remote::kMarkerSize, QImage::Format_ARGB32_Premultiplied);
  marker.fill(Qt::transparent);
  QPainter painter(&marker);
  painter.setPen(Qt::red);
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRect(0, 0, remote::kMarkerSize - 1, remote::kMarkerSize - 1), 6, 6);
  return marker;
}

}  // namespace

TRemote::TRemote(QWidget* parent) : QWidget(parent) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle("Remote");
  setFixedSize(remote::kWidth, remote::kHeight);
  move(436, 258);
  setFont(QFont("MS Sans Serif", 8));
  QPalette silver = palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button}) silver.setColor(role, kFace);
  setPalette(silver);

  Background = new QLabel(this);
  Background->setGeometry(0, 0, remote::kWidth, remote::kHeight);
  Background->installEventFilter(this);
  FormCreate();

  BkgTxture = art::Load(art::kTexture);

  ZVHint = new QLabel(Background);
  ZVHint->setGeometry(remote::kHintPlace);
  ZVHint->setAlignment(Qt::AlignCenter);
  ZVHint->setWordWrap(true);
  ZVHint->setTextFormat(Qt::PlainText);
  ZVHint->setAutoFillBackground(true);

  UpdateLnk = new QLabel("Update", Background);
  QFont link("MS Sans Serif", 10);
  link.setUnderline(true);
  UpdateLnk->setFont(link);
  // A substituted font may be wider than the one the 45 pixels were meant
  // for; the word is never cut.
  UpdateLnk->setGeometry(30, 120, std::max(45, UpdateLnk->sizeHint().width()), 16);
  UpdateLnk->setCursor(Qt::PointingHandCursor);
  UpdateLnk->installEventFilter(this);
  SetLinkColour(Qt::blue);

  RemoteTimer.setInterval(30);
  connect(&RemoteTimer, &QTimer::timeout, this, [this] { RemoteTimerTimer(); });
}

void TRemote::ShowMessage(const std::string& text) {
  const QString shown = ToQ(text);
  QFont font = ZVHint->parentWidget()->font();
  const QRect area(QPoint(0, 0), ZVHint->size());
  const auto fits = [&](const QFont& f) {
    const QRect needed = QFontMetrics(f).boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, shown);
    return area.contains(needed);
  };
  while (!fits(font) && font.pointSizeF() > 6) font.setPointSizeF(std::max(6.0, font.pointSizeF() - 1));
  ZVHint->setFont(font);
  ZVHint->setText(shown);
  ZVHint->setToolTip(fits(font) ? QString() : shown);
}

void TRemote::SetCommand(int i, QAction* item) { commands_.at(static_cast<std::size_t>(i)) = item; }

void TRemote::FormCreate() {
  ground_ = remote::DrawGround(size(), kFace);
  Background->setPixmap(QPixmap::fromImage(ground_));
}

void TRemote::FormShow() {
  if (built_) return;
  // The hints first: a catalogue that cannot be read leaves nothing half
  // built, and the next showing tries again.
  hints_ = remote::ButtonHints(read_catalogue ? read_catalogue() : std::vector<std::string>());
  const QImage strip = art::Load(art::kIconStrip);
  marker_ = new BarPicture(Background);
  marker_->setGeometry(0, 0, remote::kMarkerSize, remote::kMarkerSize);
  marker_->canvas = DrawMarker();
  for (int i = 0; i < remote::kButtons; ++i) {
    auto* overlay = new BarPicture(Background);
    overlay->setGeometry(remote::ButtonRect(i));
    overlay->canvas = remote::PaintButton(strip, i, ground_);
    overlays_[static_cast<std::size_t>(i)] = overlay;
  }
  Background->setPixmap(QPixmap::fromImage(ground_));
  built_ = true;
  RemoteTimer.start();
}

void TRemote::RemoteTimerTimer() {
  RemoteTimer.stop();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QPoint place = remote::KeepOnScreen(frameGeometry(), screen->virtualGeometry());
    if (place != pos()) move(place);
  }
  MarkButton(Background->mapFromGlobal(QCursor::pos()));
  RemoteTimer.start();
}

void TRemote::MarkButton(QPoint pointer) {
  if (!built_) return;
  const int previous = hovered_;
  hovered_ = remote::HitButton(pointer);
  if (hovered_ < 0) {
    marker_->hide();
    if (previous >= 0) Overlay(previous)->hide();
    return;
  }
  if (on_status) on_status(kButtonFace, Hint(hovered_));
  marker_->move(remote::ButtonRect(hovered_).topLeft() - QPoint(remote::kReach, remote::kReach));
  marker_->show();
  if (previous >= 0 && previous != hovered_) Overlay(previous)->hide();
  Overlay(hovered_)->show();
}

void TRemote::BackgroundMouseUp(QPoint pointer) {
  const int button = remote::HitButton(pointer);
  if (!built_ || button < 0) return;
  if (QAction* command = commands_[static_cast<std::size_t>(button)]) command->trigger();
}

void TRemote::SetLinkColour(const QColor& colour) {
  QPalette palette = UpdateLnk->palette();
  palette.setColor(QPalette::WindowText, colour);
  UpdateLnk->setPalette(palette);
}

void TRemote::UpdateLnkMouseDown() { SetLinkColour(Qt::red); }

void TRemote::UpdateLnkMouseUp(bool over_link) {
  SetLinkColour(Qt::blue);
  if (over_link && on_update) on_update();
}

void TRemote::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormShow();
}

void TRemote::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (on_moved) on_moved(pos());
}

bool TRemote::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  const bool release = type == QEvent::MouseButtonRelease;
  if (watched == Background && (press || release || type == QEvent::MouseMove)) {
    if (release) BackgroundMouseUp(static_cast<QMouseEvent*>(event)->position().toPoint());
    return true;
  }
  if (watched == UpdateLnk && (press || release)) {
    if (press) UpdateLnkMouseDown();
    if (release) UpdateLnkMouseUp(UpdateLnk->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace zv
