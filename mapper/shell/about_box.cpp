#include "mapper/shell/about_box.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "art/art.h"
#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

// The column of texts right of the logo.
constexpr int kTextLeft = 148;
constexpr int kTextWidth = 157;

QLabel* NewWhiteLabel(QWidget* parent, const QString& text, const QRect& place) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(place);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setAttribute(Qt::WA_TranslucentBackground);
  QPalette white = label->palette();
  white.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(white);
  return label;
}

}  // namespace

QImage TileTexture(const QImage& texture, const QSize& size) {
  QImage tiled(size, QImage::Format_RGB32);
  tiled.fill(Qt::black);
  const int a = texture.width(), b = texture.height();
  if (a <= 0 || b <= 0) return tiled;
  QPainter painter(&tiled);
  for (int i = 0; i <= size.width() / a; ++i) {
    for (int j = 0; j <= size.height() / b; ++j) painter.drawImage(QRect(a * i, b * j, a, b), texture);
  }
  return tiled;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(false);
  setFixedSize(329, 254);

  GroupBox1 = new QGroupBox(this);
  GroupBox1->setGeometry(8, 16, 313, 201);
  Bkg = new QLabel(GroupBox1);
  Bkg->setGeometry(2, 2, 309, 197);

  ZVLogo = new QLabel(GroupBox1);
  ZVLogo->setGeometry(8, 22, 132, 168);
  ZVLogo->setScaledContents(true);
  ZVLogo->setPixmap(QPixmap::fromImage(art::Load(art::kAboutLogo)));
  ZVLogo->setAttribute(Qt::WA_TranslucentBackground);
  Label3 = NewWhiteLabel(GroupBox1, "for Win 95 and 98", QRect(8, 174, 132, 14));
  QFont small = Label3->font();
  small.setPointSize(7);
  Label3->setFont(small);

  Autors = NewWhiteLabel(GroupBox1, QString(), QRect(kTextLeft, 26, kTextWidth, 56));
  CopyRightInfos = NewWhiteLabel(GroupBox1, QString(), QRect(kTextLeft, 84, kTextWidth, 56));
  Label10 = NewWhiteLabel(GroupBox1, "Updates, patches and more software:", QRect(kTextLeft, 142, kTextWidth, 28));
  SiteURL = NewWhiteLabel(GroupBox1, QString(), QRect(kTextLeft, 170, kTextWidth, 20));
  QFont link("Arial", 10);
  link.setUnderline(true);
  SiteURL->setFont(link);
  SetLinkColour(Qt::cyan);
  SiteURL->setCursor(Qt::PointingHandCursor);
  SiteURL->installEventFilter(this);

  Panel1 = new QFrame(this);
  Panel1->setGeometry(8, 6, 313, 25);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setAutoFillBackground(true);
  Label8 = new QLabel("DUVO Team", Panel1);
  Label8->setGeometry(8, 4, 110, 17);
  QFont bold = Label8->font();
  bold.setBold(true);
  Label8->setFont(bold);
  Label7 = new QLabel("the map of every installation", Panel1);
  Label7->setGeometry(118, 4, 187, 17);
  Label7->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont italic = Label7->font();
  italic.setItalic(true);
  Label7->setFont(italic);

  BitBtn2 = new QPushButton("OK", this);
  BitBtn2->setGeometry(8, 224, 153, 25);
  BitBtn2->setDefault(true);
  BitBtn1 = new QPushButton("Guide", this);
  BitBtn1->setGeometry(168, 224, 153, 25);
  BitBtn1->setAutoDefault(false);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

  FormCreate();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TAboutBox::FormCreate() {
  Bkg->setPixmap(QPixmap::fromImage(TileTexture(art::Load(art::kTexture), Bkg->size())));
}

void TAboutBox::BitBtn1Click() {
  if (on_guide) on_guide();
}

void TAboutBox::SetLinkColour(const QColor& colour) {
  QPalette palette = SiteURL->palette();
  palette.setColor(QPalette::WindowText, colour);
  SiteURL->setPalette(palette);
}

void TAboutBox::SiteURLMouseDown() { SetLinkColour(Qt::red); }

void TAboutBox::SiteURLMouseUp() {
  SetLinkColour(Qt::blue);
  if (on_site) on_site(FromQ(SiteURL->text()));
  close();
}

void TAboutBox::showEvent(QShowEvent* event) {
  SetLinkColour(Qt::cyan);
  QDialog::showEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == SiteURL && event->type() == QEvent::MouseButtonPress) SiteURLMouseDown();
  if (watched == SiteURL && event->type() == QEvent::MouseButtonRelease) SiteURLMouseUp();
  return QDialog::eventFilter(watched, event);
}

}  // namespace zv
