// The application's idle handler: run when the event loop has nothing left to do, never from
// ProcessMessages, handed back by its replacement, and guarded like an event handler.
#include "framework/gui/application_idle.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <string>
#include <vector>

#include "core/exception.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_test_support.h"

namespace qb {
namespace {

class ApplicationIdleTest : public test::GuiTest {
 protected:
  void TearDown() override {
    SetApplicationIdleHandler({});
    App().OnException = nullptr;
  }
  // Lets the event loop reach one moment with nothing to do. A zero timer ends the wait, also
  // that of a loop nested in the idle handler (which would otherwise take the only tick).
  static void IdleMoment() {
    QTimer wake;
    wake.start(0);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
};

TEST_F(ApplicationIdleTest, RunsWhenTheLoopWouldWaitNotWhenMessagesAreProcessed) {
  int runs = 0;
  EXPECT_FALSE(SetApplicationIdleHandler([&] { ++runs; }));
  App().ProcessMessages();
  EXPECT_EQ(runs, 0);
  IdleMoment();
  EXPECT_GE(runs, 1);
}

TEST_F(ApplicationIdleTest, AReplacementHandsThePreviousHandlerBack) {
  std::vector<std::string> order;
  SetApplicationIdleHandler([&] { order.push_back("first"); });
  {
    ScopedIdleHandler second([&] { order.push_back("second"); });
    ASSERT_TRUE(second.Previous());
    IdleMoment();
  }
  IdleMoment();
  ASSERT_GE(order.size(), 2u);
  EXPECT_EQ(order.front(), "second");
  EXPECT_EQ(order.back(), "first");
  SetApplicationIdleHandler({});
  order.clear();
  IdleMoment();
  EXPECT_TRUE(order.empty());
}

TEST_F(ApplicationIdleTest, AnExceptionGoesToTheDisplayAndTheHandlerIsNotReentered) {
  std::vector<std::string> shown;
  int depth = 0;
  int deepest = 0;
  App().OnException = [&](const std::exception& error) {
    shown.emplace_back(error.what());
    IdleMoment();  // a message box has idle moments of its own
  };
  SetApplicationIdleHandler([&] {
    ++depth;
    deepest = std::max(deepest, depth);
    --depth;
    throw Exception("idle failed");
  });
  IdleMoment();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), "idle failed");
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(shown.size(), 1u) << "the display's own idle moment did not run the handler again";
}

}  // namespace
}  // namespace qb
