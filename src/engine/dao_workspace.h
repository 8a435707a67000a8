// engine/dao_workspace: TDAOWorkspace, the component that stands for one engine Workspace (a
// login of one user, Jet or ODBC): its login and ODBC settings, opening and closing, the
// databases bound to it, and the workgroup's users and groups. It never frees a database.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "engine/dao_object.h"

namespace qb {

namespace jet {
class Group;
class Groups;
class User;
class Users;
class Workspace;
}  // namespace jet

class TDAOWorkspaceMember;

// The ODBC cursor drivers; engine values -1, 1, 2, 3, 4 in this order.
enum TODBCCursorTypes {
  ctUseDefaultCursor,
  ctUseODBCCursor,
  ctUseServerCursor,
  ctUseClientBatchCursor,
  ctUseNoCursor
};

class TDAOWorkspace;
using TWorkspaceNotifyEvent = std::function<void(TDAOWorkspace* sender)>;

// States: inactive and active, mirroring the engine Workspace object.
//   inactive -> active: SetActive(true) / Open: BeforeOpen, CreateWorkspace(Name, UserName,
//     Password, kind), the kind's settings passed on, AfterOpen. A failure leaves it inactive.
//   active -> inactive: SetActive(false) / Close: BeforeClose, every bound database
//     disconnected in list order, the Workspace closed and released, AfterClose.
// While the owning form is loaded, SetActive only records the value; Loaded applies it.
class TDAOWorkspace : public TDAOObject {
  Q_OBJECT

 public:
  // Creates the component with the defaults of the engine component when one exists, else of
  // the engine root object when it exists, else "Admin", no password, 20 s, wtUseJet.
  explicit TDAOWorkspace(QObject* owner = nullptr);
  // Closes when active (errors are swallowed), then unbinds every bound database, last first.
  ~TDAOWorkspace() override;

  bool Active() const { return workspace_ != nullptr; }
  // Opens or closes (see the states above). Opening raises EDAOError (method "CreateComObj")
  // 65212 for unresolved references to other forms, 65210 without a root object, 65211 for an
  // unknown type, and (method "CreateCOMObj") the engine's description when it refuses the
  // login; creating the root object raises its own errors unwrapped.
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }

  // Setters act only on a different value; while active they raise EDAOError 65209 (method
  // "CheckInactive", with "SetUserName", "SetPassword", "SetWorkspaceType"), except while the
  // form is loaded, when they close the workspace and store the value.
  const std::string& UserName() const { return user_name_; }
  void SetUserName(const std::string& user);
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password);
  TWorkspaceTypes WorkspaceType() const { return workspace_type_; }
  // After storing, every recordset of every bound database checks its settings again; when one
  // refuses, the old type is restored and the refusal propagates.
  void SetWorkspaceType(TWorkspaceTypes type);
  // The Name is the engine Workspace's name: renaming is refused while active ("SetName").
  void SetName(const std::string& name) override;

  // Kind-bound settings: each setter raises EDAOError 65208 (method "CheckWorkspaceType") on a
  // workspace of the other kind, also while inactive and for an unchanged value (not while
  // loading); while active it writes the engine at once, then stores.
  bool IsolateODBCTrans() const { return isolate_odbc_trans_; }
  void SetIsolateODBCTrans(bool isolate);  // Jet only; the engine's error propagates
  std::int32_t ODBCLoginTimeout() const { return odbc_login_timeout_; }
  void SetODBCLoginTimeout(std::int32_t seconds);  // ODBC only; the engine's error propagates
  TODBCCursorTypes ODBCCursorType() const { return odbc_cursor_type_; }
  void SetODBCCursorType(TODBCCursorTypes type);  // ODBC only; engine errors as "SetODBCCursorType"

  // The engine root object's Version while it exists, else empty.
  std::string DAOVersion() const;
  // Number of bound databases.
  int DatabaseCount() const { return static_cast<int>(databases_.size()); }

  // Jet only while active (65208 otherwise); null while inactive. The Workspace's collections
  // and new detached accounts; engine failures raise EDAOError "GetUsers", "GetGroups",
  // "CreateUser", "CreateGroup". Empty variants stand for empty texts.
  std::shared_ptr<jet::Users> Users();
  std::shared_ptr<jet::Groups> Groups();
  std::shared_ptr<jet::User> CreateUser(const Variant& name = Variant(), const Variant& pid = Variant(),
                                        const Variant& password = Variant());
  std::shared_ptr<jet::Group> CreateGroup(const Variant& name = Variant(), const Variant& pid = Variant());

  // Raises EDAOError 65208 naming FEATURE and REQUIRED (method "CheckWorkspaceType") when the
  // workspace is of the other type; nothing while the form is loaded.
  void CheckWorkspaceType(TWorkspaceTypes required, const std::string& feature) const;

  // Closes this workspace, copies the settings of SOURCE (a TDAOWorkspace), and opens it again
  // when SOURCE is active. The kind-bound settings are copied as values, without the type check,
  // so that a copy never fails on the settings of the other kind. Other classes: EConvertError.
  void Assign(const TComponent* source) override;

  // The Workspace's Properties while active, else null.
  std::shared_ptr<jet::Properties> GetProperties() override;
  // The engine Workspace while active, else null.
  std::shared_ptr<jet::Workspace> WorkspaceObject() const { return workspace_; }

  // Bound databases, in the order they were bound (no duplicates). Used by the database
  // component; REQUIRES: MEMBER stays valid until removed.
  void AddDatabase(TDAOWorkspaceMember* member);
  void RemoveDatabase(TDAOWorkspaceMember* member);
  const std::vector<TDAOWorkspaceMember*>& Databases() const { return databases_; }

  // After the form is read: opens when Active was streamed true. In the designer an error is
  // shown with ShowErrorBox instead of raised.
  void Loaded() override;
  void CloseForEngine() override;

  TWorkspaceNotifyEvent BeforeOpen;
  TWorkspaceNotifyEvent AfterOpen;
  TWorkspaceNotifyEvent BeforeClose;
  TWorkspaceNotifyEvent AfterClose;

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 private:
  void CreateComObj();
  void CloseWorkspace();
  void CheckInactive(const char* method);

  std::shared_ptr<jet::Workspace> workspace_;  // present exactly while active
  std::string user_name_;
  std::string password_;
  TWorkspaceTypes workspace_type_ = wtUseJet;
  std::vector<TDAOWorkspaceMember*> databases_;  // not owned; members remove themselves
  bool streamed_active_ = false;                 // Active as read from the form
  bool isolate_odbc_trans_ = false;
  std::int32_t odbc_login_timeout_ = 20;
  TODBCCursorTypes odbc_cursor_type_ = ctUseDefaultCursor;
};

}  // namespace qb
