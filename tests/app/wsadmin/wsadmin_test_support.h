// Helpers of the workspace administration tests: a workgroup with known accounts, the engine
// and workspace components the window works with, a separate engine that logs accounts in to
// check what the window did, and the window's lists and buttons as one line of text.
#pragma once
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>

#include "app/app_test_support.h"
#include "app/dbtools/screenshot_test_support.h"
#include "app/wsadmin/workspace_admin_dlg.h"
#include "com/ole_exception.h"
#include "engine/dao_engine.h"
#include "engine/dao_globals.h"
#include "engine/dao_workspace.h"
#include "framework/gui/message_box.h"
#include "jet/dao/dbengine.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/group.h"
#include "jet/dao/groups.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"
#include "jet/dao/workspace.h"
#include "support/test_support.h"

namespace qb::test {

class WorkspaceAdminTest : public AppTest {
 protected:
  // Accounts: Admin (no password), Mary ("s3cret"), zed ("z"); groups Admins (Admin), Users
  // (everyone) and Editors (Mary, zed).
  void SetUp() override {
    AppTest::SetUp();
    TEST_ResetDAOState();
    TEST_SetEngineSettings(jet::EngineSettings::ForTests());
    checker_ = jet::CreateDBEngine(jet::EngineSettings::ForTests());
    checker_->CreateWorkgroup(workgroup_);
    checker_->SetSystemDB(workgroup_);
    auto admin = checker_->CreateWorkspace("setup", "Admin", "");
    admin->Users()->Append(admin->CreateUser("Mary", "mary-pid-0001", "s3cret"));
    admin->Users()->Append(admin->CreateUser("zed", "zed-pid-00001", "z"));
    admin->Groups()->Append(admin->CreateGroup("Editors", "editors-pid-01"));
    admin->Groups()->Item("Editors")->Users()->Append(admin->CreateUser("Mary"));
    admin->Groups()->Item("Editors")->Users()->Append(admin->CreateUser("zed"));
    admin->Close();

    engine_ = std::make_unique<TDAOEngine>();
    engine_->SetSystemDB(workgroup_);
    engine_->SetActive(true);
    workspace_ = std::make_unique<TDAOWorkspace>();
    workspace_->SetName("DAOWorkspace1");
    workspace_->SetUserName("Admin");
  }
  void TearDown() override {
    workspace_.reset();
    engine_.reset();
    TEST_ResetDAOState();
  }

  // True when USER logs in with PASSWORD through a new workspace.
  bool LogsIn(const std::string& user, const std::string& password) {
    try {
      checker_->CreateWorkspace("probe", user, password)->Close();
      return true;
    } catch (const EOleException&) {
      return false;
    }
  }

  TempDir dir_;
  const std::string workgroup_ = dir_.File("admin.mdw");
  std::shared_ptr<jet::DBEngine> checker_;
  std::unique_ptr<TDAOEngine> engine_;
  std::unique_ptr<TDAOWorkspace> workspace_;
};

template <class T = QPushButton>
T* Widget(const QWidget& parent, const char* name) {
  T* widget = parent.findChild<T*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// "Admins* Editors Users": the entries, the selected one marked.
inline std::string Items(const QListWidget& list) {
  std::string text;
  for (int row = 0; row < list.count(); ++row) {
    if (!text.empty()) text += ' ';
    text += list.item(row)->text().toStdString() + (list.item(row)->isSelected() ? "*" : "");
  }
  return text;
}

// The whole window in one line: the four lists, the members header, and the buttons that are
// disabled.
inline std::string State(const QWidget& window) {
  std::string state = "G[" + Items(*Widget<QListWidget>(window, "ListBoxGroups")) + "] U[" +
                      Items(*Widget<QListWidget>(window, "ListBoxUsers")) + "] M[" +
                      Items(*Widget<QListWidget>(window, "ListBoxUserGroups")) + "]" +
                      Widget<QLabel>(window, "LabelUsersInGroup")->text().toStdString() + "[" +
                      Items(*Widget<QListWidget>(window, "ListBoxUsersInGroup")) + "]";
  std::string disabled;
  for (const char* name : {"BtnDeleteGroup", "BtnDeleteUser", "BtnSetUserPassword", "BtnAddUserToGroup",
                           "BtnDeleteUserFromGroup"}) {
    if (!Widget<QAbstractButton>(window, name)->isEnabled()) disabled += std::string(" -") + name;
  }
  return state + disabled;
}

inline void Press(const QWidget& window, const char* button) { Widget<QAbstractButton>(window, button)->click(); }

// Clicks the entry TEXT of the list NAME with the mouse, as a user does.
inline void ClickEntry(const QWidget& window, const char* name, const char* text) {
  auto* list = Widget<QListWidget>(window, name);
  const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << text;
  list->scrollToItem(found.first());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

// Shows PAGE of the window's page control.
inline void ShowPage(const QWidget& window, int page) { Widget<QTabWidget>(window, "PageControl1")->setCurrentIndex(page); }

}  // namespace qb::test
