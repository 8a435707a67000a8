// jet/dao/group: detached and appended groups and their members.
#include "jet/dao/group.h"

#include "jet/workgroup/account_session.h"
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/base/jet_types.h"
#include "jet/dao/users.h"

namespace qb::jet {

Group::Group(std::shared_ptr<AccountSession> session, std::string name, std::string pid)
    : session_(std::move(session)), name_(std::move(name)), pid_(std::move(pid)) {}

std::shared_ptr<Group> Group::Attached(std::shared_ptr<AccountSession> session, std::string name) {
  auto group = std::make_shared<Group>(std::move(session), std::move(name), std::string());
  group->appended_ = true;
  return group;
}

void Group::MarkAppended() {
  appended_ = true;
  pid_.clear();
}

void Group::SetName(std::string name) {
  if (appended_) {
    RaiseJetError(err::kSetAfterAppend, "The group '" + name_ + "' is already in the workgroup: its name "
                                        "cannot be changed.");
  }
  name_ = std::move(name);
}

void Group::SetPID(std::string pid) {
  if (appended_) {
    RaiseJetError(err::kSetAfterAppend, "The group '" + name_ + "' is already in the workgroup: its PID "
                                        "cannot be changed.");
  }
  pid_ = std::move(pid);
}

std::shared_ptr<Users> Group::Users() {
  if (!appended_) {
    RaiseJetError(err::kInvalidOperation, "Users needs a group of the workgroup: append '" + name_ +
                                              "' to the Groups collection first.");
  }
  return std::make_shared<jet::Users>(session_, name_);
}

std::shared_ptr<Properties> Group::Properties() {
  std::weak_ptr<Group> self = weak_from_this();
  auto get = [self] {
    auto group = self.lock();
    return group ? Variant(group->Name()) : Variant::Null();
  };
  auto set = [self](const Variant& value) {
    if (auto group = self.lock()) group->SetName(value.ToString());
  };
  return std::make_shared<jet::Properties>(std::vector<std::shared_ptr<Property>>{
      std::make_shared<Property>("Name", sql::dao_type::kText, get, set)});
}

}  // namespace qb::jet
