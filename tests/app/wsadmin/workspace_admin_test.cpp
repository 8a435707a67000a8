// Tests of the workspace administration window against a real workgroup: opening and closing
// its workspace, the sorted lists and button states, groups, users, passwords and memberships
// changed through the window and checked by logging in through a new workspace, and the
// engine's refusals shown without changing any list.
#include <QComboBox>
#include <functional>
#include <vector>
#include <QLineEdit>

#include "app/wsadmin/wsadmin_test_support.h"

namespace qb::test {
namespace {

constexpr const char* kStart =
    "G[Admins* Editors Users] U[Admin* Mary zed] M[Admins* Editors Users] Users in Group: Admins[Admin*]";

// Fills the new-user window and presses OK; returns the window's result.
int AnswerNewUser(QDialog& dialog, const char* name, const char* password, const char* confirmation) {
  Widget<QLineEdit>(dialog, "EditUserName")->setText(name);
  Widget<QLineEdit>(dialog, "EditPassword")->setText(password);
  Widget<QLineEdit>(dialog, "EditConfirm")->setText(confirmation);
  Press(dialog, "BtnOK");
  return dialog.result();
}

// Expects the default exception display's box for an engine refusal.
void ExpectRefusal(ScriptedGui& gui) { gui.ExpectMessageBox(IDOK).Flags(MB_OK | MB_ICONSTOP); }

TEST_F(WorkspaceAdminTest, OpensTheWorkspaceOnlyForItsOwnLifetimeAndListsSorted) {
  for (bool active_before : {false, true}) {
    SCOPED_TRACE(active_before ? "active" : "inactive");
    workspace_->SetActive(active_before);
    {
      TWorkspaceAdminDlg dialog(workspace_.get());
      EXPECT_TRUE(workspace_->Active());
      EXPECT_EQ(dialog.windowTitle(), "Workspace: DAOWorkspace1");
      EXPECT_EQ(State(dialog), kStart);
      EXPECT_EQ(dialog.minimumSize(), QSize(180, 180));
    }
    EXPECT_EQ(workspace_->Active(), active_before);
  }
}

TEST_F(WorkspaceAdminTest, ShowWorkspaceAdminDlgRunsTheWindowModally) {
  ScriptedGui gui;
  gui.ExpectModal([](QDialog& dialog) {
    const char* pages[] = {"wsadmin-groups", "wsadmin-users", "wsadmin-memberships"};
    for (int page = 0; page < 3; ++page) {
      ShowPage(dialog, page);
      SaveScreenshot(dialog, pages[page]);
    }
    EXPECT_TRUE(Widget(dialog, "BtnClose")->isDefault());
    Press(dialog, "BtnClose");
    return dialog.result();
  }).Caption("Workspace: DAOWorkspace1");
  ShowWorkspaceAdminDlg(workspace_.get());
  ShowWorkspaceAdminDlg(nullptr);  // no workspace: no window
  gui.Verify();
  EXPECT_FALSE(workspace_->Active());
}

TEST_F(WorkspaceAdminTest, WithoutAWorkgroupFileTheListsStayEmpty) {
  constexpr const char* kEmpty =
      "G[] U[] M[] Users in Group: [] -BtnDeleteGroup -BtnDeleteUser -BtnSetUserPassword -BtnAddUserToGroup "
      "-BtnDeleteUserFromGroup";
  workspace_->SetActive(true);
  std::filesystem::remove(workgroup_);  // the logged-in session still has it open
  TWorkspaceAdminDlg dialog(workspace_.get());
  EXPECT_EQ(State(dialog), kEmpty);

  TWorkspaceAdminDlg without(nullptr);
  EXPECT_EQ(without.windowTitle(), "Workspace: Unkown");
  EXPECT_EQ(State(without), kEmpty);
}

TEST_F(WorkspaceAdminTest, GroupsAreCreatedAndDeletedByName) {
  TWorkspaceAdminDlg dialog(workspace_.get());
  dialog.show();
  ScriptedGui gui;
  gui.ExpectInputBox("Auditors").Caption("Enter Name for new Group").Text("Name for New Group:");
  Press(dialog, "BtnAddGroup");
  gui.Verify();
  EXPECT_EQ(State(dialog),
            "G[Admins Auditors* Editors Users] U[Admin* Mary zed] M[Admins Auditors* Editors Users] Users in "
            "Group: Auditors[] -BtnDeleteUserFromGroup");
  auto admin = checker_->CreateWorkspace("check", "Admin", "");
  EXPECT_EQ(admin->Groups()->Item("Auditors")->Name(), "Auditors");

  // Deleting takes the entry away from both lists; each selects what is now at its place.
  ClickEntry(dialog, "ListBoxGroups", "Auditors");
  Press(dialog, "BtnDeleteGroup");
  gui.Verify();
  EXPECT_EQ(State(dialog),
            "G[Admins Editors* Users] U[Admin* Mary zed] M[Admins Editors* Users] Users in Group: Editors[Mary* zed]");
  EXPECT_EQ(admin->Groups()->Count(), 3);
  Press(dialog, "BtnDeleteGroup");  // Editors; its member Mary stays selected among the next group's
  EXPECT_EQ(State(dialog),
            "G[Admins Users*] U[Admin* Mary zed] M[Admins Users*] Users in Group: Users[Admin Mary* zed]");
  EXPECT_EQ(admin->Groups()->Count(), 2);
  admin->Close();
}

TEST_F(WorkspaceAdminTest, NewUserChecksItsEntriesThenLogsInWithItsPassword) {
  TWorkspaceAdminDlg dialog(workspace_.get());
  dialog.show();
  ScriptedGui gui;
  gui.ExpectModal([&](QDialog& window) {
    EXPECT_EQ(window.windowTitle(), "New User");
    EXPECT_EQ(Widget<QLineEdit>(window, "EditConfirm")->echoMode(), QLineEdit::Password);
    gui.ExpectMessageBox(IDOK).Text("The Username cannot be empty.").Caption("Error").Flags(MB_OK | MB_ICONSTOP);
    EXPECT_EQ(AnswerNewUser(window, "", "pw", "pw"), 0) << "stays open";
    gui.ExpectMessageBox(IDOK)
        .Text("The Password and its Confirmation are not identical.")
        .Caption("Error")
        .Flags(MB_OK | MB_ICONSTOP);
    EXPECT_EQ(AnswerNewUser(window, "Bob", "pw1", "pw2"), 0) << "stays open";
    SaveScreenshot(window, "wsadmin-new-user");
    return AnswerNewUser(window, "Bob", "pw1", "pw1");
  });
  Press(dialog, "BtnNewUser");
  gui.Verify();
  EXPECT_EQ(State(dialog), "G[Admins* Editors Users] U[Admin Bob* Mary zed] M[Admins* Editors Users] Users in "
                           "Group: Admins[Admin*]");
  EXPECT_TRUE(LogsIn("Bob", "pw1"));
  EXPECT_FALSE(LogsIn("Bob", "pw2"));

  // A new user joins Users; the members shown are read again.
  ShowPage(dialog, 2);
  ClickEntry(dialog, "ListBoxUserGroups", "Users");
  EXPECT_EQ(Items(*Widget<QListWidget>(dialog, "ListBoxUsersInGroup")), "Admin* Bob Mary zed");

  // Deleting Bob takes him out of the members shown too.
  ClickEntry(dialog, "ListBoxUsers", "Bob");
  Press(dialog, "BtnDeleteUser");
  EXPECT_EQ(State(dialog), "G[Admins* Editors Users] U[Admin Mary* zed] M[Admins Editors Users*] Users in "
                           "Group: Users[Admin* Mary zed]");
  EXPECT_FALSE(LogsIn("Bob", "pw1"));
}

TEST_F(WorkspaceAdminTest, SetPasswordKeepsTheWindowOpenUntilTheEngineAcceptsIt) {
  TWorkspaceAdminDlg dialog(workspace_.get());
  dialog.show();
  ClickEntry(dialog, "ListBoxUsers", "Mary");
  workspace_->SetActive(false);  // Mary changes her own password: log in as her
  workspace_->SetUserName("Mary");
  workspace_->SetPassword("s3cret");
  workspace_->SetActive(true);

  auto fill = [](QDialog& window, const char* current, const char* changed, const char* confirmation) {
    Widget<QLineEdit>(window, "EditCurrentPassword")->setText(current);
    Widget<QLineEdit>(window, "EditNewPassword")->setText(changed);
    Widget<QLineEdit>(window, "EditPasswordConformation")->setText(confirmation);
    Press(window, "BtnOk");
    return window.result();
  };
  ScriptedGui gui;
  gui.ExpectModal([&](QDialog& window) {
    EXPECT_EQ(window.windowTitle(), "Set Password for User: Mary");
    gui.ExpectMessageBox(IDOK)
        .Text("The Password and it's Confirmation are not identical.")
        .Caption("Error")
        .Flags(MB_OK | MB_ICONSTOP);
    EXPECT_EQ(fill(window, "s3cret", "n3w", "n3x"), 0);
    ExpectRefusal(gui);  // a wrong current password
    EXPECT_EQ(fill(window, "wrong", "n3w", "n3w"), 0);
    EXPECT_TRUE(window.isVisible());
    SaveScreenshot(window, "wsadmin-set-password");
    return fill(window, "s3cret", "n3w", "n3w");
  });
  Press(dialog, "BtnSetUserPassword");
  gui.ExpectModal([](QDialog& window) {
    Widget<QLineEdit>(window, "EditNewPassword")->setText("never");
    Press(window, "BtnCancel");
    return window.result();
  });
  Press(dialog, "BtnSetUserPassword");
  gui.Verify();
  EXPECT_TRUE(LogsIn("Mary", "n3w"));
  EXPECT_FALSE(LogsIn("Mary", "s3cret"));
}

TEST_F(WorkspaceAdminTest, AMemberAddedToAdminsMayThenAdministerAndCanBeTakenOutAgain) {
  TWorkspaceAdminDlg dialog(workspace_.get());
  dialog.show();
  ShowPage(dialog, 2);
  ScriptedGui gui;
  gui.ExpectModal([](QDialog& window) {
    EXPECT_EQ(window.windowTitle(), "Adding User to Group: Admins");
    EXPECT_EQ(Widget<QLabel>(window, "Label1")->text(), "Wich User should be added to Group: Admins");
    auto* combo = Widget<QComboBox>(window, "ComboBoxUsers");
    EXPECT_EQ(combo->currentText(), "Admin");
    std::vector<std::string> entries;
    for (int i = 0; i < combo->count(); ++i) entries.push_back(combo->itemText(i).toStdString());
    EXPECT_EQ(entries, (std::vector<std::string>{"Admin", "Mary", "zed"}));
    combo->setCurrentIndex(combo->findText("Mary"));
    SaveScreenshot(window, "wsadmin-select-user");
    Press(window, "BtnOk");
    return window.result();
  });
  Press(dialog, "BtnAddUserToGroup");
  gui.Verify();
  EXPECT_EQ(State(dialog), "G[Admins* Editors Users] U[Admin* Mary zed] M[Admins* Editors Users] Users in "
                           "Group: Admins[Admin Mary*]");

  auto mary = checker_->CreateWorkspace("mary", "Mary", "s3cret");
  mary->Users()->Append(mary->CreateUser("Newbie", "newbie-pid-000001", ""));
  EXPECT_TRUE(LogsIn("Newbie", ""));
  mary->Close();

  Press(dialog, "BtnDeleteUserFromGroup");  // Mary, selected
  EXPECT_EQ(Items(*Widget<QListWidget>(dialog, "ListBoxUsersInGroup")), "Admin*");
  auto again = checker_->CreateWorkspace("mary", "Mary", "s3cret");
  EXPECT_THROW(again->Users()->Append(again->CreateUser("Other", "other-pid-0000001", "")), EOleException);
  again->Close();
}

// Each row: a cancelled window or a change the engine refuses (a duplicate name, Admins or
// Users or Admin deleted, a member added twice, the last admin taken out of Admins).
TEST_F(WorkspaceAdminTest, RefusalsAndCancelsChangeNoList) {
  auto cancel = [](QDialog& window) { return (Press(window, "BtnCancel"), window.result()); };
  struct Case {
    const char* what;
    int page;
    const char* select_list;   // nullptr: the first entries stay selected
    const char* select_entry;
    const char* button;
    std::function<void(ScriptedGui&)> script;
  };
  const std::vector<Case> cases = {
      {"cancel new group", 0, nullptr, nullptr, "BtnAddGroup", [](ScriptedGui& gui) { gui.ExpectInputBox(std::nullopt); }},
      {"duplicate group", 0, nullptr, nullptr, "BtnAddGroup",
       [](ScriptedGui& gui) {
         gui.ExpectInputBox("editors");
         ExpectRefusal(gui);
       }},
      {"delete Admins", 0, nullptr, nullptr, "BtnDeleteGroup", ExpectRefusal},
      {"delete Users", 0, "ListBoxGroups", "Users", "BtnDeleteGroup", ExpectRefusal},
      {"cancel new user", 1, nullptr, nullptr, "BtnNewUser", [&](ScriptedGui& gui) { gui.ExpectModal(cancel); }},
      {"duplicate user", 1, nullptr, nullptr, "BtnNewUser",
       [](ScriptedGui& gui) {
         gui.ExpectModal([](QDialog& window) { return AnswerNewUser(window, "mary", "", ""); });
         ExpectRefusal(gui);
       }},
      {"delete Admin", 1, nullptr, nullptr, "BtnDeleteUser", ExpectRefusal},
      {"cancel set password", 1, nullptr, nullptr, "BtnSetUserPassword",
       [&](ScriptedGui& gui) { gui.ExpectModal(cancel); }},
      {"cancel add member", 2, nullptr, nullptr, "BtnAddUserToGroup",
       [&](ScriptedGui& gui) { gui.ExpectModal(cancel); }},
      {"member twice", 2, nullptr, nullptr, "BtnAddUserToGroup",
       [](ScriptedGui& gui) {
         gui.ExpectModal([](QDialog& window) { return (Press(window, "BtnOk"), window.result()); });  // Admin
         ExpectRefusal(gui);
       }},
      {"last admin", 2, nullptr, nullptr, "BtnDeleteUserFromGroup", ExpectRefusal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWorkspaceAdminDlg dialog(workspace_.get());
    dialog.show();
    ShowPage(dialog, c.page);
    if (c.select_list != nullptr) ClickEntry(dialog, c.select_list, c.select_entry);
    const std::string before = State(dialog);
    ScriptedGui gui;
    c.script(gui);
    Press(dialog, c.button);
    gui.Verify();
    EXPECT_EQ(State(dialog), before);
  }
  auto admin = checker_->CreateWorkspace("check", "Admin", "");
  EXPECT_EQ(admin->Groups()->Count(), 3);
  EXPECT_EQ(admin->Users()->Count(), 3);
  EXPECT_EQ(admin->Groups()->Item("Admins")->Users()->Count(), 1);
  admin->Close();
}

TEST_F(WorkspaceAdminTest, MembersSelectionFollowsTheNameElseThePosition) {
  TWorkspaceAdminDlg dialog(workspace_.get());
  dialog.show();
  ShowPage(dialog, 2);
  auto* groups = Widget<QListWidget>(dialog, "ListBoxUserGroups");
  auto* members = Widget<QListWidget>(dialog, "ListBoxUsersInGroup");
  auto members_of = [&] {
    return Widget<QLabel>(dialog, "LabelUsersInGroup")->text().toStdString() + "[" + Items(*members) + "]";
  };

  ClickEntry(dialog, "ListBoxUserGroups", "Users");
  EXPECT_EQ(members_of(), " Users in Group: Users[Admin* Mary zed]") << "Admin kept by name";
  ClickEntry(dialog, "ListBoxUsersInGroup", "zed");
  groups->setFocus();
  QTest::keyClick(groups, Qt::Key_Up);  // Editors, shown when the key is released
  EXPECT_EQ(members_of(), " Users in Group: Editors[Mary zed*]") << "zed kept by name";
  QTest::keyClick(groups, Qt::Key_Up);
  EXPECT_EQ(members_of(), " Users in Group: Admins[Admin*]") << "row 1 limited to the last row";
  EXPECT_TRUE(Widget<QToolButton>(dialog, "BtnDeleteUserFromGroup")->isEnabled());
  members->clearSelection();
  EXPECT_FALSE(Widget<QToolButton>(dialog, "BtnDeleteUserFromGroup")->isEnabled());
  ClickEntry(dialog, "ListBoxUserGroups", "Editors");
  EXPECT_EQ(members_of(), " Users in Group: Editors[Mary* zed]") << "nothing remembered: the first";
}

TEST_F(WorkspaceAdminTest, ANonAdminSeesTheRefusalAndNoListChanges) {
  workspace_->SetUserName("Mary");
  workspace_->SetPassword("s3cret");
  TWorkspaceAdminDlg dialog(workspace_.get());
  dialog.show();
  ScriptedGui gui;
  gui.ExpectInputBox("Hers");
  ExpectRefusal(gui);
  Press(dialog, "BtnAddGroup");
  gui.ExpectModal([](QDialog& window) { return AnswerNewUser(window, "Friend", "", ""); });
  ExpectRefusal(gui);
  Press(dialog, "BtnNewUser");
  ClickEntry(dialog, "ListBoxUsers", "zed");
  ExpectRefusal(gui);
  Press(dialog, "BtnDeleteUser");
  gui.Verify();
  EXPECT_EQ(State(dialog), "G[Admins* Editors Users] U[Admin Mary zed*] M[Admins* Editors Users] Users in "
                           "Group: Admins[Admin*]");
  EXPECT_TRUE(LogsIn("zed", "z"));
  EXPECT_FALSE(LogsIn("Friend", ""));
}

}  // namespace
}  // namespace qb::test
