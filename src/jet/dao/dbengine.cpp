// jet/dao/dbengine: login defaults, SystemDB resolution, logins and the engine's workspace list.
#include "jet/dao/dbengine.h"

#include <sodium.h>

#include <algorithm>

#include "com/ole_exception.h"
#include "jet/workgroup/account_session.h"
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/base/jet_types.h"
#include "jet/workgroup/default_workgroup.h"
#include "jet/workgroup/workgroup_store.h"
#include "jet/dao/workspace.h"
#include "jet/dao/workspaces.h"

namespace qb::jet {

DBEngine::DBEngine(const EngineSettings& settings) : settings_(settings) {}

DBEngine::~DBEngine() {
  if (!default_password_.empty()) sodium_memzero(default_password_.data(), default_password_.size());
}

std::shared_ptr<DBEngine> CreateDBEngine(const EngineSettings& settings) {
  return std::make_shared<DBEngine>(settings);
}

void DBEngine::SetDefaultPassword(std::string password) {
  if (!default_password_.empty()) sodium_memzero(default_password_.data(), default_password_.size());
  default_password_ = std::move(password);
}

std::string DBEngine::SystemDB() const {
  if (!system_db_.empty()) return system_db_;
  try {
    return DefaultWorkgroupPath();
  } catch (const EOleException&) {
    return std::string();  // no folder to put it in: the login will say so
  }
}

void DBEngine::SetLoginTimeout(int seconds) {
  if (seconds < 0 || seconds > 32767) RaiseJetError(err::kInvalidArgument, "A login timeout is 0 to 32767 seconds.");
  login_timeout_ = seconds;
}

void DBEngine::SetDefaultType(int type) {
  if (type != kUseJet && type != kUseOdbc) {
    RaiseJetError(err::kInvalidArgument, "The workspace type " + std::to_string(type) + " is not 1 (ODBC) or 2 (Jet).");
  }
  default_type_ = type;
}

std::shared_ptr<Workspaces> DBEngine::Workspaces() {
  return std::make_shared<jet::Workspaces>(shared_from_this());
}

std::shared_ptr<Workspace> DBEngine::CreateWorkspace(const std::string& name, const std::string& user,
                                                     const std::string& password, int type) {
  if (type != kUseJet && type != kUseOdbc) {
    RaiseJetError(err::kInvalidArgument, "The workspace type " + std::to_string(type) + " is not 1 (ODBC) or 2 (Jet).");
  }
  std::shared_ptr<AccountSession> session;
  std::string user_name = user;
  if (type == kUseJet) {
    const std::string path = system_db_.empty() ? EnsureDefaultWorkgroup(settings_) : system_db_;
    std::unique_ptr<WorkgroupStore> store = WorkgroupStore::Open(path, settings_);
    std::optional<std::string> account = store->CheckLogin(user, password);
    if (!account) RaiseJetError(err::kBadLogin, "Not a valid account name or password.");
    user_name = *account;
    session = std::make_shared<AccountSession>(std::move(store), user_name);
  }
  auto workspace = std::make_shared<Workspace>(name, user_name, type, login_timeout_, std::move(session), settings_);
  if (type == kUseOdbc) workspace->odbc_password_ = password;
  std::erase_if(other_workspaces_, [](const std::weak_ptr<Workspace>& entry) { return entry.expired(); });
  other_workspaces_.push_back(workspace);
  return workspace;
}

void DBEngine::CreateWorkgroup(const std::string& path) { WorkgroupStore::Create(path, settings_); }

std::shared_ptr<Workspace> DBEngine::DefaultWorkspace() {
  if (default_workspace_ && default_workspace_->IsOpen()) return default_workspace_;
  default_workspace_.reset();
  std::shared_ptr<Workspace> made = CreateWorkspace(kDefaultWorkspaceName, default_user_, default_password_, default_type_);
  other_workspaces_.pop_back();  // listed as item 0, not among the others
  made->default_ = true;
  default_workspace_ = made;
  return made;
}

std::vector<std::shared_ptr<Workspace>> DBEngine::OtherWorkspaces() {
  std::vector<std::shared_ptr<Workspace>> open;
  for (const auto& entry : other_workspaces_) {
    auto workspace = entry.lock();
    if (workspace && workspace->IsOpen()) open.push_back(std::move(workspace));
  }
  return open;
}

std::shared_ptr<Properties> DBEngine::Properties() {
  std::weak_ptr<DBEngine> weak = weak_from_this();
  auto self = [weak]() {
    auto engine = weak.lock();
    if (!engine) RaiseJetError(err::kObjectClosed, "The engine no longer exists.");
    return engine;
  };
  using sql::dao_type::kLong;
  using sql::dao_type::kText;
  return std::make_shared<jet::Properties>(std::vector<std::shared_ptr<Property>>{
      std::make_shared<Property>("Version", kText, [self] { return Variant(self()->Version()); }),
      std::make_shared<Property>(
          "DefaultUser", kText, [self] { return Variant(self()->DefaultUser()); },
          [self](const Variant& value) { self()->SetDefaultUser(value.ToString()); }),
      std::make_shared<Property>(
          "SystemDB", kText, [self] { return Variant(self()->SystemDB()); },
          [self](const Variant& value) { self()->SetSystemDB(value.ToString()); }),
      std::make_shared<Property>(
          "IniPath", kText, [self] { return Variant(self()->IniPath()); },
          [self](const Variant& value) { self()->SetIniPath(value.ToString()); }),
      std::make_shared<Property>(
          "LoginTimeout", kLong, [self] { return Variant(self()->LoginTimeout()); },
          [self](const Variant& value) { self()->SetLoginTimeout(value.ToInt32()); }),
      std::make_shared<Property>(
          "DefaultType", kLong, [self] { return Variant(self()->DefaultType()); },
          [self](const Variant& value) { self()->SetDefaultType(value.ToInt32()); }),
  });
}

}  // namespace qb::jet
