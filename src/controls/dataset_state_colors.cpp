// controls/dataset_state_colors: the table, filled on first use.
#include "controls/dataset_state_colors.h"

#include <QApplication>
#include <QPalette>

namespace qb {

std::array<QColor, kDataSetStateCount>& DataSetStateColors() {
  static std::array<QColor, kDataSetStateCount> colors = [] {
    std::array<QColor, kDataSetStateCount> table;
    table.fill(QApplication::palette().color(QPalette::Active, QPalette::Base));
    return table;
  }();
  return colors;
}

QColor DataSetStateColor(TDataSetState state) {
  const int index = static_cast<int>(state);
  if (index < 0 || index >= kDataSetStateCount) return DataSetStateColors()[dsInactive];
  return DataSetStateColors()[static_cast<size_t>(index)];
}

}  // namespace qb
