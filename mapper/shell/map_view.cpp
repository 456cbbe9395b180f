#include "mapper/shell/map_view.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <algorithm>

#include "mapper/shell/pictures.h"
#include "mapper/shell/qt_text.h"
#include "platform/text.h"

namespace zv {
namespace {

constexpr int kIcon = 16;
constexpr int kStateGap = 2;
// Where a row keeps its presence mark, which the delete file command reads.
constexpr int kStateRole = Qt::UserRole;

}  // namespace

QtMapView::QtMapView(QGroupBox& group, QTreeWidget& list) : group_(group), list_(list) {
  list_.setColumnCount(2);
  list_.setHeaderLabels({"Map File", "Size (Kb)"});
  list_.headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  list_.setColumnWidth(0, 200);
  list_.setColumnWidth(1, 100);
  list_.setRootIsDecorated(false);
  list_.setUniformRowHeights(true);
  list_.setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_.setSelectionMode(QAbstractItemView::SingleSelection);
  list_.setSortingEnabled(false);
  list_.header()->setStretchLastSection(false);
  list_.header()->setSectionsMovable(false);
  list_.setIconSize(QSize(kIcon, kIcon));
}

void QtMapView::SetAnimations(bool running) {
  if (on_animations) on_animations(running);
}

void QtMapView::SetMapGroupCaption(const std::string& caption) { group_.setTitle(ToQ(caption)); }

QIcon QtMapView::FileIcon(const MapItem& item) {
  if (item.icon_path.empty()) return QIcon();
  const bool folder = StartsWith(item.caption, "<DIR> ");
  const QFileInfo info(ToQ(item.icon_path));
  // Icons depend on the kind of file only, so one lookup per kind serves
  // every row of it.
  const QString kind = folder ? QStringLiteral("<dir>") : info.suffix().toLower();
  auto found = file_icons_.find(kind);
  if (found != file_icons_.end()) return *found;
  const QIcon icon = folder ? provider_.icon(QAbstractFileIconProvider::Folder) : provider_.icon(info);
  file_icons_.insert(kind, icon);
  return icon;
}

QIcon QtMapView::ItemIcon(const MapItem& item) {
  const QIcon file_icon = FileIcon(item);
  if (!state_images_) return file_icon;
  // With state images every row keeps the mark's room, so captions align.
  const QString key = QString::number(item.state) + '|' + QString::number(file_icon.cacheKey());
  auto found = composed_.find(key);
  if (found != composed_.end()) return *found;
  QPixmap both(kIcon * 2 + kStateGap, kIcon);
  both.fill(Qt::transparent);
  QPainter painter(&both);
  if (item.state > 0) painter.drawPixmap(0, 0, PresencePicture(item.state));
  if (!file_icon.isNull()) painter.drawPixmap(kIcon + kStateGap, 0, file_icon.pixmap(kIcon, kIcon));
  painter.end();
  const QIcon icon(both);
  composed_.insert(key, icon);
  return icon;
}

void QtMapView::ShowListing(const MapListing& listing) {
  list_.setUpdatesEnabled(false);
  list_.clear();
  list_.setIconSize(state_images_ ? QSize(kIcon * 2 + kStateGap, kIcon) : QSize(kIcon, kIcon));
  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<qsizetype>(listing.items.size()));
  for (const MapItem& item : listing.items) {
    auto* row = new QTreeWidgetItem;
    row->setText(0, ToQ(item.caption));
    row->setText(1, ToQ(item.size_text));
    row->setData(0, kStateRole, item.state);
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    const QIcon icon = ItemIcon(item);
    if (!icon.isNull()) row->setIcon(0, icon);
    rows.append(row);
  }
  list_.addTopLevelItems(rows);
  list_.setHeaderLabels({ToQ(listing.first_header), ToQ(listing.second_header)});
  list_.headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  if (!list_.isColumnHidden(1)) second_width_ = list_.columnWidth(1);
  list_.setHeaderHidden(listing.simple);
  list_.setColumnHidden(1, listing.simple);
  FitFirstColumn();
  list_.setUpdatesEnabled(true);
}

std::optional<MapItem> QtMapView::SelectedItem() const {
  const QList<QTreeWidgetItem*> selected = list_.selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  MapItem item;
  item.caption = FromQ(selected.front()->text(0));
  item.state = selected.front()->data(0, kStateRole).toInt();
  return item;
}

void QtMapView::FitFirstColumn() {
  const int second = list_.isColumnHidden(1) ? second_width_ : list_.columnWidth(1);
  list_.setColumnWidth(0, std::max(list_.width() - second - 20, 100));
}

}  // namespace zv
