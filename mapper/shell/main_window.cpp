#include "mapper/shell/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "art/art.h"
#include "mapper/engine/identify.h"
#include "mapper/engine/maintenance.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/shell_links.h"
#include "mapper/engine/viewer.h"
#include "mapper/shell/qt_text.h"
#include "mapper/shell/startup_steps.h"

namespace zv {
namespace {

constexpr int kLogoFrames = 5;

}  // namespace

TForm1::TForm1(Mapper& mapper, TSplash&, TInDialog& dialog, QtPerson& person)
    : mapper_(mapper), dialog_(dialog), person_(person) {
  QIcon icon;
  for (const char* size : {art::kAppIcon16, art::kAppIcon32, art::kAppIcon48}) {
    icon.addPixmap(QPixmap::fromImage(art::Load(size)));
  }
  setWindowIcon(icon);
  Immagini = art::Load(art::kIconStrip);
  LogoAniSrc = art::Load(art::kLogoFrames);
  BuildLayout();
  BuildMenus();

  view_ = std::make_unique<QtMapView>(mapper_.host, *GroupBox2, *Map);
  view_->on_animations = [this](bool running) { SetAnimations(running); };
  view_->on_catalogue = [this] { ShowMapsList(); };
  mapper_.view = view_.get();
  person_.AttachMainWindow(this, [this](Colour colour, const std::string& text) { SetStatusLine(colour, text); });
  dialog_.browse_folder = [this] { return mapper_.windows_folder; };

  FontDialog1 = new TFontDialog(this);
  FontDialog1->on_apply = [this] { FontDialog1Apply(); };

  LogoTimer.setInterval(70);
  connect(&LogoTimer, &QTimer::timeout, this, [this] { LogoTimerTimer(); });
  LogoTimer.start();

  resize(543, 407);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  SetCaption("Zorvan");
  ShowOptions();
}

TForm1::~TForm1() {
  if (mapper_.view == view_.get()) mapper_.view = nullptr;
  if (remote_ != nullptr) {
    remote_->read_catalogue = nullptr;
    remote_->on_status = nullptr;
    remote_->on_update = nullptr;
    remote_->on_moved = nullptr;
  }
  person_.AttachMainWindow(nullptr, nullptr);
}

void TForm1::SetCaption(const std::string& caption) {
  mapper_.main_caption = caption;
  setWindowTitle(ToQ(caption));
}

void TForm1::ShowOptions() {
  const Options& options = mapper_.options;
  ScanOnStart->setChecked(options.scan_on_start);
  Remotecontrol1->setChecked(options.remote_control);
  GraphicFX1->setChecked(options.graphic_fx);
  Usesysicons1->setChecked(options.use_sys_icons);
  SimpleList1->setChecked(options.simple_list);
  DetailedList1->setChecked(!options.simple_list);
  Blue->setChecked(options.blue);
  Icon1->setChecked(options.icon1);
  Vigiloonstartup1->setChecked(options.vigilo_on_startup);
  ApplyMapsListColours();
  view_->SetStateImages(!options.simple_list);
  ApplyListFont();
  if (remote_ != nullptr) remote_->move(options.remote_left, options.remote_top);
}

void TForm1::ApplyMapsListColours() {
  if (mapper_.options.blue) {
    QPalette palette = MapsList->palette();
    palette.setColor(QPalette::Base, QColor(0, 0, 128));
    palette.setColor(QPalette::Text, QColor(0, 0, 255));
    MapsList->setPalette(palette);
  } else {
    MapsList->setPalette(QPalette());  // the system's window colours again
  }
}

void TForm1::ApplyListFont() {
  for (QWidget* list : {static_cast<QWidget*>(MapsList), static_cast<QWidget*>(Map)}) {
    QFont font = list->font();
    font.setFamily(ToQ(mapper_.options.font_name));
    font.setPointSize(mapper_.options.font_size);
    list->setFont(font);
  }
}

void TForm1::ShowMapsList() {
  const QSignalBlocker quiet(MapsList);
  MapsList->clear();
  for (const std::string& row : mapper_.maps.rows) MapsList->addItem(ToQ(row));
  MapsList->setCurrentRow(mapper_.maps.HasSelection() ? mapper_.maps.selected : -1);
}

void TForm1::ShowMap() { zv::ShowMap(mapper_, *view_); }

void TForm1::New1Click() {
  try {
    CreateNewMap(mapper_, mapper_.windows_folder);
  } catch (...) {
    ShowMapsList();  // the catalogue may have changed before the error
    throw;
  }
  ShowMapsList();
}

void TForm1::Identifyafile1Click() {
  const std::optional<MapItem> selected = view_->SelectedItem();
  IdentifyFile(mapper_, FromQ(Identifyafile1->text()), selected ? selected->caption : std::string());
}

void TForm1::Vigilo1Click() {
  mapper_.host.ShellOpen(mapper_.ProgramsFile(kProbeProgram), "FromZorvan", "", 1);
  mapper_.options.scan_on_start = true;
  ScanOnStart->setChecked(true);
  close();
}

void TForm1::Remotecontrol1Click() {
  mapper_.options.remote_control = !mapper_.options.remote_control;
  Remotecontrol1->setChecked(mapper_.options.remote_control);
  ShowRemote(mapper_.options.remote_control);
}

void TForm1::ScanOnStartClick() {
  mapper_.options.scan_on_start = !mapper_.options.scan_on_start;
  ScanOnStart->setChecked(mapper_.options.scan_on_start);
}

void TForm1::GraphicFX1Click() {
  mapper_.options.graphic_fx = !mapper_.options.graphic_fx;
  GraphicFX1->setChecked(mapper_.options.graphic_fx);
}

void TForm1::Usesysicons1Click() {
  mapper_.options.use_sys_icons = !mapper_.options.use_sys_icons;
  Usesysicons1->setChecked(mapper_.options.use_sys_icons);
  ShowMap();
}

void TForm1::SimpleList1Click() {
  mapper_.options.simple_list = true;
  SimpleList1->setChecked(true);
  view_->SetStateImages(false);
  ShowMap();
}

void TForm1::DetailedList1Click() {
  mapper_.options.simple_list = false;
  DetailedList1->setChecked(true);
  view_->SetStateImages(true);
  ShowMap();
}

void TForm1::Usefont1Click() {
  FontDialog1->SetChoice(MapsList->font());
  if (FontDialog1->exec() == QDialog::Accepted) FontDialog1Apply();
}

void TForm1::FontDialog1Apply() {
  mapper_.options.font_name = FromQ(FontDialog1->Family());
  mapper_.options.font_size = FontDialog1->Size();
  ApplyListFont();
}

void TForm1::BlueClick() {
  mapper_.options.blue = !mapper_.options.blue;
  Blue->setChecked(mapper_.options.blue);
  ApplyMapsListColours();
}

void TForm1::Edit1Click() { EditMap(mapper_); }

void TForm1::RenameMapID1Click() {
  PopupMenu1Popup();
  RenameMap(mapper_, FromQ(RenameMapID1->text()));
}

void TForm1::Unmap1Click() { UnmapMap(mapper_); }

void TForm1::Refresh1Click() { RefreshMaps(mapper_); }

void TForm1::Ignorelist1Click() { EditIgnoreList(mapper_); }

void TForm1::Vigiloonstartup1Click() {
  ToggleProbeLink(mapper_);
  Vigiloonstartup1->setChecked(mapper_.options.vigilo_on_startup);
}

void TForm1::Icon1Click() {
  ToggleProgramLink(mapper_);
  Icon1->setChecked(mapper_.options.icon1);
}

void TForm1::AttachAboutBox(TAboutBox* about) {
  about_ = about;
  if (about_ == nullptr) return;
  about_->on_guide = [this] { Contents1Click(); };
  about_->on_site = [this](const std::string& host) { OpenWebPage(mapper_, host); };
}

void TForm1::About1Click() {
  if (about_ == nullptr) return;
  about_->BitBtn1->setText(ToQ(LookupMessage(mapper_, "*GUIDE")));
  about_->Autors->setText(ToQ(LookupMessage(mapper_, "*AUTORS")));
  about_->CopyRightInfos->setText(ToQ(LookupMessage(mapper_, "*COPYRIGHT")));
  about_->setWindowTitle(ToQ(LookupMessage(mapper_, "*VERNUM") + mapper_.version_text));
  about_->SiteURL->setText(ToQ(LookupMessage(mapper_, "*SITE")));
  about_->SiteURL->setCursor(Qt::PointingHandCursor);
  about_->show();
  about_->raise();
  about_->activateWindow();
}

void TForm1::Contents1Click() { OpenHelpPage(mapper_); }

void TForm1::LogoClick() { OpenWebPage(mapper_, LookupMessage(mapper_, "*SITE")); }

bool TForm1::MapsListKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const bool alt = modifiers.testFlag(Qt::AltModifier);
  if (key == Qt::Key_Delete || (alt && key == Qt::Key_D)) {
    DeleteApplication1Click();
    return true;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter || (alt && key == Qt::Key_R)) {
    Rename1Click();
    return true;
  }
  return false;
}

void TForm1::MapsListClick() {
  mapper_.maps.selected = MapsList->currentRow();
  ShowMap();
}

void TForm1::MapDblClick() {
  const std::optional<MapItem> item = view_->CurrentItem();
  if (item) OpenMapEntry(mapper_, item->caption);
}

void TForm1::LabelMapCommands(const std::vector<QAction*>& items) {
  const std::string name =
      mapper_.maps.HasSelection() ? "\"" + mapper_.maps.SelectedName() + "\"" : std::string();
  const std::array<QAction*, 3> bases = {EditMap1, RenameMapID1, UnMap2};
  for (std::size_t i = 0; i < bases.size(); ++i) {
    const std::string base = FromQ(bases[i]->text()).substr(0, static_cast<std::size_t>(bases[i]->data().toInt()));
    items[i]->setText(ToQ(base + " " + name));
  }
}

void TForm1::PopupMenu1Popup() { LabelMapCommands({EditMap1, RenameMapID1, UnMap2}); }

void TForm1::Map1Click() { LabelMapCommands({Edit1, Rename1, Unmap1}); }

void TForm1::LogoTimerTimer() {
  LogoTimer.stop();
  logo_frame_ = (logo_frame_ + 1) % kLogoFrames;
  {
    QPainter painter(&Logo->canvas);
    painter.drawImage(QRect(0, 0, 65, 48), LogoAniSrc, QRect(67 * logo_frame_ + 1, 0, 65, 48));
  }
  Logo->update();
  LogoTimer.start();
}

void TForm1::FormResize() {
  Logo->move(width() - Logo->width() - 15, Logo->y());
  LogoBevel->setGeometry(Logo->geometry().adjusted(-2, -2, 2, 2));
  if (view_) view_->FitFirstColumn();
}

void TForm1::SetStatusLine(Colour colour, const std::string& text) {
  QPalette palette = StatusPanel->palette();
  palette.setColor(QPalette::WindowText, ToQColor(colour, palette));
  StatusPanel->setPalette(palette);
  StatusPanel->setText(ToQ(text));
  if (remote_ != nullptr) remote_->ShowMessage(text);
}

void TForm1::SetAnimations(bool running) {
  maps_hint_ = running;
  if (!running) {
    LogoTimer.stop();
    PopGroup->PopTimer.stop();
    return;
  }
  LogoTimer.start();
  if (PopGroup->Built()) PopGroup->PopTimer.start();
}

void TForm1::FormShow() {
  PopGroup->Build(Immagini);
  // The remote window shown during start-up stays above this window even
  // where no window manager keeps it on top.
  if (RemoteVisible()) remote_->raise();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (on_close) on_close();
  event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MapsList && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (MapsListKeyDown(key->key(), key->modifiers())) return true;
  } else if (watched == Map && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (MapKeyDown(key->key(), key->modifiers())) return true;
  } else if (watched == MapsList->viewport() && event->type() == QEvent::MouseButtonPress) {
    // A press below the rows would clear the highlight while the current
    // map stays selected; it is ignored instead.
    const auto* press = static_cast<QMouseEvent*>(event);
    if (!MapsList->indexAt(press->position().toPoint()).isValid()) return true;
    row_at_press_ = MapsList->currentRow();
  }
  if (event->type() == QEvent::MouseMove) {
    if ((watched == MapsList->viewport() && maps_hint_) || watched == Map->viewport()) {
      person_.SetStatus(kButtonFace, mapper_.texts.rclick);
    }
  } else if (event->type() == QEvent::Resize && watched == Map) {
    FormResize();
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace zv
