#include "mapper/shell/map_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <algorithm>

#include "mapper/shell/pictures.h"
#include "mapper/shell/qt_text.h"
#include "platform/text.h"

namespace zv {
namespace {

constexpr int kIcon = 16;
constexpr int kStateGap = 2;

}  // namespace

QtMapView::QtMapView(Host& host, QGroupBox& group, QTreeView& list) : host_(host), group_(group), list_(list) {
  model_.icon_of = [this](const MapRows& rows, std::size_t i) { return ItemIcon(rows, i); };
  list_.setModel(&model_);
  list_.setColumnWidth(0, 200);
  list_.setColumnWidth(1, 100);
  list_.setRootIsDecorated(false);
  list_.setItemsExpandable(false);
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

QIcon QtMapView::FileIcon(const MapRows& rows, std::size_t i) {
  const std::string icon_path = rows.IconPath(i);
  if (icon_path.empty()) return QIcon();
  const MapRow& row = rows.rows[i];
  // The system gives an icon only for what is on disk: a missing entry has
  // none. The detailed list knows; the plain list asks.
  if (row.state != 0 ? row.state != 1 : !host_.PathExists(icon_path)) return QIcon();
  const bool folder = row.entry().starts_with("<DIR> ");
  // Icons depend on the kind only: a folder, or the suffix of the name.
  // The suffix is read from the name's bytes, so a name that is not UTF-8
  // gets its kind's icon too, and one look-up serves every row of a kind.
  const std::string_view name = std::string_view(icon_path).substr(icon_path.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  const QString suffix = dot == std::string_view::npos ? QString() : ToQ(name.substr(dot + 1)).toLower();
  const QString kind = folder ? QStringLiteral("/") : suffix;
  auto found = file_icons_.find(kind);
  if (found != file_icons_.end()) return *found;
  QIcon icon;
  if (folder) {
    icon = provider_.icon(QAbstractFileIconProvider::Folder);
  } else {
    const QMimeType type =
        mime_types_.mimeTypeForFile(suffix.isEmpty() ? QStringLiteral("x") : "x." + suffix, QMimeDatabase::MatchExtension);
    icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull()) icon = provider_.icon(QAbstractFileIconProvider::File);
  }
  file_icons_.insert(kind, icon);
  return icon;
}

QIcon QtMapView::ItemIcon(const MapRows& rows, std::size_t i) {
  const QIcon file_icon = FileIcon(rows, i);
  if (!shown_state_images_) return file_icon;
  // With state images every row keeps the mark's room, so captions align.
  const int state = rows.rows[i].state;
  const QString key = QString::number(state) + '|' + QString::number(file_icon.cacheKey());
  auto found = composed_.find(key);
  if (found != composed_.end()) return *found;
  QPixmap both(kIcon * 2 + kStateGap, kIcon);
  both.fill(Qt::transparent);
  QPainter painter(&both);
  if (state > 0) painter.drawPixmap(0, 0, PresencePicture(state));
  if (!file_icon.isNull()) painter.drawPixmap(kIcon + kStateGap, 0, file_icon.pixmap(kIcon, kIcon));
  painter.end();
  const QIcon icon(both);
  composed_.insert(key, icon);
  return icon;
}

void QtMapView::ShowListing(const MapListing& listing) { ShowRows(MapRows::FromListing(listing)); }

void QtMapView::ShowRows(std::shared_ptr<const MapRows> rows) {
  const bool simple = rows->simple;
  list_.setUpdatesEnabled(false);
  // The icons are made as rows are drawn, in the mode in force now.
  shown_state_images_ = state_images_;
  list_.setIconSize(shown_state_images_ ? QSize(kIcon * 2 + kStateGap, kIcon) : QSize(kIcon, kIcon));
  const QString first = ToQ(rows->first_header);
  const QString second = ToQ(rows->second_header);
  model_.SetRows(std::move(rows), first, second);
  if (!list_.isColumnHidden(1)) second_width_ = list_.columnWidth(1);
  list_.setHeaderHidden(simple);
  list_.setColumnHidden(1, simple);
  FitFirstColumn();
  list_.setUpdatesEnabled(true);
}

namespace {

std::optional<MapItem> ItemAt(const MapListModel& model, const QModelIndex& index) {
  if (!index.isValid()) return std::nullopt;
  return model.Rows().Item(static_cast<std::size_t>(index.row()));
}

}  // namespace

std::optional<MapItem> QtMapView::SelectedItem() const {
  const QModelIndexList selected = list_.selectionModel()->selectedRows();
  return ItemAt(model_, selected.isEmpty() ? QModelIndex() : selected.front());
}

std::optional<MapItem> QtMapView::CurrentItem() const { return ItemAt(model_, list_.currentIndex()); }

void QtMapView::FitFirstColumn() {
  const int second = list_.isColumnHidden(1) ? second_width_ : list_.columnWidth(1);
  list_.setColumnWidth(0, std::max(list_.width() - second - 20, 100));
}

}  // namespace zv
