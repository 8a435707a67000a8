// Helpers of the GUI service tests: a fixture that turns scripted-GUI problems into GoogleTest
// failures, and a driver that answers the next real Qt modal window from the event loop.
#pragma once
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

#include "framework/gui/scripted_gui.h"

namespace qb::test {

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScriptedGui::SetFailureReporter([](const std::string& problems) {
      ADD_FAILURE() << "scripted GUI problems:\n" << problems;
    });
  }
};

// Polls the event loop (every 5 ms) until a visible modal widget of type T is active, then calls
// ACTION with it once. After 10 s without one it gives up and records a failure, closing any modal
// widget so that the test cannot hang. Call before the code that runs the modal loop.
template <class T>
void AnswerNextModal(std::function<void(T&)> action) {
  auto* poll = new QTimer(qApp);
  auto* clock = new QElapsedTimer();
  clock->start();
  QObject::connect(poll, &QTimer::timeout, poll, [poll, clock, action] {
    QWidget* modal = QApplication::activeModalWidget();
    T* target = qobject_cast<T*>(modal);
    if (target != nullptr && target->isVisible()) {
      poll->stop();
      poll->deleteLater();
      delete clock;
      action(*target);
      return;
    }
    if (clock->elapsed() > 10000) {
      poll->stop();
      poll->deleteLater();
      delete clock;
      ADD_FAILURE() << "no modal window of the expected kind appeared";
      if (modal != nullptr) modal->close();
    }
  });
  poll->start(5);
}

// Runs the event loop until CONDITION holds or 10 s have passed; returns CONDITION's last value.
inline bool WaitFor(const std::function<bool()>& condition) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

}  // namespace qb::test
