// app/toolwindows/single_tool_windows: the rule every modeless tool window follows (table
// designer, stored procedure designer, data viewer, SQL query window, architecture window): at
// most one of each kind, created on first use, freed when closed, and all of them released when
// the database editor goes. Knows no window class.
#pragma once
#include <QPointer>
#include <QWidget>

namespace qb {

// The owner of a tool window made now: the modal window now running (a window outside it could
// take no input while it runs), or null when none runs.
QWidget* ToolWindowOwner();

// Adds WINDOW to the single tool windows that exist; it leaves the list when it is destroyed.
// REQUIRES: WINDOW not null.
void RegisterSingleToolWindow(QWidget* window);

// Closes and frees every single tool window that exists, the newest first. A window must not
// outlive the editor that opened it, so this frees at once instead of posting the free.
// REQUIRES: not called from an event handler of one of those windows.
void ReleaseSingleToolWindows();

// The number of single tool windows that exist.
int SingleToolWindowCount();

// The one window kept in INSTANCE: made (owned by ToolWindowOwner(), freed when closed) and
// registered when there is none. The reference clears itself when the window is destroyed.
template <class T>
T* SingleToolWindow(QPointer<T>& instance) {
  if (instance.isNull()) {
    instance = new T(ToolWindowOwner());
    instance->setWindowFlag(Qt::Window, true);
    instance->setAttribute(Qt::WA_DeleteOnClose, true);
    RegisterSingleToolWindow(instance.data());
  }
  return instance.data();
}

}  // namespace qb
