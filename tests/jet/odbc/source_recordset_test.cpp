// Recordsets on ODBC data sources: every kind over the private PostgreSQL server (values of each
// type exact, moves, Find, bookmarks, counts), dynasets writing through by primary key, two
// connections editing the same row (the later Update refused, nothing lost), and the same
// write path over the SQLite ODBC driver, which needs no server.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "core/currency.h"
#include "core/date_serial.h"
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

class SourceRecordsetTest : public PostgresTableTest {
 protected:
  SourceRecordsetTest() : PostgresTableTest("rs_") {}
  // The server's value of COLUMN in the row whose id is ID, read through another recordset.
  Variant ServerValue(Database& database, const std::string& column, int id) {
    auto rows = database.OpenRecordset("SELECT " + column + " FROM " + table_ + " WHERE id = " + std::to_string(id),
                                       kOpenSnapshot);
    return rows->Eof() ? Variant() : ValueOf(*rows, column);
  }
  void MakePeople() {
    database_->Execute("CREATE TABLE " + table_ +
                       " (id integer PRIMARY KEY, name varchar(40), amount numeric(12,2), born date, note text)");
    database_->Execute("INSERT INTO " + table_ +
                       " VALUES (1, 'Ann', 10.50, '1990-01-02', NULL), (2, 'Bob', 20.25, '1985-06-07', 'x'), "
                       "(3, 'Cy', NULL, NULL, 'y')");
  }
};

TEST_F(SourceRecordsetTest, SnapshotReadsEveryTypeExactly) {
  const std::string unicode = "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80";
  database_->Execute("CREATE TABLE " + table_ +
                     " (id integer PRIMARY KEY, s smallint, big bigint, price numeric(14,4), wide numeric(30,4), "
                     "r real, d float8, v varchar(20), t text, dt date, ts timestamp, by bytea, f boolean)");
  database_->Execute("INSERT INTO " + table_ + " VALUES (1, 12, 9000000000, 123456789.0123, "
                     "12345678901234567890.0123, 1.5, 2.25, '" + unicode + "', repeat('x', 10000), '2001-02-03', "
                     "'2001-02-03 04:05:06', '\\x01ff02', true), (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                     "NULL, NULL, NULL, NULL)");
  auto rows = database_->OpenRecordset("SELECT * FROM " + table_ + " ORDER BY id", kOpenSnapshot);
  EXPECT_EQ(rows->Type(), kOpenSnapshot);
  EXPECT_FALSE(rows->Updatable());
  EXPECT_EQ(rows->Name(), "SELECT * FROM " + table_ + " ORDER BY id");
  struct Expected {
    const char* field;
    int type;
    Variant value;
  };
  const std::vector<Expected> expected = {
      {"id", 4, Variant(1)},
      {"s", 3, Variant(static_cast<std::int16_t>(12))},
      {"big", 10, Variant("9000000000")},
      {"price", 5, Variant(Currency::FromScaled(1234567890123LL))},
      {"wide", 10, Variant("12345678901234567890.0123")},
      {"r", 6, Variant(1.5f)},
      {"d", 7, Variant(2.25)},
      {"v", 10, Variant(unicode)},
      {"t", 12, Variant(std::string(10000, 'x'))},
      {"dt", 8, Variant::FromDate(EncodeDate(2001, 2, 3))},
      {"ts", 8, Variant::FromDate(EncodeDateTime(2001, 2, 3, 4, 5, 6))},
      {"by", 11, Variant::FromBytes({0x01, 0xff, 0x02})},
      {"f", 1, Variant(true)},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(rows->Fields()->Item(std::string_view(e.field))->Type(), e.type) << e.field;
    EXPECT_EQ(ValueOf(*rows, e.field), e.value) << e.field;
  }
  rows->MoveNext();
  for (const Expected& e : expected) {
    if (std::string(e.field) != "id") {
      EXPECT_TRUE(ValueOf(*rows, e.field).IsNull()) << e.field;
    }
  }
  rows->MoveLast();
  EXPECT_EQ(rows->RecordCount(), 2);
  rows->FindFirst("id = 1");
  EXPECT_FALSE(rows->NoMatch());
  EXPECT_EQ(ValueOf(*rows, "big"), Variant("9000000000"));
}

TEST_F(SourceRecordsetTest, KindsMoveCountAndRefuseWhatTheyLack) {
  MakePeople();
  auto forward = database_->OpenRecordset(table_, kOpenForwardOnly);
  EXPECT_EQ(forward->Type(), kOpenForwardOnly);
  std::vector<std::string> names;
  for (; !forward->Eof(); forward->MoveNext()) names.push_back(ValueOf(*forward, "name").ToString());
  EXPECT_EQ(names.size(), 3u);
  EXPECT_EQ(ErrorOf([&] { forward->MoveFirst(); }).number, err::kNotForThisObject);
  EXPECT_EQ(database_->OpenRecordset(table_)->Type(), kOpenForwardOnly) << "type 0 on a data source";

  // Names the engine does not take as field names still read: made unique, odd characters mended.
  auto odd = database_->OpenRecordset("SELECT 1, 2, 3 AS \"a.b\"", kOpenSnapshot);
  ASSERT_EQ(odd->Fields()->Count(), 3);
  EXPECT_EQ(odd->Fields()->Item(2)->Name(), "a_b");
  EXPECT_NE(odd->Fields()->Item(0)->Name(), odd->Fields()->Item(1)->Name());
  EXPECT_EQ(odd->Fields()->Item(1)->Value(), Variant(2));

  auto snapshot = database_->OpenRecordset("SELECT name FROM " + table_ + " ORDER BY id", kOpenSnapshot);
  snapshot->MoveNext();
  const Variant bob = snapshot->Bookmark();
  snapshot->MoveLast();
  EXPECT_EQ(snapshot->RecordCount(), 3);
  EXPECT_EQ(ValueOf(*snapshot, "name"), Variant("Cy"));
  snapshot->SetBookmark(bob);
  EXPECT_EQ(ValueOf(*snapshot, "name"), Variant("Bob"));
  snapshot->FindLast("name LIKE 'A*'");
  EXPECT_EQ(ValueOf(*snapshot, "name"), Variant("Ann"));
}

TEST_F(SourceRecordsetTest, OpeningRefusesWhatADataSourceCannotDo) {
  MakePeople();
  struct Case {
    const char* what;
    std::string source;
    int type;
    int number;
  };
  const std::vector<Case> cases = {
      {"table-type", table_, kOpenTable, err::kInvalidArgument},
      {"unknown type", table_, 77, err::kInvalidArgument},
      {"no rows", "UPDATE " + table_ + " SET name = name", kOpenSnapshot, err::kInvalidOperation},
      {"server error", "SELECT * FROM nowhere_at_all", kOpenSnapshot, odbc::err::kCallFailed},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf([&] { database_->OpenRecordset(c.source, c.type); }).number, c.number) << c.what;
  EXPECT_EQ(ServerValue(*database_, "name", 1), Variant("Ann")) << "the refused statements changed nothing";
}

TEST_F(SourceRecordsetTest, DynasetWritesThroughByKeyAndRequerySeesOthers) {
  MakePeople();
  auto other = Open();
  auto rows = database_->OpenRecordset(table_, kOpenDynaset, 0, kOptimistic);
  ASSERT_TRUE(rows->Updatable());
  rows->FindFirst("name = 'Bob'");
  rows->Edit();
  Set(*rows, "amount", Variant(Currency::FromScaled(995000)));  // 99.50
  Set(*rows, "note", Variant("changed"));
  rows->Update();
  EXPECT_EQ(ServerValue(*other, "amount", 2), Variant(Currency::FromScaled(995000)));
  EXPECT_EQ(ServerValue(*other, "note", 2), Variant("changed"));
  EXPECT_EQ(ValueOf(*rows, "note"), Variant("changed"));

  rows->AddNew();
  Set(*rows, "id", Variant(4));
  Set(*rows, "name", Variant("Dee"));
  rows->Update();
  EXPECT_EQ(ServerValue(*other, "name", 4), Variant("Dee"));
  rows->SetBookmark(rows->LastModified());
  EXPECT_EQ(ValueOf(*rows, "name"), Variant("Dee"));

  rows->FindFirst("id = 1");
  rows->Delete();
  EXPECT_TRUE(ServerValue(*other, "name", 1).IsEmpty());

  other->Execute("INSERT INTO " + table_ + " (id, name) VALUES (5, 'Eve')");
  other->Execute("UPDATE " + table_ + " SET name = 'Cyd' WHERE id = 3");
  rows->Requery();
  rows->MoveLast();
  EXPECT_EQ(rows->RecordCount(), 4);  // 2, 3, 4, 5
  rows->FindFirst("id = 3");
  EXPECT_EQ(ValueOf(*rows, "name"), Variant("Cyd"));
}

TEST_F(SourceRecordsetTest, TwoConnectionsEditingOneRow) {
  MakePeople();
  auto other = Open();
  auto mine = database_->OpenRecordset(table_, kOpenDynaset, 0, kOptimistic);
  auto theirs = other->OpenRecordset(table_, kOpenDynaset, 0, kOptimisticValue);
  mine->FindFirst("id = 1");
  theirs->FindFirst("id = 1");

  // The same field: the later Update is refused and the earlier one's value stays.
  theirs->Edit();
  Set(*theirs, "name", Variant("Theirs"));
  theirs->Update();
  mine->Edit();
  Set(*mine, "name", Variant("Mine"));
  EXPECT_EQ(ErrorOf([&] { mine->Update(); }).number, err::kDataChanged);
  EXPECT_EQ(ServerValue(*database_, "name", 1), Variant("Theirs"));

  // Other fields: both changes are kept.
  mine->CancelUpdate();
  theirs->Edit();
  Set(*theirs, "note", Variant("their note"));
  theirs->Update();
  mine->Requery();
  mine->FindFirst("id = 1");
  mine->Edit();
  Set(*mine, "amount", Variant(Currency::FromScaled(10000)));
  other->Execute("UPDATE " + table_ + " SET note = 'later note' WHERE id = 1");
  mine->Update();
  EXPECT_EQ(ServerValue(*database_, "amount", 1), Variant(Currency::FromScaled(10000)));
  EXPECT_EQ(ServerValue(*database_, "note", 1), Variant("later note"));

  // A row deleted by the other connection.
  mine->FindFirst("id = 2");
  other->Execute("DELETE FROM " + table_ + " WHERE id = 2");
  mine->Edit();
  Set(*mine, "name", Variant("gone"));
  EXPECT_EQ(ErrorOf([&] { mine->Update(); }).number, err::kRecordDeleted);
  mine->CancelUpdate();
  EXPECT_EQ(ErrorOf([&] { mine->Delete(); }).number, err::kRecordDeleted);

  // A refused insert (a key taken) leaves neither the server nor the copy changed.
  mine->AddNew();
  Set(*mine, "id", Variant(3));
  EXPECT_EQ(ErrorOf([&] { mine->Update(); }).number, odbc::err::kCallFailed);
  mine->CancelUpdate();
  mine->MoveLast();
  EXPECT_EQ(mine->RecordCount(), 3) << "the copy keeps its rows (the deleted one stays as a hole)";
}

TEST_F(SourceRecordsetTest, DynasetsWithoutAKeyOrOverJoinsAreReadOnly) {
  MakePeople();
  database_->Execute("CREATE TABLE " + table_ + "_nokey (n integer)");
  database_->Execute("INSERT INTO " + table_ + "_nokey VALUES (1)");
  const std::vector<std::string> sources = {
      table_ + "_nokey",
      "SELECT a.name FROM " + table_ + " a JOIN " + table_ + " b ON a.id = b.id",
      "SELECT name FROM " + table_,  // the key is not among the columns
      "SELECT id, count(*) AS n FROM " + table_ + " GROUP BY id",
  };
  for (const std::string& source : sources) {
    auto rows = database_->OpenRecordset(source, kOpenDynaset);
    EXPECT_FALSE(rows->Updatable()) << source;
    EXPECT_EQ(ErrorOf([&] { rows->Edit(); }).number, err::kReadOnly) << source;
  }
  EXPECT_TRUE(database_->OpenRecordset("SELECT id, name FROM " + table_ + " WHERE id > 1 ORDER BY name", kOpenDynaset)
                  ->Updatable());
  EXPECT_FALSE(database_->OpenRecordset(table_, kOpenDynaset, 0, kReadOnlyLock)->Updatable());
  database_->Execute("DROP TABLE " + table_ + "_nokey");
}

TEST_F(SourceRecordsetTest, ClosingTheDatabaseClosesItsRecordsets) {
  MakePeople();
  auto rows = database_->OpenRecordset(table_, kOpenSnapshot);
  database_->Execute("DROP TABLE " + table_);
  database_->Close();
  EXPECT_EQ(ErrorOf([&] { rows->MoveNext(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { rows->Requery(); }).number, err::kObjectClosed);
}

// The same write path without a server.
TEST(SqliteSourceRecordsetTest, DynasetWritesThroughToTheDriversFile) {
  const std::string driver = OdbcDriverPath("libsqlite3odbc.so");
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  qb::test::TempDir dir;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("lite", "admin", "", kUseOdbc);
  const std::string connect = "ODBC;DRIVER={" + driver + "};Database=" + dir.File("r.db");
  auto database = workspace->OpenDatabase("", Variant(1), false, connect);
  database->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, s VARCHAR(20))");
  database->Execute("INSERT INTO t VALUES (1, 'one'), (2, 'two')");
  auto rows = database->OpenRecordset("t", kOpenDynaset);
  ASSERT_TRUE(rows->Updatable());
  rows->Edit();
  Set(*rows, "s", Variant("uno"));
  rows->Update();
  rows->AddNew();
  Set(*rows, "id", Variant(3));
  Set(*rows, "s", Variant("tres"));
  rows->Update();
  auto other = workspace->OpenDatabase("", Variant(1), false, connect);
  auto check = other->OpenRecordset("SELECT s FROM t ORDER BY id", kOpenSnapshot);
  std::vector<std::string> seen;
  for (; !check->Eof(); check->MoveNext()) seen.push_back(ValueOf(*check, "s").ToString());
  EXPECT_EQ(seen, (std::vector<std::string>{"uno", "two", "tres"}));
}

}  // namespace
}  // namespace qb::jet::test
