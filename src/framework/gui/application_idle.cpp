// framework/gui/application_idle: the idle handler behind the event dispatcher's "about to
// block" signal (emitted only by a loop that may wait, never by ProcessMessages).
#include "framework/gui/application_idle.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include "framework/gui/application.h"

namespace qb {

namespace {

IdleHandler g_handler;                        // GUI thread only
bool g_running = false;                       // GUI thread only: the handler is on the stack
QPointer<QAbstractEventDispatcher> g_hooked;  // the dispatcher connected to RunIdle

void RunIdle() {
  if (!g_handler || g_running) return;
  g_running = true;
  struct Reset {
    ~Reset() { g_running = false; }
  } reset;
  const IdleHandler handler = g_handler;  // the handler may replace itself
  App().CallGuarded(handler);
}

void HookDispatcher() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return;
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(application->thread());
  if (dispatcher == nullptr || dispatcher == g_hooked) return;
  g_hooked = dispatcher;
  QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, &RunIdle);
}

}  // namespace

const IdleHandler& ApplicationIdleHandler() { return g_handler; }

IdleHandler SetApplicationIdleHandler(IdleHandler handler) {
  IdleHandler previous = std::move(g_handler);
  g_handler = std::move(handler);
  if (g_handler) HookDispatcher();
  return previous;
}

}  // namespace qb
