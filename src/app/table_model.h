#pragma once
// The result table as a Qt item model: row 0 of TResultTable holds the column
// titles (the horizontal header), every further row one cell of the mesh (and
// the boundary row last). The texts are the program's own, shown verbatim.

#include <QAbstractTableModel>

#include "run/result_table.h"

class QTableView;

namespace tessmar::app {

class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ResultTableModel(const TResultTable& table, QObject* parent = nullptr)
      : QAbstractTableModel(parent), table_(table) {}

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation o, int role) const override;

  // The table changed: its size or its texts.
  void Reload();

 private:
  const TResultTable& table_;
  int rows_ = 0, cols_ = 0;
};

// A view set up for long tables: fixed row heights and column widths taken
// from the titles and the first rows, so that ten thousand rows scroll
// without measuring each of them.
void SetUpResultView(QTableView* view);
void FitColumns(QTableView* view, const TResultTable& table);

}  // namespace tessmar::app
