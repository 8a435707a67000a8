// jet/dao/groups: a Groups collection: all groups of the workgroup (from Workspace::Groups) or the
// groups of one user (from User::Groups). Reads the workgroup file at every call; changes go to
// the file at once.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::jet {

class AccountSession;
class Group;

class Groups {
 public:
  // USER empty: every group of the workgroup; else the groups USER belongs to.
  Groups(std::shared_ptr<AccountSession> session, std::optional<std::string> user)
      : session_(std::move(session)), user_(std::move(user)) {}

  // Reads the file at every call: nothing is cached, so there is nothing to refresh.
  void Refresh() {}
  int Count();
  // The group at INDEX, in the order of the names ignoring case; kItemNotFound out of range.
  std::shared_ptr<Group> Item(int index);
  // The group NAME (case ignored); kItemNotFound when absent (or the user is not in it).
  std::shared_ptr<Group> Item(std::string_view name);
  // All groups: creates the group of the detached GROUP (Name, PID). Groups of a user: makes
  // the user a member of the group named GROUP->Name(). Errors: see WorkgroupStore::AddGroup /
  // AddMember. REQUIRES: GROUP non-null.
  void Append(const std::shared_ptr<Group>& group);
  // All groups: deletes the group NAME. Groups of a user: takes the user out of group NAME.
  void Delete(std::string_view name);

 private:
  std::vector<std::string> Names();

  std::shared_ptr<AccountSession> session_;  // constant after construction
  std::optional<std::string> user_;          // constant after construction
};

}  // namespace qb::jet
