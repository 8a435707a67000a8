// jet/dao/user: detached and appended users, their groups and password changes.
#include "jet/dao/user.h"

#include <sodium.h>

#include "jet/workgroup/account_session.h"
#include "jet/base/errors.h"
#include "jet/dao/groups.h"
#include "jet/dao/property.h"
#include "jet/base/jet_types.h"

namespace qb::jet {
namespace {

void Wipe(std::string& secret) {
  if (!secret.empty()) sodium_memzero(secret.data(), secret.size());
  secret.clear();
}

}  // namespace

User::User(std::shared_ptr<AccountSession> session, std::string name, std::string pid, std::string password)
    : session_(std::move(session)), name_(std::move(name)), pid_(std::move(pid)), password_(std::move(password)) {}

User::~User() { Wipe(password_); }

std::shared_ptr<User> User::Attached(std::shared_ptr<AccountSession> session, std::string name) {
  auto user = std::make_shared<User>(std::move(session), std::move(name), std::string(), std::string());
  user->appended_ = true;
  return user;
}

void User::MarkAppended() {
  appended_ = true;
  Wipe(pid_);
  Wipe(password_);
}

void User::RequireAppended(const char* what) const {
  if (!appended_) {
    RaiseJetError(err::kInvalidOperation, std::string(what) + " needs a user of the workgroup: append '" +
                                              name_ + "' to the Users collection first.");
  }
}

void User::RequireDetached() const {
  if (appended_) {
    RaiseJetError(err::kSetAfterAppend, "The user '" + name_ + "' is already in the workgroup: its name, "
                                        "PID and password cannot be set this way.");
  }
}

void User::SetName(std::string name) {
  RequireDetached();
  name_ = std::move(name);
}

void User::SetPID(std::string pid) {
  RequireDetached();
  pid_ = std::move(pid);
}

void User::SetPassword(std::string password) {
  RequireDetached();
  Wipe(password_);
  password_ = std::move(password);
}

std::shared_ptr<Groups> User::Groups() {
  RequireAppended("Groups");
  return std::make_shared<jet::Groups>(session_, name_);
}

void User::NewPassword(const std::string& old_password, const std::string& new_password) {
  RequireAppended("NewPassword");
  AccountSession& session = *session_;
  session.Store().ChangePassword(session.UserName(), name_, old_password, new_password);
}

std::shared_ptr<Properties> User::Properties() {
  std::weak_ptr<User> self = weak_from_this();
  auto get = [self] {
    auto user = self.lock();
    return user ? Variant(user->Name()) : Variant::Null();
  };
  auto set = [self](const Variant& value) {
    if (auto user = self.lock()) user->SetName(value.ToString());
  };
  return std::make_shared<jet::Properties>(std::vector<std::shared_ptr<Property>>{
      std::make_shared<Property>("Name", sql::dao_type::kText, get, set)});
}

}  // namespace qb::jet
