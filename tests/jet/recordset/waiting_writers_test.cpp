// Writers of one file, one at a time: while another user's transaction holds the file's write
// lock, every write of this process (a recordset's save, a statement, BeginTrans) waits for it
// and then succeeds; only when the busy timeout runs out does it fail, with a lock error. Record
// locks are looked at once the write lock is held, and a record another user's transaction
// keeps locked stops a statement with dbFailOnError at once. The other user is a child process
// that commits when this process reports that it has started to wait, so no test waits on time.
#include <gtest/gtest.h>

#include <functional>

#include "forked_editor.h"
#include "jet/maintenance/database_open.h"
#include "jet/dao/database_files.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

constexpr int kFailOnError = recordset_option::kFailOnError;
constexpr const char* kOpenPessimistic = "open 2 0 2";
constexpr const char* kDoraMovesToLund = "execute UPDATE People SET City = 'Lund' WHERE Name = 'Dora'";

class WaitingWritersTest : public RecordsetTest {
 protected:
  // A Database of this process (its own connection and lock-file open) whose waits for the
  // file are counted, each calling on_wait_ first.
  std::shared_ptr<Database> Waiting(int busy_timeout_ms = 5000) {
    EngineSettings settings = EngineSettings::ForTests();
    settings.busy_timeout_ms = busy_timeout_ms;
    settings.on_lock_wait = [this] {
      ++waits_;
      if (on_wait_) on_wait_();
    };
    return OpenDatabaseAt(path_, ShareMode::kShared, false, "", settings);
  }
  // From now on the first wait of this process lets OTHER commit its transaction.
  void CommitWhenWaited(ForkedEditor& other) {
    waits_ = 0;
    posted_ = false;
    on_wait_ = [this, &other] {
      if (!posted_) other.Post("commit");
      posted_ = true;
    };
  }
  // OTHER's answer to the commit sent while this process waited. When it never waited, the
  // commit goes now (answering -1), so that a failing test goes on instead of hanging.
  int CommittedWhileWaiting(ForkedEditor& other) {
    if (posted_) return other.Answer();
    other.Do("commit");
    return -1;
  }
  std::string Ages() { return Select("SELECT Name, Age, City FROM People ORDER BY Id"); }

  int waits_ = 0;
  bool posted_ = false;
  std::function<void()> on_wait_;
};

TEST_F(WaitingWritersTest, RecordsetSavesWaitForAnotherUsersTransaction) {
  struct Case {
    const char* what;
    int lock;
    std::function<void(Recordset&)> save;
    const char* after;
  };
  const auto find = [](Recordset& rs, const char* name) { rs.FindFirst(std::string("Name = '") + name + "'"); };
  const Case cases[] = {
      {"Update after a pessimistic Edit", kPessimistic,
       [&](Recordset& rs) {
         find(rs, "alice");
         rs.Edit();
         Set(rs, "Age", Variant(31));
         rs.Update();
       },
       "Dora|40|Lund\nalice|31|Oslo\nCarl|30|Bergen\nBob|25|<null>\n"},
      {"Update after an optimistic Edit", kOptimistic,
       [&](Recordset& rs) {
         find(rs, "Carl");
         rs.Edit();
         Set(rs, "Age", Variant(33));
         rs.Update();
       },
       "Dora|40|Lund\nalice|31|Oslo\nCarl|33|Bergen\nBob|25|<null>\n"},
      {"AddNew", kPessimistic,
       [&](Recordset& rs) {
         rs.AddNew();
         Set(rs, "Name", Variant("Eve"));
         Set(rs, "Age", Variant(20));
         rs.Update();
       },
       "Dora|40|Lund\nalice|31|Oslo\nCarl|33|Bergen\nBob|25|<null>\nEve|20|Oslo\n"},
      {"Delete", kPessimistic,
       [&](Recordset& rs) {
         find(rs, "Bob");
         rs.Delete();
       },
       "Dora|40|Lund\nalice|31|Oslo\nCarl|33|Bergen\nEve|20|Oslo\n"},
  };
  ForkedEditor other(path_);
  auto mine = Waiting();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(other.Do("begin"), 0);
    ASSERT_EQ(other.Do(kDoraMovesToLund), 0);  // the other user's transaction writes
    auto rs = mine->OpenRecordset("People", kOpenDynaset, 0, c.lock);
    CommitWhenWaited(other);
    EXPECT_EQ(ErrorOf([&] { c.save(*rs); }).number, 0);
    EXPECT_EQ(waits_, 1) << "the save waited for the other user's commit";
    EXPECT_EQ(CommittedWhileWaiting(other), 0) << "the commit sent while waiting";
    EXPECT_EQ(Ages(), c.after);
    ASSERT_EQ(other.Do("execute UPDATE People SET City = 'Rome' WHERE Name = 'Dora'"), 0);
  }
}

TEST_F(WaitingWritersTest, ATransactionWaitsAtBeginTransAndThenWrites) {
  // As a script runs: BeginTrans, then statements, each of which reads the catalog before it
  // writes.
  ForkedEditor other(path_);
  auto mine = Waiting();
  ASSERT_EQ(other.Do("begin"), 0);
  ASSERT_EQ(other.Do(kDoraMovesToLund), 0);
  CommitWhenWaited(other);
  mine->BeginTrans();
  EXPECT_EQ(waits_, 1);
  EXPECT_EQ(CommittedWhileWaiting(other), 0);
  mine->Execute("UPDATE People SET Age = Age + 1 WHERE City = 'Lund'", kFailOnError);
  EXPECT_EQ(mine->RecordsAffected(), 1) << "the other user's committed change is seen";
  mine->Execute("DELETE FROM People WHERE Name = 'Bob'", kFailOnError);
  mine->CommitTrans();
  EXPECT_EQ(Ages(), "Dora|41|Lund\nalice|30|Oslo\nCarl|30|Bergen\n");
}

TEST_F(WaitingWritersTest, AWriteStillLockedAtTheBusyTimeoutFailsWithALockError) {
  ForkedEditor other(path_);
  auto impatient = Waiting(20);
  ASSERT_EQ(other.Do("begin"), 0);
  ASSERT_EQ(other.Do(kDoraMovesToLund), 0);  // and never commits while this process tries
  auto rs = impatient->OpenRecordset("People", kOpenDynaset);
  rs->FindFirst("Name = 'alice'");
  rs->Edit();
  Set(*rs, "Age", Variant(31));
  const std::pair<const char*, std::function<void()>> writes[] = {
      {"Update", [&] { rs->Update(); }},
      {"Execute", [&] { impatient->Execute("UPDATE People SET Age = 1", kFailOnError); }},
      {"Execute without dbFailOnError", [&] { impatient->Execute("UPDATE People SET Age = 1"); }},
      {"BeginTrans", [&] { impatient->BeginTrans(); }},
  };
  for (const auto& [what, write] : writes) {
    EXPECT_EQ(ErrorOf(write).number, err::kLockedRetry) << what;
  }
  EXPECT_EQ(impatient->TransactionDepth(), 0);
  ASSERT_EQ(other.Do("commit"), 0);
  rs->Update();  // the pending edit survived the refusal
  EXPECT_EQ(Ages(), "Dora|40|Lund\nalice|31|Oslo\nCarl|30|Bergen\nBob|25|<null>\n");
}

TEST_F(WaitingWritersTest, AStatementThatWaitedHonoursARecordLockTakenMeanwhile) {
  ForkedEditor holder(path_);  // holds the file's write lock
  ForkedEditor editor(path_);  // locks alice while this process waits
  auto mine = Waiting();
  for (const bool fail_on_error : {true, false}) {
    SCOPED_TRACE(fail_on_error ? "dbFailOnError" : "without dbFailOnError");
    ASSERT_EQ(holder.Do("begin"), 0);
    ASSERT_EQ(holder.Do(kDoraMovesToLund), 0);
    waits_ = 0;
    posted_ = false;
    on_wait_ = [&] {
      if (posted_) return;
      posted_ = true;
      EXPECT_EQ(editor.Do(kOpenPessimistic), 0);
      EXPECT_EQ(editor.Do("find alice"), 0);
      EXPECT_EQ(editor.Do("edit"), 0);
      holder.Post("commit");
    };
    const int options = fail_on_error ? kFailOnError : 0;
    const int failure = ErrorOf([&] { mine->Execute("UPDATE People SET Age = 99", options); }).number;
    EXPECT_EQ(waits_, 1);
    EXPECT_EQ(CommittedWhileWaiting(holder), 0);
    if (fail_on_error) {
      EXPECT_EQ(failure, err::kLockedRetry);
      EXPECT_EQ(Ages(), "Dora|40|Lund\nalice|30|Oslo\nCarl|30|Bergen\nBob|25|<null>\n") << "nothing written";
    } else {
      EXPECT_EQ(failure, 0);
      EXPECT_EQ(mine->RecordsAffected(), 3);
      EXPECT_EQ(Ages(), "Dora|99|Lund\nalice|30|Oslo\nCarl|99|Bergen\nBob|99|<null>\n") << "alice left alone";
    }
    // The pessimistic lock keeps its promise: the save goes through.
    ASSERT_EQ(editor.Do("set Age 31"), 0);
    EXPECT_EQ(editor.Do("update"), 0);
    EXPECT_EQ(Select("SELECT Age FROM People WHERE Name = 'alice'"), "31\n");
    Exec("UPDATE People SET Age = 30 WHERE Name = 'alice'");
    Exec("UPDATE People SET Age = 40 WHERE Name = 'Dora'");
  }
}

TEST_F(WaitingWritersTest, ARecordAnotherUsersTransactionKeepsStopsAStatementAtOnce) {
  ForkedEditor other(path_);
  auto mine = Waiting();
  ASSERT_EQ(other.Do(kOpenPessimistic), 0);
  ASSERT_EQ(other.Do("begin"), 0);
  ASSERT_EQ(other.Do("find alice"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set Age 31"), 0);
  ASSERT_EQ(other.Do("update"), 0);  // alice stays locked until the other user's commit
  waits_ = 0;
  const std::string reaching_alice[] = {
      "UPDATE People SET Age = 0 WHERE Name = 'alice'",
      "UPDATE People SET City = 'Pisa'",
      "DELETE FROM People WHERE Age < 35",
  };
  for (const std::string& sql : reaching_alice) {
    EXPECT_EQ(ErrorOf([&] { mine->Execute(sql, kFailOnError); }).number, err::kLockedRetry) << sql;
  }
  EXPECT_EQ(waits_, 0) << "refused without waiting for the other user's transaction";
  // A statement that does not reach alice, and any statement without dbFailOnError, waits for
  // the transaction to end; alice is free by then.
  CommitWhenWaited(other);
  mine->Execute("UPDATE People SET Age = Age + 1 WHERE Name <> 'alice'", kFailOnError);
  EXPECT_EQ(waits_, 1);
  EXPECT_EQ(CommittedWhileWaiting(other), 0);
  EXPECT_EQ(mine->RecordsAffected(), 3);
  ASSERT_EQ(other.Do("begin"), 0);
  ASSERT_EQ(other.Do("edit"), 0);
  ASSERT_EQ(other.Do("set Age 32"), 0);
  ASSERT_EQ(other.Do("update"), 0);
  CommitWhenWaited(other);
  mine->Execute("UPDATE People SET Age = Age + 1");
  EXPECT_EQ(waits_, 1);
  EXPECT_EQ(CommittedWhileWaiting(other), 0);
  EXPECT_EQ(mine->RecordsAffected(), 4);
  EXPECT_EQ(Ages(), "Dora|42|Rome\nalice|33|Oslo\nCarl|32|Bergen\nBob|27|<null>\n");
}

}  // namespace
}  // namespace qb::jet::test
