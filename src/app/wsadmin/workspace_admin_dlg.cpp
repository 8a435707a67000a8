// app/wsadmin/workspace_admin_dlg: the administration window's layout, its workspace's opening
// and closing, filling the lists, the members view and the button states. The buttons'
// actions are in workspace_admin_actions.cpp.
#include "app/wsadmin/workspace_admin_dlg.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/widgets/nim_align_bit_button.h"
#include "app/widgets/nim_grip_panel.h"
#include "app/wsadmin/sorted_names.h"
#include "engine/dao_globals.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/group.h"
#include "jet/dao/groups.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"

namespace qb {

namespace {

constexpr const char* kMembersHeader = " Users in Group: ";

QLabel* Header(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QListWidget* List(const char* name, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TWorkspaceAdminDlg::TWorkspaceAdminDlg(TDAOWorkspace* workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace) {
  setObjectName("TWorkspaceAdminDlg");
  setWindowTitle("Workspace: " + (workspace != nullptr ? workspace->objectName() : QString("Unkown")));
  BuildControls();
  if (workspace_ != nullptr) {
    workspace_was_active_ = workspace_->Active();
    try {
      if (!workspace_was_active_) workspace_->SetActive(true);
      const std::string system_db = GetDBEngine()->SystemDB();
      if (!system_db.empty() && QFileInfo(QString::fromStdString(system_db)).isFile()) {
        FillGroupLists();
        FillUserList();
      }
    } catch (...) {
      if (!workspace_was_active_ && workspace_->Active()) {
        App().CallGuarded([this] { workspace_->SetActive(false); });
      }
      throw;
    }
  }
  UpdateGroupButtons();
  UpdateUserButtons();
  UpdateMembershipButtons();
}

TWorkspaceAdminDlg::~TWorkspaceAdminDlg() {
  list_user_groups_->removeEventFilter(this);
  list_user_groups_->viewport()->removeEventFilter(this);
  if (workspace_ != nullptr && workspace_->Active() && !workspace_was_active_) {
    App().CallGuarded([this] { workspace_->SetActive(false); });
  }
}

void TWorkspaceAdminDlg::BuildControls() {
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  pages_->addTab(BuildGroupsPage(), "Groups");
  pages_->addTab(BuildUsersPage(), "Users");
  pages_->addTab(BuildMembershipsPage(), "Group Memberships");

  auto* close = Button("BtnClose", "Close", this);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* grip = new TNimGripPanel(this);
  grip->setObjectName("NimGripPanel1");
  static_cast<QHBoxLayout*>(grip->layout())->insertWidget(1, close, 0, Qt::AlignVCenter);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addWidget(grip);
  setMinimumSize(180, 180);
  setSizeGripEnabled(false);  // the grip panel holds the window's grip
  resize(440, 320);

  auto guarded = [this](void (TWorkspaceAdminDlg::*handler)()) {
    return [this, handler] { App().CallGuarded([this, handler] { (this->*handler)(); }); };
  };
  connect(btn_add_group_, &QPushButton::clicked, this, guarded(&TWorkspaceAdminDlg::BtnAddGroupClick));
  connect(btn_delete_group_, &QPushButton::clicked, this, guarded(&TWorkspaceAdminDlg::BtnDeleteGroupClick));
  connect(btn_new_user_, &QPushButton::clicked, this, guarded(&TWorkspaceAdminDlg::BtnNewUserClick));
  connect(btn_delete_user_, &QPushButton::clicked, this, guarded(&TWorkspaceAdminDlg::BtnDeleteUserClick));
  connect(btn_set_user_password_, &QPushButton::clicked, this,
          guarded(&TWorkspaceAdminDlg::BtnSetUserPasswordClick));
  connect(btn_add_user_to_group_, &QToolButton::clicked, this,
          guarded(&TWorkspaceAdminDlg::BtnAddUserToGroupClick));
  connect(btn_delete_user_from_group_, &QToolButton::clicked, this,
          guarded(&TWorkspaceAdminDlg::BtnDeleteUserFromGroupClick));
  // A selection made by the user changes what the buttons may do.
  connect(list_groups_, &QListWidget::itemSelectionChanged, this, [this] { UpdateGroupButtons(); });
  connect(list_users_, &QListWidget::itemSelectionChanged, this, [this] { UpdateUserButtons(); });
  connect(list_users_in_group_, &QListWidget::itemSelectionChanged, this, [this] { UpdateMembershipButtons(); });
  list_user_groups_->installEventFilter(this);
  list_user_groups_->viewport()->installEventFilter(this);
}

QWidget* TWorkspaceAdminDlg::BuildGroupsPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheetGroups");
  list_groups_ = List("ListBoxGroups", page);
  btn_add_group_ = Button("BtnAddGroup", "New", page);
  btn_delete_group_ = Button("BtnDeleteGroup", "Delete", page);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btn_add_group_);
  buttons->addWidget(btn_delete_group_);
  buttons->addStretch(1);
  auto* column = new QVBoxLayout;
  column->addWidget(Header("LabelGroups", " Groups:", page));
  column->addWidget(list_groups_, 1);
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(column, 1);
  layout->addLayout(buttons);
  return page;
}

QWidget* TWorkspaceAdminDlg::BuildUsersPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheetUsers");
  list_users_ = List("ListBoxUsers", page);
  btn_new_user_ = Button("BtnNewUser", "New", page);
  btn_delete_user_ = Button("BtnDeleteUser", "Delete", page);
  btn_set_user_password_ = Button("BtnSetUserPassword", "Set Password", page);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btn_new_user_);
  buttons->addWidget(btn_delete_user_);
  buttons->addWidget(btn_set_user_password_);
  buttons->addStretch(1);
  auto* column = new QVBoxLayout;
  column->addWidget(Header("LabelUsers", " Users:", page));
  column->addWidget(list_users_, 1);
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(column, 1);
  layout->addLayout(buttons);
  return page;
}

QWidget* TWorkspaceAdminDlg::BuildMembershipsPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheetMemberships");
  list_user_groups_ = List("ListBoxUserGroups", page);
  list_users_in_group_ = List("ListBoxUsersInGroup", page);
  members_header_ = Header("LabelUsersInGroup", kMembersHeader, page);
  btn_add_user_to_group_ = new TNimAlignBitButton(page);
  btn_add_user_to_group_->setObjectName("BtnAddUserToGroup");
  btn_add_user_to_group_->setText("Add User To Group");
  btn_delete_user_from_group_ = new TNimAlignBitButton(page);
  btn_delete_user_from_group_->setObjectName("BtnDeleteUserFromGroup");
  btn_delete_user_from_group_->setText("Delete User From Group");

  auto* groups = new QVBoxLayout;
  groups->addWidget(Header("LabelUserGroups", " Groups:", page));
  groups->addWidget(list_user_groups_, 1);
  auto* members = new QVBoxLayout;
  members->addWidget(members_header_);
  members->addWidget(list_users_in_group_, 1);
  auto* lists = new QHBoxLayout;
  lists->addLayout(groups, 1);
  lists->addLayout(members, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btn_add_user_to_group_, 1);
  buttons->addWidget(btn_delete_user_from_group_, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(lists, 1);
  layout->addLayout(buttons);
  return page;
}

std::shared_ptr<jet::Groups> TWorkspaceAdminDlg::GroupsOrNull() {
  return workspace_ != nullptr && workspace_->Active() ? workspace_->Groups() : nullptr;
}

std::shared_ptr<jet::Users> TWorkspaceAdminDlg::UsersOrNull() {
  return workspace_ != nullptr && workspace_->Active() ? workspace_->Users() : nullptr;
}

void TWorkspaceAdminDlg::FillGroupLists() {
  list_groups_->clear();
  list_user_groups_->clear();
  if (std::shared_ptr<jet::Groups> groups = GroupsOrNull()) {
    groups->Refresh();
    const int count = groups->Count();
    for (int i = 0; i < count; ++i) {
      const QString name = QString::fromStdString(groups->Item(i)->Name());
      InsertSortedName(list_groups_, name);
      InsertSortedName(list_user_groups_, name);
    }
  }
  SelectRow(list_groups_, 0);
  SelectRow(list_user_groups_, 0);
  ShowGroupMembers();
}

void TWorkspaceAdminDlg::FillUserList() {
  list_users_->clear();
  if (std::shared_ptr<jet::Users> users = UsersOrNull()) {
    users->Refresh();
    const int count = users->Count();
    for (int i = 0; i < count; ++i) InsertSortedName(list_users_, QString::fromStdString(users->Item(i)->Name()));
  }
  SelectRow(list_users_, 0);
}

void TWorkspaceAdminDlg::ShowGroupMembers() {
  const std::optional<std::string> group = SelectedName(list_user_groups_);
  std::shared_ptr<jet::Groups> groups = group ? GroupsOrNull() : nullptr;
  if (groups != nullptr) {
    const std::optional<std::string> member = SelectedName(list_users_in_group_);
    remembered_member_ = member ? QString::fromStdString(*member) : QString();
    remembered_member_row_ = member ? list_users_in_group_->currentRow() : -1;
    std::shared_ptr<jet::Users> members = groups->Item(*group)->Users();
    list_users_in_group_->clear();
    const int count = members->Count();
    for (int i = 0; i < count; ++i) {
      InsertSortedName(list_users_in_group_, QString::fromStdString(members->Item(i)->Name()));
    }
    int row = FindName(list_users_in_group_, remembered_member_);
    if (row < 0) row = remembered_member_row_ < 0 ? 0 : std::min(remembered_member_row_, count - 1);
    SelectRow(list_users_in_group_, row);
  } else {
    // No group: no members to show, rather than those of a group no longer listed.
    list_users_in_group_->clear();
  }
  members_header_->setText(kMembersHeader + QString::fromStdString(group.value_or(std::string())));
  UpdateMembershipButtons();
}

void TWorkspaceAdminDlg::UpdateGroupButtons() { btn_delete_group_->setEnabled(SelectedName(list_groups_).has_value()); }

void TWorkspaceAdminDlg::UpdateUserButtons() {
  const bool selected = SelectedName(list_users_).has_value();
  btn_delete_user_->setEnabled(selected);
  btn_set_user_password_->setEnabled(selected);
}

void TWorkspaceAdminDlg::UpdateMembershipButtons() {
  const bool group = SelectedName(list_user_groups_).has_value();
  btn_add_user_to_group_->setEnabled(group);
  btn_delete_user_from_group_->setEnabled(group && SelectedName(list_users_in_group_).has_value());
}

bool TWorkspaceAdminDlg::eventFilter(QObject* watched, QEvent* event) {
  const bool in_group_list = watched == list_user_groups_ || watched == list_user_groups_->viewport();
  if (in_group_list && (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease)) {
    App().CallGuarded([this] { ShowGroupMembers(); });
  }
  return QDialog::eventFilter(watched, event);
}

void ShowWorkspaceAdminDlg(TDAOWorkspace* workspace) {
  if (workspace == nullptr) return;
  TWorkspaceAdminDlg dialog(workspace);
  Gui().RunModal(dialog);
}

}  // namespace qb
