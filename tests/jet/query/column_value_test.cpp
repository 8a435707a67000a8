// Reading result columns as the Variants of their Jet types: every stored form the engine
// writes, Null, and values SQLite holds that do not suit the column's type.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include "jet/sqlite/column_value.h"
#include "jet/base/jet_types.h"
#include "query_test_support.h"

namespace qb::jet::test {
namespace {

using namespace sql::dao_type;

struct ColumnCase {
  const char* sql_value;  // a SQLite expression
  int dao_type;
  const char* expected;   // ValueText with kinds
};

class ColumnValueTest : public ::testing::TestWithParam<ColumnCase> {
 protected:
  void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK); }
  void TearDown() override { sqlite3_close(db_); }

  std::string Read(const std::string& value, int dao_type) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, ("SELECT " + value).c_str(), -1, &stmt, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    std::string text = ValueText(ColumnValue(stmt, 0, dao_type), true);
    sqlite3_finalize(stmt);
    return text;
  }

  sqlite3* db_ = nullptr;
};

TEST_P(ColumnValueTest, ReadsAsItsJetType) {
  EXPECT_EQ(Read(GetParam().sql_value, GetParam().dao_type), GetParam().expected) << GetParam().sql_value;
}

INSTANTIATE_TEST_SUITE_P(
    StoredForms, ColumnValueTest,
    ::testing::Values(
        ColumnCase{"NULL", kText, "Null:Null"}, ColumnCase{"NULL", kLong, "Null:Null"},
        ColumnCase{"-1", kBoolean, "Boolean:True"}, ColumnCase{"0", kBoolean, "Boolean:False"},
        ColumnCase{"1", kBoolean, "Boolean:True"},  // any non-zero number is True
        ColumnCase{"255", kByte, "Byte:255"}, ColumnCase{"-32768", kInteger, "Int16:-32768"},
        ColumnCase{"2147483647", kLong, "Int32:2147483647"}, ColumnCase{"7.0", kLong, "Int32:7"},
        // Currency is stored as ten-thousandths; a REAL is an amount (files from before).
        ColumnCase{"1000", kCurrency, "Currency:0.1"}, ColumnCase{"123456781234", kCurrency, "Currency:12345678.1234"},
        ColumnCase{"-1", kCurrency, "Currency:-0.0001"}, ColumnCase{"420000", kCurrency, "Currency:42"},
        ColumnCase{"999999999999999999", kCurrency, "Currency:99999999999999.9999"},
        ColumnCase{"0.1", kCurrency, "Currency:0.1"}, ColumnCase{"12345678.1234", kCurrency, "Currency:12345678.1234"},
        ColumnCase{"1.5", kSingle, "Single:1.5"}, ColumnCase{"2", kDouble, "Double:2"},
        ColumnCase{"36526.5", kDate, "Date:36526.5"}, ColumnCase{"'abc'", kText, "String:abc"},
        ColumnCase{"'long text'", kMemo, "String:long text"},
        ColumnCase{"'{00000000-0000-0000-0000-000000000001}'", kGuid, "String:{00000000-0000-0000-0000-000000000001}"},
        ColumnCase{"x'0102'", kBinary, "ByteArray:bytes:2"}, ColumnCase{"x''", kLongBinary, "ByteArray:bytes:0"},
        // Values that do not suit the column come back as stored rather than failing.
        ColumnCase{"300", kByte, "Int32:300"}, ColumnCase{"70000", kInteger, "Int32:70000"},
        ColumnCase{"4000000000", kLong, "Double:4000000000"}, ColumnCase{"2.5", kLong, "Double:2.5"},
        ColumnCase{"'x'", kLong, "String:x"}, ColumnCase{"'x'", kDate, "String:x"},
        ColumnCase{"1e300", kCurrency, "Double:1E300"}, ColumnCase{"x'01'", kDouble, "ByteArray:bytes:1"},
        ColumnCase{"'ab'", kBinary, "ByteArray:bytes:2"},
        // A number computed into a text column reads as its text; an untyped column as stored.
        ColumnCase{"12", kText, "String:12"}, ColumnCase{"12", 0, "Int32:12"}, ColumnCase{"'t'", 0, "String:t"}));

}  // namespace
}  // namespace qb::jet::test
