// Helpers of the utility's window tests: a fixture that turns scripted-GUI problems into
// GoogleTest failures, and short ways to fill and press the login window in a modal handler.
#pragma once
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <string>

#include "framework/gui/scripted_gui.h"

namespace qb::test {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScriptedGui::SetFailureReporter([](const std::string& problems) {
      ADD_FAILURE() << "scripted GUI problems:\n" << problems;
    });
  }
};

// Types USER and PASSWORD into the login window DIALOG and presses OK; returns the dialog's
// result afterwards (0 while the window stayed open).
inline int TypeLoginAndPressOK(QDialog& dialog, const std::string& user, const std::string& password) {
  auto* username = dialog.findChild<QLineEdit*>("EditUsername");
  auto* pass = dialog.findChild<QLineEdit*>("EditPassword");
  auto* ok = dialog.findChild<QPushButton*>("BtnOK");
  EXPECT_TRUE(username && pass && ok) << "login window controls missing";
  if (!(username && pass && ok)) return QDialog::Rejected;
  username->setText(QString::fromStdString(user));
  pass->setText(QString::fromStdString(password));
  ok->click();
  return dialog.result();
}

// Presses Cancel in the login window DIALOG; returns its result.
inline int PressCancel(QDialog& dialog) {
  auto* cancel = dialog.findChild<QPushButton*>("BtnCancel");
  EXPECT_NE(cancel, nullptr);
  if (cancel != nullptr) cancel->click();
  return dialog.result();
}

}  // namespace qb::test
