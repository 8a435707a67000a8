// Writes through dynasets on ODBC data sources beyond single edits: keys the server numbers read
// back at Update, optimistic batches (cached writes sent by UpdateBatch, conflicts named by
// bookmark, the update criteria), and the copies of open recordsets after a Rollback. Conflicts
// are made by a second real connection.
#include <gtest/gtest.h>

#include <functional>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/recordset/recordset.h"
#include "postgres_fixture.h"

namespace qb::jet::test {
namespace {

// The rows of SQL on DATABASE as "id:name" texts, in the statement's order.
std::vector<std::string> Rows(Database& database, const std::string& sql) {
  auto rows = database.OpenRecordset(sql, kOpenSnapshot);
  std::vector<std::string> seen;
  for (; !rows->Eof(); rows->MoveNext()) {
    const Variant name = rows->Fields()->Item(1)->Value();
    seen.push_back(rows->Fields()->Item(0)->Value().ToString() + ":" + (name.IsNull() ? "null" : name.ToString()));
  }
  return seen;
}

class SourceWriteTest : public PostgresTableTest {
 protected:
  SourceWriteTest() : PostgresTableTest("wr_") {}
  // id 1 .. 4 named a .. d.
  void MakeRows() {
    database_->Execute("CREATE TABLE " + table_ + " (id integer PRIMARY KEY, name varchar(20), n integer)");
    database_->Execute("INSERT INTO " + table_ + " VALUES (1, 'a', 1), (2, 'b', 2), (3, 'c', 3), (4, 'd', 4)");
  }
  std::vector<std::string> ServerRows() { return Rows(*Open(), "SELECT id, name FROM " + table_ + " ORDER BY id"); }
};

TEST_F(SourceWriteTest, KeysTheServerNumbersAreReadBackAtUpdate) {
  struct Case {
    const char* what;
    const char* key;
  };
  const Case cases[] = {
      {"serial", "id serial PRIMARY KEY"},
      {"identity", "id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY"},
  };
  for (const Case& c : cases) {
    database_->Execute("DROP TABLE IF EXISTS " + table_);
    database_->Execute("CREATE TABLE " + table_ + " (" + c.key + ", name varchar(20), made integer DEFAULT 7)");
    database_->Execute("INSERT INTO " + table_ + " (name) VALUES ('first')");
    auto rows = database_->OpenRecordset(table_, kOpenDynaset, 0, kOptimistic);
    ASSERT_TRUE(rows->Updatable()) << c.what;
    for (const char* name : {"second", "third"}) {
      rows->AddNew();
      Set(*rows, "name", Variant(name));
      rows->Update();
      rows->SetBookmark(rows->LastModified());
      EXPECT_EQ(ValueOf(*rows, "name"), Variant(name)) << c.what;
      EXPECT_EQ(ValueOf(*rows, "made"), Variant(7)) << c.what << ": the server's default";
      const Variant id = ValueOf(*rows, "id");
      ASSERT_FALSE(id.IsNull()) << c.what << " " << name;
      EXPECT_EQ(Rows(*database_, "SELECT id, name FROM " + table_ + " WHERE id = " + id.ToString()),
                std::vector<std::string>{id.ToString() + ":" + name})
          << c.what;
      // The row read back can be changed at once: the copy's key is the server's.
      rows->Edit();
      Set(*rows, "made", Variant(8));
      rows->Update();
    }
    EXPECT_EQ(Rows(*database_, "SELECT made, name FROM " + table_ + " ORDER BY id"),
              (std::vector<std::string>{"7:first", "8:second", "8:third"}))
        << c.what;
  }
}

// The copy's rows as "id:name" texts in the recordset's order, "#" for a row gone on the server.
std::vector<std::string> CopyRows(Recordset& rows) {
  std::vector<std::string> seen;
  if (rows.Bof() && rows.Eof()) return seen;
  for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
    if (ErrorOf([&] { ValueOf(rows, "id"); }).number == err::kRecordDeleted) {
      seen.push_back("#");
      continue;
    }
    const Variant name = ValueOf(rows, "name");
    seen.push_back(ValueOf(rows, "id").ToString() + ":" + (name.IsNull() ? "null" : name.ToString()));
  }
  return seen;
}

TEST_F(SourceWriteTest, ABatchKeepsItsWritesUntilSentAndSendsThemInOrder) {
  MakeRows();
  auto rows = database_->OpenRecordset("SELECT * FROM " + table_ + " ORDER BY id", kOpenDynaset, 0, kOptimisticBatch);
  ASSERT_TRUE(rows->Updatable());
  rows->FindFirst("id = 1");
  rows->Edit();
  Set(*rows, "name", Variant("A"));
  rows->Update();
  rows->FindFirst("id = 3");
  rows->Edit();
  Set(*rows, "n", Variant(30));
  rows->Update();
  rows->Edit();  // a second edit of the row: one write with both changes
  Set(*rows, "name", Variant("C"));
  rows->Update();
  rows->FindFirst("id = 4");
  rows->Delete();
  rows->AddNew();  // the deleted row's key again: sent after the delete, it fits
  Set(*rows, "id", Variant(4));
  Set(*rows, "name", Variant("D"));
  rows->Update();
  rows->AddNew();  // added and deleted before the send: never reaches the server
  Set(*rows, "id", Variant(9));
  rows->Update();
  rows->SetBookmark(rows->LastModified());
  rows->Delete();

  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:a", "2:b", "3:c", "4:d"})) << "nothing sent before UpdateBatch";
  EXPECT_EQ(CopyRows(*rows), (std::vector<std::string>{"1:A", "2:b", "3:C", "4:D"}));
  rows->UpdateBatch();
  EXPECT_EQ(rows->BatchCollisionCount(), 0);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:A", "2:b", "3:C", "4:D"}));
  EXPECT_EQ(Rows(*database_, "SELECT id, n FROM " + table_ + " WHERE id = 3"), std::vector<std::string>{"3:30"});
  rows->UpdateBatch();  // nothing kept: nothing sent twice
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:A", "2:b", "3:C", "4:D"}));

  // The current row's writes alone, then through Update's batch argument with an edit pending.
  rows->FindFirst("id = 1");
  rows->Edit();
  Set(*rows, "name", Variant("one"));
  rows->Update();
  rows->FindFirst("id = 2");
  rows->Edit();
  Set(*rows, "name", Variant("two"));
  rows->Update();
  rows->UpdateBatch(kUpdateCurrentRecord);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:A", "2:two", "3:C", "4:D"}));
  rows->Edit();
  Set(*rows, "name", Variant("TWO"));
  rows->Update(kUpdateBatch);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:one", "2:TWO", "3:C", "4:D"}));

  // CancelBatch drops the kept writes and shows the server's rows.
  rows->FindFirst("id = 3");
  rows->Delete();
  rows->CancelBatch();
  EXPECT_EQ(CopyRows(*rows), (std::vector<std::string>{"1:one", "2:TWO", "3:C", "4:D"}));
  rows->UpdateBatch();
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:one", "2:TWO", "3:C", "4:D"}));

  // Batches are for recordsets opened with that lock type.
  auto plain = database_->OpenRecordset(table_, kOpenDynaset, 0, kOptimistic);
  for (auto action : std::vector<std::function<void()>>{[&] { plain->UpdateBatch(); }, [&] { plain->CancelBatch(); },
                                                        [&] { plain->BatchCollisionCount(); },
                                                        [&] { plain->Update(kUpdateBatch); }}) {
    EXPECT_EQ(ErrorOf(action).number, err::kNotForThisObject);
  }
}

TEST_F(SourceWriteTest, ABatchWithConflictingRowsWritesTheOthersAndNamesThem) {
  MakeRows();
  auto other = Open();
  auto rows = database_->OpenRecordset(table_, kOpenDynaset, 0, kOptimisticBatch);
  rows->SetBatchSize(2);
  Variant changed_mark, deleted_mark;
  for (int id = 1; id <= 4; ++id) {
    rows->FindFirst("id = " + std::to_string(id));
    if (id == 2) changed_mark = rows->Bookmark();
    if (id == 3) deleted_mark = rows->Bookmark();
    rows->Edit();
    Set(*rows, "name", Variant("mine" + std::to_string(id)));
    rows->Update();
  }
  other->Execute("UPDATE " + table_ + " SET name = 'theirs' WHERE id = 2");
  other->Execute("DELETE FROM " + table_ + " WHERE id = 3");

  EXPECT_EQ(ErrorOf([&] { rows->UpdateBatch(); }).number, err::kDataChanged);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:mine1", "2:theirs", "4:mine4"}));
  ASSERT_EQ(rows->BatchCollisionCount(), 2);
  const Variant collisions = rows->BatchCollisions();
  EXPECT_EQ(collisions.ItemAt(0), changed_mark);
  EXPECT_EQ(collisions.ItemAt(1), deleted_mark);
  rows->SetBookmark(collisions.ItemAt(0));
  EXPECT_EQ(ValueOf(*rows, "name"), Variant("mine2")) << "the refused write is kept, not lost";

  // Sent again: only the refused rows are tried; what was written is not written twice.
  other->Execute("UPDATE " + table_ + " SET name = 'later' WHERE id = 1");
  EXPECT_EQ(ErrorOf([&] { rows->UpdateBatch(); }).number, err::kDataChanged);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:later", "2:theirs", "4:mine4"}));
  // Forced, the changed row is written by key; the deleted one has nothing to write to.
  EXPECT_EQ(ErrorOf([&] { rows->UpdateBatch(kUpdateBatch, true); }).number, err::kDataChanged);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:later", "2:mine2", "4:mine4"}));
  EXPECT_EQ(rows->BatchCollisionCount(), 1);
  rows->CancelBatch();
  EXPECT_EQ(rows->BatchCollisionCount(), 0);
  EXPECT_TRUE(rows->BatchCollisions().IsEmpty());

  // A write the server refuses outright (a key taken) among others sent together: the others
  // are written, the refused one is kept and named, and can be mended and sent.
  rows->AddNew();
  Set(*rows, "id", Variant(2));
  Set(*rows, "name", Variant("dup"));
  rows->Update();
  const Variant refused_mark = rows->LastModified();
  rows->FindFirst("id = 4");
  rows->Edit();
  Set(*rows, "name", Variant("four"));
  rows->Update();
  rows->AddNew();
  Set(*rows, "id", Variant(8));
  Set(*rows, "name", Variant("eight"));
  rows->Update();
  EXPECT_EQ(ErrorOf([&] { rows->UpdateBatch(); }).number, odbc::err::kCallFailed);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:later", "2:mine2", "4:four", "8:eight"}));
  ASSERT_EQ(rows->BatchCollisionCount(), 1);
  EXPECT_EQ(rows->BatchCollisions().ItemAt(0), refused_mark);
  rows->SetBookmark(refused_mark);
  rows->Edit();
  Set(*rows, "id", Variant(9));
  rows->Update();
  rows->UpdateBatch();
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:later", "2:mine2", "4:four", "8:eight", "9:dup"}));
}

TEST_F(SourceWriteTest, UpdateCriteriaChooseWhatCountsAsAnotherUsersChange) {
  constexpr int kKey = 1, kModValues = 2, kAllCols = 4, kTimestamp = 8, kDeleteInsert = 16, kUpdate = 32;
  struct Case {
    const char* what;
    int options;
    const char* theirs;  // the other connection's change of row 1
    bool conflict;
    const char* row;     // the server's row 1 after the send: name, n
  };
  const Case cases[] = {
      {"default: the changed fields", 0, "n = 5", false, "mine:5"},
      {"changed fields, other field changed", kModValues | kUpdate, "n = 5", false, "mine:5"},
      {"changed fields, same field changed", kModValues | kUpdate, "name = 'x'", true, "x:1"},
      {"all fields", kAllCols | kUpdate, "n = 5", true, "a:5"},
      {"key only overwrites", kKey | kUpdate, "name = 'x'", false, "mine:1"},
      {"timestamp, the table has none: all fields", kTimestamp | kUpdate, "n = 5", true, "a:5"},
      {"delete and insert keeps the other field", kModValues | kDeleteInsert, "n = 5", false, "mine:5"},
      {"delete and insert refused leaves the row", kModValues | kDeleteInsert, "name = 'x'", true, "x:1"},
  };
  auto other = Open();
  for (const Case& c : cases) {
    database_->Execute("DROP TABLE IF EXISTS " + table_);
    MakeRows();
    for (bool batched : {true, false}) {
      if (!batched) database_->Execute("UPDATE " + table_ + " SET name = 'a', n = 1 WHERE id = 1");
      auto rows = database_->OpenRecordset(table_, kOpenDynaset, 0, batched ? kOptimisticBatch : kOptimistic);
      rows->SetUpdateOptions(c.options);
      rows->FindFirst("id = 1");
      rows->Edit();
      Set(*rows, "name", Variant("mine"));
      if (batched) rows->Update();
      other->Execute("UPDATE " + table_ + " SET " + c.theirs + " WHERE id = 1");
      const int number = ErrorOf([&] { batched ? rows->UpdateBatch() : rows->Update(); }).number;
      EXPECT_EQ(number, c.conflict ? err::kDataChanged : 0) << c.what << (batched ? " (batch)" : "");
      EXPECT_EQ(Rows(*other, "SELECT name, n FROM " + table_ + " WHERE id = 1"), std::vector<std::string>{c.row})
          << c.what << (batched ? " (batch)" : "");
      EXPECT_EQ(Rows(*other, "SELECT count(*), min(id) FROM " + table_), std::vector<std::string>{"4:1"}) << c.what;
    }
  }
}

TEST_F(SourceWriteTest, ARollbackTakesBackWhatTheCopiesShow) {
  MakeRows();
  auto rows = database_->OpenRecordset(table_, kOpenDynaset, 0, kOptimistic);
  auto batch = database_->OpenRecordset(table_, kOpenDynaset, 0, kOptimisticBatch);
  rows->MoveLast();
  database_->BeginTrans();
  rows->FindFirst("id = 1");
  rows->Edit();
  Set(*rows, "name", Variant("rolled back"));
  rows->Update();
  rows->AddNew();
  Set(*rows, "id", Variant(7));
  Set(*rows, "name", Variant("never"));
  rows->Update();
  database_->Execute("UPDATE " + table_ + " SET name = 'by statement' WHERE id = 2");
  // The batch recordset sends one write inside the transaction and keeps another.
  batch->FindFirst("id = 3");
  batch->Edit();
  Set(*batch, "name", Variant("sent"));
  batch->Update(kUpdateBatch);
  batch->FindFirst("id = 4");
  batch->Edit();
  Set(*batch, "name", Variant("kept"));
  batch->Update();
  rows->FindFirst("id = 1");
  database_->Rollback();

  EXPECT_EQ(ValueOf(*rows, "id"), Variant(1)) << "the rows keep their places";
  EXPECT_EQ(ValueOf(*rows, "name"), Variant("a")) << "the current row reads the server's values";
  rows->MoveNext();
  EXPECT_EQ(ValueOf(*rows, "name"), Variant("b"));
  rows->MovePrevious();
  EXPECT_EQ(ValueOf(*rows, "name"), Variant("a"));
  EXPECT_EQ(CopyRows(*rows), (std::vector<std::string>{"1:a", "2:b", "3:c", "4:d", "#"}));
  EXPECT_EQ(CopyRows(*batch), (std::vector<std::string>{"1:a", "2:b", "3:c", "4:kept"}));
  batch->UpdateBatch();
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:a", "2:b", "3:c", "4:kept"}));
  // The recordsets write on as before.
  rows->FindFirst("id = 2");
  rows->Edit();
  Set(*rows, "name", Variant("after"));
  rows->Update();
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:a", "2:after", "3:c", "4:kept"}));
}

TEST(SqliteSourceWriteTest, TheIntegerKeyIsReadBackAtUpdate) {
  const std::string driver = OdbcDriverPath("libsqlite3odbc.so");
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  qb::test::TempDir dir;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("lite", "admin", "", kUseOdbc);
  const std::string connect = "ODBC;DRIVER={" + driver + "};Database=" + dir.File("k.db");
  auto database = workspace->OpenDatabase("", Variant(1), false, connect);
  database->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, s VARCHAR(20))");
  database->Execute("INSERT INTO t VALUES (10, 'ten')");
  auto rows = database->OpenRecordset("t", kOpenDynaset);
  ASSERT_TRUE(rows->Updatable());
  rows->AddNew();
  Set(*rows, "s", Variant("next"));
  rows->Update();
  rows->SetBookmark(rows->LastModified());
  EXPECT_EQ(ValueOf(*rows, "id").ToString(), "11");
  EXPECT_EQ(ValueOf(*rows, "s"), Variant("next"));
  rows->Edit();
  Set(*rows, "s", Variant("eleven"));
  rows->Update();
  EXPECT_EQ(Rows(*database, "SELECT id, s FROM t ORDER BY id"), (std::vector<std::string>{"10:ten", "11:eleven"}));
}

}  // namespace
}  // namespace qb::jet::test
