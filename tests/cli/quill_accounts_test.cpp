// quill as a user runs it: help and version, usage mistakes, workgroup creation, users, groups,
// memberships, logins and password changes, each failure as one line on stderr.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillAccountsTest : public QuillTest {
 protected:
  void SetUp() override { Ok({"workgroup", "create", workgroup_}); }

  // Runs quill on the test's workgroup as USER (password from $PW when given).
  QuillRun As(const std::string& user, const std::vector<std::string>& command, Env env = {}) {
    std::vector<std::string> args = {"--workgroup", workgroup_, "--user", user};
    if (env.count("PW")) {
      args.push_back("--password-env");
      args.push_back("PW");
    }
    args.insert(args.end(), command.begin(), command.end());
    return Quill(args, std::move(env));
  }

  std::string workgroup_ = File("team.mdw");
};

TEST_F(QuillAccountsTest, HelpAndVersionAtEveryLevel) {
  for (std::vector<std::string> args : {std::vector<std::string>{"--help"}, {"user", "--help"}, {"group", "--help"},
                                        {"workgroup", "--help"}, {"user", "add", "--help"}, {"group", "members", "--help"}}) {
    EXPECT_THAT(Ok(args), HasSubstr("Usage: quill")) << args.back();
  }
  EXPECT_EQ(Ok({"--version"}).rfind("quill ", 0), 0u);
}

TEST_F(QuillAccountsTest, UsageMistakesExitWithTwo) {
  EXPECT_THAT(Fails({}, 2), HasSubstr("no command"));
  EXPECT_THAT(Fails({"--frobnicate", "user", "list"}, 2), HasSubstr("--frobnicate"));
  EXPECT_THAT(Fails({"user", "list", "extra"}, 2), HasSubstr("takes 0 arguments"));
  EXPECT_THAT(Fails({"user", "add"}, 2), HasSubstr("takes 1 argument"));
  EXPECT_THAT(Fails({"user", "add", "x", "--colour", "red"}, 2), HasSubstr("--colour"));
  EXPECT_THAT(Fails({"group", "dance"}, 2), HasSubstr("group dance"));
  EXPECT_THAT(Fails({"user", "password", "Admin"}, 2), HasSubstr("--new-env"));
  EXPECT_THAT(Failed(As("Admin", {"user", "add", "Ann", "--password-env", "UNSET_VARIABLE_X"}), 2),
              HasSubstr("UNSET_VARIABLE_X"));
}

TEST_F(QuillAccountsTest, WorkgroupCreateRefusesAnExistingFile) {
  const auto before = qb::test::ReadFileBytes(workgroup_);
  EXPECT_THAT(Fails({"workgroup", "create", workgroup_}), HasSubstr("already exists"));
  EXPECT_EQ(qb::test::ReadFileBytes(workgroup_), before);
}

TEST_F(QuillAccountsTest, UsersAndLogins) {
  EXPECT_EQ(As("Admin", {"user", "list"}).out, "Admin\n");
  ASSERT_EQ(As("Admin", {"user", "add", "zoe", "--password-env", "NEWPW"}, {{"NEWPW", "zoe-pass"}}).status, 0);
  ASSERT_EQ(As("Admin", {"user", "add", "Bob", "--pid", "bob-1234"}).status, 0);
  QuillRun list = As("zoe", {"user", "list"}, {{"PW", "zoe-pass"}});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "Admin\nBob\nzoe\n");

  QuillRun wrong = As("zoe", {"user", "list"}, {{"PW", "guess"}});
  EXPECT_THAT(Failed(wrong), HasSubstr("Not a valid account name or password"));
  EXPECT_EQ(wrong.err.find("guess"), std::string::npos);

  EXPECT_THAT(Failed(As("Admin", {"user", "add", "ZOE"})), HasSubstr("already a user"));
  EXPECT_THAT(Failed(As("Admin", {"user", "add", "Al", "--pid", "abc"})), HasSubstr("PID"));
  EXPECT_THAT(Failed(As("Admin", {"user", "delete", "Admin"})), HasSubstr("cannot be deleted"));
  EXPECT_EQ(As("Admin", {"user", "delete", "bob"}).status, 0);
  EXPECT_EQ(As("Admin", {"user", "list"}).out, "Admin\nzoe\n");
}

TEST_F(QuillAccountsTest, GroupsAndMemberships) {
  ASSERT_EQ(As("Admin", {"user", "add", "Ann"}).status, 0);
  ASSERT_EQ(As("Admin", {"group", "add", "Sales"}).status, 0);
  EXPECT_EQ(As("Admin", {"group", "list"}).out, "Admins\nSales\nUsers\n");
  ASSERT_EQ(As("Admin", {"group", "add-member", "Sales", "Ann"}).status, 0);
  EXPECT_EQ(As("Admin", {"group", "members", "Sales"}).out, "Ann\n");
  EXPECT_EQ(As("Admin", {"group", "members", "Users"}).out, "Admin\nAnn\n");
  EXPECT_THAT(Failed(As("Admin", {"group", "add-member", "Sales", "Ann"})), HasSubstr("already a member"));
  EXPECT_THAT(Failed(As("Admin", {"group", "remove-member", "Admins", "Admin"})), HasSubstr("last member of Admins"));
  EXPECT_THAT(Failed(As("Admin", {"group", "members", "Nobody"})), HasSubstr("no group 'Nobody'"));
  ASSERT_EQ(As("Admin", {"group", "remove-member", "Sales", "Ann"}).status, 0);
  EXPECT_EQ(As("Admin", {"group", "members", "Sales"}).out, "");
  EXPECT_THAT(Failed(As("Admin", {"group", "delete", "Users"})), HasSubstr("cannot be deleted"));
  ASSERT_EQ(As("Admin", {"group", "delete", "Sales"}).status, 0);
  EXPECT_EQ(As("Admin", {"group", "list"}).out, "Admins\nUsers\n");
}

TEST_F(QuillAccountsTest, NonAdminsMayReadButNotChange) {
  ASSERT_EQ(As("Admin", {"user", "add", "Pat"}).status, 0);
  EXPECT_EQ(As("Pat", {"group", "members", "Admins"}).out, "Admin\n");
  EXPECT_THAT(Failed(As("Pat", {"user", "add", "Eve"})), HasSubstr("Only members of Admins"));
  EXPECT_THAT(Failed(As("Pat", {"group", "add-member", "Admins", "Pat"})), HasSubstr("Only members of Admins"));
  EXPECT_THAT(Failed(As("Pat", {"group", "add", "Club"})), HasSubstr("Only members of Admins"));
  EXPECT_EQ(As("Admin", {"group", "members", "Admins"}).out, "Admin\n");
}

TEST_F(QuillAccountsTest, PasswordChanges) {
  ASSERT_EQ(As("Admin", {"user", "add", "Kim", "--password-env", "P"}, {{"P", "first"}}).status, 0);
  QuillRun wrong = As("Kim", {"user", "password", "Kim", "--old-env", "O", "--new-env", "N"},
                      {{"PW", "first"}, {"O", "wrong-old"}, {"N", "second"}});
  EXPECT_THAT(Failed(wrong), HasSubstr("not correct"));
  EXPECT_EQ(wrong.err.find("wrong-old"), std::string::npos);
  EXPECT_THAT(Failed(As("Kim", {"user", "password", "Kim", "--old-env", "O", "--new-env", "N"},
                        {{"PW", "first"}, {"O", "first"}, {"N", "fifteen-letters"}})),
              HasSubstr("at most 14 characters"));
  ASSERT_EQ(As("Kim", {"user", "password", "Kim", "--old-env", "O", "--new-env", "N"},
               {{"PW", "first"}, {"O", "first"}, {"N", "second"}}).status, 0);
  EXPECT_EQ(As("Kim", {"user", "list"}, {{"PW", "second"}}).status, 0);
  EXPECT_EQ(As("Kim", {"user", "list"}, {{"PW", "first"}}).status, 1);
  // An administrator clears it without knowing it.
  ASSERT_EQ(As("Admin", {"user", "password", "Kim", "--new-env", "N"}, {{"N", ""}}).status, 0);
  EXPECT_EQ(As("Kim", {"user", "list"}).status, 0);
}

TEST_F(QuillAccountsTest, AskPasswordReadsStandardInputWhenNotATerminal) {
  ASSERT_EQ(As("Admin", {"user", "add", "Lou", "--password-env", "P"}, {{"P", "piped"}}).status, 0);
  QuillRun run = Quill({"--workgroup", workgroup_, "--user", "Lou", "--ask-password", "user", "list"}, {}, "piped\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find("piped"), std::string::npos);
  EXPECT_THAT(Fails({"--workgroup", workgroup_, "--user", "Lou", "--ask-password", "user", "list"}, 1, {}, "nope\n"),
              HasSubstr("Not a valid account name or password"));
}

TEST_F(QuillAccountsTest, BadWorkgroupFilesAreNamedAndLeftAlone) {
  EXPECT_THAT(Fails({"--workgroup", dir_.File("absent.mdw"), "user", "list"}), HasSubstr("does not exist"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("absent.mdw")));
  const std::string nwind = qb::test::TestDataPath("jet/nwind.mdb");
  EXPECT_THAT(Fails({"--workgroup", nwind, "user", "list"}), HasSubstr("Jet or ACE"));
  EXPECT_THAT(Fails({"--workgroup", dir_.Path().string(), "group", "list"}), HasSubstr("is a folder"));
}

TEST_F(QuillAccountsTest, WithoutWorkgroupTheUsersOwnIsMadeAndUsed) {
  ASSERT_EQ(Quill({"user", "add", "Own"}).status, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(config_.File("quillbase/system.mdw")));
  EXPECT_EQ(Quill({"user", "list"}).out, "Admin\nOwn\n");
  EXPECT_EQ(As("Admin", {"user", "list"}).out, "Admin\n");  // the explicit workgroup is another file
}

}  // namespace
}  // namespace qb::cli::test
