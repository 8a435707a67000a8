// quill as a user runs it: help and version, usage mistakes, workgroup creation, users, groups,
// memberships, logins and password changes, each failure as one line on stderr.
#include <gtest/gtest.h>

#include <filesystem>

#include "run_quill.h"
#include "support/test_support.h"

namespace qb::cli::test {
namespace {

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// A failure: the given status and exactly one line on stderr that says SAYS.
::testing::AssertionResult FailsWith(const QuillRun& run, int status, const std::string& says) {
  if (run.status != status) return ::testing::AssertionFailure() << "status " << run.status << ", stderr: " << run.err;
  if (LineCount(run.err) != 1 || run.err.rfind("quill: ", 0) != 0) {
    return ::testing::AssertionFailure() << "stderr is not one 'quill:' line: " << run.err;
  }
  if (run.err.find(says) == std::string::npos) return ::testing::AssertionFailure() << "stderr: " << run.err;
  return ::testing::AssertionSuccess();
}

class QuillAccountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Quill({"workgroup", "create", workgroup_}).status, 0);
  }

  // Runs quill on the test's workgroup as USER (password from $PW when given).
  QuillRun As(const std::string& user, const std::vector<std::string>& command,
              std::map<std::string, std::string> env = {}) {
    std::vector<std::string> args = {"--workgroup", workgroup_, "--user", user};
    if (env.count("PW")) {
      args.push_back("--password-env");
      args.push_back("PW");
    }
    args.insert(args.end(), command.begin(), command.end());
    return Quill(args, std::move(env));
  }

  QuillRun Quill(const std::vector<std::string>& args, std::map<std::string, std::string> env = {},
                 const std::string& input = {}) {
    env.emplace("QUILL_TEST_FAST_HASH", "1");
    env.emplace("XDG_CONFIG_HOME", config_.Path().string());
    return RunQuill(args, env, input);
  }

  qb::test::TempDir dir_;
  qb::test::TempDir config_;
  std::string workgroup_ = dir_.File("team.mdw");
};

TEST_F(QuillAccountsTest, HelpAndVersionAtEveryLevel) {
  for (std::vector<std::string> args : {std::vector<std::string>{"--help"}, {"user", "--help"}, {"group", "--help"},
                                        {"workgroup", "--help"}, {"user", "add", "--help"}, {"group", "members", "--help"}}) {
    QuillRun run = Quill(args);
    EXPECT_EQ(run.status, 0) << args.back();
    EXPECT_NE(run.out.find("Usage: quill"), std::string::npos) << args.back();
    EXPECT_EQ(run.err, "");
  }
  QuillRun version = Quill({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quill ", 0), 0u);
}

TEST_F(QuillAccountsTest, UsageMistakesExitWithTwo) {
  EXPECT_TRUE(FailsWith(Quill({}), 2, "no command"));
  EXPECT_TRUE(FailsWith(Quill({"--frobnicate", "user", "list"}), 2, "--frobnicate"));
  EXPECT_TRUE(FailsWith(Quill({"user", "list", "extra"}), 2, "takes 0 arguments"));
  EXPECT_TRUE(FailsWith(Quill({"user", "add"}), 2, "takes 1 argument"));
  EXPECT_TRUE(FailsWith(Quill({"user", "add", "x", "--colour", "red"}), 2, "--colour"));
  EXPECT_TRUE(FailsWith(Quill({"group", "dance"}), 2, "group dance"));
  EXPECT_TRUE(FailsWith(Quill({"user", "password", "Admin"}), 2, "--new-env"));
  EXPECT_TRUE(FailsWith(As("Admin", {"user", "add", "Ann", "--password-env", "UNSET_VARIABLE_X"}), 2,
                        "UNSET_VARIABLE_X"));
}

TEST_F(QuillAccountsTest, WorkgroupCreateRefusesAnExistingFile) {
  const auto before = qb::test::ReadFileBytes(workgroup_);
  EXPECT_TRUE(FailsWith(Quill({"workgroup", "create", workgroup_}), 1, "already exists"));
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
  EXPECT_TRUE(FailsWith(wrong, 1, "Not a valid account name or password"));
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.err.find("guess"), std::string::npos);

  EXPECT_TRUE(FailsWith(As("Admin", {"user", "add", "ZOE"}), 1, "already a user"));
  EXPECT_TRUE(FailsWith(As("Admin", {"user", "add", "Al", "--pid", "abc"}), 1, "PID"));
  EXPECT_TRUE(FailsWith(As("Admin", {"user", "delete", "Admin"}), 1, "cannot be deleted"));
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
  EXPECT_TRUE(FailsWith(As("Admin", {"group", "add-member", "Sales", "Ann"}), 1, "already a member"));
  EXPECT_TRUE(FailsWith(As("Admin", {"group", "remove-member", "Admins", "Admin"}), 1, "last member of Admins"));
  EXPECT_TRUE(FailsWith(As("Admin", {"group", "members", "Nobody"}), 1, "no group 'Nobody'"));
  ASSERT_EQ(As("Admin", {"group", "remove-member", "Sales", "Ann"}).status, 0);
  EXPECT_EQ(As("Admin", {"group", "members", "Sales"}).out, "");
  EXPECT_TRUE(FailsWith(As("Admin", {"group", "delete", "Users"}), 1, "cannot be deleted"));
  ASSERT_EQ(As("Admin", {"group", "delete", "Sales"}).status, 0);
  EXPECT_EQ(As("Admin", {"group", "list"}).out, "Admins\nUsers\n");
}

TEST_F(QuillAccountsTest, NonAdminsMayReadButNotChange) {
  ASSERT_EQ(As("Admin", {"user", "add", "Pat"}).status, 0);
  EXPECT_EQ(As("Pat", {"group", "members", "Admins"}).out, "Admin\n");
  EXPECT_TRUE(FailsWith(As("Pat", {"user", "add", "Eve"}), 1, "Only members of Admins"));
  EXPECT_TRUE(FailsWith(As("Pat", {"group", "add-member", "Admins", "Pat"}), 1, "Only members of Admins"));
  EXPECT_TRUE(FailsWith(As("Pat", {"group", "add", "Club"}), 1, "Only members of Admins"));
  EXPECT_EQ(As("Admin", {"group", "members", "Admins"}).out, "Admin\n");
}

TEST_F(QuillAccountsTest, PasswordChanges) {
  ASSERT_EQ(As("Admin", {"user", "add", "Kim", "--password-env", "P"}, {{"P", "first"}}).status, 0);
  QuillRun wrong = As("Kim", {"user", "password", "Kim", "--old-env", "O", "--new-env", "N"},
                      {{"PW", "first"}, {"O", "wrong-old"}, {"N", "second"}});
  EXPECT_TRUE(FailsWith(wrong, 1, "not correct"));
  EXPECT_EQ(wrong.err.find("wrong-old"), std::string::npos);
  EXPECT_TRUE(FailsWith(As("Kim", {"user", "password", "Kim", "--old-env", "O", "--new-env", "N"},
                           {{"PW", "first"}, {"O", "first"}, {"N", "fifteen-letters"}}),
                        1, "at most 14 characters"));
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
  EXPECT_TRUE(FailsWith(Quill({"--workgroup", workgroup_, "--user", "Lou", "--ask-password", "user", "list"}, {}, "nope\n"),
                        1, "Not a valid account name or password"));
}

TEST_F(QuillAccountsTest, BadWorkgroupFilesAreNamedAndLeftAlone) {
  EXPECT_TRUE(FailsWith(Quill({"--workgroup", dir_.File("absent.mdw"), "user", "list"}), 1, "does not exist"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("absent.mdw")));
  const std::string nwind = qb::test::TestDataPath("jet/nwind.mdb");
  EXPECT_TRUE(FailsWith(Quill({"--workgroup", nwind, "user", "list"}), 1, "Jet or ACE"));
  EXPECT_TRUE(FailsWith(Quill({"--workgroup", dir_.Path().string(), "group", "list"}), 1, "is a folder"));
}

TEST_F(QuillAccountsTest, WithoutWorkgroupTheUsersOwnIsMadeAndUsed) {
  ASSERT_EQ(Quill({"user", "add", "Own"}).status, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(config_.File("quillbase/system.mdw")));
  EXPECT_EQ(Quill({"user", "list"}).out, "Admin\nOwn\n");
  EXPECT_EQ(As("Admin", {"user", "list"}).out, "Admin\n");  // the explicit workgroup is another file
}

}  // namespace
}  // namespace qb::cli::test
