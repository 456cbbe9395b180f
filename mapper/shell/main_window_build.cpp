// Builds the main window's widgets and menus; the commands they run live in
// main_window.cpp.
#include "mapper/shell/main_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

constexpr int kMapsListWidth = 168;

QAction* NewSeparator(QMenu* menu) {
  auto* separator = new QAction(menu);
  separator->setSeparator(true);
  menu->addAction(separator);
  return separator;
}

QAction* NewCheckItem(QMenu* menu, const QString& caption) {
  QAction* item = menu->addAction(caption);
  item->setCheckable(true);
  return item;
}

// The window keeps the classic three-dimensional colours its pictures are
// drawn for: on a silver face the bar's white captions and their shadows
// read as intended.
QPalette ClassicPalette() {
  QPalette palette = QApplication::palette();
  const std::vector<std::pair<QPalette::ColorRole, QColor>> colours = {
      {QPalette::Window, QColor(192, 192, 192)}, {QPalette::Button, QColor(192, 192, 192)},
      {QPalette::Light, Qt::white},              {QPalette::Midlight, QColor(223, 223, 223)},
      {QPalette::Mid, QColor(160, 160, 160)},    {QPalette::Dark, QColor(128, 128, 128)},
      {QPalette::Shadow, Qt::black},             {QPalette::WindowText, Qt::black},
      {QPalette::ButtonText, Qt::black},
  };
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const auto& [role, colour] : colours) palette.setColor(group, role, colour);
  }
  // Greyed items: dark grey text that stands out from the silver face.
  for (QPalette::ColorRole text : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
    palette.setColor(QPalette::Disabled, text, QColor(128, 128, 128));
  }
  return palette;
}

void FillParent(QWidget* parent, QWidget* child) {
  auto* layout = new QVBoxLayout(parent);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(child);
}

}  // namespace

LogoPicture::LogoPicture(QWidget* parent) : QWidget(parent) {}

void LogoPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, canvas);
}

void LogoPicture::mouseReleaseEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint()) && on_click) on_click();
}

void TForm1::BuildLayout() {
  setFont(QFont("MS Sans Serif", 8));
  setPalette(ClassicPalette());
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  PopGroup = new TPopGroup(central);
  PopGroup->setFixedHeight(64);
  PopGroup->on_status = [this](Colour colour, const std::string& text) { person_.SetStatus(colour, text); };
  PopGroup->graphic_fx = [this] { return mapper_.options.graphic_fx; };
  column->addWidget(PopGroup);

  LogoBevel = new QFrame(PopGroup);
  LogoBevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Logo = new LogoPicture(PopGroup);
  Logo->setGeometry(0, 10, 66, 49);
  Logo->canvas = QImage(66, 49, QImage::Format_RGB32);
  Logo->canvas.fill(Qt::black);
  {
    QPainter painter(&Logo->canvas);
    painter.drawImage(QRect(0, 0, 65, 48), LogoAniSrc, QRect(1, 0, 65, 48));
  }
  Logo->setToolTip("DUVO Team");
  Logo->setCursor(Qt::PointingHandCursor);
  Logo->on_click = [this] { LogoClick(); };

  auto* lists = new QHBoxLayout;
  lists->setContentsMargins(0, 0, 0, 0);
  lists->setSpacing(0);
  GroupBox1 = new QGroupBox(central);
  GroupBox1->setFixedWidth(kMapsListWidth);
  MapsList = new QListWidget(GroupBox1);
  MapsList->setSelectionMode(QAbstractItemView::SingleSelection);
  MapsList->setMouseTracking(true);
  MapsList->viewport()->installEventFilter(this);
  MapsList->installEventFilter(this);
  MapsList->setContextMenuPolicy(Qt::CustomContextMenu);
  FillParent(GroupBox1, MapsList);

  GroupBox2 = new QGroupBox(central);
  Map = new QTreeView(GroupBox2);
  Map->setMouseTracking(true);
  Map->viewport()->installEventFilter(this);
  Map->installEventFilter(this);
  Map->setContextMenuPolicy(Qt::CustomContextMenu);
  FillParent(GroupBox2, Map);

  lists->addWidget(GroupBox1);
  lists->addWidget(GroupBox2, 1);
  column->addLayout(lists, 1);
  setCentralWidget(central);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel = new QLabel(StatusBar1);
  StatusPanel->setMinimumWidth(200);
  StatusPanel->setFont(QFont("MS Sans Serif", 10));
  StatusPanel->setTextFormat(Qt::PlainText);
  // The status line is written in light colours (button face, lime) as well
  // as in black; a dark grey ground keeps all of them legible.
  StatusPanel->setAutoFillBackground(true);
  QPalette ground = StatusPanel->palette();
  ground.setColor(QPalette::Window, QColor(100, 100, 100));
  StatusPanel->setPalette(ground);
  StatusBar1->addWidget(StatusPanel, 1);
  setStatusBar(StatusBar1);

  connect(MapsList, &QListWidget::currentRowChanged, this, [this] { MapsListClick(); });
  // A click on the row already selected changes no row, yet shows its map
  // again, so that a map changed on disk is read anew.
  connect(MapsList, &QListWidget::clicked, this, [this](const QModelIndex& index) {
    if (index.row() == row_at_press_) MapsListClick();
  });
  connect(Map, &QTreeView::doubleClicked, this, [this] { MapDblClick(); });
  connect(MapsList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(MapsList->viewport()->mapToGlobal(at)); });
  connect(Map, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu2->popup(Map->viewport()->mapToGlobal(at)); });
}

void TForm1::BuildMenus() {
  QMenuBar* bar = menuBar();

  File1 = bar->addMenu("&File");
  Vigilo1 = File1->addAction("Start &Vigilo and close");
  Exit1 = File1->addAction("E&xit");

  Scan1 = bar->addMenu("&Scan");
  Createnew1 = Scan1->addAction("&Create new map");
  Identifyafile1 = Scan1->addAction("&Identify a file...");
  Identifyafile1->setShortcut(Qt::Key_F3);

  Map1 = bar->addMenu("&Map");
  Edit1 = Map1->addAction("&Edit map");
  Rename1 = Map1->addAction("&Rename map");
  Unmap1 = Map1->addAction("&Unmap");
  N1 = NewSeparator(Map1);
  Deleteallmappedfiles1 = Map1->addAction( "Delete &all mapped files");
  Deleteselectedfile1 = Map1->addAction( "Delete &selected file");
  N2 = NewSeparator(Map1);
  Refresh1 = Map1->addAction("Refres&h");
  Refresh1->setShortcut(Qt::Key_F5);

  Options1 = bar->addMenu("&Options");
  Remotecontrol1 = NewCheckItem(Options1, "&Remote control");
  Remotecontrol1->setShortcut(Qt::Key_F10);
  ScanOnStart = NewCheckItem(Options1, "&Scan on start");
  Vigiloonstartup1 = NewCheckItem(Options1, "&Vigilo at system start-up");
  Icon1 = NewCheckItem(Options1, "Start Menu ic&on");
  GraphicFX1 = NewCheckItem(Options1, "&Graphic effects");
  N3 = NewSeparator(Options1);
  Ignorelist1 = Options1->addAction("&Ignore list...");
  Languagefile1 = Options1->addAction("&Language...");
  Usefont1 = Options1->addAction("List &font...");
  N4 = NewSeparator(Options1);
  Usesysicons1 = NewCheckItem(Options1, "System i&cons");
  SimpleList1 = NewCheckItem(Options1, "Si&mple list");
  DetailedList1 = NewCheckItem(Options1, "&Detailed list");
  ListModes = new QActionGroup(this);
  ListModes->setExclusive(true);
  ListModes->addAction(SimpleList1);
  ListModes->addAction(DetailedList1);

  Trash1 = bar->addAction("&Trash");

  Help1 = bar->addMenu("&?");
  About1 = Help1->addAction("&About Zorvan...");
  About1->setShortcut(Qt::Key_F1);
  Contents1 = Help1->addAction("&Contents");

  PopupMenu1 = new QMenu(this);
  EditMap1 = PopupMenu1->addAction(Edit1->text());
  RenameMapID1 = PopupMenu1->addAction(Rename1->text());
  UnMap2 = PopupMenu1->addAction(Unmap1->text());
  DeleteApplication2 = PopupMenu1->addAction( Deleteallmappedfiles1->text());
  Blue = NewCheckItem(PopupMenu1, "Blue");
  N5 = NewSeparator(PopupMenu1);
  Ok2 = PopupMenu1->addAction("Ok");
  for (QAction* item : {EditMap1, RenameMapID1, UnMap2}) item->setData(static_cast<int>(FromQ(item->text()).size()));

  PopupMenu2 = new QMenu(this);
  DeleteFile1 = PopupMenu2->addAction( Deleteselectedfile1->text());
  DeleteApplication1 = PopupMenu2->addAction( Deleteallmappedfiles1->text());
  N6 = NewSeparator(PopupMenu2);
  Ok1 = PopupMenu2->addAction("Ok");

  menu_columns_ = {
      {File1->menuAction(), {Vigilo1, Exit1}},
      {Scan1->menuAction(), {Createnew1, Identifyafile1}},
      {Map1->menuAction(), {Edit1, Rename1, Unmap1, N1, Deleteallmappedfiles1, Deleteselectedfile1, N2, Refresh1}},
      {Options1->menuAction(),
       {Remotecontrol1, ScanOnStart, Vigiloonstartup1, Icon1, GraphicFX1, N3, Ignorelist1, Languagefile1, Usefont1, N4,
        Usesysicons1, SimpleList1, DetailedList1}},
      {Trash1, {}},
      {Help1->menuAction(), {About1, Contents1}},
  };

  // Each bar button stands for its menu item: greyed and inert while it is,
  // and running exactly what the item runs.
  const std::array<QAction*, TPopGroup::kButtons> bar_items = {Createnew1, Identifyafile1, Trash1, About1, Vigilo1};
  for (int k = 0; k < TPopGroup::kButtons; ++k) PopGroup->SetItem(k, bar_items[static_cast<std::size_t>(k)]);
  PopGroup->on_command = [bar_items](int k) { bar_items.at(static_cast<std::size_t>(k))->trigger(); };

  connect(Vigilo1, &QAction::triggered, this, [this] { Vigilo1Click(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  connect(Createnew1, &QAction::triggered, this, [this] { New1Click(); });
  connect(Identifyafile1, &QAction::triggered, this, [this] { Identifyafile1Click(); });
  connect(Map1, &QMenu::aboutToShow, this, [this] { Map1Click(); });
  connect(Edit1, &QAction::triggered, this, [this] { Edit1Click(); });
  connect(Rename1, &QAction::triggered, this, [this] { Rename1Click(); });
  connect(Unmap1, &QAction::triggered, this, [this] { Unmap1Click(); });
  connect(Deleteallmappedfiles1, &QAction::triggered, this, [this] { Deleteallmappedfiles1Click(); });
  connect(Deleteselectedfile1, &QAction::triggered, this, [this] { Deleteselectedfile1Click(); });
  connect(Refresh1, &QAction::triggered, this, [this] { Refresh1Click(); });
  connect(EditMap1, &QAction::triggered, this, [this] { EditMap1Click(); });
  connect(RenameMapID1, &QAction::triggered, this, [this] { RenameMapID1Click(); });
  connect(UnMap2, &QAction::triggered, this, [this] { UnMap2Click(); });
  connect(Vigiloonstartup1, &QAction::triggered, this, [this] { Vigiloonstartup1Click(); });
  connect(Icon1, &QAction::triggered, this, [this] { Icon1Click(); });
  connect(Ignorelist1, &QAction::triggered, this, [this] { Ignorelist1Click(); });
  connect(About1, &QAction::triggered, this, [this] { About1Click(); });
  connect(Contents1, &QAction::triggered, this, [this] { Contents1Click(); });
  connect(Remotecontrol1, &QAction::triggered, this, [this] { Remotecontrol1Click(); });
  connect(ScanOnStart, &QAction::triggered, this, [this] { ScanOnStartClick(); });
  connect(GraphicFX1, &QAction::triggered, this, [this] { GraphicFX1Click(); });
  connect(Languagefile1, &QAction::triggered, this, [this] { Languagefile1Click(); });
  connect(Usefont1, &QAction::triggered, this, [this] { Usefont1Click(); });
  connect(Usesysicons1, &QAction::triggered, this, [this] { Usesysicons1Click(); });
  connect(SimpleList1, &QAction::triggered, this, [this] { SimpleList1Click(); });
  connect(DetailedList1, &QAction::triggered, this, [this] { DetailedList1Click(); });
  connect(DeleteApplication2, &QAction::triggered, this, [this] { Deleteallmappedfiles1Click(); });
  connect(DeleteFile1, &QAction::triggered, this, [this] { DeleteFile1Click(); });
  connect(DeleteApplication1, &QAction::triggered, this, [this] { DeleteApplication1Click(); });
  connect(Trash1, &QAction::triggered, this, [this] { Trash1Click(); });
  connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
  connect(Blue, &QAction::triggered, this, [this] { BlueClick(); });
}

}  // namespace zv
