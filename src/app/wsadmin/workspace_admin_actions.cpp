// app/wsadmin/workspace_admin_actions: what the administration window's buttons do. Each asks
// the engine first and changes its lists only when the engine accepted the change.
#include <QListWidget>
#include <string>

#include "app/wsadmin/account_pid.h"
#include "app/wsadmin/new_user_dlg.h"
#include "app/wsadmin/select_user_to_add_dlg.h"
#include "app/wsadmin/set_password_dlg.h"
#include "app/wsadmin/sorted_names.h"
#include "app/wsadmin/workspace_admin_dlg.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/group.h"
#include "jet/dao/groups.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"

namespace qb {

namespace {

// Overwrites a password's characters before its memory is given back.
struct PasswordWipe {
  std::string& text;
  ~PasswordWipe() { text.assign(text.size(), '\0'); }
};

}  // namespace

void TWorkspaceAdminDlg::BtnAddGroupClick() {
  std::shared_ptr<jet::Groups> groups = GroupsOrNull();
  if (groups == nullptr) return;
  const std::optional<std::string> name = Gui().InputBox("Enter Name for new Group", "Name for New Group:", "");
  if (!name) return;
  groups->Append(workspace_->CreateGroup(Variant(*name), Variant(MakePID(*name))));
  const QString text = QString::fromStdString(*name);
  SelectRow(list_groups_, InsertSortedName(list_groups_, text));
  SelectRow(list_user_groups_, InsertSortedName(list_user_groups_, text));
  ShowGroupMembers();
  UpdateGroupButtons();
}

void TWorkspaceAdminDlg::BtnDeleteGroupClick() {
  const std::optional<std::string> name = SelectedName(list_groups_);
  std::shared_ptr<jet::Groups> groups = name ? GroupsOrNull() : nullptr;
  if (groups == nullptr) return;
  groups->Delete(*name);
  const QString text = QString::fromStdString(*name);
  RemoveName(list_groups_, text);
  RemoveName(list_user_groups_, text);
  ShowGroupMembers();
  UpdateGroupButtons();
}

void TWorkspaceAdminDlg::BtnNewUserClick() {
  std::shared_ptr<jet::Users> users = UsersOrNull();
  if (users == nullptr) return;
  std::string name;
  std::string password;
  PasswordWipe wipe{password};
  if (!AskNewUser(name, password)) return;
  users->Append(workspace_->CreateUser(Variant(name), Variant(MakePID(name)), Variant(password)));
  SelectRow(list_users_, InsertSortedName(list_users_, QString::fromStdString(name)));
  UpdateUserButtons();
  ShowGroupMembers();  // a new user joins the group Users
}

void TWorkspaceAdminDlg::BtnDeleteUserClick() {
  const std::optional<std::string> name = SelectedName(list_users_);
  std::shared_ptr<jet::Users> users = name ? UsersOrNull() : nullptr;
  if (users == nullptr) return;
  users->Delete(*name);
  RemoveName(list_users_, QString::fromStdString(*name));
  UpdateUserButtons();
  ShowGroupMembers();  // the account left its groups with it
}

void TWorkspaceAdminDlg::BtnSetUserPasswordClick() {
  const std::optional<std::string> name = SelectedName(list_users_);
  std::shared_ptr<jet::Users> users = name ? UsersOrNull() : nullptr;
  if (users == nullptr) return;
  ChangeUserPassword(users->Item(*name));
}

void TWorkspaceAdminDlg::BtnAddUserToGroupClick() {
  const std::optional<std::string> group = SelectedName(list_user_groups_);
  std::shared_ptr<jet::Groups> groups = group ? GroupsOrNull() : nullptr;
  if (groups == nullptr || UsersOrNull() == nullptr) return;
  std::string user = "Admin";
  if (!SelectUserToAdd(workspace_, *group, user)) return;
  groups->Item(*group)->Users()->Append(workspace_->CreateUser(Variant(user), Variant(MakePID(user)), Variant("")));
  SelectRow(list_users_in_group_, InsertSortedName(list_users_in_group_, QString::fromStdString(user)));
  UpdateMembershipButtons();
}

void TWorkspaceAdminDlg::BtnDeleteUserFromGroupClick() {
  const std::optional<std::string> group = SelectedName(list_user_groups_);
  const std::optional<std::string> member = SelectedName(list_users_in_group_);
  std::shared_ptr<jet::Groups> groups = group && member ? GroupsOrNull() : nullptr;
  if (groups == nullptr) return;
  groups->Item(*group)->Users()->Delete(*member);
  RemoveName(list_users_in_group_, QString::fromStdString(*member));
  UpdateMembershipButtons();
}

}  // namespace qb
