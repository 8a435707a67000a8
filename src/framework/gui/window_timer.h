// framework/gui/window_timer: a window timer (interval, enabled, handler) ticking on the GUI
// thread's Qt event loop. A handler's exception goes to the application's exception display,
// never into Qt's event loop. Tests tick it with TEST_Fire instead of waiting.
#pragma once
#include <QObject>
#include <functional>

class QTimer;

namespace qb {

class WindowTimer : public QObject {
  Q_OBJECT

 public:
  // A timer owned by OWNER (freed with it), enabled, 1000 ms, no handler.
  explicit WindowTimer(QObject* owner = nullptr);
  ~WindowTimer() override;

  // Milliseconds between ticks. 0 means no ticks (the timer stays enabled but idle).
  int Interval() const { return interval_; }
  // Raises Exception for a negative INTERVAL. A running timer restarts its period.
  void SetInterval(int interval);

  bool Enabled() const { return enabled_; }
  // Starts (true, with Interval() > 0) or stops (false) the ticks. A changed value restarts the
  // period; the same value changes nothing.
  void SetEnabled(bool enabled);

  // Called on every tick with this timer; unassigned: ticks do nothing.
  std::function<void(WindowTimer&)> OnTimer;

  // ---- test hooks ----
  // Whether ticks are due now: enabled with an interval above 0 (the Qt timer runs).
  bool TEST_Running() const;
  // Delivers one tick now, as the event loop would, when TEST_Running(): the handler runs and an
  // exception from it goes to App().HandleException. Returns whether a tick was delivered.
  // A scripted-GUI failure raised on the way propagates to the test.
  bool TEST_Fire();

 private:
  void Update();
  void Tick();

  QTimer* timer_;        // owned by this QObject
  int interval_ = 1000;  // GUI thread only
  bool enabled_ = true;  // GUI thread only
};

}  // namespace qb
