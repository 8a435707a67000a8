// engine/dao_workspace: opening, closing, guarded and kind-bound settings, loading and the
// bound database list of the workspace component. Databases are reached only through
// TDAOWorkspaceMember.
#include "engine/dao_workspace.h"

#include <QPointer>
#include <algorithm>

#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_engine.h"
#include "engine/dao_errors.h"
#include "engine/dao_globals.h"
#include "engine/dao_message_box.h"
#include "engine/dao_wait_cursor.h"
#include "engine/dao_workspace_member.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/group.h"
#include "jet/dao/groups.h"
#include "jet/dao/property.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"
#include "jet/dao/workspace.h"

namespace qb {

namespace {

int EngineCursorDriver(TODBCCursorTypes type) {
  switch (type) {
    case ctUseDefaultCursor:
      return jet::kUseDefaultCursor;
    case ctUseODBCCursor:
      return jet::kUseOdbcCursor;
    case ctUseServerCursor:
      return jet::kUseServerCursor;
    case ctUseClientBatchCursor:
      return jet::kUseClientBatchCursor;
    case ctUseNoCursor:
      return jet::kUseNoCursor;
  }
  return jet::kUseDefaultCursor;
}

std::string TextOf(const Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return std::string();
  return value.ToString();
}

}  // namespace

TDAOWorkspace::TDAOWorkspace(QObject* owner) : TDAOObject(owner), user_name_("Admin") {
  if (TDAOEngine* engine = FindDAOEngine()) {
    user_name_ = engine->DefaultUser();
    password_ = engine->DefaultPassword();
    odbc_login_timeout_ = engine->DefaultODBCLoginTimeout();
    workspace_type_ = engine->DefaultWorkspaceType();
  } else if (const auto& root = DBEngineObject()) {
    odbc_login_timeout_ = root->LoginTimeout();
    if (root->DefaultType() == jet::kUseOdbc) workspace_type_ = wtUseODBC;
  }
}

TDAOWorkspace::~TDAOWorkspace() {
  try {
    if (Active()) CloseWorkspace();
  } catch (...) {
    workspace_.reset();  // a destructor raises nothing; the Workspace ends with its last reference
  }
  while (!databases_.empty()) {
    TDAOWorkspaceMember* member = databases_.back();
    member->DetachFromWorkspace();
    // A member that did not unbind itself must not be met again.
    if (!databases_.empty() && databases_.back() == member) databases_.pop_back();
  }
}

void TDAOWorkspace::SetActive(bool active) {
  if (IsLoading()) {
    streamed_active_ = active;
    return;
  }
  if (active == Active()) return;
  if (active) {
    CreateComObj();
  } else {
    CloseWorkspace();
  }
}

void TDAOWorkspace::CreateComObj() {
  if (BeforeOpen) BeforeOpen(this);
  if (HasUnresolvedReferences()) {
    RaiseDAOError(this, Format(ResString(kResLinkedToUncreatedForms), "Workspace"), "CreateComObj");
  }
  {
    DAOWaitScope wait;
    std::shared_ptr<jet::DBEngine> root = GetDBEngine();
    if (!root) RaiseDAOError(this, ResString(kResNoEngineObject), "CreateComObj");
    const int kind = EngineWorkspaceKind(workspace_type_);
    if (kind == 0) RaiseDAOError(this, ResString(kResUnknownWorkspaceType), "CreateComObj");
    workspace_ = CallEngine(this, "CreateCOMObj",
                            [&] { return root->CreateWorkspace(Name(), user_name_, password_, kind); });
    try {
      if (workspace_type_ == wtUseJet) {
        SetIsolateODBCTrans(isolate_odbc_trans_);
      } else {
        SetODBCLoginTimeout(odbc_login_timeout_);
        SetODBCCursorType(odbc_cursor_type_);
      }
    } catch (...) {
      // A workspace that cannot take its settings is not kept: the open failed.
      std::shared_ptr<jet::Workspace> failed = std::move(workspace_);
      if (failed->IsOpen()) failed->Close();
      throw;
    }
  }
  if (AfterOpen) AfterOpen(this);
}

void TDAOWorkspace::CloseWorkspace() {
  if (BeforeClose) BeforeClose(this);
  const std::vector<TDAOWorkspaceMember*> members = databases_;
  for (TDAOWorkspaceMember* member : members) {
    // A handler may have unbound a later member meanwhile.
    if (std::find(databases_.begin(), databases_.end(), member) != databases_.end()) {
      member->DisconnectForWorkspace();
    }
  }
  std::shared_ptr<jet::Workspace> closing = std::move(workspace_);
  if (closing->IsOpen()) closing->Close();
  closing.reset();
  if (AfterClose) AfterClose(this);
}

void TDAOWorkspace::CloseForEngine() {
  if (Active()) CloseWorkspace();
}

void TDAOWorkspace::CheckInactive(const char* method) {
  if (IsLoading()) {
    if (Active()) CloseWorkspace();
    return;
  }
  if (Active()) RaiseDAOError(this, Format(ResString(kResWorkspacePropertyWhileActive), method), "CheckInactive");
}

void TDAOWorkspace::SetUserName(const std::string& user) {
  if (user == user_name_) return;
  CheckInactive("SetUserName");
  user_name_ = user;
}

void TDAOWorkspace::SetPassword(const std::string& password) {
  if (password == password_) return;
  CheckInactive("SetPassword");
  password_ = password;
}

void TDAOWorkspace::SetWorkspaceType(TWorkspaceTypes type) {
  if (type == workspace_type_) return;
  CheckInactive("SetWorkspaceType");
  const TWorkspaceTypes old = workspace_type_;
  workspace_type_ = type;
  if (IsLoading()) return;
  try {
    const std::vector<TDAOWorkspaceMember*> members = databases_;
    for (TDAOWorkspaceMember* member : members) member->RecheckRecordsetRules();
  } catch (...) {
    workspace_type_ = old;
    throw;
  }
}

void TDAOWorkspace::SetName(const std::string& name) {
  if (name != Name()) CheckInactive("SetName");
  TDAOObject::SetName(name);
}

void TDAOWorkspace::CheckWorkspaceType(TWorkspaceTypes required, const std::string& feature) const {
  if (IsLoading()) return;
  if (workspace_type_ != required) {
    RaiseDAOError(this, Format(ResString(kResWorkspaceWrongType), feature, WorkspaceTypeName(required)),
                  "CheckWorkspaceType");
  }
}

void TDAOWorkspace::SetIsolateODBCTrans(bool isolate) {
  CheckWorkspaceType(wtUseJet, "'IsolateODBCTrans' Property");
  if (Active()) workspace_->SetIsolateODBCTrans(isolate);
  isolate_odbc_trans_ = isolate;
}

void TDAOWorkspace::SetODBCLoginTimeout(std::int32_t seconds) {
  CheckWorkspaceType(wtUseODBC, "'ODBCLoginTimeOut' Property");
  if (Active()) workspace_->SetLoginTimeout(seconds);
  odbc_login_timeout_ = seconds;
}

void TDAOWorkspace::SetODBCCursorType(TODBCCursorTypes type) {
  CheckWorkspaceType(wtUseODBC, "'ODBCCursorType' Property");
  if (Active()) {
    CallEngine(this, "SetODBCCursorType", [&] { workspace_->SetDefaultCursorDriver(EngineCursorDriver(type)); });
  }
  odbc_cursor_type_ = type;
}

std::string TDAOWorkspace::DAOVersion() const {
  if (const auto& root = DBEngineObject()) return root->Version();
  return std::string();
}

std::shared_ptr<jet::Users> TDAOWorkspace::Users() {
  if (!Active()) return nullptr;
  CheckWorkspaceType(wtUseJet, "'Users' Property");
  return CallEngine(this, "GetUsers", [&] { return workspace_->Users(); });
}

std::shared_ptr<jet::Groups> TDAOWorkspace::Groups() {
  if (!Active()) return nullptr;
  CheckWorkspaceType(wtUseJet, "'Groups' Property");
  return CallEngine(this, "GetGroups", [&] { return workspace_->Groups(); });
}

std::shared_ptr<jet::User> TDAOWorkspace::CreateUser(const Variant& name, const Variant& pid,
                                                     const Variant& password) {
  if (!Active()) return nullptr;
  CheckWorkspaceType(wtUseJet, "'CreateUser' Method");
  return CallEngine(this, "CreateUser",
                    [&] { return workspace_->CreateUser(TextOf(name), TextOf(pid), TextOf(password)); });
}

std::shared_ptr<jet::Group> TDAOWorkspace::CreateGroup(const Variant& name, const Variant& pid) {
  if (!Active()) return nullptr;
  CheckWorkspaceType(wtUseJet, "'CreateGroup' Method");
  return CallEngine(this, "CreateGroup", [&] { return workspace_->CreateGroup(TextOf(name), TextOf(pid)); });
}

void TDAOWorkspace::Assign(const TComponent* source) {
  const auto* other = dynamic_cast<const TDAOWorkspace*>(source);
  if (other == nullptr) {
    TDAOObject::Assign(source);
    return;
  }
  if (other == this) return;
  if (Active()) CloseWorkspace();
  SetUserName(other->UserName());
  SetPassword(other->Password());
  isolate_odbc_trans_ = other->IsolateODBCTrans();
  SetWorkspaceType(other->WorkspaceType());
  odbc_login_timeout_ = other->ODBCLoginTimeout();
  odbc_cursor_type_ = other->ODBCCursorType();
  if (other->Active()) SetActive(true);
}

std::shared_ptr<jet::Properties> TDAOWorkspace::GetProperties() {
  if (!Active()) return nullptr;
  return workspace_->Properties();
}

void TDAOWorkspace::AddDatabase(TDAOWorkspaceMember* member) {
  if (member == nullptr) return;
  if (std::find(databases_.begin(), databases_.end(), member) == databases_.end()) databases_.push_back(member);
}

void TDAOWorkspace::RemoveDatabase(TDAOWorkspaceMember* member) {
  databases_.erase(std::remove(databases_.begin(), databases_.end(), member), databases_.end());
}

void TDAOWorkspace::Loaded() {
  try {
    TDAOObject::Loaded();
    if (streamed_active_) SetActive(true);
  } catch (const Exception&) {
    if (!IsDesigning()) throw;
    ShowErrorBox();
  }
}

const PropertyTable& TDAOWorkspace::ClassProperties() {
  // The login, the type and the timeout start from the engine's defaults, not the class's:
  // they are always written, so that a form reads back what it was written with.
  static const PropertyTable table =
      PropertyTableBuilder<TDAOWorkspace>(TDAOObject::ClassProperties())
          .String("UserName", &TDAOWorkspace::UserName, &TDAOWorkspace::SetUserName)
          .NoDefault()
          .String("Password", &TDAOWorkspace::Password, &TDAOWorkspace::SetPassword)
          .Scrambled()
          .NoDefault()
          .Bool("IsolateODBCTrans", &TDAOWorkspace::IsolateODBCTrans, &TDAOWorkspace::SetIsolateODBCTrans, false)
          .Enum("WorkspaceType", {"wtUseJet", "wtUseODBC"}, &TDAOWorkspace::WorkspaceType,
                &TDAOWorkspace::SetWorkspaceType, wtUseJet)
          .NoDefault()
          .Bool("Active", &TDAOWorkspace::Active, &TDAOWorkspace::SetActive, false)
          .Integer("ODBCLoginTimeout", &TDAOWorkspace::ODBCLoginTimeout, &TDAOWorkspace::SetODBCLoginTimeout, 20)
          .NoDefault()
          .Enum("ODBCCursorType",
                {"ctUseDefaultCursor", "ctUseODBCCursor", "ctUseServerCursor", "ctUseClientBatchCursor",
                 "ctUseNoCursor"},
                &TDAOWorkspace::ODBCCursorType, &TDAOWorkspace::SetODBCCursorType, ctUseDefaultCursor)
          .String("DAOVersion", &TDAOWorkspace::DAOVersion, nullptr)
          .Integer("DatabaseCount", &TDAOWorkspace::DatabaseCount, nullptr)
          .Build();
  return table;
}

}  // namespace qb
