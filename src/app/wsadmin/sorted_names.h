// app/wsadmin/sorted_names: the name lists of the administration window kept in alphabetical
// order (case ignored, as the engine orders accounts), and the selection rules they share.
// Lists only: never asks the engine.
#pragma once
#include <QString>
#include <optional>
#include <string>

class QComboBox;
class QListWidget;

namespace qb {

// Inserts NAME into LIST at its place in the order; returns its row.
int InsertSortedName(QListWidget* list, const QString& name);
// Inserts NAME into the drop-down list COMBO at its place in the order; returns its index.
int InsertSortedName(QComboBox* combo, const QString& name);

// The row of the entry that reads exactly NAME, or -1.
int FindName(const QListWidget* list, const QString& name);

// The text of the selected entry, or nullopt when none is selected.
std::optional<std::string> SelectedName(const QListWidget* list);

// Makes ROW the current and only selected entry; ROW -1 (or out of range) selects nothing.
void SelectRow(QListWidget* list, int row);

// Removes the entry NAME (nothing when absent) and selects the entry now at its row, or the
// last entry when it was the last one.
void RemoveName(QListWidget* list, const QString& name);

}  // namespace qb
