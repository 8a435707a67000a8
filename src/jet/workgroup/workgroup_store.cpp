// jet/workgroup/workgroup_store: account rows, memberships and their rules, each change in one
// immediate transaction. Passwords only pass through as hashes.
#include "jet/workgroup/workgroup_store.h"

#include <sodium.h>

#include "jet/storage/engine_file.h"
#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/workgroup/account_rules.h"
#include "jet/workgroup/password_hash.h"

namespace qb::jet {
namespace {

// The built-in accounts keep these row ids in every workgroup file.
constexpr std::int64_t kAdminUserId = 1;
constexpr std::int64_t kAdminsGroupId = 2;
constexpr std::int64_t kUsersGroupId = 3;

// Fixed PIDs: Admin and Users have the same SID in every workgroup file, as Jet users expect;
// Admins gets a random PID per file, so its SID is unique to the file.
constexpr std::string_view kAdminPid = "AdminUserBuiltIn";
constexpr std::string_view kUsersPid = "UsersGroupBuiltIn";

constexpr std::string_view kSchema =
    "CREATE TABLE MSysAccounts ("
    "  Id INTEGER PRIMARY KEY,"
    "  Name TEXT NOT NULL,"
    "  NameKey TEXT NOT NULL UNIQUE,"  // case-folded: users and groups share one name space
    "  IsGroup INTEGER NOT NULL CHECK (IsGroup IN (0, 1)),"
    "  Pid TEXT NOT NULL,"
    "  Sid BLOB NOT NULL UNIQUE,"
    "  PasswordHash TEXT,"  // Argon2id; NULL for groups
    "  CHECK ((IsGroup = 1) = (PasswordHash IS NULL)));"
    "CREATE TABLE MSysMembers ("
    "  GroupId INTEGER NOT NULL,"
    "  UserId INTEGER NOT NULL,"
    "  PRIMARY KEY (GroupId, UserId)) WITHOUT ROWID;"
    "CREATE INDEX MSysMembersByUser ON MSysMembers (UserId);";

std::string_view Noun(AccountType type) { return type == AccountType::kUser ? "user" : "group"; }
std::int64_t IsGroupFlag(AccountType type) { return type == AccountType::kGroup ? 1 : 0; }
std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string RandomPid() {
  unsigned char random[10];
  randombytes_buf(random, sizeof random);
  char hex[sizeof random * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, random, sizeof random);
  return hex;
}

}  // namespace

void WorkgroupStore::Create(const std::string& path, const EngineSettings& settings) {
  CatalogInfo info;
  info.kind = FileKind::kWorkgroup;
  const std::string admin_hash = HashPassword("", settings);
  CreateEngineFile(path, info, EngineFileKey(), settings, [&](Connection& connection) {
    connection.Exec(kSchema);
    Statement insert = connection.Prepare(
        "INSERT INTO MSysAccounts (Id, Name, NameKey, IsGroup, Pid, Sid, PasswordHash) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    auto add = [&](std::int64_t id, std::string_view name, std::string_view pid, bool group) {
      insert.Bind(1, id).Bind(2, name).Bind(3, AccountNameKey(name)).Bind(4, std::int64_t{group});
      insert.Bind(5, pid).BindBlob(6, MakeSid(name, pid));
      if (group) {
        insert.BindNull(7);
      } else {
        insert.Bind(7, admin_hash);
      }
      insert.Run();
      insert.Reset();
    };
    add(kAdminUserId, "Admin", kAdminPid, false);
    add(kAdminsGroupId, "Admins", RandomPid(), true);
    add(kUsersGroupId, "Users", kUsersPid, true);
    connection.Exec("INSERT INTO MSysMembers (GroupId, UserId) VALUES (2, 1), (3, 1)");
  });
}

std::unique_ptr<WorkgroupStore> WorkgroupStore::Open(const std::string& path,
                                                     const EngineSettings& settings) {
  std::unique_ptr<Connection> connection =
      OpenEngineFile(path, FileKind::kWorkgroup, OpenMode::kReadWrite, EngineFileKey(), settings);
  if (!connection->HasTable("MSysAccounts") || !connection->HasTable("MSysMembers")) {
    RaiseJetError(err::kUnrecognisedFile, "The workgroup file " + Quoted(path) + " has a damaged catalog.");
  }
  return std::unique_ptr<WorkgroupStore>(new WorkgroupStore(std::move(connection), settings));
}

std::optional<std::string> WorkgroupStore::CheckLogin(std::string_view name, std::string_view password) {
  Statement query = connection_->Prepare(
      "SELECT Name, PasswordHash FROM MSysAccounts WHERE NameKey = ?1 AND IsGroup = 0");
  query.Bind(1, AccountNameKey(name));
  if (!query.Step()) {
    // An unknown name costs the same work as a wrong password, so the time a refusal takes
    // does not tell which names exist.
    VerifyPassword(UnmatchableHash(settings_), password);
    return std::nullopt;
  }
  std::string stored_name = query.ColumnText(0);
  std::string hash = query.ColumnText(1);
  if (hash == kNoPasswordHash && !password.empty()) {
    // A wrong password for an account that has none costs what any wrong password costs.
    VerifyPassword(UnmatchableHash(settings_), password);
    return std::nullopt;
  }
  if (!VerifyPassword(hash, password)) return std::nullopt;
  return stored_name;
}

std::vector<std::string> WorkgroupStore::Names(AccountType type) {
  return NameList("SELECT Name FROM MSysAccounts WHERE IsGroup = ?1 ORDER BY NameKey", IsGroupFlag(type));
}

std::optional<std::string> WorkgroupStore::Find(AccountType type, std::string_view name) {
  std::optional<Account> account = Lookup(type, name);
  if (!account) return std::nullopt;
  return account->name;
}

std::vector<std::string> WorkgroupStore::MembersOf(std::string_view group) {
  Account found = Require(AccountType::kGroup, group);
  return NameList(
      "SELECT a.Name FROM MSysMembers m JOIN MSysAccounts a ON a.Id = m.UserId "
      "WHERE m.GroupId = ?1 ORDER BY a.NameKey",
      found.id);
}

std::vector<std::string> WorkgroupStore::GroupsOf(std::string_view user) {
  Account found = Require(AccountType::kUser, user);
  return NameList(
      "SELECT a.Name FROM MSysMembers m JOIN MSysAccounts a ON a.Id = m.GroupId "
      "WHERE m.UserId = ?1 ORDER BY a.NameKey",
      found.id);
}

void WorkgroupStore::AddUser(std::string_view actor, std::string_view name, std::string_view pid,
                             std::string_view password) {
  CheckAccountName(name);
  CheckPid(pid);
  CheckPassword(password);
  Transaction transaction(*connection_);
  RequireAdmin(actor);
  InsertAccount(AccountType::kUser, name, pid, HashPassword(password, settings_));
  Statement join = connection_->Prepare("INSERT INTO MSysMembers (GroupId, UserId) VALUES (?1, ?2)");
  join.Bind(1, kUsersGroupId).Bind(2, connection_->LastInsertRowId()).Run();
  transaction.Commit();
}

void WorkgroupStore::AddGroup(std::string_view actor, std::string_view name, std::string_view pid) {
  CheckAccountName(name);
  CheckPid(pid);
  Transaction transaction(*connection_);
  RequireAdmin(actor);
  InsertAccount(AccountType::kGroup, name, pid, std::nullopt);
  transaction.Commit();
}

void WorkgroupStore::DeleteAccount(std::string_view actor, AccountType type, std::string_view name) {
  Transaction transaction(*connection_);
  RequireAdmin(actor);
  Account account = Require(type, name);
  if (account.id == kAdminUserId || account.id == kAdminsGroupId || account.id == kUsersGroupId) {
    RaiseJetError(err::kCannotPerform, "The built-in " + std::string(Noun(type)) + " " +
                                           Quoted(account.name) + " cannot be deleted.");
  }
  if (type == AccountType::kUser && IsMember(kAdminsGroupId, account.id) &&
      CountMembers(kAdminsGroupId) == 1) {
    RaiseJetError(err::kCannotPerform, "The user " + Quoted(account.name) +
                                           " is the last member of Admins and cannot be deleted.");
  }
  Statement members = connection_->Prepare("DELETE FROM MSysMembers WHERE GroupId = ?1 OR UserId = ?1");
  members.Bind(1, account.id).Run();
  Statement row = connection_->Prepare("DELETE FROM MSysAccounts WHERE Id = ?1");
  row.Bind(1, account.id).Run();
  transaction.Commit();
}

void WorkgroupStore::AddMember(std::string_view actor, std::string_view group, std::string_view user) {
  Transaction transaction(*connection_);
  RequireAdmin(actor);
  Account group_row = Require(AccountType::kGroup, group);
  Account user_row = Require(AccountType::kUser, user);
  if (IsMember(group_row.id, user_row.id)) {
    RaiseJetError(err::kDuplicateName, "The user " + Quoted(user_row.name) +
                                           " is already a member of " + Quoted(group_row.name) + ".");
  }
  Statement join = connection_->Prepare("INSERT INTO MSysMembers (GroupId, UserId) VALUES (?1, ?2)");
  join.Bind(1, group_row.id).Bind(2, user_row.id).Run();
  transaction.Commit();
}

void WorkgroupStore::RemoveMember(std::string_view actor, std::string_view group, std::string_view user) {
  Transaction transaction(*connection_);
  RequireAdmin(actor);
  Account group_row = Require(AccountType::kGroup, group);
  Account user_row = Require(AccountType::kUser, user);
  if (!IsMember(group_row.id, user_row.id)) {
    RaiseJetError(err::kItemNotFound, "The user " + Quoted(user_row.name) + " is not a member of " +
                                          Quoted(group_row.name) + ".");
  }
  if (group_row.id == kUsersGroupId) {
    RaiseJetError(err::kCannotPerform, "Every user belongs to Users: " + Quoted(user_row.name) +
                                           " cannot leave it.");
  }
  if (group_row.id == kAdminsGroupId && CountMembers(kAdminsGroupId) == 1) {
    RaiseJetError(err::kCannotPerform, "The user " + Quoted(user_row.name) +
                                           " is the last member of Admins and cannot leave it.");
  }
  Statement leave = connection_->Prepare("DELETE FROM MSysMembers WHERE GroupId = ?1 AND UserId = ?2");
  leave.Bind(1, group_row.id).Bind(2, user_row.id).Run();
  transaction.Commit();
}

void WorkgroupStore::ChangePassword(std::string_view actor, std::string_view user,
                                    std::string_view old_password, std::string_view new_password) {
  CheckPassword(new_password);
  Transaction transaction(*connection_);
  Account target = Require(AccountType::kUser, user);
  std::optional<Account> acting = Lookup(AccountType::kUser, actor);
  if (!acting) RaiseJetError(err::kNoPermission, "The logged-in user no longer exists.");
  if (acting->id != target.id) {
    bool admin = IsMember(kAdminsGroupId, acting->id);
    if (!admin || !new_password.empty()) {
      RaiseJetError(err::kNoPermission, "Only " + Quoted(target.name) +
                                            " may change that password; members of Admins may "
                                            "only clear it.");
    }
  } else {
    Statement query = connection_->Prepare("SELECT PasswordHash FROM MSysAccounts WHERE Id = ?1");
    query.Bind(1, target.id);
    if (!query.Step() || !VerifyPassword(query.ColumnText(0), old_password)) {
      RaiseJetError(err::kBadPassword, "The current password given for " + Quoted(target.name) +
                                           " is not correct.");
    }
  }
  Statement update = connection_->Prepare("UPDATE MSysAccounts SET PasswordHash = ?1 WHERE Id = ?2");
  update.Bind(1, HashPassword(new_password, settings_)).Bind(2, target.id).Run();
  transaction.Commit();
}

std::optional<WorkgroupStore::Account> WorkgroupStore::Lookup(AccountType type, std::string_view name) {
  Statement query = connection_->Prepare("SELECT Id, Name FROM MSysAccounts WHERE NameKey = ?1 AND IsGroup = ?2");
  query.Bind(1, AccountNameKey(name)).Bind(2, IsGroupFlag(type));
  if (!query.Step()) return std::nullopt;
  return Account{query.ColumnInt(0), query.ColumnText(1)};
}

WorkgroupStore::Account WorkgroupStore::Require(AccountType type, std::string_view name) {
  std::optional<Account> account = Lookup(type, name);
  if (!account) {
    RaiseJetError(err::kItemNotFound, "There is no " + std::string(Noun(type)) + " " + Quoted(name) +
                                          " in this workgroup.");
  }
  return *account;
}

void WorkgroupStore::RequireAdmin(std::string_view actor) {
  std::optional<Account> acting = Lookup(AccountType::kUser, actor);
  if (!acting || !IsMember(kAdminsGroupId, acting->id)) {
    RaiseJetError(err::kNoPermission, "Only members of Admins may change users, groups and memberships.");
  }
}

bool WorkgroupStore::IsMember(std::int64_t group_id, std::int64_t user_id) {
  Statement query = connection_->Prepare("SELECT 1 FROM MSysMembers WHERE GroupId = ?1 AND UserId = ?2");
  query.Bind(1, group_id).Bind(2, user_id);
  return query.Step();
}

std::int64_t WorkgroupStore::CountMembers(std::int64_t group_id) {
  Statement query = connection_->Prepare("SELECT count(*) FROM MSysMembers WHERE GroupId = ?1");
  query.Bind(1, group_id);
  query.Step();
  return query.ColumnInt(0);
}

void WorkgroupStore::InsertAccount(AccountType type, std::string_view name, std::string_view pid,
                                   const std::optional<std::string>& hash) {
  const std::string key = AccountNameKey(name);
  Statement clash = connection_->Prepare("SELECT IsGroup, Name FROM MSysAccounts WHERE NameKey = ?1");
  clash.Bind(1, key);
  if (clash.Step()) {
    RaiseJetError(err::kDuplicateName, "There is already a " +
                                           std::string(clash.ColumnInt(0) ? "group" : "user") +
                                           " named " + Quoted(clash.ColumnText(1)) + " in this workgroup.");
  }
  Statement insert = connection_->Prepare(
      "INSERT INTO MSysAccounts (Name, NameKey, IsGroup, Pid, Sid, PasswordHash) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
  insert.Bind(1, name).Bind(2, key).Bind(3, IsGroupFlag(type)).Bind(4, pid).BindBlob(5, MakeSid(name, pid));
  if (hash) {
    insert.Bind(6, *hash);
  } else {
    insert.BindNull(6);
  }
  insert.Run();
}

std::vector<std::string> WorkgroupStore::NameList(std::string_view sql, std::int64_t id) {
  Statement query = connection_->Prepare(sql);
  query.Bind(1, id);
  std::vector<std::string> names;
  while (query.Step()) names.push_back(query.ColumnText(0));
  return names;
}

}  // namespace qb::jet
