// app/widgets/list_box_rules: selection and naming rules of the catalog lists.
#include "app/widgets/list_box_rules.h"

#include <QListWidget>
#include <QString>

namespace qb {

int SelectedPosition(const QListWidget& list) {
  const QListWidgetItem* item = list.currentItem();
  if (item == nullptr || !item->isSelected()) return -1;
  return list.row(item);
}

void RestoreSelection(QListWidget& list, int remembered) {
  const int count = list.count();
  if (count == 0) return;
  int position = count - 1;
  if (remembered < 0) {
    position = 0;
  } else if (remembered < count) {
    position = remembered;
  }
  list.setCurrentRow(position);
}

void SelectEntryAt(QListWidget& list, QPoint point) {
  QListWidgetItem* item = list.itemAt(point);
  if (item != nullptr && SelectedPosition(list) != list.row(item)) list.setCurrentItem(item);
}

bool SelectEntryWithText(QListWidget& list, const std::string& text) {
  const QString wanted = QString::fromStdString(text);
  for (int i = 0; i < list.count(); ++i) {
    if (list.item(i)->text() == wanted) {
      list.setCurrentRow(i);
      return true;
    }
  }
  return false;
}

std::vector<std::string> EntryTexts(const QListWidget& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
  return texts;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::string ProposeName(const std::string& prefix, const std::vector<std::string>& names) {
  for (long counter = 1;; ++counter) {
    const std::string proposal = prefix + std::to_string(counter);
    bool taken = false;
    for (const std::string& name : names) taken = taken || SameNameIgnoringCase(name, proposal);
    if (!taken) return proposal;
  }
}

}  // namespace qb
