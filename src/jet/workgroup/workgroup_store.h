// jet/workgroup/workgroup_store: the accounts of one open workgroup file: users, groups,
// memberships and password hashes in the catalog tables MSysAccounts and MSysMembers. Every change
// runs in one write transaction that also checks the rules and the acting user's rights, so two
// processes cannot break them between check and change. Knows nothing of the object model.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/base/engine_settings.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {

enum class AccountType { kUser, kGroup };

class WorkgroupStore {
 public:
  // Makes PATH a new workgroup file encrypted with the engine key, holding the user Admin (empty
  // password, member of Admins and Users) and the groups Admins and Users. Raises what
  // CreateEngineFile raises (kFileExists, kBadPath, ...).
  static void Create(const std::string& path, const EngineSettings& settings);

  // Opens the workgroup file PATH. Raises what OpenEngineFile raises for a file that is not a
  // workgroup file (missing, empty, a database, foreign, random bytes ...).
  static std::unique_ptr<WorkgroupStore> Open(const std::string& path, const EngineSettings& settings);

  const std::string& Path() const { return connection_->Path(); }

  // The user's name as stored when NAME (any case) is a user whose password is PASSWORD;
  // nullopt when there is no such user or the password differs.
  std::optional<std::string> CheckLogin(std::string_view name, std::string_view password);

  // Names of all users or groups, as stored, in the order of their case-folded names.
  std::vector<std::string> Names(AccountType type);
  // The stored name of the user or group NAME (any case), or nullopt.
  std::optional<std::string> Find(AccountType type, std::string_view name);
  // Users in GROUP / groups of USER, ordered as Names(). Raise kItemNotFound when the account
  // does not exist.
  std::vector<std::string> MembersOf(std::string_view group);
  std::vector<std::string> GroupsOf(std::string_view user);

  // Changes, each made by ACTOR (the logged-in user). All but ChangePassword need ACTOR to be a
  // member of Admins (else kNoPermission). Errors:
  //  AddUser / AddGroup: kBadAccountName, kBadPid, kBadPassword for bad values, kDuplicateName
  //    when a user or group of that name exists. A new user joins Users.
  //  DeleteAccount: kItemNotFound; kCannotPerform for Admin, Admins, Users and for the last
  //    member of Admins.
  //  AddMember: kItemNotFound for either account, kDuplicateName when already a member.
  //  RemoveMember: kItemNotFound (also when not a member); kCannotPerform for Users and for the
  //    last member of Admins.
  void AddUser(std::string_view actor, std::string_view name, std::string_view pid,
               std::string_view password);
  void AddGroup(std::string_view actor, std::string_view name, std::string_view pid);
  void DeleteAccount(std::string_view actor, AccountType type, std::string_view name);
  void AddMember(std::string_view actor, std::string_view group, std::string_view user);
  void RemoveMember(std::string_view actor, std::string_view group, std::string_view user);

  // Sets USER's password to NEW_PASSWORD. The user may change their own password when
  // OLD_PASSWORD matches (else kBadPassword); a member of Admins may also clear (set empty)
  // another user's password without it. Anyone else: kNoPermission. kBadPassword for a new
  // password that breaks the rules; kItemNotFound for an unknown user.
  void ChangePassword(std::string_view actor, std::string_view user, std::string_view old_password,
                      std::string_view new_password);

 private:
  WorkgroupStore(std::unique_ptr<Connection> connection, const EngineSettings& settings)
      : connection_(std::move(connection)), settings_(settings) {}

  struct Account {
    std::int64_t id;
    std::string name;
  };
  std::optional<Account> Lookup(AccountType type, std::string_view name);
  Account Require(AccountType type, std::string_view name);
  void RequireAdmin(std::string_view actor);
  bool IsMember(std::int64_t group_id, std::int64_t user_id);
  std::int64_t CountMembers(std::int64_t group_id);
  void InsertAccount(AccountType type, std::string_view name, std::string_view pid,
                     const std::optional<std::string>& hash);
  std::vector<std::string> NameList(std::string_view sql, std::int64_t id);

  std::unique_ptr<Connection> connection_;  // constant after construction
  EngineSettings settings_;                 // constant after construction
};

}  // namespace qb::jet
