// engine/dao_wait_cursor: the switch, the cursor value and the two bracket routines.
#include "engine/dao_wait_cursor.h"

#include <QCoreApplication>
#include <QThread>

namespace qb {

bool ShowWaitCursor = true;
TCursor DAOWaitCursor = crHourGlass;

namespace {

// The screen cursor belongs to the GUI thread: a component call made on a worker thread (a long
// database tool) leaves it to the window that waits for the worker.
bool OnGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app == nullptr || QThread::currentThread() == app->thread();
}

}  // namespace

TCursor BeginWaitCursor(TCursor cursor) {
  if (!OnGuiThread()) return cursor;
  const TCursor saved = Screen().Cursor();
  if (ShowWaitCursor) Screen().SetCursor(cursor);
  return saved;
}

void EndWaitCursor(TCursor cursor) {
  if (ShowWaitCursor && OnGuiThread()) Screen().SetCursor(cursor);
}

}  // namespace qb
