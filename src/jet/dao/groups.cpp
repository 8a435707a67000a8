// jet/dao/groups: the all-groups and groups-of-a-user collections over the workgroup store.
#include "jet/dao/groups.h"

#include <algorithm>

#include "jet/workgroup/account_session.h"
#include "jet/base/errors.h"
#include "jet/dao/group.h"

namespace qb::jet {

std::vector<std::string> Groups::Names() {
  WorkgroupStore& store = session_->Store();
  return user_ ? store.GroupsOf(*user_) : store.Names(AccountType::kGroup);
}

int Groups::Count() { return static_cast<int>(Names().size()); }

std::shared_ptr<Group> Groups::Item(int index) {
  std::vector<std::string> names = Names();
  if (index < 0 || static_cast<std::size_t>(index) >= names.size()) {
    RaiseJetError(err::kItemNotFound, "There is no group at position " + std::to_string(index) + " of this collection.");
  }
  return Group::Attached(session_, names[static_cast<std::size_t>(index)]);
}

std::shared_ptr<Group> Groups::Item(std::string_view name) {
  WorkgroupStore& store = session_->Store();
  std::optional<std::string> found = store.Find(AccountType::kGroup, name);
  if (found && user_) {
    std::vector<std::string> groups = store.GroupsOf(*user_);
    if (std::find(groups.begin(), groups.end(), *found) == groups.end()) found.reset();
  }
  if (!found) {
    RaiseJetError(err::kItemNotFound, user_ ? "The user '" + *user_ + "' is not a member of '" + std::string(name) + "'."
                                            : "There is no group '" + std::string(name) + "' in this workgroup.");
  }
  return Group::Attached(session_, *found);
}

void Groups::Append(const std::shared_ptr<Group>& group) {
  AccountSession& session = *session_;
  if (user_) {
    session.Store().AddMember(session.UserName(), group->Name(), *user_);
    return;
  }
  if (group->IsAppended()) {
    RaiseJetError(err::kDuplicateName, "The group '" + group->Name() + "' is already in the workgroup.");
  }
  session.Store().AddGroup(session.UserName(), group->Name(), group->Pid());
  group->MarkAppended();
}

void Groups::Delete(std::string_view name) {
  AccountSession& session = *session_;
  if (user_) {
    session.Store().RemoveMember(session.UserName(), name, *user_);
  } else {
    session.Store().DeleteAccount(session.UserName(), AccountType::kGroup, name);
  }
}

}  // namespace qb::jet
