// Recordsets on the server's cursor (the server cursor driver): the same rows, positions,
// bookmarks and counts as the default cursor's walked every way, only a window of rows read for
// moves to anywhere, dynasets writing through by key with the optimistic conflicts, Requery and
// a rollback opening the cursor again. Over the SQLite ODBC driver (no server) and the private
// PostgreSQL, with the driver holding the result and with the result held on the server.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/querydef.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/data_source.h"
#include "jet/recordset/recordset.h"
#include "odbc_servers.h"

namespace qb::jet::test {
namespace {

constexpr int kRows = 2000;  // several windows of rows

std::string RowText(Recordset& recordset) {
  std::string line;
  auto fields = recordset.Fields();
  for (int i = 0; i < fields->Count(); ++i) {
    const Variant& value = fields->Item(i)->Value();
    line += (value.IsNull() ? std::string("<null>") : value.ToString()) + "|";
  }
  return line;
}

std::uint64_t RowsRead(Database& database) { return database.Source()->CursorRowsRead(); }

std::string NameOnServer(Database& database, int id) {
  auto row = database.OpenRecordset("SELECT name FROM w WHERE id = " + std::to_string(id), kOpenSnapshot);
  return row->Eof() ? std::string("<gone>") : row->Fields()->Item(0)->Value().ToString();
}

// A dynaset on the cursor writes through to the server by key, with the conflicts a dynaset on
// the copy reports; rows it wrote read as written wherever the window goes.
void CheckCursorWrites(Database& by_default, Database& server) {
  by_default.Execute("DROP TABLE IF EXISTS w");
  by_default.Execute("CREATE TABLE w (id INTEGER PRIMARY KEY, name VARCHAR(40))");
  by_default.Execute("INSERT INTO w SELECT id, name FROM t");
  auto rows = server.OpenRecordset("SELECT id, name FROM w ORDER BY id", kOpenDynaset);
  ASSERT_TRUE(rows->Updatable());
  auto name = [&] { return rows->Fields()->Item(1)->Value().ToString(); };
  auto set_name = [&](const std::string& text) { rows->Fields()->Item(1)->SetValue(Variant(text)); };

  rows->SetAbsolutePosition(1200);
  rows->Edit();
  set_name("edited");
  rows->Update();
  EXPECT_EQ(name(), "edited");
  EXPECT_EQ(NameOnServer(by_default, 1201), "edited");
  rows->MoveLast();
  rows->MoveFirst();
  rows->SetAbsolutePosition(1200);
  EXPECT_EQ(name(), "edited") << "the row reads as written after the window moved away";
  auto clone = rows->Clone();
  clone->SetAbsolutePosition(1200);
  EXPECT_EQ(clone->Fields()->Item(1)->Value().ToString(), "edited");

  struct Conflict {
    const char* what;
    int id;
    std::string other;  // what another connection does to the row meanwhile
    int error;
  };
  for (const Conflict& c : {Conflict{"changed", 1301, "UPDATE w SET name = 'theirs' WHERE id = 1301", err::kDataChanged},
                            Conflict{"deleted", 1401, "DELETE FROM w WHERE id = 1401", err::kRecordDeleted}}) {
    SCOPED_TRACE(c.what);
    rows->SetAbsolutePosition(c.id - 1);
    rows->Edit();
    set_name("mine");
    by_default.Execute(c.other);
    EXPECT_EQ(ErrorOf([&] { rows->Update(); }).number, c.error);
    EXPECT_NE(NameOnServer(by_default, c.id), "mine");
  }

  rows->CancelUpdate();

  // A rolled back edit goes: the row reads as the server has it again.
  const std::string before_edit = NameOnServer(by_default, 101);
  server.BeginTrans();
  rows->SetAbsolutePosition(100);
  rows->Edit();
  set_name("undone");
  rows->Update();
  EXPECT_EQ(name(), "undone");
  server.Rollback();
  rows->SetAbsolutePosition(100);
  EXPECT_EQ(name(), before_edit);
  EXPECT_EQ(NameOnServer(by_default, 101), before_edit);

  rows->FindFirst("id = 1501");
  rows->Delete();
  EXPECT_EQ(NameOnServer(by_default, 1501), "<gone>");
  rows->MoveNext();
  EXPECT_EQ(rows->Fields()->Item(0)->Value().ToInt32(), 1502);
  rows->MoveLast();
  EXPECT_EQ(rows->RecordCount(), kRows - 2) << "the one deleted here and the one gone before the rollback";

  // A row added follows the cursor's last; edited again, it reads as written.
  rows->AddNew();
  rows->Fields()->Item(0)->SetValue(Variant(5000));
  set_name("added");
  rows->Update();
  EXPECT_EQ(NameOnServer(by_default, 5000), "added");
  rows->SetBookmark(rows->LastModified());
  EXPECT_EQ(name(), "added");
  EXPECT_EQ(rows->AbsolutePosition(), kRows - 2);  // after 1401 (gone at the rollback) and 1501
  rows->Edit();
  set_name("added twice");
  rows->Update();
  rows->MoveFirst();
  rows->MoveLast();
  EXPECT_EQ(name(), "added twice");
  EXPECT_EQ(rows->RecordCount(), kRows - 1);
  EXPECT_EQ(NameOnServer(by_default, 5000), "added twice");

  // Requery shows the server's rows: the two gone, the edit and the row added kept.
  rows->Requery();
  rows->MoveLast();
  EXPECT_EQ(rows->RecordCount(), kRows - 1);
  EXPECT_EQ(name(), "added twice");
  rows->FindFirst("id = 1201");
  EXPECT_EQ(name(), "edited");
  // Dropped on the cursors' connection: a driver declaring cursors on the server may leave its
  // transaction (and its hold on the table) open after they close.
  clone.reset();
  rows.reset();
  server.Execute("DROP TABLE w");
}

// DEFAULT and SERVER are the same data source (table t as FillTable leaves it) opened with the
// default cursor driver and with the server's cursors.
void CheckServerCursor(Database& by_default, Database& server) {
  const std::string select = "SELECT id, name, amount, qty, note FROM t ORDER BY id";
  std::vector<std::string> expected;
  auto copy = by_default.OpenRecordset(select, kOpenSnapshot);
  for (; !copy->Eof(); copy->MoveNext()) expected.push_back(RowText(*copy));
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(kRows));

  struct Kind {
    const char* what;
    int type, options, lock;
  };
  for (const Kind& kind : {Kind{"snapshot", kOpenSnapshot, 0, 0},
                           Kind{"dynaset, dbReadOnly", kOpenDynaset, static_cast<int>(recordset_option::kReadOnly), 0},
                           Kind{"dynamic, read-only lock", kOpenDynamic, 0, kReadOnlyLock}}) {
    SCOPED_TRACE(kind.what);
    const std::uint64_t before = RowsRead(server);
    auto rows = server.OpenRecordset(select, kind.type, kind.options, kind.lock);
    EXPECT_FALSE(rows->Updatable());
    EXPECT_NE(ErrorOf([&] { rows->Edit(); }).number, 0);
    EXPECT_NE(ErrorOf([&] { rows->AddNew(); }).number, 0);
    EXPECT_EQ(RowText(*rows), expected[0]);
    EXPECT_GT(RowsRead(server), before) << "the rows come from the cursor";
    // Opening and going to the last row reads two windows, not the rows between.
    rows->MoveLast();
    EXPECT_EQ(RowText(*rows), expected.back());
    EXPECT_EQ(rows->RecordCount(), kRows);
    EXPECT_EQ(rows->AbsolutePosition(), kRows - 1);
    EXPECT_LE(RowsRead(server) - before, 2u * 256u);

    // Backwards over every row, then forwards, the positions as the default cursor's.
    for (int i = kRows - 1; i >= 0; --i, rows->MovePrevious()) {
      ASSERT_FALSE(rows->Bof());
      ASSERT_EQ(RowText(*rows), expected[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_TRUE(rows->Bof());
    rows->MoveFirst();
    for (int i = 0; i < kRows; ++i, rows->MoveNext()) {
      ASSERT_EQ(rows->AbsolutePosition(), i);
      ASSERT_EQ(RowText(*rows), expected[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_TRUE(rows->Eof());

    // Jumps: by position, by count, by bookmark, by search; each reads at most one window.
    rows->SetCacheSize(10);
    const std::uint64_t jumps = RowsRead(server);
    rows->SetAbsolutePosition(1234);
    EXPECT_EQ(RowText(*rows), expected[1234]);
    const Variant mark = rows->Bookmark();
    rows->Move(-700);
    EXPECT_EQ(RowText(*rows), expected[534]);
    rows->Move(3);
    EXPECT_EQ(RowText(*rows), expected[537]);
    rows->SetBookmark(mark);
    EXPECT_EQ(RowText(*rows), expected[1234]);
    EXPECT_LE(RowsRead(server) - jumps, 4u * 10u);
    rows->FindFirst("id = 1500");
    EXPECT_FALSE(rows->NoMatch());
    EXPECT_EQ(RowText(*rows), expected[1499]);
    rows->FindLast("qty = 3");
    EXPECT_FALSE(rows->NoMatch());
    EXPECT_EQ(rows->Fields()->Item(3)->Value().ToInt32(), 3);
    EXPECT_EQ(rows->AbsolutePosition(), kRows - 3);  // id 1998, the last with qty 3

    // A clone moving elsewhere leaves this one's row as it was.
    rows->SetAbsolutePosition(10);
    auto clone = rows->Clone();
    clone->MoveLast();
    EXPECT_EQ(RowText(*clone), expected.back());
    EXPECT_EQ(RowText(*rows), expected[10]);
    rows->MoveNext();
    EXPECT_EQ(RowText(*rows), expected[11]);
  }

  // A dynaset goes to a row far on without reading the rows before it, and not past its end.
  const std::uint64_t before = RowsRead(server);
  auto far = server.OpenRecordset(select, kOpenDynaset, 0, kReadOnlyLock);
  far->SetAbsolutePosition(1500);
  EXPECT_EQ(RowText(*far), expected[1500]);
  EXPECT_LE(RowsRead(server) - before, 2u * 256u);
  EXPECT_EQ(ErrorOf([&] { far->SetAbsolutePosition(kRows + 5); }).number, err::kInvalidArgument);
  EXPECT_EQ(RowText(*far), expected[1500]);
  far->MoveLast();
  EXPECT_EQ(far->RecordCount(), kRows);

  CheckCursorWrites(by_default, server);
  // Filter and Sort open recordsets of the local copy's, which has no rows here: refused.
  auto cursor = server.OpenRecordset(select, kOpenSnapshot);
  cursor->SetFilter("qty = 1");
  EXPECT_EQ(ErrorOf([&] { cursor->OpenRecordset(); }).number, err::kInvalidOperation);

  // Requery runs the statement again; MaxRecords caps it, Requery too.
  server.Execute("INSERT INTO t (id, name) VALUES (" + std::to_string(kRows + 1) + ", 'late')");
  cursor->Requery();
  cursor->MoveLast();
  EXPECT_EQ(cursor->RecordCount(), kRows + 1);
  EXPECT_EQ(cursor->Fields()->Item(1)->Value().ToString(), "late");
  server.Execute("DELETE FROM t WHERE id = " + std::to_string(kRows + 1));
  auto query = server.CreateQueryDef("", select);
  query->SetMaxRecords(7);
  auto capped = query->OpenRecordset(kOpenSnapshot);
  capped->MoveLast();
  EXPECT_EQ(capped->RecordCount(), 7);
  EXPECT_EQ(RowText(*capped), expected[6]);
  capped->Requery();
  capped->MoveLast();
  EXPECT_EQ(capped->RecordCount(), 7);

  // The rows a rolled back transaction added go from the cursor's recordsets.
  server.BeginTrans();
  server.Execute("INSERT INTO t (id, name) VALUES (" + std::to_string(kRows + 2) + ", 'undone')");
  auto during = server.OpenRecordset(select, kOpenSnapshot);
  EXPECT_EQ(during->RecordCount(), kRows + 1);
  server.Rollback();
  during->MoveLast();
  EXPECT_EQ(during->RecordCount(), kRows);
  EXPECT_EQ(RowText(*during), expected.back());

  // The connection closed under a recordset on its cursor: closed, not a crash.
  auto open = server.OpenRecordset(select, kOpenSnapshot);
  server.Close();
  EXPECT_EQ(ErrorOf([&] { open->SetAbsolutePosition(1500); }).number, err::kObjectClosed);
}

void FillTable(Database& database, const std::string& series_insert) {
  database.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), amount DOUBLE PRECISION, qty INTEGER, "
                   "note VARCHAR(300))");
  database.Execute(series_insert);
  database.Execute("UPDATE t SET name = NULL, amount = NULL, qty = NULL, note = NULL WHERE id = 5");
}

TEST(SourceCursorTest, SqliteDriverCursorMatchesTheCopy) {
  const std::string driver = OdbcDriverPath("libsqlite3odbc.so");
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  qb::test::TempDir dir;
  const std::string connect = "ODBC;DRIVER={" + driver + "};Database=" + dir.File("s.db");
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("lite", "admin", "", kUseOdbc);
  auto by_default = workspace->OpenDatabase("", Variant(1), false, connect);
  FillTable(*by_default, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                             std::to_string(kRows) +
                             ") INSERT INTO t SELECT i, 'name ' || i || ' ñ€', i * 0.5, i % 7, "
                             "substr(hex(zeroblob(150)), 1, 300 - i % 5) FROM n");
  auto servers = engine->CreateWorkspace("cursors", "admin", "", kUseOdbc);
  servers->SetDefaultCursorDriver(kUseServerCursor);
  auto server = servers->OpenDatabase("", Variant(1), false, connect);
  CheckServerCursor(*by_default, *server);
}

TEST(SourceCursorTest, PostgresCursorMatchesTheCopy) {
  std::string why_not;
  const PostgresInfo* info = PrivatePostgres(&why_not);
  if (!info) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("pg", "admin", "", kUseOdbc);
  auto by_default = workspace->OpenDatabase("", Variant(1), false, PostgresConnect(*info));
  by_default->Execute("DROP TABLE IF EXISTS t");
  FillTable(*by_default, "INSERT INTO t SELECT i, 'name ' || i || ' ñ€', i * 0.5, i % 7, repeat('x', 300 - i % 5) "
                         "FROM generate_series(1, " + std::to_string(kRows) + ") AS i");
  auto servers = engine->CreateWorkspace("cursors", "admin", "", kUseOdbc);
  servers->SetDefaultCursorDriver(kUseServerCursor);
  auto server = servers->OpenDatabase("", Variant(1), false, PostgresConnect(*info));
  CheckServerCursor(*by_default, *server);
  // The driver's own rows on a cursor declared on the server (UseDeclareFetch), fetched from it
  // a run at a time: the same again.
  auto declared = servers->OpenDatabase("", Variant(1), false, PostgresConnect(*info) + ";UseDeclareFetch=1;Fetch=64");
  CheckServerCursor(*by_default, *declared);
  by_default->Execute("DROP TABLE t");
}

}  // namespace
}  // namespace qb::jet::test
