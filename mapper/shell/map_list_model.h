// The file list's rows as an item model over the viewer's MapRows: no item
// per row, and the texts and icons of a row made only when the list draws
// it, so a map of half a million entries costs its rows' few bytes and no
// widgets. Two columns, the entry and its size; the size column and its
// header are right-aligned.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <memory>

#include "mapper/engine/map_rows.h"

namespace zv {

class MapListModel : public QAbstractTableModel {
 public:
  // Where a row answers its presence mark (0 none, 1 present, 2 missing).
  static constexpr int kStateRole = Qt::UserRole;

  // The icon of row `i` of `rows`; a null icon shows none.
  std::function<QIcon(const MapRows& rows, std::size_t i)> icon_of;

  // Replaces the rows (the selection goes with them) and the headers.
  void SetRows(std::shared_ptr<const MapRows> rows, const QString& first_header, const QString& second_header);
  // The rows shown; an empty set before the first.
  const MapRows& Rows() const { return *rows_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::shared_ptr<const MapRows> rows_ = std::make_shared<MapRows>();
  QString headers_[2] = {QStringLiteral("Map File"), QStringLiteral("Size (Kb)")};
};

}  // namespace zv
