// app/tabledesign/list_drag: dragging an entry within one list box to another place of the same
// list (the designer's field list, the new-index dialog's field list). Only tells where an
// entry was dropped; moving it is the caller's business. Never starts a drag between windows.
#pragma once
#include <QObject>
#include <QPoint>
#include <functional>

class QListWidget;
class QWidget;

namespace qb {

// Watches LIST's mouse: a left press on an entry followed by a move of at least the platform's
// drag distance is a drag; while it lasts the list's own selection does not follow the pointer.
// Releasing the button ends it and calls OnDrop with the position of the entry under the
// pointer, -1 when there is none there. Owned by LIST.
class TListDrag : public QObject {
  Q_OBJECT

 public:
  explicit TListDrag(QListWidget* list);

  std::function<void(int drop_position)> OnDrop;

  bool Dragging() const { return dragging_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidget* list_;      // the watched list; owns this object
  // The list's viewport, constant after construction. Kept so that events the viewport gets
  // while the list is being destroyed are told apart without calling into the list.
  QWidget* viewport_;
  bool pressed_ = false;   // a left press on an entry, not released yet
  bool dragging_ = false;  // the press has moved far enough
  QPoint start_;
};

}  // namespace qb
