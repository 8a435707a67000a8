// Helpers of the progress window tests: running the window's event loop as its modal loop
// would (pending events, then idle moments) from a scripted modal handler, and scripting the
// progress window of the code under test.
#pragma once
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "app/progress/progress_dialog.h"
#include "framework/gui/scripted_gui.h"

namespace qb::test {

// One moment at which the event loop has nothing left to do: the idle handler runs, as in the
// real loop before it waits. A repeating zero timer makes sure every wait ends at once, also
// that of a loop nested in the idle handler.
inline void IdleMoment() {
  QTimer wake;
  wake.start(0);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Runs the shown modal DIALOG as its modal loop would until it closes: pending events, and an
// idle moment whenever none are left. Gives up after ROUNDS rounds with a failure. Returns the
// dialog's result.
inline int RunModalLoop(QDialog& dialog, int rounds = 200) {
  for (int round = 0; round < rounds && dialog.isVisible(); ++round) {
    QCoreApplication::processEvents();
    if (dialog.isVisible()) IdleMoment();
  }
  EXPECT_FALSE(dialog.isVisible()) << dialog.objectName().toStdString() << " did not close";
  return dialog.result();
}

// Scripts the next modal window as the progress window: checks that it is one and that its
// message contains MESSAGE_PART, then runs it until it closes. BEFORE, when given, sees the
// window first.
inline GuiExpectation& ExpectProgressWindow(ScriptedGui& gui, const std::string& message_part,
                                            std::function<void(TProgressDialog&)> before = {}) {
  return gui.ExpectModal([message_part, before](QDialog& dialog) {
    auto* window = qobject_cast<TProgressDialog*>(&dialog);
    EXPECT_NE(window, nullptr) << "not the progress window: " << dialog.objectName().toStdString();
    if (window == nullptr) return int(QDialog::Rejected);
    EXPECT_NE(window->MessageLabel()->text().toStdString().find(message_part), std::string::npos)
        << window->MessageLabel()->text().toStdString();
    if (before) before(*window);
    return RunModalLoop(dialog);
  });
}

}  // namespace qb::test
