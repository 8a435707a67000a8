// A statement's hold on the table it writes, inside a transaction: kept until the transaction
// ends however it ends (CommitTrans, Rollback, the application's own COMMIT, closing), so that
// no other process can deny changes to a table whose changes may still be committed, while this
// Database's own deny options and design changes are met as outside a transaction. Each test
// also checks that a transaction's later statements still meet holds taken after it ended.
#include <gtest/gtest.h>

#include <functional>

#include "forked_editor.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

namespace ro = recordset_option;

constexpr const char* kInsert = "INSERT INTO People (Name, Age) VALUES ('Zed', 9)";

class StatementHoldTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Cities (Name TEXT(20))");
  }
  int Run(const std::string& sql) {
    return ErrorOf([&] { db_->Execute(sql); }).number;
  }
  // The other process's answers to a deny-write, a deny-read and a design change of People,
  // each let go at once.
  static std::string OthersRequests(ForkedEditor& other) {
    std::string answers;
    for (const char* request : {kOpenDenyWrite, kOpenDenyRead}) {
      const int code = other.Do(request);
      if (code == 0) other.Do("close");
      answers += std::to_string(code) + " ";
    }
    return answers + std::to_string(other.Do("execute CREATE INDEX ByCity ON People (City)"));
  }
};

TEST_F(StatementHoldTest, KeptUntilTheTransactionEndsHoweverItEnds) {
  const std::string refused = std::to_string(err::kTableLocked) + " " + std::to_string(err::kTableLocked) + " " +
                              std::to_string(err::kTableInUse);
  struct Case {
    const char* name;
    std::function<void(Database&)> begin, end;
  };
  const Case cases[] = {
      {"CommitTrans", [](Database& d) { d.BeginTrans(); }, [](Database& d) { d.CommitTrans(); }},
      {"Rollback", [](Database& d) { d.BeginTrans(); }, [](Database& d) { d.Rollback(); }},
      {"nested CommitTrans",
       [](Database& d) {
         d.BeginTrans();
         d.BeginTrans();
       },
       [](Database& d) {
         d.CommitTrans();
         d.CommitTrans();
       }},
      {"the application's own COMMIT", [](Database& d) { d.TEST_ExecuteSql("BEGIN"); },
       [](Database& d) { d.TEST_ExecuteSql("COMMIT"); }},
      {"the application's own ROLLBACK", [](Database& d) { d.TEST_ExecuteSql("BEGIN"); },
       [](Database& d) { d.TEST_ExecuteSql("ROLLBACK"); }},
  };
  ForkedEditor other(path_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.begin(*db_);
    ASSERT_EQ(Run(kInsert), 0);
    ASSERT_EQ(Run("UPDATE People SET Age = Age + 1 WHERE Name = 'Zed'"), 0);
    EXPECT_EQ(OthersRequests(other), refused);
    EXPECT_EQ(other.Do("open 1 1 0 Cities"), 0) << "other tables are free";
    ASSERT_EQ(other.Do("close"), 0);
    c.end(*db_);
    EXPECT_EQ(OthersRequests(other), "0 0 0");
    ASSERT_EQ(other.Do("execute DROP INDEX ByCity ON People"), 0);
    db_->Execute("DELETE FROM People WHERE Name = 'Zed'");
  }
  // Outside a transaction the hold goes with its statement, as before.
  ASSERT_EQ(Run(kInsert), 0);
  EXPECT_EQ(OthersRequests(other), "0 0 0");
}

TEST_F(StatementHoldTest, ClosingInATransactionLetsItGo) {
  ForkedEditor other(path_);
  auto database = workspace_->OpenDatabase(path_);
  database->BeginTrans();
  database->Execute(kInsert);
  EXPECT_EQ(other.Do(kOpenDenyWrite), err::kTableLocked);
  database->Close();
  EXPECT_EQ(other.Do(kOpenDenyWrite), 0);
}

// The transaction's later statements take no new hold; one taken by another process after the
// transaction ended must still keep them out, in this process and in the other.
TEST_F(StatementHoldTest, AHoldTakenAfterTheTransactionEndedKeepsLaterStatementsOut) {
  ForkedEditor other(path_);
  db_->BeginTrans();
  ASSERT_EQ(Run(kInsert), 0);
  db_->CommitTrans();
  ASSERT_EQ(other.Do(kOpenDenyWrite), 0);
  db_->BeginTrans();
  EXPECT_EQ(Run("UPDATE People SET Age = 1"), err::kTableLocked);
  db_->CommitTrans();
  ASSERT_EQ(other.Do("close"), 0);

  // The other way round: the other process's transaction keeps its hold from this one's deny
  // options until it commits, and its next transaction meets this one's deny-write.
  ASSERT_EQ(other.Do("begin"), 0);
  ASSERT_EQ(other.Do(std::string("execute ") + kInsert), 0);
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenTable, ro::kDenyWrite); }).number, err::kTableLocked);
  ASSERT_EQ(other.Do("commit"), 0);
  auto deny_write = Open("People", kOpenTable, ro::kDenyWrite);
  ASSERT_EQ(other.Do("begin"), 0);
  EXPECT_EQ(other.Do("execute UPDATE People SET Age = 2"), err::kTableLocked);
  ASSERT_EQ(other.Do("commit"), 0);
  EXPECT_EQ(Select("SELECT count(*) FROM People WHERE Age IN (1, 2)"), "0\n") << "nothing written past the holds";
}

// This Database's own deny options and design changes inside its transaction are met as if its
// statements held nothing past their end, and then keep its own statements out as always.
TEST_F(StatementHoldTest, ItsOwnDenyOptionsAndDesignChangesAreNotRefused) {
  ForkedEditor other(path_);
  db_->BeginTrans();
  ASSERT_EQ(Run(kInsert), 0);
  EXPECT_EQ(Run("CREATE INDEX ByCity ON People (City)"), 0);
  ASSERT_EQ(Run("UPDATE People SET Age = 3 WHERE Name = 'Zed'"), 0);
  {
    auto deny_write = Open("People", kOpenTable, ro::kDenyWrite);
    EXPECT_EQ(Run(kInsert), err::kTableLocked);
    EXPECT_EQ(other.Do("open 2 0 0"), err::kTableLocked);
  }
  ASSERT_EQ(Run("DELETE FROM People WHERE Name = 'Zed'"), 0);
  EXPECT_EQ(other.Do(kOpenDenyWrite), err::kTableLocked) << "held again by the transaction";
  db_->CommitTrans();
  EXPECT_EQ(other.Do(kOpenDenyWrite), 0);
}

}  // namespace
}  // namespace qb::jet::test
