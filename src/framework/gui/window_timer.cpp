// framework/gui/window_timer: the timer over QTimer; exceptions of handlers end at the
// application's exception display, never in Qt's event loop.
#include "framework/gui/window_timer.h"

#include <QTimer>
#include <cstdio>
#include <exception>

#include "core/exception.h"
#include "framework/gui/application.h"

namespace qb {

WindowTimer::WindowTimer(QObject* owner) : QObject(owner), timer_(new QTimer(this)) {
  connect(timer_, &QTimer::timeout, this, [this] {
    try {
      Tick();
    } catch (const std::exception& error) {
      // Only a failing exception display (a broken test script) gets here; Qt cannot carry it.
      std::fprintf(stderr, "WindowTimer: exception from the exception display: %s\n", error.what());
    } catch (...) {
      std::fprintf(stderr, "WindowTimer: unknown exception from the exception display\n");
    }
  });
  Update();
}

WindowTimer::~WindowTimer() = default;

void WindowTimer::SetInterval(int interval) {
  if (interval < 0) {
    throw Exception("A timer interval cannot be negative (" + std::to_string(interval) + ").");
  }
  if (interval == interval_) return;
  interval_ = interval;
  Update();
}

void WindowTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

bool WindowTimer::TEST_Running() const { return timer_->isActive(); }

bool WindowTimer::TEST_Fire() {
  if (!TEST_Running()) return false;
  Tick();
  return true;
}

void WindowTimer::Update() {
  timer_->stop();
  if (enabled_ && interval_ > 0) timer_->start(interval_);
}

void WindowTimer::Tick() {
  if (!OnTimer) return;
  // A copy: the handler may reassign OnTimer while it runs.
  std::function<void(WindowTimer&)> handler = OnTimer;
  App().CallGuarded([&] { handler(*this); });
}

}  // namespace qb
