// app/wsadmin/sorted_names: sorted insertion, lookup and selection of list entries.
#include "app/wsadmin/sorted_names.h"

#include <QComboBox>
#include <QListWidget>
#include <algorithm>

namespace qb {

namespace {

bool Before(const QString& a, const QString& b) {
  const int folded = QString::compare(a, b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

}  // namespace

int InsertSortedName(QListWidget* list, const QString& name) {
  int row = 0;
  while (row < list->count() && !Before(name, list->item(row)->text())) ++row;
  list->insertItem(row, name);
  return row;
}

int InsertSortedName(QComboBox* combo, const QString& name) {
  int index = 0;
  while (index < combo->count() && !Before(name, combo->itemText(index))) ++index;
  combo->insertItem(index, name);
  return index;
}

int FindName(const QListWidget* list, const QString& name) {
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->text() == name) return row;
  }
  return -1;
}

std::optional<std::string> SelectedName(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return selected.first()->text().toStdString();
}

void SelectRow(QListWidget* list, int row) {
  if (row < 0 || row >= list->count()) {
    list->clearSelection();
    list->setCurrentRow(-1);
    return;
  }
  list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void RemoveName(QListWidget* list, const QString& name) {
  const int row = FindName(list, name);
  if (row < 0) return;
  delete list->takeItem(row);
  SelectRow(list, std::min(row, list->count() - 1));
}

}  // namespace qb
