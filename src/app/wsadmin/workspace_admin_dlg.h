// app/wsadmin/workspace_admin_dlg: TWorkspaceAdminDlg, the administration of the accounts of
// the workgroup a workspace component is logged in to: groups, users, their passwords and the
// memberships. Every change goes to the engine first; a list changes only after the engine
// accepted it, and accounts are always looked up by the name selected, never by list position.
//
// Lists and what they show (each sorted by name, case ignored):
//   ListBoxGroups, ListBoxUserGroups   every group ("Groups" and "Group Memberships" pages)
//   ListBoxUsers                       every user
//   ListBoxUsersInGroup                the members of the group selected in ListBoxUserGroups,
//                                      refreshed by ShowGroupMembers
// Button states (UpdateGroupButtons, UpdateUserButtons, UpdateMembershipButtons):
//   BtnDeleteGroup                     a group selected in ListBoxGroups
//   BtnDeleteUser, BtnSetUserPassword  a user selected in ListBoxUsers
//   BtnAddUserToGroup                  a group selected in ListBoxUserGroups
//   BtnDeleteUserFromGroup             that, and a member selected in ListBoxUsersInGroup
#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>

#include "engine/dao_workspace.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace qb {

class TNimAlignBitButton;

class TWorkspaceAdminDlg : public QDialog {
  Q_OBJECT

 public:
  // Records WORKSPACE (may be null: the window then shows empty lists) and whether it is
  // active, and opens it when it is not. The lists are filled only when the engine's SystemDB
  // names an existing file. Raises what opening the workspace or reading its accounts raises;
  // a workspace opened here is closed again then.
  explicit TWorkspaceAdminDlg(TDAOWorkspace* workspace, QWidget* parent = nullptr);
  // Closes the workspace when it is active now and was not at creation (an error there goes
  // to the default exception display).
  ~TWorkspaceAdminDlg() override;

  // Refill the lists from the workspace's collections (see above); each selects its first
  // entry. Raise what the workspace's collections raise.
  void FillGroupLists();
  void FillUserList();
  // Refills ListBoxUsersInGroup for the group selected in ListBoxUserGroups, keeping the
  // selected member (by name, else by position), and sets its header.
  void ShowGroupMembers();

  // The buttons' handlers, as the buttons run them (through the default exception display).
  // Each raises what the engine raises, with the lists unchanged then.
  void BtnAddGroupClick();
  void BtnDeleteGroupClick();
  void BtnNewUserClick();
  void BtnDeleteUserClick();
  void BtnSetUserPasswordClick();
  void BtnAddUserToGroupClick();
  void BtnDeleteUserFromGroupClick();

 protected:
  // ShowGroupMembers after every key or mouse button released in ListBoxUserGroups.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildGroupsPage();
  QWidget* BuildUsersPage();
  QWidget* BuildMembershipsPage();
  void UpdateGroupButtons();
  void UpdateUserButtons();
  void UpdateMembershipButtons();
  // The workspace's collections, or null when there is no workspace or it is not open.
  std::shared_ptr<jet::Groups> GroupsOrNull();
  std::shared_ptr<jet::Users> UsersOrNull();

  QPointer<TDAOWorkspace> workspace_;   // not owned; constant after construction
  bool workspace_was_active_ = false;   // constant after construction
  QString remembered_member_;           // the members list's selection before a refill
  int remembered_member_row_ = -1;

  // Controls, owned by the window.
  QTabWidget* pages_;
  QListWidget* list_groups_;
  QPushButton* btn_add_group_;
  QPushButton* btn_delete_group_;
  QListWidget* list_users_;
  QPushButton* btn_new_user_;
  QPushButton* btn_delete_user_;
  QPushButton* btn_set_user_password_;
  QListWidget* list_user_groups_;
  QLabel* members_header_;
  QListWidget* list_users_in_group_;
  TNimAlignBitButton* btn_add_user_to_group_;
  TNimAlignBitButton* btn_delete_user_from_group_;
};

// When WORKSPACE is given: creates the administration window for it, runs it modally through
// the GUI services and frees it. Raises what creating the window raises.
void ShowWorkspaceAdminDlg(TDAOWorkspace* workspace);

}  // namespace qb
