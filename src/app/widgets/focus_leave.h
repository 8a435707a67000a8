// app/widgets/focus_leave: when losing the focus counts as leaving a control.
#pragma once
#include <QEvent>
#include <QFocusEvent>

namespace qb {

// Whether losing the focus for EVENT counts as leaving a control: a message box or menu of this
// program taking the focus for a moment does not (its answer would otherwise repeat the step).
inline bool LeavesControl(const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace qb
