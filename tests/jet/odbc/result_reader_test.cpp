// A data source's rows read back as engine values: each server type's DAO type and value,
// text in every script, long values read in pieces, NULL as Null, and a statement without rows
// counting the rows it changed.
#include <gtest/gtest.h>

#include "../engine_test_support.h"
#include "core/currency.h"
#include "core/date_serial.h"
#include "core/format_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/odbc/result_reader.h"
#include "odbc_servers.h"

namespace qb::jet::test {
namespace {

struct Expected {
  const char* name;
  int type;
  Variant value;
};

void ExpectRow(odbc::ResultReader& reader, const std::vector<Expected>& expected) {
  ASSERT_EQ(reader.Columns().size(), expected.size());
  std::vector<Variant> row;
  ASSERT_TRUE(reader.Next(row));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(reader.Columns()[i].name, expected[i].name);
    EXPECT_EQ(reader.Columns()[i].type, expected[i].type) << expected[i].name;
    EXPECT_EQ(row[i], expected[i].value) << expected[i].name;
  }
  EXPECT_FALSE(reader.Next(row));
  EXPECT_FALSE(reader.Next(row)) << "done stays done";
}

TEST(OdbcResultReaderTest, PostgresTypesMapToEngineValues) {
  std::string why_not;
  const PostgresInfo* server = PrivatePostgres(&why_not);
  if (!server) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("pg", "admin", "", kUseOdbc);
  auto database = workspace->OpenDatabase("", Variant(1), false, PostgresConnect(*server) + ";BoolsAsChar=0");
  odbc::ResultReader reader(
      *database->Source(),
      "SELECT true AS b, 12::smallint AS s, 123456 AS i, 9000000000::bigint AS big, 5::bigint AS little, "
      "1.5::real AS r, 2.25::float8 AS d, 12345678901234567890.0123::numeric(30,4) AS n, "
      "'Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80'::varchar(20) AS v, repeat('x', 10000)::text AS t, "
      "DATE '2001-02-03' AS dt, TIMESTAMP '2001-02-03 04:05:06' AS ts, '\\x01ff02'::bytea AS by, NULL::integer AS nul",
      30);
  ASSERT_TRUE(reader.HasRows());
  ExpectRow(reader, {
                        {"b", 1, Variant(true)},
                        {"s", 3, Variant(static_cast<std::int16_t>(12))},
                        {"i", 4, Variant(123456)},
                        {"big", 16, Variant("9000000000")},
                        {"little", 16, Variant(5)},
                        {"r", 6, Variant(1.5f)},
                        {"d", 7, Variant(2.25)},
                        {"n", 20, Variant("12345678901234567890.0123")},
                        {"v", 10, Variant("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80")},
                        {"t", 12, Variant(std::string(10000, 'x'))},
                        {"dt", 8, Variant::FromDate(EncodeDate(2001, 2, 3))},
                        {"ts", 8, Variant::FromDate(EncodeDateTime(2001, 2, 3, 4, 5, 6))},
                        {"by", 11, Variant::FromBytes({0x01, 0xff, 0x02})},
                        {"nul", 4, Variant::Null()},
                    });
}

TEST(OdbcResultReaderTest, ParametersAreBoundByTypeAndRoundTrip) {
  std::string why_not;
  const PostgresInfo* server = PrivatePostgres(&why_not);
  if (!server) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("pg", "admin", "", kUseOdbc);
  auto database = workspace->OpenDatabase("", Variant(1), false, PostgresConnect(*server) + ";BoolsAsChar=0");
  database->Execute("CREATE TABLE params_kept (i integer, d float8, t varchar(40), w timestamp, b bytea, f boolean)");
  const std::string text = "Gr\xC3\xBC\xC3\x9F\x65 \xF0\x9F\x98\x80 'quoted'; DROP TABLE params_kept";
  const double when = EncodeDateTime(2024, 2, 29, 13, 14, 15);
  const std::vector<Variant> values = {Variant(42), Variant(0.125), Variant(text), Variant::FromDate(when),
                                       Variant::FromBytes({0, 1, 255}), Variant(true)};
  {
    odbc::ResultReader insert(*database->Source(), "INSERT INTO params_kept VALUES (?, ?, ?, ?, ?, ?)", 30, values);
    EXPECT_EQ(insert.RowsAffected(), 1);
  }
  odbc::ResultReader nulls(*database->Source(), "INSERT INTO params_kept VALUES (?, ?, ?, ?, ?, ?)", 30,
                           std::vector<Variant>(6, Variant::Null()));
  odbc::ResultReader select(*database->Source(), "SELECT i, d, t, w, b, f FROM params_kept WHERE i = ?", 30, {Variant(42)});
  ExpectRow(select, {{"i", 4, values[0]}, {"d", 7, values[1]}, {"t", 10, values[2]}, {"w", 8, values[3]},
                     {"b", 11, values[4]}, {"f", 1, values[5]}});
  EXPECT_EQ(ErrorOf([&] { odbc::ResultReader(*database->Source(), "SELECT ? + ?", 30, {Variant(1)}); }).number,
            err::kInvalidArgument);
  database->Execute("DROP TABLE params_kept");
}

TEST(OdbcResultReaderTest, CurrencyParametersAreExactWhateverTheLocale) {
  std::string why_not;
  const PostgresInfo* server = PrivatePostgres(&why_not);
  if (!server) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("pg", "admin", "", kUseOdbc);
  auto database = workspace->OpenDatabase("", Variant(1), false, PostgresConnect(*server));
  FormatSettings comma;
  comma.DecimalSeparator = ",";
  comma.ThousandSeparator = ".";
  ScopedFormatSettings scoped(comma);
  const std::vector<std::pair<std::int64_t, std::string>> cases = {
      {125000, "12.5000"}, {-1, "-0.0001"}, {9223372036854775807LL, "922337203685477.5807"}};
  for (const auto& [scaled, text] : cases) {
    odbc::ResultReader echo(*database->Source(), "SELECT CAST(? AS numeric(19,4)) AS n", 30,
                            {Variant(Currency::FromScaled(scaled))});
    std::vector<Variant> row;
    ASSERT_TRUE(echo.Next(row));
    EXPECT_EQ(row[0], Variant(text)) << scaled;
  }
}

TEST(OdbcResultReaderTest, StatementsWithoutRowsCountWhatTheyChanged) {
  const std::string driver = OdbcDriverPath("libsqlite3odbc.so");
  if (driver.empty()) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  qb::test::TempDir dir;
  auto engine = CreateDBEngine(EngineSettings::ForTests());
  auto workspace = engine->CreateWorkspace("lite", "admin", "", kUseOdbc);
  auto database = workspace->OpenDatabase("", Variant(1), false, "ODBC;DRIVER={" + driver + "};Database=" + dir.File("r.db"));
  database->Execute("CREATE TABLE t (n INTEGER)");
  odbc::ResultReader insert(*database->Source(), "INSERT INTO t VALUES (1), (2), (3)", 0);
  EXPECT_FALSE(insert.HasRows());
  EXPECT_EQ(insert.RowsAffected(), 3);
  odbc::ResultReader empty(*database->Source(), "SELECT n FROM t WHERE n > 5", 0);
  ASSERT_TRUE(empty.HasRows());
  std::vector<Variant> row;
  EXPECT_FALSE(empty.Next(row));
  EXPECT_EQ(ErrorOf([&] { odbc::ResultReader(*database->Source(), "SELECT * FROM nowhere", 0); }).number,
            odbc::err::kCallFailed);
}

}  // namespace
}  // namespace qb::jet::test
