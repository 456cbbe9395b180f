#include "mapper/shell/trash_window.h"

#include <QEvent>
#include <QShowEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QVBoxLayout>

#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

constexpr int kButtonLefts[] = {8, 104, 200, 296};

QPushButton* NewButton(QWidget* parent, int left) {
  auto* button = new QPushButton(parent);
  button->setGeometry(left, 4, 89, 25);
  // Enter never presses a button of its own: only a click or its key does.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TTrash32::TTrash32(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Trash32");
  setFont(QFont("MS Sans Serif", 8));
  setSizeGripEnabled(true);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  MainMenu1 = new QMenuBar(this);
  File1 = MainMenu1->addMenu("&File");
  Refresh1 = File1->addAction("&Refresh");
  Refresh1->setShortcut(Qt::Key_F5);
  Quit1 = File1->addAction("&Quit");
  N1 = MainMenu1->addAction("&?");
  column->setMenuBar(MainMenu1);

  Panel1 = new QFrame(this);
  Panel1->setFixedHeight(33);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  RestoreBtn = NewButton(Panel1, kButtonLefts[0]);
  DeleteBtn = NewButton(Panel1, kButtonLefts[1]);
  FolderBtn = NewButton(Panel1, kButtonLefts[2]);
  QuitBtn = NewButton(Panel1, kButtonLefts[3]);
  column->addWidget(Panel1);

  TrashList = new QTreeWidget(this);
  TrashList->setColumnCount(static_cast<int>(kTrashColumns.size()));
  QStringList headers;
  for (const TrashColumn& c : kTrashColumns) headers << c.caption;
  TrashList->setHeaderLabels(headers);
  for (std::size_t i = 0; i < kTrashColumns.size(); ++i) {
    TrashList->setColumnWidth(static_cast<int>(i), kTrashColumns[i].width);
  }
  TrashList->header()->setStretchLastSection(false);
  TrashList->header()->setSectionsMovable(false);
  TrashList->setRootIsDecorated(false);
  TrashList->setUniformRowHeights(true);
  TrashList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TrashList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  TrashList->setSortingEnabled(false);  // the rows come sorted by name
  TrashList->installEventFilter(this);
  column->addWidget(TrashList, 1);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel = new QLabel(StatusBar1);
  StatusPanel->setFixedWidth(200);
  StatusPanel->setTextFormat(Qt::PlainText);
  StatusBar1->addWidget(StatusPanel);
  column->addWidget(StatusBar1);

  connect(Refresh1, &QAction::triggered, this, [this] { RefreshBtnClick(); });
  connect(Quit1, &QAction::triggered, this, [this] { Quit1Click(); });
  connect(N1, &QAction::triggered, this, [this] { N1Click(); });
  connect(RestoreBtn, &QPushButton::clicked, this, [this] { RestoreBtnClick(); });
  connect(DeleteBtn, &QPushButton::clicked, this, [this] { DeleteBtnClick(); });
  connect(FolderBtn, &QPushButton::clicked, this, [this] { FolderBtnClick(); });
  connect(QuitBtn, &QPushButton::clicked, this, [this] { QuitBtnClick(); });
  connect(TrashList, &QTreeWidget::itemSelectionChanged, this, [this] { TrashListChange(); });

  resize(500, 314);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TTrash32::~TTrash32() = default;

void TTrash32::AttachMapper(Mapper& mapper) { manager_ = std::make_unique<TrashManager>(mapper); }

void TTrash32::SetButtonCaptions(const std::array<std::string, 4>& captions) {
  const std::array<QPushButton*, 4> buttons = {RestoreBtn, DeleteBtn, FolderBtn, QuitBtn};
  for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i]->setText(ToQ(captions[i]));
}

void TTrash32::FormResize() {
  int others = 0;
  for (int i = 0; i + 1 < TrashList->columnCount(); ++i) others += TrashList->columnWidth(i);
  TrashList->setColumnWidth(TrashList->columnCount() - 1, OriginalPathWidth(TrashList->width(), others));
}

template <typename Command>
void TTrash32::RunAndShow(Command command) {
  if (!manager_) return;
  struct ShowWhenDone {
    TTrash32& window;
    ~ShowWhenDone() { window.ShowRows(); }
  } show{*this};
  command(*manager_);
}

void TTrash32::ShowRows() {
  {
    const QSignalBlocker quiet(TrashList);
    TrashList->setUpdatesEnabled(false);
    TrashList->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(manager_->rows().size()));
    for (const TrashRow& row : manager_->rows()) {
      items.append(new QTreeWidgetItem({ToQ(row.name), ToQ(row.map), ToQ(row.trashed), ToQ(row.path)}));
    }
    TrashList->addTopLevelItems(items);
    TrashList->setUpdatesEnabled(true);
  }
  StatusPanel->setText(ToQ(manager_->status()));
}

void TTrash32::RefreshBtnClick() {
  RunAndShow([](TrashManager& manager) { manager.Refresh(); });
}

void TTrash32::RestoreBtnClick() {
  const std::string caption = FromQ(RestoreBtn->text());
  RunAndShow([&](TrashManager& manager) { manager.Restore(SelectedRows(), caption); });
}

void TTrash32::DeleteBtnClick() {
  const std::string caption = FromQ(DeleteBtn->text());
  RunAndShow([&](TrashManager& manager) { manager.DeleteForGood(SelectedRows(), caption); });
}

void TTrash32::FolderBtnClick() {
  if (manager_) manager_->OpenTrashFolder();
}

void TTrash32::N1Click() {
  if (manager_) manager_->OpenHelp();
}

void TTrash32::TrashListChange() {
  StatusPanel->setText(ToQ(SelectedFilesText(static_cast<std::size_t>(TrashList->selectedItems().size()))));
}

std::vector<std::size_t> TTrash32::SelectedRows() const {
  std::vector<std::size_t> rows;
  for (int i = 0; i < TrashList->topLevelItemCount(); ++i) {
    if (TrashList->topLevelItem(i)->isSelected()) rows.push_back(static_cast<std::size_t>(i));
  }
  return rows;
}

void TTrash32::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window brought back from the task bar is not shown anew.
  if (!event->spontaneous()) FormShow();
}

bool TTrash32::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TrashList && event->type() == QEvent::Resize) FormResize();
  return QDialog::eventFilter(watched, event);
}

}  // namespace zv
