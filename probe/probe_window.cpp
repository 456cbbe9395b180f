#include "probe/probe_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <cstdio>

// The pictures live in a static library, whose resource initialiser the
// linker would drop unless it is called by name.
static void InitProbeResources() { Q_INIT_RESOURCE(probe); }

namespace zv {

namespace {

// The circle outline behind the two pictures.
class CircleShape : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
  }
};

QIcon IconOfSizes(const QString& stem) {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addFile(QString(":/probe/%1_%2.png").arg(stem).arg(size), QSize(size, size));
  return icon;
}

QPushButton* Button(QWidget* parent, const char* text, int x, int y) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setGeometry(x, y, 77, 25);
  return button;
}

}  // namespace

TForm1::TForm1(Host& host, TrayArea& area)
    : QWidget((InitProbeResources(), nullptr), Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      active_icon_(IconOfSizes("active")),
      standby_icon_(IconOfSizes("standby")),
      probe_(host, *this) {
  Traybar1 = new TTraybar(area, this);
  BuildControls();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  setFixedSize(280, 211);
  // Where the font is substituted, a condensed face keeps the report's
  // lines as few as the panel was drawn for.
  QFont font("MS Sans Serif", 8);
  font.setStretch(QFont::SemiCondensed);
  setFont(font);

  GroupBox1 = new QGroupBox(QStringLiteral("Probe report"), this);
  GroupBox1->setGeometry(8, 4, 265, 197);

  Panel1 = new QFrame(GroupBox1);
  Panel1->setGeometry(8, 16, 249, 93);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);
  Panel1->setMidLineWidth(0);
  QPalette green = Panel1->palette();
  green.setColor(QPalette::Window, QColor(0, 128, 0));
  green.setColor(QPalette::WindowText, QColor(0, 255, 0));
  Panel1->setPalette(green);
  Panel1->setAutoFillBackground(true);

  Messages = new QLabel(QStringLiteral(">"), Panel1);
  // The panel's bevel and its border width of 3 frame the report.
  Messages->setGeometry(Panel1->contentsRect().adjusted(3, 3, -3, -3));
  Messages->setWordWrap(true);
  Messages->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Messages->setPalette(green);

  Shape1 = new CircleShape(GroupBox1);
  Shape1->setGeometry(8, 124, 65, 65);
  Image2 = new QLabel(GroupBox1);
  Image2->setGeometry(28, 141, 32, 32);
  Image2->setPixmap(QPixmap(QStringLiteral(":/probe/folder_32.png")));
  Image1 = new QLabel(GroupBox1);
  Image1->setGeometry(52, 117, 32, 32);
  Image1->setPixmap(QPixmap(QStringLiteral(":/probe/lens_32.png")));

  ResumeBtn = Button(GroupBox1, "&Resume", 96, 134);
  RunZVBtn = Button(GroupBox1, "Run &mapper", 180, 134);
  StandByBtn = Button(GroupBox1, "&Stand-by", 96, 162);
  OFFBtn = Button(GroupBox1, "E&xit/close", 180, 162);
  setTabOrder(ResumeBtn, StandByBtn);
  setTabOrder(StandByBtn, RunZVBtn);
  setTabOrder(RunZVBtn, OFFBtn);
  connect(ResumeBtn, &QPushButton::clicked, this, &TForm1::ResumeBtnClick);
  connect(RunZVBtn, &QPushButton::clicked, this, &TForm1::RunZVBtnClick);
  connect(StandByBtn, &QPushButton::clicked, this, &TForm1::StandByBtnClick);
  connect(OFFBtn, &QPushButton::clicked, this, &TForm1::OFFBtnClick);

  // On the form itself, over the group box.
  CheckBox1 = new QCheckBox(QStringLiteral("Start in stand-by (\"off\") mode"), this);
  CheckBox1->setGeometry(104, 116, 161, 21);
  CheckBox1->raise();

  Timer1 = new QTimer(this);
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

  ProbeMenu = new QMenu(this);
  About1 = ProbeMenu->addAction(QStringLiteral("Control panel"));
  Close1 = ProbeMenu->addAction(QStringLiteral("Close"));
  connect(About1, &QAction::triggered, this, &TForm1::About1Click);
  connect(Close1, &QAction::triggered, this, &TForm1::Close1Click);
  connect(ProbeMenu, &QMenu::aboutToShow, this, &TForm1::ProbeMenuPopup);

  Traybar1->SetHint(QString::fromLatin1(Probe::kCaption));
  Traybar1->SetPopupMenu(ProbeMenu);
  Traybar1->Onclick = [this](QObject* sender) { Traybar1click(sender); };
}

void TForm1::FormCreate() {
  setWindowIcon(active_icon_);
  QGuiApplication::setWindowIcon(active_icon_);
  try {
    probe_.Start();
  } catch (const std::exception& error) {
    ReportError(error.what());
  }
}

void TForm1::Timer1Timer() { probe_.Tick(); }
void TForm1::ResumeBtnClick() { probe_.Resume(); }
void TForm1::StandByBtnClick() { probe_.StandBy(); }
void TForm1::RunZVBtnClick() { probe_.RunMapper(); }
void TForm1::OFFBtnClick() { Close1Click(); }
void TForm1::Close1Click() { close(); }
void TForm1::About1Click() { probe_.ControlPanel(); }
void TForm1::ProbeMenuPopup() { probe_.MenuPopup(); }
void TForm1::Traybar1click(QObject*) { probe_.TrayClick(); }

void TForm1::FormCloseQuery() {
  if (closed_) return;
  closed_ = true;
  try {
    probe_.Exit();
  } catch (const HostError& error) {
    // The mode is lost, but the probe still ends: a probe left running
    // without window, icon or timer could only be killed.
    ReportError(error.what());
  }
  emit Closed();
}

void TForm1::closeEvent(QCloseEvent* event) {
  FormCloseQuery();
  event->accept();
}

void TForm1::StartTimer() { Timer1->start(); }
void TForm1::StopTimer() { Timer1->stop(); }

void TForm1::CentreOnce() {
  if (centred_) return;
  centred_ = true;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void TForm1::ShowWindow(bool shown) {
  if (!shown) {
    hide();
    return;
  }
  CentreOnce();
  showNormal();
  raise();
  activateWindow();
}

void TForm1::MinimiseWindow() {
  CentreOnce();
  showMinimized();
}

void TForm1::SetCaption(const std::string& caption) { setWindowTitle(QString::fromLocal8Bit(caption)); }

namespace {

// With ZORVAN_UNATTENDED set (scripts, tests of the whole program), what the
// probe reports also goes to the standard error stream, since nobody looks
// at its window.
bool Unattended() { return !qEnvironmentVariableIsEmpty("ZORVAN_UNATTENDED"); }

void Echo(const std::string& text) {
  if (!Unattended()) return;
  std::fprintf(stderr, "%s: %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(), text.c_str());
  std::fflush(stderr);
}

}  // namespace

void TForm1::SetMessages(const std::string& text) {
  Messages->setText(QString::fromLocal8Bit(text));
  Echo(text);
}
void TForm1::EnableResume(bool enabled) { ResumeBtn->setEnabled(enabled); }
void TForm1::TickStandByBox(bool ticked) { CheckBox1->setChecked(ticked); }
bool TForm1::StandByBoxTicked() { return CheckBox1->isChecked(); }
void TForm1::SetTrayPicture(bool active) { Traybar1->SetIcon(active ? active_icon_ : standby_icon_); }
bool TForm1::AddTrayIcon() { return Traybar1->AddIcon(); }
bool TForm1::ModifyTrayIcon() { return Traybar1->ModifyIcon(); }
bool TForm1::DeleteTrayIcon() { return Traybar1->DeleteIcon(); }
void TForm1::CloseWindow() { close(); }

void TForm1::ReportError(const std::string& text) {
  if (error_report) {
    error_report(text);
    return;
  }
  ShowProbeError(text);
}

void ShowProbeError(const std::string& text) {
  Echo(text + ".");
  if (Unattended()) return;
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), QString::fromLocal8Bit(text + "."),
                  QMessageBox::Ok);
  box.exec();
}

}  // namespace zv
