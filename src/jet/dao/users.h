// jet/dao/users: a Users collection: all users of the workgroup (from Workspace::Users) or the
// members of one group (from Group::Users). It reads the workgroup file at every call, so it is
// always current; changes go to the file at once.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::jet {

class AccountSession;
class User;

class Users {
 public:
  // GROUP empty: every user of the workgroup; else the members of GROUP.
  Users(std::shared_ptr<AccountSession> session, std::optional<std::string> group)
      : session_(std::move(session)), group_(std::move(group)) {}

  // Reads the file at every call: nothing is cached, so there is nothing to refresh.
  void Refresh() {}
  int Count();
  // The user at INDEX, in the order of the names ignoring case; kItemNotFound out of range.
  std::shared_ptr<User> Item(int index);
  // The user NAME (case ignored); kItemNotFound when absent (or not a member).
  std::shared_ptr<User> Item(std::string_view name);
  // All users: creates the account of the detached USER (Name, PID, Password); it joins Users
  //   and USER then stands for it. Members of a group: makes the user named USER->Name() a member.
  // Errors: see WorkgroupStore::AddUser / AddMember; kDuplicateName for an appended USER in the
  // all-users collection. REQUIRES: USER non-null.
  void Append(const std::shared_ptr<User>& user);
  // All users: deletes the account NAME. Members: takes NAME out of the group.
  // Errors: see WorkgroupStore::DeleteAccount / RemoveMember.
  void Delete(std::string_view name);

 private:
  std::vector<std::string> Names();

  std::shared_ptr<AccountSession> session_;  // constant after construction
  std::optional<std::string> group_;         // constant after construction
};

}  // namespace qb::jet
