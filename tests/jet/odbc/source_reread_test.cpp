// When the rows a data source's recordsets hold are read again or shared: every copy after a
// Rollback (snapshots and read-only dynasets included, staying on their row by key), FillCache
// reading a run of rows again, clones of an optimistic batch keeping one set of writes, and
// Requery with a QueryDef taking its limit. On the private PostgreSQL.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/querydef.h"
#include "jet/dao/workspace.h"
#include "jet/recordset/recordset.h"
#include "postgres_fixture.h"

namespace qb::jet::test {
namespace {

// The current row as "id:name".
std::string Current(Recordset& rows) { return ValueOf(rows, "id").ToString() + ":" + ValueOf(rows, "name").ToString(); }

// Every row of ROWS from the first, as "id:name"; the current row is kept by bookmark.
std::vector<std::string> AllRows(Recordset& rows) {
  std::vector<std::string> seen;
  if (rows.Bof() && rows.Eof()) return seen;
  const Variant here = rows.Bookmark();
  for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) seen.push_back(Current(rows));
  rows.SetBookmark(here);
  return seen;
}

class SourceRereadTest : public PostgresTableTest {
 protected:
  SourceRereadTest() : PostgresTableTest("rr_") {}
  void SetUp() override {
    PostgresTableTest::SetUp();
    if (IsSkipped()) return;
    database_->Execute("CREATE TABLE " + table_ + " (id integer PRIMARY KEY, name varchar(20))");
    database_->Execute("INSERT INTO " + table_ + " VALUES (1, 'a'), (2, 'b'), (3, 'c'), (4, 'd')");
  }
  std::vector<std::string> ServerRows() {
    auto other = Open();
    auto rows = other->OpenRecordset("SELECT id, name FROM " + table_ + " ORDER BY id", kOpenSnapshot);
    return AllRows(*rows);
  }
};

TEST_F(SourceRereadTest, ARollbackReReadsEveryCopyAndKeepsTheRowByKey) {
  struct Case {
    const char* what;
    std::string source;
    int type, lock;
    const char* after;  // the current row after the rollback
  };
  const std::string ordered = "SELECT id, name FROM " + table_ + " ORDER BY id";
  const Case cases[] = {
      {"snapshot of the table", table_, kOpenSnapshot, kOptimistic, "2:b"},
      {"snapshot of a statement", ordered, kOpenSnapshot, kOptimistic, "2:b"},
      {"read-only dynaset", ordered, kOpenDynaset, kReadOnlyLock, "2:b"},
      // No key among the columns: the first row.
      {"snapshot without the key", "SELECT DISTINCT id, name FROM " + table_ + " ORDER BY id", kOpenSnapshot,
       kOptimistic, "1:a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    database_->BeginTrans();
    database_->Execute("UPDATE " + table_ + " SET name = 'changed' WHERE id = 2");
    database_->Execute("DELETE FROM " + table_ + " WHERE id = 1");
    database_->Execute("INSERT INTO " + table_ + " VALUES (5, 'e')");
    auto rows = database_->OpenRecordset(c.source, c.type, 0, c.lock);
    rows->FindFirst("id = 2");
    ASSERT_EQ(Current(*rows), "2:changed");
    auto clone = rows->Clone();
    clone->FindFirst("id = 5");
    database_->Rollback();

    EXPECT_EQ(Current(*rows), c.after);
    std::vector<std::string> all = AllRows(*rows);
    std::sort(all.begin(), all.end());  // a table's rows come in the server's order
    EXPECT_EQ(all, (std::vector<std::string>{"1:a", "2:b", "3:c", "4:d"}));
    // The clone's row is gone: it starts again from the first; bookmarks are still shared.
    EXPECT_EQ(Current(*clone), "1:a");
    clone->MoveLast();
    rows->SetBookmark(clone->Bookmark());
    EXPECT_EQ(Current(*rows), "4:d");
    EXPECT_EQ(rows->RecordCount(), 4);
  }
}

TEST_F(SourceRereadTest, FillCacheReadsARunOfRowsAgainAndVisitsAskNothing) {
  database_->Execute("INSERT INTO " + table_ + " VALUES (5, 'e'), (6, 'f')");
  const std::string ordered = "SELECT * FROM " + table_ + " ORDER BY id";
  auto other = Open();
  auto change = [&](const std::string& sql) { other->Execute(sql); };
  for (int lock : {kOptimistic, kReadOnlyLock, kOptimisticBatch}) {
    SCOPED_TRACE("lock type " + std::to_string(lock));
    auto rows = database_->OpenRecordset(ordered, kOpenDynaset, 0, lock);
    EXPECT_TRUE(rows->CacheStart().IsEmpty());
    rows->FindFirst("id = 2");
    const Variant second = rows->Bookmark();
    rows->MoveLast();
    if (lock == kOptimisticBatch) {  // a kept write in the run stays as written
      rows->FindFirst("id = 3");
      rows->Edit();
      Set(*rows, "name", Variant("mine"));
      rows->Update();
    }
    change("UPDATE " + table_ + " SET name = name || '2' WHERE id BETWEEN 1 AND 5");
    change("DELETE FROM " + table_ + " WHERE id = 4");
    EXPECT_EQ(AllRows(*rows)[1], "2:b") << "the rows held until they are read again";

    rows->FillCache(3, second);  // rows 2 .. 4
    std::vector<std::string> seen;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
      seen.push_back(ErrorOf([&] { Current(*rows); }).number == err::kRecordDeleted ? "#" : Current(*rows));
    }
    const std::string third = lock == kOptimisticBatch ? "3:mine" : "3:c2";
    EXPECT_EQ(seen, (std::vector<std::string>{"1:a", "2:b2", third, "#", "5:e", "6:f"}));
    // Later changes on the server are not seen until the rows are read again.
    change("UPDATE " + table_ + " SET name = 'later' WHERE id = 2");
    rows->SetBookmark(second);
    EXPECT_EQ(Current(*rows), "2:b2");

    // CacheStart and CacheSize stand in for what FillCache is not given.
    rows->SetCacheStart(second);
    EXPECT_EQ(rows->CacheStart(), second);
    rows->SetCacheSize(1);
    rows->FillCache();
    EXPECT_EQ(Current(*rows), "2:later");
    rows->MoveNext();
    EXPECT_EQ(Current(*rows), third);

    EXPECT_EQ(ErrorOf([&] { rows->FillCache(-1); }).number, err::kInvalidArgument);
    EXPECT_EQ(ErrorOf([&] { rows->FillCache(1, Variant("x")); }).number, err::kBadBookmark);
    EXPECT_EQ(ErrorOf([&] { rows->SetCacheStart(Variant::FromBytes({9, 9, 9, 9})); }).number, err::kBadBookmark);
    rows->Requery();
    EXPECT_TRUE(rows->CacheStart().IsEmpty()) << "Requery forgets the old rows' bookmark";
    if (lock == kOptimisticBatch) rows->CancelBatch();
    rows.reset();
    database_->Execute("DELETE FROM " + table_);
    database_->Execute("INSERT INTO " + table_ + " VALUES (1, 'a'), (2, 'b'), (3, 'c'), (4, 'd'), (5, 'e'), (6, 'f')");
  }
  // Dynasets only.
  auto snapshot = database_->OpenRecordset(ordered, kOpenSnapshot);
  EXPECT_EQ(ErrorOf([&] { snapshot->FillCache(); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { snapshot->CacheStart(); }).number, err::kNotForThisObject);
}

TEST_F(SourceRereadTest, ClonesOfABatchKeepOneSetOfWrites) {
  auto rows = database_->OpenRecordset("SELECT * FROM " + table_ + " ORDER BY id", kOpenDynaset, 0, kOptimisticBatch);
  auto clone = rows->Clone();
  auto edit = [](Recordset& through, int id, const char* name) {
    through.FindFirst("id = " + std::to_string(id));
    through.Edit();
    Set(through, "name", Variant(name));
    through.Update();
  };
  edit(*clone, 1, "A");
  edit(*rows, 2, "B");
  edit(*clone, 2, "BB");  // the same row through the other: one write with the latest value
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:a", "2:b", "3:c", "4:d"}));
  rows->UpdateBatch();
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:A", "2:BB", "3:c", "4:d"}));
  clone->UpdateBatch();  // sent already: nothing to send twice (a second send would collide)
  EXPECT_EQ(clone->BatchCollisionCount(), 0);
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:A", "2:BB", "3:c", "4:d"}));

  // A delete through the original, sent through the clone.
  rows->FindFirst("id = 4");
  rows->Delete();
  clone->UpdateBatch();
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:A", "2:BB", "3:c"}));

  // CancelBatch on either drops the writes made through both.
  edit(*clone, 3, "C");
  edit(*rows, 1, "one");
  rows->CancelBatch();
  clone->UpdateBatch();
  rows->UpdateBatch();
  EXPECT_EQ(ServerRows(), (std::vector<std::string>{"1:A", "2:BB", "3:c"}));
  EXPECT_EQ(AllRows(*rows), (std::vector<std::string>{"1:A", "2:BB", "3:c"}));
}

TEST_F(SourceRereadTest, RequeryWithAQueryDefTakesItsMaxRecords) {
  const std::string ordered = "SELECT id, name FROM " + table_ + " ORDER BY id";
  auto count = [](Recordset& rows) {
    int n = 0;
    for (; !rows.Eof(); rows.MoveNext()) ++n;
    return n;
  };
  for (int type : {kOpenSnapshot, kOpenDynaset, kOpenForwardOnly}) {
    SCOPED_TRACE("type " + std::to_string(type));
    auto first = database_->CreateQueryDef("", ordered);
    first->SetMaxRecords(2);
    auto rows = first->OpenRecordset(type);
    EXPECT_EQ(count(*rows), 2);
    auto wider = database_->CreateQueryDef("", ordered);
    wider->SetMaxRecords(3);
    rows->Requery(wider);
    EXPECT_EQ(count(*rows), 3) << "the new query's limit";
    rows->Requery();
    EXPECT_EQ(count(*rows), 3) << "and from then on";
    wider->SetMaxRecords(0);
    rows->Requery(wider);
    EXPECT_EQ(count(*rows), 4) << "no limit: every row";
    first->SetMaxRecords(1);
    rows->Requery(first);
    EXPECT_EQ(count(*rows), 1);
  }
}

}  // namespace
}  // namespace qb::jet::test
