// Values written into fields take the field's type or are refused, on every write path: the
// statements (INSERT ... VALUES, INSERT ... SELECT, UPDATE, SELECT ... INTO), recordsets,
// default values and table rebuilds; stored rows never hold another SQLite storage class.
#include <gtest/gtest.h>

#include "jet/maintenance/database_maintenance.h"
#include "jet/query/query_execution.h"
#include "jet/recordset/recordset.h"
#include "jet/base/recordset_types.h"
#include "jet/dao/tabledef.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

constexpr int kFailOnError = recordset_option::kFailOnError;

class StoredTypesTest : public SchemaTest {
 protected:
  void Run(const std::string& sql, const std::vector<Variant>& values = {}) {
    ExecuteStatement(*db_->File(), sql, values, kFailOnError);
  }
};

// One text or value written into one field type, and what the field then holds (SQLite's quote()
// of it, so the storage class shows) or the error number.
struct Case {
  const char* type;  // the column's Jet type
  Variant value;
  const char* stored;  // nullptr when refused
  int error;
};

const Case kCases[] = {
    {"DOUBLE", Variant("1.5"), "1.5", 0},
    {"DOUBLE", Variant(" -2e3 "), "-2000.0", 0},
    {"DOUBLE", Variant("1.2.3"), nullptr, 3421},
    {"DOUBLE", Variant("12-34"), nullptr, 3421},
    {"DOUBLE", Variant(""), nullptr, 3421},
    {"DOUBLE", Variant("1e999"), nullptr, 3349},
    {"DOUBLE", Variant(7), "7.0", 0},
    {"SINGLE", Variant("0.5"), "0.5", 0},
    {"SINGLE", Variant("1e39"), nullptr, 3349},
    {"LONG", Variant("12.5"), "12", 0},
    {"LONG", Variant("13.5"), "14", 0},
    {"LONG", Variant(2.5), "2", 0},
    {"LONG", Variant("2147483648"), nullptr, 3349},
    {"LONG", Variant("x1"), nullptr, 3421},
    {"SHORT", Variant("-32768"), "-32768", 0},
    {"SHORT", Variant("32768"), nullptr, 3349},
    {"BYTE", Variant("255"), "255", 0},
    {"BYTE", Variant("-1"), nullptr, 3349},
    {"YESNO", Variant("True"), "-1", 0},
    {"YESNO", Variant("false"), "0", 0},
    {"YESNO", Variant("5"), "-1", 0},
    {"YESNO", Variant("maybe"), nullptr, 3421},
    {"CURRENCY", Variant("12.3456"), "123456", 0},  // ten-thousandths
    {"CURRENCY", Variant("12-34"), nullptr, 3421},
    {"CURRENCY", Variant("1e20"), nullptr, 3349},
    {"DATETIME", Variant("2001-02-28"), "36950.0", 0},
    {"DATETIME", Variant("2001-02-28 12:00:00"), "36950.5", 0},
    {"DATETIME", Variant("2/28/01"), "36950.0", 0},
    {"DATETIME", Variant("Feb 28, 2001"), "36950.0", 0},
    {"DATETIME", Variant("11/16/94 00:00:00"), "34654.0", 0},
    {"DATETIME", Variant(36950), "36950.0", 0},
    {"DATETIME", Variant("2001-02-30"), nullptr, 3421},
    {"DATETIME", Variant("36950"), nullptr, 3421},
    {"DATETIME", Variant(1e9), nullptr, 3349},
    {"TEXT(10)", Variant(1.5), "'1.5'", 0},
    {"GUID", Variant("6F9619FF-8B86-D011-B42D-00C04FC964FF"), "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'", 0},
    {"GUID", Variant("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"), "'{6f9619ff-8b86-d011-b42d-00c04fc964ff}'", 0},
    {"GUID", Variant("not a guid"), nullptr, 3421},
    {"GUID", Variant(5), nullptr, 3421},
};

std::string Describe(const Case& c) { return std::string(c.type) + " <- " + c.value.ToString(); }

TEST_F(StoredTypesTest, AStatementsValueTakesItsFieldsTypeOrTheRowIsRefused) {
  int n = 0;
  for (const Case& c : kCases) {
    SCOPED_TRACE(Describe(c));
    const std::string table = "T" + std::to_string(++n);
    Run("CREATE TABLE " + table + " (v " + c.type + ")");
    // A parameter: the value reaches the field while the statement runs.
    const CaughtError error = ErrorOf([&] { Run("INSERT INTO " + table + " (v) VALUES ([p])", {c.value}); });
    EXPECT_EQ(error.number, c.error) << error.message;
    EXPECT_EQ(Select("SELECT quote(v), 1 FROM " + table), c.stored ? std::string(c.stored) + "|1\n" : "");
  }
}

TEST_F(StoredTypesTest, ARecordsetsValueTakesItsFieldsTypeOrIsRefused) {
  int n = 0;
  for (const Case& c : kCases) {
    SCOPED_TRACE(Describe(c));
    const std::string table = "R" + std::to_string(++n);
    Run("CREATE TABLE " + table + " (v " + c.type + ")");
    auto rs = db_->OpenRecordset(table, kOpenDynaset);
    rs->AddNew();
    const CaughtError error = ErrorOf([&] {
      rs->Fields()->Item("v")->SetValue(c.value);
      rs->Update();
    });
    EXPECT_EQ(error.number, c.error) << error.message;
    if (error.number != 0) rs->CancelUpdate();
    EXPECT_EQ(Select("SELECT quote(v), 1 FROM " + table), c.stored ? std::string(c.stored) + "|1\n" : "");
  }
}

TEST_F(StoredTypesTest, TextInNumberAndDateFieldsIsConvertedOrRefusedOnEveryStatement) {
  Run("CREATE TABLE N (x DOUBLE, c CURRENCY, d DATETIME)");
  // Constants of another type refuse the statement before it writes anything.
  EXPECT_EQ(ErrorOf([&] { Run("INSERT INTO N (x, c, d) VALUES ('1.2.3', '12-34', '2001-02-30')"); }).number, 3464);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO N (x) VALUES ('1.2.3')"); }).number, 3464);
  EXPECT_EQ(Select("SELECT count(*), 1 FROM N"), "0|1\n");

  Run("INSERT INTO N (x, c, d) VALUES ('1.5', '12.5', '2001-02-28')");
  Run("UPDATE N SET x = x + '1', d = '2001-02-28 12:00:00'");
  EXPECT_EQ(Select("SELECT quote(x), quote(c), quote(d) FROM N"), "2.5|125000|36950.5\n");
  EXPECT_EQ(ErrorOf([&] { Run("UPDATE N SET d = 'someday'"); }).number, 3464);

  // Rows of another table: INSERT ... SELECT and SELECT ... INTO convert each value.
  Run("CREATE TABLE S (t TEXT(30), n LONG)");
  Run("INSERT INTO S (t, n) VALUES ('2001-02-28', 4)");
  Run("INSERT INTO N (d, x) SELECT t, n FROM S");
  EXPECT_EQ(Select("SELECT quote(x), quote(d) FROM N WHERE c IS NULL"), "4.0|36950.0\n");
  Run("INSERT INTO S (t, n) VALUES ('not a date', 5)");
  EXPECT_EQ(ErrorOf([&] { Run("INSERT INTO N (d) SELECT t FROM S"); }).number, 3421);
  // Without dbFailOnError the row that does not convert is skipped, the others written.
  db_->Execute("INSERT INTO N (d) SELECT t FROM S");
  EXPECT_EQ(db_->RecordsAffected(), 1);
  Run("SELECT d, x INTO M FROM N WHERE c IS NULL");
  EXPECT_EQ(Select("SELECT DISTINCT typeof(d), 1 FROM M"), "real|1\n");

  // What is stored works as its type: arithmetic, sums and date criteria.
  EXPECT_EQ(Select("SELECT typeof(x), count(*) FROM N GROUP BY typeof(x)"), "null|1\nreal|2\n");
  auto sums = db_->OpenRecordset("SELECT Sum(x) AS s, Count(*) AS n FROM N WHERE d = #2001-02-28#", kOpenSnapshot);
  EXPECT_EQ(sums->Fields()->Item("s")->Value().ToDouble(), 4.0);
  EXPECT_EQ(sums->Fields()->Item("n")->Value().ToInt32(), 2);
}

TEST_F(StoredTypesTest, RawSqlCannotStoreAnotherTypeInANewTable) {
  Run("CREATE TABLE N (x DOUBLE, d DATETIME, n LONG, b YESNO, t TEXT(10), m MEMO, g GUID, p LONGBINARY)");
  for (const char* value : {"(x) VALUES ('1.2.3')", "(d) VALUES ('2001-02-28')", "(n) VALUES ('7')",
                            "(n) VALUES (1.5)", "(b) VALUES ('0')", "(t) VALUES (x'41')", "(m) VALUES (x'41')",
                            "(g) VALUES (x'41')", "(p) VALUES ('text')"}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ErrorOf([&] { Exec(std::string("INSERT INTO N ") + value); }).number, 3421);
  }
  // What the affinity turns into the field's own class stays accepted.
  Exec("INSERT INTO N (x, d, n, t) VALUES (1, 2, 3, 4)");
  EXPECT_EQ(Select("SELECT typeof(x), typeof(d), typeof(n), typeof(t) FROM N"), "real|real|integer|text\n");
}

TEST_F(StoredTypesTest, DefaultValuesAndRebuildsStoreTheFieldsType) {
  Run("CREATE TABLE D (k LONG, x DOUBLE, d DATETIME, t TEXT(10))");
  Table("D")->Fields()->Item("x")->SetDefaultValue(Variant("0"));
  Table("D")->Fields()->Item("d")->SetDefaultValue(Variant("'2001-02-28'"));
  Table("D")->Fields()->Item("t")->SetDefaultValue(Variant("12"));
  Run("INSERT INTO D (k) VALUES (1)");
  auto rs = db_->OpenRecordset("D", kOpenDynaset);
  rs->AddNew();
  rs->Fields()->Item("k")->SetValue(Variant(2));
  rs->Update();
  EXPECT_EQ(Select("SELECT quote(x), quote(d), quote(t) FROM D ORDER BY k"), "0.0|36950.0|'12'\n0.0|36950.0|'12'\n");
  rs->Close();  // the table's design cannot change while a recordset has it open
  // A field changing type takes each value converted.
  Run("ALTER TABLE D ALTER COLUMN t LONG");
  EXPECT_EQ(Select("SELECT DISTINCT quote(t), 1 FROM D"), "12|1\n");
  EXPECT_EQ(ErrorOf([&] { Table("D")->Fields()->Item("x")->SetDefaultValue(Variant("'abc'")); }).number, 3421);
}

TEST_F(StoredTypesTest, RepairReportsRowsOfAnOlderFileHoldingAnotherType) {
  Run("CREATE TABLE Old (Id COUNTER PRIMARY KEY, x DOUBLE, d DATETIME)");
  Run("INSERT INTO Old (x, d) VALUES (1.5, #2001-02-28#)");
  // A table as files made before the storage checks have it: the column takes any text.
  Exec("ALTER TABLE Old RENAME TO OldChecked");
  Exec("CREATE TABLE Old (Id INTEGER PRIMARY KEY AUTOINCREMENT, x REAL, d REAL)");
  Exec("INSERT INTO Old SELECT * FROM OldChecked");
  Exec("DROP TABLE OldChecked");
  Exec("INSERT INTO Old (x, d) VALUES ('1.2.3', '2001-02-30'), (2, 'Feb 28')");
  db_->Close();

  const RepairOutcome outcome = RepairDatabaseFile(path_, "", EngineSettings::ForTests());
  EXPECT_FALSE(outcome.was_damaged);
  ASSERT_EQ(outcome.mistyped.size(), 2u);
  EXPECT_EQ(outcome.mistyped[0].table, "Old");
  EXPECT_EQ(outcome.mistyped[0].field, "x");
  EXPECT_EQ(outcome.mistyped[0].rows, 1);
  EXPECT_EQ(outcome.mistyped[0].first_row, 2);
  EXPECT_EQ(outcome.mistyped[1].field, "d");
  EXPECT_EQ(outcome.mistyped[1].rows, 2);
}

}  // namespace
}  // namespace qb::jet::test
