// app/tabledesign/list_drag: the mouse rules of dragging within a list.
#include "app/tabledesign/list_drag.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

#include "framework/gui/application.h"

namespace qb {

TListDrag::TListDrag(QListWidget* list) : QObject(list), list_(list), viewport_(list->viewport()) {
  viewport_->installEventFilter(this);
}

bool TListDrag::eventFilter(QObject* watched, QEvent* event) {
  if (watched != viewport_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint point = mouse->position().toPoint();
      pressed_ = mouse->button() == Qt::LeftButton && list_->itemAt(point) != nullptr;
      dragging_ = false;
      start_ = point;
      return false;  // the list selects the pressed entry
    }
    case QEvent::MouseMove: {
      if (!pressed_) return false;
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!(mouse->buttons() & Qt::LeftButton)) {
        pressed_ = dragging_ = false;
        return false;
      }
      if (!dragging_ && (mouse->position().toPoint() - start_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
        viewport_->setCursor(Qt::DragMoveCursor);
      }
      return true;  // the selection stays on the dragged entry
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || !pressed_) return false;
      const bool dropped = dragging_;
      pressed_ = dragging_ = false;
      if (!dropped) return false;  // a plain click
      viewport_->unsetCursor();
      QListWidgetItem* target = list_->itemAt(mouse->position().toPoint());
      const int position = target != nullptr ? list_->row(target) : -1;
      if (OnDrop) App().CallGuarded([&] { OnDrop(position); });
      return true;
    }
    default:
      return false;
  }
}

}  // namespace qb
