// framework/gui/application_idle: the application's idle handler, run each time the GUI
// thread's event loop has handled every pending event and is about to wait for more. Owns only
// its connection to Qt's event dispatcher; ProcessMessages never counts as an idle moment.
//
// Thread-safety: GUI thread only.
#pragma once
#include <functional>

namespace qb {

using IdleHandler = std::function<void()>;

// The handler now installed; empty when none.
const IdleHandler& ApplicationIdleHandler();

// Installs HANDLER (empty: none) and returns the one it replaces, so that a window holding the
// idle moment for a while can give it back. An exception from the handler goes to
// App().HandleException. The handler is not run again while it runs (a message box it shows
// has idle moments of its own). Without a QCoreApplication only the value is kept until one
// exists and a handler is installed again.
IdleHandler SetApplicationIdleHandler(IdleHandler handler);

// Scope that installs a handler and restores the previous one when it ends.
class ScopedIdleHandler {
 public:
  explicit ScopedIdleHandler(IdleHandler handler) : previous_(SetApplicationIdleHandler(std::move(handler))) {}
  ~ScopedIdleHandler() { SetApplicationIdleHandler(std::move(previous_)); }
  ScopedIdleHandler(const ScopedIdleHandler&) = delete;
  ScopedIdleHandler& operator=(const ScopedIdleHandler&) = delete;

  // The handler that was installed before this scope (empty when none).
  const IdleHandler& Previous() const { return previous_; }

 private:
  IdleHandler previous_;  // constant after construction
};

}  // namespace qb
