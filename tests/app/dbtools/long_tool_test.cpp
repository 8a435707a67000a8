// Tests of how the database tools run a long engine call: inside the progress window, with a
// failure handed to the caller only after the window has closed, and never reported as done
// when the window closed before the work could start.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <chrono>
#include <future>
#include <stdexcept>

#include "app/app_test_support.h"
#include "app/dbtools/long_tool.h"
#include "app/progress/progress_test_support.h"
#include "core/exception.h"

namespace qb::test {
namespace {

using LongToolTest = AppTest;

// An error of its own kind, to see that the caller gets the very exception the work raised.
class EWorkError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

TEST_F(LongToolTest, WorkRunsInsideTheShownProgressWindowWhileItStaysResponsive) {
  // The work waits for the window's thread to answer a question about the window: when the
  // window's thread were blocked by the work, as a plain call would block it, no answer comes.
  bool visible_during_work = false;
  bool answered = false;
  bool off_the_window_thread = false;
  ScriptedGui gui;
  ExpectProgressWindow(gui, "Compacting a.mdb ...").Caption("Please Wait");
  RunLongTool("Compacting a.mdb ...", [&] {
    off_the_window_thread = QThread::currentThread() != QApplication::instance()->thread();
    std::promise<bool> visible;
    auto answer = visible.get_future();
    QMetaObject::invokeMethod(
        QApplication::instance(),
        [&visible] {
          bool shown = false;
          for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<TProgressDialog*>(widget))
              shown = shown || (window->isVisible() && window->TurnTimer() != nullptr);
          }
          visible.set_value(shown);
        },
        Qt::QueuedConnection);
    // A bound, not a pause: the answer normally comes at once.
    answered = answer.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    if (answered) visible_during_work = answer.get();
  });
  gui.Verify();
  EXPECT_TRUE(off_the_window_thread);
  EXPECT_TRUE(answered) << "the window's thread did not handle events while the work ran";
  EXPECT_TRUE(visible_during_work);
}

TEST_F(LongToolTest, AFailureReachesTheCallerAfterTheWindowClosed) {
  ScriptedGui gui;  // no message box: the caller decides how the failure is shown
  QPointer<TProgressDialog> window;
  ExpectProgressWindow(gui, "Repairing", [&](TProgressDialog& shown) { window = &shown; });
  bool caught = false;
  try {
    RunLongTool("Repairing b.mdb ...", [] { throw EWorkError("the disk is full"); });
  } catch (const EWorkError& error) {
    caught = true;
    EXPECT_STREQ(error.what(), "the disk is full");
    EXPECT_EQ(window, nullptr) << "the window is gone before the caller hears of it";
  }
  gui.Verify();
  EXPECT_TRUE(caught);
}

TEST_F(LongToolTest, AWindowClosedBeforeTheWorkStartedIsNoSuccess) {
  ScriptedGui gui;
  gui.ExpectModal([](QDialog& dialog) { return dialog.result(); });  // closed at once
  bool ran = false;
  EXPECT_THROW(RunLongTool("Compacting c.mdb ...", [&] { ran = true; }), Exception);
  gui.Verify();
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace qb::test
