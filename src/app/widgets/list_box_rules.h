// app/widgets/list_box_rules: the rules the catalog windows share for their list boxes: which
// entry stays selected after a list is filled again, the entry under the mouse pointer, and
// proposed names for new objects. Touches no engine object.
#pragma once
#include <QPoint>
#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace qb {

// The selected position of LIST, -1 when nothing is selected.
int SelectedPosition(const QListWidget& list);

// Selects, after LIST was filled again: the first entry when REMEMBERED is -1 (nothing was
// selected), else REMEMBERED while it is still a position of LIST, else the entry before it
// (the last one). An empty list keeps no selection.
void RestoreSelection(QListWidget& list, int remembered);

// Selects the entry of LIST under POINT (viewport coordinates) unless there is none there or
// it is selected already.
void SelectEntryAt(QListWidget& list, QPoint point);

// Selects the first entry whose text equals TEXT exactly; false when there is none (the
// selection stays).
bool SelectEntryWithText(QListWidget& list, const std::string& text);

// The texts of LIST's entries, top to bottom.
std::vector<std::string> EntryTexts(const QListWidget& list);

// PREFIX followed by the smallest counter from 1 for which NAMES holds no name equal to it
// without regard to case ("NewTable1", "NewTable2", ...).
std::string ProposeName(const std::string& prefix, const std::vector<std::string>& names);

// Whether A and B are the same name without regard to case.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

}  // namespace qb
