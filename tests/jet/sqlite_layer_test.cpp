// The SQLite layer's promises: every failure leaves as an engine error in our words (never
// SQLite's own text), a lock held by another connection times out as a lock error, and a failed
// transaction leaves nothing behind.
#include <gtest/gtest.h>

#include <optional>

#include "engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/base/jet_types.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

using test::ErrorOf;

class SqliteLayerTest : public ::testing::Test {
 protected:
  SqliteLayerTest() { settings_.busy_timeout_ms = 20; }
  EngineSettings settings_ = EngineSettings::ForTests();
  qb::test::TempDir dir_;
  std::string path_ = dir_.File("layer.db");
};

TEST_F(SqliteLayerTest, AWriterBlockedByAnotherConnectionGetsALockError) {
  Connection first(path_, OpenMode::kCreate, CipherKey::None(), settings_);
  first.SetWalMode();
  first.Exec("CREATE TABLE t (x)");
  Connection second(path_, OpenMode::kReadWrite, CipherKey::None(), settings_);

  Transaction holding(first);
  auto caught = ErrorOf([&] { Transaction blocked(second); });
  EXPECT_EQ(caught.number, err::kLockedRetry);
  EXPECT_NE(caught.message.find(path_), std::string::npos);
  holding.Commit();
  EXPECT_NO_THROW(Transaction(second).Commit());
}

TEST_F(SqliteLayerTest, AWriteUnitTakesTheWriteLockBeforeItReads) {
  // The unit reads, then writes: it waits for the other connection's transaction before the
  // read, so the read is not stale and the write does not fail at once.
  Connection first(path_, OpenMode::kCreate, CipherKey::None(), settings_);
  first.SetWalMode();
  first.Exec("CREATE TABLE t (x); INSERT INTO t VALUES (1)");
  std::optional<Transaction> holding;
  int waits = 0;
  settings_.busy_timeout_ms = 5000;
  settings_.on_lock_wait = [&] {
    ++waits;
    holding->Commit();  // the other connection's writer ends while this one waits
  };
  Connection second(path_, OpenMode::kReadWrite, CipherKey::None(), settings_);
  const auto value = [&](Connection& connection) {
    Statement read = connection.Prepare("SELECT x FROM t");
    return read.Step() ? read.ColumnInt(0) : -1;
  };
  holding.emplace(first);
  first.Exec("UPDATE t SET x = 2");
  {
    WriteSavepoint unit(second, "unit");
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(value(second), 2);
    second.Exec("UPDATE t SET x = x * 10");
    unit.Release();
  }
  EXPECT_EQ(value(first), 20);
  // Inside a transaction a unit is a savepoint: undoing it keeps what the transaction wrote.
  {
    Transaction outer(second);
    second.Exec("UPDATE t SET x = 30");
    {
      WriteSavepoint unit(second, "unit");
      second.Exec("UPDATE t SET x = 40");
    }
    EXPECT_TRUE(second.InTransaction());
    EXPECT_EQ(value(second), 30);
    outer.Commit();
  }
  EXPECT_EQ(value(first), 30);
  EXPECT_EQ(waits, 1);
}

TEST_F(SqliteLayerTest, FaultsCarryOurWordsNotSqlites) {
  Connection connection(path_, OpenMode::kCreate, CipherKey::None(), settings_);
  auto caught = ErrorOf([&] { connection.Exec("SELEC nonsense"); });
  EXPECT_EQ(caught.number, err::kInternal);
  EXPECT_EQ(caught.message.find("syntax"), std::string::npos) << caught.message;

  connection.Exec("CREATE TABLE u (k TEXT UNIQUE)");
  connection.Exec("INSERT INTO u VALUES ('a')");
  EXPECT_EQ(ErrorOf([&] { connection.Exec("INSERT INTO u VALUES ('a')"); }).number, 3022);  // duplicate values

  EXPECT_EQ(ErrorOf([&] { Connection(dir_.File("absent.db"), OpenMode::kReadWrite, CipherKey::None(), settings_); }).number,
            err::kCannotOpenFile);
}

// A statement left by the scope that used it holds no read (a writer of another connection is not
// held up) and keeps none of the values bound for that use.
TEST_F(SqliteLayerTest, ResetOnExitEndsTheReadAndDropsTheValues) {
  Connection reader(path_, OpenMode::kCreate, CipherKey::None(), settings_);
  reader.Exec("CREATE TABLE t (x); INSERT INTO t VALUES (1), (2)");
  Connection writer(path_, OpenMode::kReadWrite, CipherKey::None(), settings_);
  Statement read = reader.Prepare("SELECT x FROM t WHERE x >= ?1 ORDER BY x");
  {
    ResetOnExit reset(read);
    read.Bind(1, std::int64_t{1});
    ASSERT_TRUE(read.Step());  // a row pending: the read is open
    EXPECT_EQ(read.ColumnValue(0, sql::dao_type::kLong), Variant(1));
    EXPECT_EQ(ErrorOf([&] { writer.Exec("INSERT INTO t VALUES (3)"); }).number, err::kLockedRetry);
  }
  EXPECT_NO_THROW(writer.Exec("INSERT INTO t VALUES (3)"));
  EXPECT_FALSE(read.Step());  // ?1 is Null again: no row compares
}

TEST_F(SqliteLayerTest, TransactionNotCommittedIsRolledBack) {
  Connection connection(path_, OpenMode::kCreate, CipherKey::None(), settings_);
  connection.Exec("CREATE TABLE t (x)");
  {
    Transaction transaction(connection);
    connection.Exec("INSERT INTO t VALUES (1)");
  }
  Statement count = connection.Prepare("SELECT count(*) FROM t");
  ASSERT_TRUE(count.Step());
  EXPECT_EQ(count.ColumnInt(0), 0);
}

TEST_F(SqliteLayerTest, AWrongKeyShowsAsUnreadableNotAsACrash) {
  {
    Connection keyed(path_, OpenMode::kCreate, CipherKey::Password("right"), settings_);
    keyed.Exec("CREATE TABLE t (x)");
  }
  Connection wrong(path_, OpenMode::kReadWrite, CipherKey::Password("wrong"), settings_);
  EXPECT_FALSE(wrong.IsReadable());
  EXPECT_EQ(ErrorOf([&] { wrong.Exec("SELECT * FROM t"); }).number, err::kUnrecognisedFile);
  Connection right(path_, OpenMode::kReadWrite, CipherKey::Password("right"), settings_);
  EXPECT_TRUE(right.IsReadable());
  EXPECT_TRUE(right.HasTable("t"));
}

}  // namespace
}  // namespace qb::jet
