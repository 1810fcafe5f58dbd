#include "app/table_model.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace tessmar::app {

int ResultTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : cols_;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_) return {};
  if (role == Qt::DisplayRole)
    return QString::fromStdString(table_.Cell(index.column(), index.row() + 1));
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (o == Qt::Horizontal) {
    if (section < 0 || section >= cols_ || table_.RowCount() == 0) return {};
    return QString::fromStdString(table_.Cell(section, 0));
  }
  return section + 1;
}

void ResultTableModel::Reload() {
  const int rows = std::max(0, table_.RowCount() - 1);
  const int cols = table_.ColCount();
  if (rows != rows_ || cols != cols_) {
    beginResetModel();
    rows_ = rows;
    cols_ = cols;
    endResetModel();
    return;
  }
  if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
  emit headerDataChanged(Qt::Horizontal, 0, std::max(0, cols_ - 1));
}

void SetUpResultView(QTableView* view) {
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view->setWordWrap(false);
  view->setAlternatingRowColors(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* rows = view->verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(QFontMetrics(view->font()).height() + 4);
  rows->hide();  // the "No" column numbers the cells
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  view->horizontalHeader()->setStretchLastSection(false);
}

void FitColumns(QTableView* view, const TResultTable& table) {
  const QFontMetrics fm(view->font());
  const QFontMetrics hm(view->horizontalHeader()->font());
  const int sample = std::min(table.RowCount(), 50);
  for (int c = 0; c < table.ColCount(); ++c) {
    int w =
        table.RowCount() > 0 ? hm.horizontalAdvance(QString::fromStdString(table.Cell(c, 0))) : 0;
    for (int r = 1; r < sample; ++r)
      w = std::max(w, fm.horizontalAdvance(QString::fromStdString(table.Cell(c, r))));
    if (table.HasBoundaryRow && table.RowCount() > 1)
      w = std::max(
          w, fm.horizontalAdvance(QString::fromStdString(table.Cell(c, table.RowCount() - 1))));
    view->setColumnWidth(c, w + 16);
  }
}

}  // namespace tessmar::app
