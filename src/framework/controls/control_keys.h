// framework/controls/control_keys: the key rules the data-aware controls share: which keys
// would change a control's value (the dataset must enter edit state first).
#pragma once
#include <QKeyEvent>

namespace qb {

// A printable character, Backspace, Delete, Cut or Paste.
inline bool IsChangingKey(const QKeyEvent& event) {
  const QString typed = event.text();
  const bool printable = !typed.isEmpty() && typed.at(0).unicode() >= 0x20 && typed.at(0).unicode() != 0x7f;
  const int key = event.key();
  return printable || key == Qt::Key_Backspace || key == Qt::Key_Delete ||
         event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut);
}

}  // namespace qb
