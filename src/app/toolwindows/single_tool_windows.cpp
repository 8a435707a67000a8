// app/toolwindows/single_tool_windows: the list of single tool windows that exist.
#include "app/toolwindows/single_tool_windows.h"

#include <QApplication>
#include <vector>

namespace qb {

namespace {

// The tool windows that exist, oldest first; a destroyed window is a null entry until pruned.
std::vector<QPointer<QWidget>>& Windows() {
  static std::vector<QPointer<QWidget>> windows;
  return windows;
}

void Prune() {
  auto& windows = Windows();
  std::erase_if(windows, [](const QPointer<QWidget>& window) { return window.isNull(); });
}

}  // namespace

QWidget* ToolWindowOwner() { return QApplication::activeModalWidget(); }

void RegisterSingleToolWindow(QWidget* window) {
  Prune();
  Windows().emplace_back(window);
}

void ReleaseSingleToolWindows() {
  Prune();
  std::vector<QPointer<QWidget>> windows;
  windows.swap(Windows());
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (it->isNull()) continue;  // freed by an earlier one
    QWidget* window = it->data();
    window->hide();
    delete window;
  }
}

int SingleToolWindowCount() {
  Prune();
  return static_cast<int>(Windows().size());
}

}  // namespace qb
