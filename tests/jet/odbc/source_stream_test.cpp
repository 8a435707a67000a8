// Forward-only recordsets on data sources read straight from the server's statement: the same
// values as a snapshot's over runs longer than one held run, moves back and writes refused,
// Requery starting over, MaxRecords capping every kind, the no-cursor driver, and a connection
// closed under a recordset still reading. Over the SQLite ODBC driver (no server) and the private PostgreSQL.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/querydef.h"
#include "jet/dao/workspace.h"
#include "jet/recordset/recordset.h"
#include "odbc_servers.h"

namespace qb::jet::test {
namespace {

constexpr int kRows = 700;  // more than one run of streamed rows

// Every row of RECORDSET from where it stands, each as its fields' values in text.
std::vector<std::string> Rows(Recordset& recordset) {
  std::vector<std::string> rows;
  auto fields = recordset.Fields();
  for (; !recordset.Eof(); recordset.MoveNext()) {
    std::string line;
    for (int i = 0; i < fields->Count(); ++i) {
      const Variant& value = fields->Item(i)->Value();
      line += (value.IsNull() ? std::string("<null>") : value.ToString()) + "|";
    }
    rows.push_back(line);
  }
  return rows;
}

// The cases every driver must pass, on DATABASE holding table t (id, name, amount, qty, note)
// with kRows rows and a Null in every column but id of row 5.
void CheckStreaming(Database& database) {
  const std::string select = "SELECT id, name, amount, qty, note FROM t ORDER BY id";
  auto snapshot = database.OpenRecordset(select, kOpenSnapshot);
  const std::vector<std::string> expected = Rows(*snapshot);
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(kRows));

  // The kinds that stream: forward-only, type 0 and a snapshot with dbForwardOnly.
  for (auto [type, options] : {std::pair{kOpenForwardOnly, 0}, std::pair{0, 0},
                               std::pair{kOpenSnapshot, static_cast<int>(recordset_option::kForwardOnly)}}) {
    SCOPED_TRACE("type " + std::to_string(type) + " options " + std::to_string(options));
    auto forward = database.OpenRecordset(select, type, options);
    EXPECT_EQ(forward->Type(), kOpenForwardOnly);
    EXPECT_FALSE(forward->Updatable());
    forward->MoveNext();
    EXPECT_EQ(ErrorOf([&] { forward->MovePrevious(); }).number, err::kNotForThisObject);
    EXPECT_EQ(ErrorOf([&] { forward->MoveFirst(); }).number, err::kNotForThisObject);
    EXPECT_EQ(ErrorOf([&] { forward->Move(-1); }).number, err::kNotForThisObject);
    EXPECT_NE(ErrorOf([&] { forward->Edit(); }).number, 0);
    forward->Requery();  // starts over from the first row
    EXPECT_EQ(Rows(*forward), expected);
    EXPECT_EQ(forward->RecordCount(), kRows);
  }

  // CacheSize: the rows read from the server at a time; every size reads every row once.
  for (int cache : {1, 5, 300, 5000}) {
    auto forward = database.OpenRecordset(select, kOpenForwardOnly);
    forward->SetCacheSize(cache);
    EXPECT_EQ(Rows(*forward), expected) << "CacheSize " << cache;
    EXPECT_EQ(forward->CacheSize(), cache);
  }

  // Two streams at once on one connection, read in turns.
  auto a = database.OpenRecordset(select, kOpenForwardOnly);
  auto b = database.OpenRecordset(select, kOpenForwardOnly);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(a->Fields()->Item(0)->Value().ToInt32(), i + 1);
    ASSERT_EQ(b->Fields()->Item(0)->Value().ToInt32(), i + 1);
    a->MoveNext();
    b->MoveNext();
  }

  // MaxRecords caps what a query definition's recordsets read, whatever their kind.
  auto query = database.CreateQueryDef("", select);
  query->SetMaxRecords(7);
  for (int type : {kOpenForwardOnly, kOpenSnapshot, kOpenDynaset}) {
    SCOPED_TRACE("MaxRecords, type " + std::to_string(type));
    auto capped = query->OpenRecordset(type);
    EXPECT_EQ(Rows(*capped), std::vector<std::string>(expected.begin(), expected.begin() + 7));
    capped->Requery();
    EXPECT_EQ(Rows(*capped).size(), 7u) << "Requery keeps the cap";
  }
}

void FillTable(Database& database, const std::string& series_insert) {
  database.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), amount DOUBLE PRECISION, qty INTEGER, "
                   "note VARCHAR(300))");
  database.Execute(series_insert);
  database.Execute("UPDATE t SET name = NULL, amount = NULL, qty = NULL, note = NULL WHERE id = 5");
}

TEST(SourceStreamTest, SqliteDriverStreamsForwardOnlyRows) {
  const std::string driver = OdbcDriverPath("libsqlite3odbc.so");
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  qb::test::TempDir dir;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("lite", "admin", "", kUseOdbc);
  auto database =
      workspace->OpenDatabase("", Variant(1), false, "ODBC;DRIVER={" + driver + "};Database=" + dir.File("s.db"));
  FillTable(*database, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                           std::to_string(kRows) +
                           ") INSERT INTO t SELECT i, 'name ' || i || ' ñ€', i * 0.5, i % 7, "
                           "substr(hex(zeroblob(150)), 1, 300 - i % 5) FROM n");
  CheckStreaming(*database);

  // dbUseNoCursor: every kind opens as a forward-only read-only stream; the default cursor
  // driver keeps the kinds asked for.
  auto no_cursor = engine->CreateWorkspace("none", "admin", "", kUseOdbc);
  no_cursor->SetDefaultCursorDriver(kUseNoCursor);
  auto streamed = no_cursor->OpenDatabase("", Variant(1), false, "ODBC;DRIVER={" + driver + "};Database=" + dir.File("s.db"));
  for (int type : {kOpenDynaset, kOpenDynamic, kOpenSnapshot}) {
    auto rows = streamed->OpenRecordset("t", type);
    EXPECT_EQ(rows->Type(), kOpenForwardOnly) << type;
    EXPECT_FALSE(rows->Updatable());
    EXPECT_EQ(Rows(*rows).size(), static_cast<std::size_t>(kRows));
  }
  EXPECT_TRUE(database->OpenRecordset("t", kOpenDynaset)->Updatable());

  // The connection closed under a recordset still reading: closed, not a crash.
  auto open = database->OpenRecordset("SELECT id FROM t", kOpenForwardOnly);
  database->Close();
  EXPECT_EQ(ErrorOf([&] { open->MoveNext(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { open->Requery(); }).number, err::kObjectClosed);
}

TEST(SourceStreamTest, PostgresStreamsForwardOnlyRows) {
  std::string why_not;
  const PostgresInfo* server = PrivatePostgres(&why_not);
  if (!server) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("pg", "admin", "", kUseOdbc);
  auto database = workspace->OpenDatabase("", Variant(1), false, PostgresConnect(*server));
  database->Execute("DROP TABLE IF EXISTS t");
  FillTable(*database, "INSERT INTO t SELECT i, 'name ' || i || ' ñ€', i * 0.5, i % 7, repeat('x', 300 - i % 5) "
                       "FROM generate_series(1, " + std::to_string(kRows) + ") AS i");
  CheckStreaming(*database);
  database->Execute("DROP TABLE t");
}

}  // namespace
}  // namespace qb::jet::test
