// Accounts of a workgroup through the object model: logins, the naming rules, the built-in
// accounts, memberships seen from both sides, Admins-only changes and password changes.
#include <gtest/gtest.h>
#include <sodium.h>

#include <cstdint>

#include "engine_test_support.h"
#include "jet/dao/dbengine.h"
#include "jet/base/errors.h"
#include "jet/dao/group.h"
#include "jet/dao/groups.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"
#include "jet/dao/workspace.h"
#include "jet/workgroup/password_hash.h"
#include "jet/dao/workspaces.h"

namespace qb::jet {
namespace {

using test::ErrorOf;

template <class Collection>
std::string NamesOf(Collection& collection) {
  std::string names;
  for (int i = 0; i < collection.Count(); ++i) {
    if (!names.empty()) names += ",";
    names += collection.Item(i)->Name();
  }
  return names;
}

class AccountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_->CreateWorkgroup(path_);
    engine_->SetSystemDB(path_);
    admin_ = engine_->CreateWorkspace("admin", "Admin", "");
  }

  void AddUser(const std::string& name, const std::string& password = "") {
    admin_->Users()->Append(admin_->CreateUser(name, name + "-pid", password));
  }

  std::shared_ptr<DBEngine> engine_ = CreateDBEngine(EngineSettings::ForTests());
  qb::test::TempDir dir_;
  std::string path_ = dir_.File("system.mdw");
  std::shared_ptr<Workspace> admin_;
};

TEST_F(AccountsTest, NewWorkgroupShipsAdminAdminsAndUsers) {
  EXPECT_EQ(NamesOf(*admin_->Users()), "Admin");
  EXPECT_EQ(NamesOf(*admin_->Groups()), "Admins,Users");
  EXPECT_EQ(NamesOf(*admin_->Users()->Item("Admin")->Groups()), "Admins,Users");
  EXPECT_EQ(NamesOf(*admin_->Groups()->Item("Admins")->Users()), "Admin");
}

TEST_F(AccountsTest, LoginsRightAndWrong) {
  AddUser("Mia", "s3cret");
  auto mia = engine_->CreateWorkspace("mia", "mia", "s3cret");  // names ignore case
  EXPECT_EQ(mia->UserName(), "Mia");
  EXPECT_EQ(mia->Type(), kUseJet);

  const int open_before = engine_->Workspaces()->Count();
  for (auto [user, password] : {std::pair{"Mia", "S3CRET"}, {"Mia", ""}, {"Nobody", ""}, {"Admin", "x"}}) {
    auto caught = ErrorOf([&] { engine_->CreateWorkspace("bad", user, password); });
    EXPECT_EQ(caught.number, err::kBadLogin) << user;
    EXPECT_EQ(caught.message, "Not a valid account name or password.");  // names no password
  }
  EXPECT_EQ(engine_->Workspaces()->Count(), open_before);
}

TEST_F(AccountsTest, EveryRefusedLoginDoesTheSameHashWork) {
  // A login refused for an unknown name runs one password check, as a wrong password does, so
  // the time a refusal takes does not tell which account names exist.
  AddUser("Mia", "s3cret");
  for (auto [user, password] :
       {std::pair{"Mia", "wrong"}, {"Nobody", "wrong"}, {"Admins", ""}, {"", ""}, {"Admin", "wrong"}}) {
    const std::uint64_t before = PasswordVerifications();
    EXPECT_EQ(ErrorOf([&] { engine_->CreateWorkspace("bad", user, password); }).number, err::kBadLogin) << user;
    EXPECT_EQ(PasswordVerifications() - before, 1u) << user;
  }
  // The stand-in for a missing account is a hash the library takes, at the cost of the
  // engine's own hashes, that no password matches.
  for (const EngineSettings& settings : {EngineSettings::ForTests(), EngineSettings()}) {
    const std::string hash = UnmatchableHash(settings);
    EXPECT_EQ(crypto_pwhash_str_needs_rehash(hash.c_str(), settings.hash_ops_limit, settings.hash_mem_limit), 0)
        << hash;
    if (settings.hash_mem_limit == EngineSettings::ForTests().hash_mem_limit) {
      EXPECT_FALSE(VerifyPassword(hash, ""));
      EXPECT_FALSE(VerifyPassword(hash, "s3cret"));
    }
  }
}

TEST_F(AccountsTest, AnAccountWithNoPasswordLogsInWithoutHashWork) {
  // Admin of a new workgroup has no password: every command-line call logs in as Admin, and a
  // full password hash per process would cost more than the rest of a small command.
  std::uint64_t before = PasswordVerifications();
  EXPECT_EQ(engine_->CreateWorkspace("admin", "Admin", "")->UserName(), "Admin");
  EXPECT_EQ(PasswordVerifications() - before, 0u);

  // A password set and cleared again goes back to no work; a password set is checked in full.
  AddUser("Mia", "s3cret");
  auto mia = engine_->CreateWorkspace("mia", "Mia", "s3cret");
  mia->Users()->Item("Mia")->NewPassword("s3cret", "");
  before = PasswordVerifications();
  EXPECT_NO_THROW(engine_->CreateWorkspace("mia2", "Mia", ""));
  EXPECT_EQ(PasswordVerifications() - before, 0u);
  EXPECT_EQ(ErrorOf([&] { engine_->CreateWorkspace("bad", "Mia", "s3cret"); }).number, err::kBadLogin);

  // Files written before keep an Argon2id hash of the empty password, which still verifies.
  char old_hash[crypto_pwhash_STRBYTES];
  ASSERT_EQ(crypto_pwhash_str(old_hash, "", 0, crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN), 0);
  EXPECT_TRUE(VerifyPassword(old_hash, ""));
  EXPECT_FALSE(VerifyPassword(old_hash, "x"));
  EXPECT_TRUE(VerifyPassword(kNoPasswordHash, ""));
  EXPECT_FALSE(VerifyPassword(kNoPasswordHash, "x"));
}

// An empty password may come as a view of no characters at all (no pointer): it is hashed and
// checked as the empty password (the sanitizer build sees the library never gets the null).
TEST(PasswordHashTest, AnEmptyViewIsTheEmptyPassword) {
  const std::string hash = HashPassword(std::string_view(), EngineSettings::ForTests());
  EXPECT_TRUE(VerifyPassword(hash, std::string_view()));
  EXPECT_TRUE(VerifyPassword(hash, ""));
  EXPECT_FALSE(VerifyPassword(hash, "x"));
  EXPECT_TRUE(VerifyPassword(HashPassword("", EngineSettings::ForTests()), std::string_view()));
}

TEST_F(AccountsTest, NameAndPidAndPasswordLimitsCountCharacters) {
  const std::string twenty_chars = "ÄÖÜäöüßÄÖÜäöüßÄÖÜäöü";  // 20 characters, 40 bytes
  const std::string fourteen_chars = "äöüäöüäöüäöüäö";      // 14 characters, 28 bytes
  admin_->Users()->Append(admin_->CreateUser(twenty_chars, "abcd", fourteen_chars));
  EXPECT_NO_THROW(engine_->CreateWorkspace("u", twenty_chars, fourteen_chars));

  auto rejects = [&](const std::string& name, const std::string& pid, const std::string& password) {
    return ErrorOf([&] { admin_->Users()->Append(admin_->CreateUser(name, pid, password)); }).number;
  };
  EXPECT_EQ(rejects(twenty_chars + "x", "abcd", ""), err::kBadAccountName);
  EXPECT_EQ(rejects("", "abcd", ""), err::kBadAccountName);
  EXPECT_EQ(rejects(" lead", "abcd", ""), err::kBadAccountName);
  EXPECT_EQ(rejects("a.b", "abcd", ""), err::kBadAccountName);
  EXPECT_EQ(rejects("tab\there", "abcd", ""), err::kBadAccountName);
  EXPECT_EQ(rejects(std::string("bad\xff"), "abcd", ""), err::kBadAccountName);
  EXPECT_EQ(rejects("pidshort", "abc", ""), err::kBadPid);
  EXPECT_EQ(rejects("pidlong", std::string(21, 'p'), ""), err::kBadPid);
  EXPECT_EQ(rejects("pwlong", "abcd", fourteen_chars + "x"), err::kBadPassword);
  EXPECT_EQ(rejects("pwnul", "abcd", std::string("a\0b", 3)), err::kBadPassword);
  EXPECT_EQ(NamesOf(*admin_->Users()), "Admin," + twenty_chars);  // nothing half-made
}

TEST_F(AccountsTest, DuplicateNamesAreRefusedIgnoringCaseAcrossUsersAndGroups) {
  AddUser("Ann");
  EXPECT_EQ(ErrorOf([&] { AddUser("ANN"); }).number, err::kDuplicateName);
  EXPECT_EQ(ErrorOf([&] { admin_->Groups()->Append(admin_->CreateGroup("ann", "group-pid")); }).number,
            err::kDuplicateName);
  EXPECT_EQ(ErrorOf([&] { AddUser("users"); }).number, err::kDuplicateName);
  // Appending an account object a second time is refused too.
  auto bob = admin_->CreateUser("Bob", "bob-pid", "");
  admin_->Users()->Append(bob);
  EXPECT_TRUE(bob->IsAppended());
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Append(bob); }).number, err::kDuplicateName);
  EXPECT_EQ(ErrorOf([&] { bob->SetPassword("x"); }).number, err::kSetAfterAppend);
}

TEST_F(AccountsTest, BuiltInAccountsCannotBeDeleted) {
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Delete("Admin"); }).number, err::kCannotPerform);
  EXPECT_EQ(ErrorOf([&] { admin_->Groups()->Delete("admins"); }).number, err::kCannotPerform);
  EXPECT_EQ(ErrorOf([&] { admin_->Groups()->Delete("Users"); }).number, err::kCannotPerform);
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Delete("Ghost"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Item("Ghost"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Item(1); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { admin_->Groups()->Item(-1); }).number, err::kItemNotFound);
}

TEST_F(AccountsTest, AdminsKeepsAtLeastOneMember) {
  auto admins_members = admin_->Groups()->Item("Admins")->Users();
  EXPECT_EQ(ErrorOf([&] { admins_members->Delete("Admin"); }).number, err::kCannotPerform);

  AddUser("Root");
  admins_members->Append(admin_->CreateUser("Root"));  // a User made with an existing name
  admins_members->Delete("Admin");
  EXPECT_EQ(NamesOf(*admins_members), "Root");
  // Admin is no longer an administrator; Root is the last one and may neither leave nor go.
  auto root = engine_->CreateWorkspace("root", "Root", "");
  EXPECT_EQ(ErrorOf([&] { root->Groups()->Item("Admins")->Users()->Delete("Root"); }).number, err::kCannotPerform);
  EXPECT_EQ(ErrorOf([&] { root->Users()->Delete("Root"); }).number, err::kCannotPerform);
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Append(admin_->CreateUser("X", "xxxx", "")); }).number,
            err::kNoPermission);
}

TEST_F(AccountsTest, MembershipsSeenFromBothSides) {
  AddUser("Ann");
  EXPECT_EQ(NamesOf(*admin_->Users()->Item("Ann")->Groups()), "Users");  // new users join Users
  admin_->Groups()->Append(admin_->CreateGroup("Sales", "sales-pid"));

  admin_->Users()->Item("Ann")->Groups()->Append(admin_->CreateGroup("sales"));
  EXPECT_EQ(NamesOf(*admin_->Groups()->Item("Sales")->Users()), "Ann");
  EXPECT_EQ(NamesOf(*admin_->Users()->Item("Ann")->Groups()), "Sales,Users");
  EXPECT_EQ(ErrorOf([&] { admin_->Groups()->Item("Sales")->Users()->Append(admin_->CreateUser("ann")); }).number,
            err::kDuplicateName);
  EXPECT_EQ(ErrorOf([&] { admin_->Groups()->Item("Sales")->Users()->Append(admin_->CreateUser("Zed")); }).number,
            err::kItemNotFound);
  EXPECT_EQ(admin_->Groups()->Item("Sales")->Users()->Item("ANN")->Name(), "Ann");
  EXPECT_EQ(ErrorOf([&] { admin_->Groups()->Item("Admins")->Users()->Item("Ann"); }).number, err::kItemNotFound);

  admin_->Groups()->Item("Sales")->Users()->Delete("Ann");
  EXPECT_EQ(NamesOf(*admin_->Users()->Item("Ann")->Groups()), "Users");
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Item("Ann")->Groups()->Delete("Sales"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Item("Ann")->Groups()->Delete("Users"); }).number, err::kCannotPerform);

  // Deleting a group or a user takes its memberships with it.
  admin_->Users()->Item("Ann")->Groups()->Append(admin_->CreateGroup("Sales"));
  admin_->Groups()->Delete("Sales");
  EXPECT_EQ(NamesOf(*admin_->Users()->Item("Ann")->Groups()), "Users");
  admin_->Users()->Delete("ann");
  EXPECT_EQ(NamesOf(*admin_->Groups()->Item("Users")->Users()), "Admin");
}

TEST_F(AccountsTest, OnlyAdminsChangeAccountsAndMemberships) {
  AddUser("Pat", "pw");
  admin_->Groups()->Append(admin_->CreateGroup("Team", "team-pid"));
  auto pat = engine_->CreateWorkspace("pat", "Pat", "pw");

  // Reading is allowed.
  EXPECT_EQ(NamesOf(*pat->Users()), "Admin,Pat");
  EXPECT_EQ(NamesOf(*pat->Groups()->Item("Admins")->Users()), "Admin");
  // Changing is not, not even Pat's own memberships (or Pat could join Admins).
  const int denied = err::kNoPermission;
  EXPECT_EQ(ErrorOf([&] { pat->Users()->Append(pat->CreateUser("Eve", "evepid", "")); }).number, denied);
  EXPECT_EQ(ErrorOf([&] { pat->Groups()->Append(pat->CreateGroup("Club", "clubpid")); }).number, denied);
  EXPECT_EQ(ErrorOf([&] { pat->Users()->Delete("Admin"); }).number, denied);
  EXPECT_EQ(ErrorOf([&] { pat->Groups()->Delete("Team"); }).number, denied);
  EXPECT_EQ(ErrorOf([&] { pat->Groups()->Item("Admins")->Users()->Append(pat->CreateUser("Pat")); }).number, denied);
  EXPECT_EQ(ErrorOf([&] { pat->Users()->Item("Pat")->Groups()->Append(pat->CreateGroup("Team")); }).number, denied);
  EXPECT_EQ(ErrorOf([&] { pat->Groups()->Item("Admins")->Users()->Delete("Admin"); }).number, denied);
  EXPECT_EQ(NamesOf(*admin_->Users()->Item("Pat")->Groups()), "Users");
  EXPECT_EQ(NamesOf(*admin_->Groups()), "Admins,Team,Users");

  // Once in Admins, Pat may.
  admin_->Groups()->Item("Admins")->Users()->Append(admin_->CreateUser("Pat"));
  EXPECT_NO_THROW(pat->Groups()->Delete("Team"));
}

TEST_F(AccountsTest, NewPasswordNeedsTheOldOneOrAnAdminClearingIt) {
  AddUser("Kim", "old");
  auto kim = engine_->CreateWorkspace("kim", "Kim", "old");
  auto kim_self = kim->Users()->Item("Kim");

  auto wrong = ErrorOf([&] { kim_self->NewPassword("nope", "new"); });
  EXPECT_EQ(wrong.number, err::kBadPassword);
  EXPECT_EQ(wrong.message.find("nope"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { kim_self->NewPassword("old", "fifteen-chars!!"); }).number, err::kBadPassword);
  EXPECT_NO_THROW(engine_->CreateWorkspace("again", "Kim", "old"));  // still the old one

  kim_self->NewPassword("old", "new");
  EXPECT_EQ(ErrorOf([&] { engine_->CreateWorkspace("k", "Kim", "old"); }).number, err::kBadLogin);
  EXPECT_NO_THROW(engine_->CreateWorkspace("k", "Kim", "new"));

  // Kim may not touch Admin's password; an administrator may clear Kim's, not set it.
  EXPECT_EQ(ErrorOf([&] { kim->Users()->Item("Admin")->NewPassword("", "x"); }).number, err::kNoPermission);
  EXPECT_EQ(ErrorOf([&] { admin_->Users()->Item("Kim")->NewPassword("", "chosen"); }).number, err::kNoPermission);
  admin_->Users()->Item("Kim")->NewPassword("", "");
  EXPECT_NO_THROW(engine_->CreateWorkspace("k", "Kim", ""));

  // A detached user has no password to change yet.
  EXPECT_EQ(ErrorOf([&] { admin_->CreateUser("Tmp", "tmp-pid", "")->NewPassword("", ""); }).number,
            err::kInvalidOperation);
}

TEST_F(AccountsTest, ChangesAreSeenByOtherWorkspacesAtOnce) {
  auto second = engine_->CreateWorkspace("second", "Admin", "");
  auto users = second->Users();
  EXPECT_EQ(users->Count(), 1);
  AddUser("Lee");
  EXPECT_EQ(users->Count(), 2);
  EXPECT_EQ(users->Item(1)->Name(), "Lee");
}

TEST_F(AccountsTest, ClosedWorkspaceFailsAndItsObjectsToo) {
  auto users = admin_->Users();
  auto admin_user = users->Item("Admin");
  admin_->Close();
  EXPECT_FALSE(admin_->IsOpen());
  EXPECT_EQ(ErrorOf([&] { admin_->Users(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { users->Count(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { admin_user->NewPassword("", ""); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { admin_->Close(); }).number, err::kObjectClosed);
}

}  // namespace
}  // namespace qb::jet
