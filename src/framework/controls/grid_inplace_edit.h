// framework/controls/grid_inplace_edit: the editor a data grid opens over its selected cell.
// Keys that move between cells and records, post or cancel go to the grid; a key that would
// change the text first asks the grid to put the dataset into edit state.
#pragma once
#include <QLineEdit>

namespace qb {

class TDBGrid;

class TGridInplaceEdit : public QLineEdit {
  Q_OBJECT

 public:
  TGridInplaceEdit(TDBGrid* grid, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TDBGrid* grid_;
};

}  // namespace qb
