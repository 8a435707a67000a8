// jet/dao/workspace: the workspace's settings, type guards, account collections and closing.
#include "jet/dao/workspace.h"

#include "jet/workgroup/account_session.h"
#include "jet/dao/database.h"
#include "jet/dao/databases.h"
#include "jet/base/errors.h"
#include "jet/dao/group.h"
#include "jet/dao/groups.h"
#include "jet/dao/property.h"
#include "jet/base/jet_types.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"

namespace qb::jet {

Workspace::Workspace(std::string name, std::string user_name, int type, int login_timeout,
                     std::shared_ptr<AccountSession> session, const EngineSettings& settings)
    : name_(std::move(name)),
      user_name_(std::move(user_name)),
      type_(type),
      session_(std::move(session)),
      settings_(settings),
      login_timeout_(login_timeout) {}

Workspace::~Workspace() {
  if (session_) session_->Close();
}

void Workspace::RequireOpen() const {
  if (!open_) RaiseJetError(err::kObjectClosed, "The workspace '" + name_ + "' has been closed.");
}

void Workspace::RequireType(int type, const char* member) const {
  RequireOpen();
  if (type_ != type) {
    RaiseJetError(err::kNotForThisObject, std::string(member) + " is available only in " +
                                              (type == kUseJet ? "Jet" : "ODBC") + " workspaces.");
  }
}

const std::string& Workspace::Name() const {
  RequireOpen();
  return name_;
}

const std::string& Workspace::UserName() const {
  RequireOpen();
  return user_name_;
}

int Workspace::Type() const {
  RequireOpen();
  return type_;
}

void Workspace::Close() {
  RequireOpen();
  if (default_) return;
  // Closed before the workspace counts as closed, so a failure leaves it usable.
  for (const std::shared_ptr<Database>& database : OpenDatabases()) database->Close();
  databases_.clear();
  open_ = false;
  if (session_) session_->Close();
}

std::vector<std::shared_ptr<Database>> Workspace::OpenDatabases() {
  RequireOpen();
  std::erase_if(databases_, [](const std::weak_ptr<Database>& entry) {
    auto database = entry.lock();
    return !database || !database->IsOpen();
  });
  std::vector<std::shared_ptr<Database>> open;
  for (const auto& entry : databases_) open.push_back(entry.lock());
  return open;
}

std::shared_ptr<Databases> Workspace::Databases() {
  RequireOpen();
  return std::make_shared<jet::Databases>(shared_from_this());
}

bool Workspace::IsolateODBCTrans() const {
  RequireType(kUseJet, "IsolateODBCTrans");
  return isolate_odbc_trans_;
}

void Workspace::SetIsolateODBCTrans(bool isolate) {
  RequireType(kUseJet, "IsolateODBCTrans");
  isolate_odbc_trans_ = isolate;
}

int Workspace::LoginTimeout() const {
  RequireType(kUseOdbc, "LoginTimeout");
  return login_timeout_;
}

void Workspace::SetLoginTimeout(int seconds) {
  RequireType(kUseOdbc, "LoginTimeout");
  if (seconds < 0 || seconds > 32767) {
    RaiseJetError(err::kInvalidArgument, "A login timeout is 0 to 32767 seconds.");
  }
  login_timeout_ = seconds;
}

int Workspace::DefaultCursorDriver() const {
  RequireType(kUseOdbc, "DefaultCursorDriver");
  return default_cursor_driver_;
}

void Workspace::SetDefaultCursorDriver(int driver) {
  RequireType(kUseOdbc, "DefaultCursorDriver");
  if (driver != kUseDefaultCursor && (driver < kUseOdbcCursor || driver > kUseNoCursor)) {
    RaiseJetError(err::kInvalidArgument, "The cursor driver " + std::to_string(driver) +
                                             " is not one of -1, 1, 2, 3 or 4.");
  }
  default_cursor_driver_ = driver;
}

std::shared_ptr<Users> Workspace::Users() {
  RequireType(kUseJet, "Users");
  return std::make_shared<jet::Users>(session_, std::nullopt);
}

std::shared_ptr<Groups> Workspace::Groups() {
  RequireType(kUseJet, "Groups");
  return std::make_shared<jet::Groups>(session_, std::nullopt);
}

std::shared_ptr<User> Workspace::CreateUser(std::string name, std::string pid, std::string password) {
  RequireType(kUseJet, "CreateUser");
  return std::make_shared<User>(session_, std::move(name), std::move(pid), std::move(password));
}

std::shared_ptr<Group> Workspace::CreateGroup(std::string name, std::string pid) {
  RequireType(kUseJet, "CreateGroup");
  return std::make_shared<Group>(session_, std::move(name), std::move(pid));
}

std::shared_ptr<Properties> Workspace::Properties() {
  RequireOpen();
  std::weak_ptr<Workspace> weak = weak_from_this();
  // Each property reaches the workspace through WEAK, so it never keeps the workspace open.
  auto self = [weak]() {
    auto workspace = weak.lock();
    if (!workspace) RaiseJetError(err::kObjectClosed, "The workspace has been closed.");
    return workspace;
  };
  using sql::dao_type::kBoolean;
  using sql::dao_type::kLong;
  using sql::dao_type::kText;
  std::vector<std::shared_ptr<Property>> items = {
      std::make_shared<Property>("Name", kText, [self] { return Variant(self()->Name()); }),
      std::make_shared<Property>("UserName", kText, [self] { return Variant(self()->UserName()); }),
      std::make_shared<Property>("Type", kLong, [self] { return Variant(self()->Type()); }),
  };
  if (type_ == kUseJet) {
    items.push_back(std::make_shared<Property>(
        "IsolateODBCTrans", kBoolean, [self] { return Variant(self()->IsolateODBCTrans()); },
        [self](const Variant& value) { self()->SetIsolateODBCTrans(value.ToBool()); }));
  } else {
    items.push_back(std::make_shared<Property>(
        "LoginTimeout", kLong, [self] { return Variant(self()->LoginTimeout()); },
        [self](const Variant& value) { self()->SetLoginTimeout(value.ToInt32()); }));
    items.push_back(std::make_shared<Property>(
        "DefaultCursorDriver", kLong, [self] { return Variant(self()->DefaultCursorDriver()); },
        [self](const Variant& value) { self()->SetDefaultCursorDriver(value.ToInt32()); }));
  }
  return std::make_shared<jet::Properties>(std::move(items));
}

}  // namespace qb::jet
