#include "mapper/shell/map_list_model.h"

#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

}  // namespace

void MapListModel::SetRows(std::shared_ptr<const MapRows> rows, const QString& first_header,
                           const QString& second_header) {
  beginResetModel();
  rows_ = std::move(rows);
  headers_[0] = first_header;
  headers_[1] = second_header;
  endResetModel();
  emit headerDataChanged(Qt::Horizontal, 0, 1);
}

int MapListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_->size());
}

int MapListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant MapListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_->size()) return QVariant();
  const std::size_t i = static_cast<std::size_t>(index.row());
  const bool first = index.column() == 0;
  switch (role) {
    case Qt::DisplayRole:
      return first ? ToQ(rows_->rows[i].entry()) : ToQ(rows_->SizeText(i));
    case Qt::TextAlignmentRole:
      return first ? QVariant() : QVariant(static_cast<int>(kRight));
    case Qt::DecorationRole: {
      if (!first || !icon_of) return QVariant();
      const QIcon icon = icon_of(*rows_, i);
      return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case kStateRole:
      return first ? QVariant(static_cast<int>(rows_->rows[i].state)) : QVariant();
    default:
      return QVariant();
  }
}

QVariant MapListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section > 1) return QVariant();
  if (role == Qt::DisplayRole) return headers_[section];
  if (role == Qt::TextAlignmentRole && section == 1) return QVariant(static_cast<int>(kRight));
  return QVariant();
}

}  // namespace zv
