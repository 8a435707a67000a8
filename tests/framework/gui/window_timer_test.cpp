// Window timers: ticks delivered by the test, the enabled and interval rules, and handler
// exceptions reaching the application's exception display.
#include "framework/gui/window_timer.h"

#include <memory>
#include <QPointer>

#include "core/exception.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_test_support.h"

namespace qb {
namespace {

using WindowTimerTest = test::GuiTest;

TEST_F(WindowTimerTest, TicksOnlyWhileEnabledWithAnInterval) {
  WindowTimer timer;
  int ticks = 0;
  timer.OnTimer = [&](WindowTimer&) { ++ticks; };
  EXPECT_TRUE(timer.TEST_Fire());
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.TEST_Running());
  EXPECT_FALSE(timer.TEST_Fire());
  timer.SetEnabled(true);
  timer.SetInterval(0);
  EXPECT_FALSE(timer.TEST_Fire());  // interval 0: idle, not a busy loop
  timer.SetInterval(100);
  EXPECT_TRUE(timer.TEST_Running());
  EXPECT_TRUE(timer.TEST_Fire());
  EXPECT_EQ(ticks, 2);
  // A negative interval is refused and the old one kept.
  EXPECT_THROW(timer.SetInterval(-1), Exception);
  EXPECT_EQ(timer.Interval(), 100);
  EXPECT_TRUE(timer.TEST_Running());
}

TEST_F(WindowTimerTest, HandlerCanStopItsOwnTimer) {
  // the progress window's clock: the handler disables the timer on the last face
  WindowTimer timer;
  int face = 183;
  timer.OnTimer = [&](WindowTimer& self) {
    if (++face == 185) self.SetEnabled(false);
  };
  EXPECT_TRUE(timer.TEST_Fire());
  EXPECT_TRUE(timer.TEST_Fire());
  EXPECT_FALSE(timer.TEST_Fire());
  EXPECT_EQ(face, 185);
}

TEST_F(WindowTimerTest, HandlerExceptionGoesToTheExceptionDisplay) {
  ScriptedGui gui;
  App().SetTitle("gui_tests");
  gui.ExpectMessageBox(IDOK).Text("refresh failed").Caption("gui_tests").Flags(MB_OK | MB_ICONSTOP);
  WindowTimer timer;
  timer.OnTimer = [](WindowTimer&) { throw Exception("refresh failed"); };
  EXPECT_TRUE(timer.TEST_Fire());
  EXPECT_TRUE(timer.Enabled());  // the timer keeps going
  gui.Verify();
}

TEST_F(WindowTimerTest, FreedWithItsOwner) {
  auto owner = std::make_unique<QObject>();
  QPointer<WindowTimer> timer = new WindowTimer(owner.get());
  owner.reset();
  EXPECT_TRUE(timer.isNull());
}

TEST_F(WindowTimerTest, RealTicksComeFromTheEventLoop) {
  WindowTimer timer;
  int ticks = 0;
  timer.OnTimer = [&](WindowTimer&) { ++ticks; };
  timer.SetInterval(1);
  EXPECT_TRUE(test::WaitFor([&] { return ticks >= 2; }));
  timer.SetEnabled(false);
}

}  // namespace
}  // namespace qb
