// jet/dao/users: the all-users and group-members collections over the workgroup store.
#include "jet/dao/users.h"

#include <algorithm>

#include "jet/workgroup/account_session.h"
#include "jet/base/errors.h"
#include "jet/dao/user.h"

namespace qb::jet {

std::vector<std::string> Users::Names() {
  WorkgroupStore& store = session_->Store();
  return group_ ? store.MembersOf(*group_) : store.Names(AccountType::kUser);
}

int Users::Count() { return static_cast<int>(Names().size()); }

std::shared_ptr<User> Users::Item(int index) {
  std::vector<std::string> names = Names();
  if (index < 0 || static_cast<std::size_t>(index) >= names.size()) {
    RaiseJetError(err::kItemNotFound, "There is no user at position " + std::to_string(index) + " of this collection.");
  }
  return User::Attached(session_, names[static_cast<std::size_t>(index)]);
}

std::shared_ptr<User> Users::Item(std::string_view name) {
  WorkgroupStore& store = session_->Store();
  std::optional<std::string> found = store.Find(AccountType::kUser, name);
  if (found && group_) {
    std::vector<std::string> members = store.MembersOf(*group_);
    if (std::find(members.begin(), members.end(), *found) == members.end()) found.reset();
  }
  if (!found) {
    RaiseJetError(err::kItemNotFound, group_ ? "The user '" + std::string(name) + "' is not a member of '" + *group_ + "'."
                                             : "There is no user '" + std::string(name) + "' in this workgroup.");
  }
  return User::Attached(session_, *found);
}

void Users::Append(const std::shared_ptr<User>& user) {
  AccountSession& session = *session_;
  if (group_) {
    session.Store().AddMember(session.UserName(), *group_, user->Name());
    return;
  }
  if (user->IsAppended()) {
    RaiseJetError(err::kDuplicateName, "The user '" + user->Name() + "' is already in the workgroup.");
  }
  session.Store().AddUser(session.UserName(), user->Name(), user->Pid(), user->Password());
  user->MarkAppended();
}

void Users::Delete(std::string_view name) {
  AccountSession& session = *session_;
  if (group_) {
    session.Store().RemoveMember(session.UserName(), *group_, name);
  } else {
    session.Store().DeleteAccount(session.UserName(), AccountType::kUser, name);
  }
}

}  // namespace qb::jet
