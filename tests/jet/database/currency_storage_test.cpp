// Currency amounts are exact: stored as ten-thousandths, written through every path with the
// range checked, summed and compared exactly; files made when amounts were stored as REALs
// open read-only and convert on an exclusive open or a compact.
#include <gtest/gtest.h>

#include <string>

#include "database_test_support.h"
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/recordset/recordset.h"
#include "jet/catalog/schema_model.h"
#include "jet/storage/text_collation.h"

namespace qb::jet::test {
namespace {

constexpr int kFailOnError = 128;
constexpr int kSnapshot = 4;

Currency Amount(const char* text) { return Currency::FromText(text, FormatSettings::Default()); }

class CurrencyStorageTest : public DatabaseTestBase {
 protected:
  // A new database with M (Id AutoNumber, Amount Currency, indexed).
  std::shared_ptr<Database> MakeDatabase(const std::string& name) {
    auto database = engine_->CreateDatabase(dir_.File(name), "1033");
    database->Execute("CREATE TABLE M (Id COUNTER PRIMARY KEY, Amount CURRENCY)");
    database->Execute("CREATE INDEX ByAmount ON M (Amount)");
    return database;
  }

  // The first column of the first row of SQL.
  static Variant Scalar(Database& database, const std::string& sql) {
    auto rs = database.OpenRecordset(sql, kSnapshot);
    return rs->Fields()->Item(0)->Value();
  }

  static std::string Storage(const std::string& path) {
    Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    Statement read = raw.Prepare("SELECT group_concat(t) FROM (SELECT DISTINCT typeof(Amount) AS t FROM M)");
    read.Step();
    return read.ColumnText(0);
  }
};

TEST_F(CurrencyStorageTest, AmountsRoundTripExactlyThroughSqlAndRecordsets) {
  auto database = MakeDatabase("exact.mdb");
  const char* kAmounts[] = {"99999999999999.9999", "922337203685477.5807", "-922337203685477.5808",
                            "0.0001", "-12345678901.2345"};
  for (const char* text : kAmounts) {
    SCOPED_TRACE(text);
    database->Execute("DELETE FROM M");
    database->Execute(std::string("INSERT INTO M (Amount) VALUES (") + text + ")", kFailOnError);
    EXPECT_EQ(Scalar(*database, "SELECT Amount FROM M"), Variant(Amount(text)));
    EXPECT_EQ(Scalar(*database, std::string("SELECT Count(*) FROM M WHERE Amount = ") + text).ToInt64(), 1);
    EXPECT_EQ(Scalar(*database, "SELECT CStr(Amount) FROM M").ToString(), Amount(text).ToText(FormatSettings::Default()));

    // A recordset writes what it is given and SQL reads it back the same.
    database->Execute("DELETE FROM M");
    auto rs = database->OpenRecordset("M");
    rs->AddNew();
    rs->Fields()->Item("Amount")->SetValue(Variant(Amount(text)));
    rs->Update();
    rs->Close();
    EXPECT_EQ(Scalar(*database, "SELECT Amount FROM M"), Variant(Amount(text)));
    EXPECT_EQ(Scalar(*database, "SELECT Amount FROM M WHERE Amount <= Amount + 0"), Variant(Amount(text)));
  }
  // Currency arithmetic that stays Currency is exact.
  database->Execute("DELETE FROM M");
  database->Execute("INSERT INTO M (Amount) VALUES (99999999999999.9999)", kFailOnError);
  EXPECT_EQ(Scalar(*database, "SELECT Amount + Amount FROM M"), Variant(Amount("199999999999999.9998")));
  EXPECT_EQ(Scalar(*database, "SELECT Amount * 3 - 1 FROM M"), Variant(Amount("299999999999998.9997")));
  database->Execute("UPDATE M SET Amount = Amount - CCur(0.0001)", kFailOnError);
  EXPECT_EQ(Scalar(*database, "SELECT Amount FROM M"), Variant(Amount("99999999999999.9998")));
}

TEST_F(CurrencyStorageTest, AFieldChangingTypeKeepsItsAmounts) {
  auto database = MakeDatabase("retype.mdb");
  database->Execute("CREATE TABLE R (D DOUBLE, C CURRENCY)");
  database->Execute("INSERT INTO R (D, C) VALUES (1.25, 2.5)", kFailOnError);
  database->Execute("ALTER TABLE R ALTER COLUMN D CURRENCY");
  database->Execute("ALTER TABLE R ALTER COLUMN C DOUBLE");
  EXPECT_EQ(Scalar(*database, "SELECT D FROM R"), Variant(Amount("1.25")));
  EXPECT_EQ(Scalar(*database, "SELECT C FROM R"), Variant(2.5));
}

TEST_F(CurrencyStorageTest, AmountsOutsideTheRangeAreRefusedAndTheTableStaysReadable) {
  auto database = MakeDatabase("range.mdb");
  database->Execute("INSERT INTO M (Amount) VALUES (1.5)", kFailOnError);
  const char* kRefused[] = {
      "INSERT INTO M (Amount) VALUES (1E20)",
      "INSERT INTO M (Amount) VALUES (922337203685477.5808)",
      "INSERT INTO M (Amount) VALUES (-922337203685477.5809)",
      "INSERT INTO M (Amount) VALUES ('1E20')",
      "INSERT INTO M (Amount) SELECT Amount * 1E19 FROM M",
      "UPDATE M SET Amount = 1E20",
  };
  for (const char* sql : kRefused) {
    EXPECT_EQ(ErrorOf([&] { database->Execute(sql, kFailOnError); }).number, err::kNumericOverflow) << sql;
  }
  auto rs = database->OpenRecordset("M");
  rs->Edit();
  EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Amount")->SetValue(Variant(1e20)); }).number, err::kNumericOverflow);
  rs->CancelUpdate();
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { database->Execute("ALTER TABLE M ADD COLUMN Fee CURRENCY DEFAULT 1E20"); }).number,
            err::kNumericOverflow);
  // A sum past the range is an overflow, not a wrong number.
  database->Execute("INSERT INTO M (Amount) VALUES (900000000000000)", kFailOnError);
  EXPECT_EQ(Scalar(*database, "SELECT Sum(Amount) FROM M"), Variant(Amount("900000000000001.5")));
  database->Execute("INSERT INTO M (Amount) VALUES (900000000000000)", kFailOnError);
  EXPECT_EQ(ErrorOf([&] { Scalar(*database, "SELECT Sum(Amount) FROM M"); }).number, 6);
  database->Execute("DELETE FROM M WHERE Amount > 2", kFailOnError);
  // Nothing was written and every read still works.
  EXPECT_EQ(Scalar(*database, "SELECT Count(*) FROM M").ToInt64(), 1);
  EXPECT_EQ(Scalar(*database, "SELECT Sum(Amount) FROM M"), Variant(Amount("1.5")));
  EXPECT_EQ(Storage(database->Name()), "integer");
}

TEST_F(CurrencyStorageTest, SumsAreExactAndKeepTheCurrencyType) {
  auto database = MakeDatabase("sum.mdb");
  database->BeginTrans();
  for (int i = 0; i < 1000; ++i) database->Execute("INSERT INTO M (Amount) VALUES (0.1)", kFailOnError);
  database->CommitTrans();
  EXPECT_EQ(Scalar(*database, "SELECT Sum(Amount) FROM M"), Variant(Amount("100")));
  EXPECT_EQ(Scalar(*database, "SELECT Avg(Amount) FROM M"), Variant(Amount("0.1")));
  EXPECT_EQ(Scalar(*database, "SELECT Max(Amount) FROM M"), Variant(Amount("0.1")));
  EXPECT_EQ(Scalar(*database, "SELECT Sum(Amount * 2) FROM M"), Variant(Amount("200")));
  EXPECT_EQ(Scalar(*database, "SELECT Sum(Amount + CCur(123456789.1234)) FROM M"),
            Variant(Amount("123456789223.4")));
  // Compared with literals, parameters and other kinds on the amount's own scale.
  EXPECT_EQ(Scalar(*database, "SELECT Count(*) FROM M WHERE Amount = 0.1 AND Amount > 0.09999 AND Amount < '0.2'")
                .ToInt64(),
            1000);
  EXPECT_EQ(Scalar(*database, "SELECT Count(*) FROM M WHERE Amount Between 0 And 1 AND Amount In (0.1, 5)").ToInt64(),
            1000);
  // Amounts leave as plain numbers where they meet other types.
  EXPECT_DOUBLE_EQ(Scalar(*database, "SELECT First(Amount * 1.5) FROM M").ToDouble(), 0.15);
  EXPECT_DOUBLE_EQ(Scalar(*database, "SELECT First(IIf(Amount > 0, Amount, 0)) FROM M").ToDouble(), 0.1);
  EXPECT_DOUBLE_EQ(Scalar(*database, "SELECT 1.5 AS X FROM M UNION SELECT Amount FROM M ORDER BY 1").ToDouble(),
                   0.1);
  EXPECT_EQ(Scalar(*database, "SELECT Amount FROM M UNION SELECT 3 FROM M ORDER BY 1 DESC"), Variant(Amount("3")));
}

// A file as the engine made it when amounts were REALs: M's Amount column REAL with rounding
// triggers, and no record of the integer form.
class OldCurrencyFileTest : public CurrencyStorageTest {
 protected:
  std::string MakeOldFile(const std::string& name) {
    {
      auto database = MakeDatabase(name);
      for (const char* amount : {"12.5", "0.1", "99999.9999", "7"}) {
        database->Execute(std::string("INSERT INTO M (Amount) VALUES (") + amount + ")", kFailOnError);
      }
      database->Execute("DELETE FROM M WHERE Amount = 7");  // the AutoNumber seed stays at 4
      database->Close();
    }
    const std::string path = dir_.File(name);
    Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    RegisterTextCollation(raw, 1033);
    std::string table;
    std::vector<std::pair<std::string, std::string>> indexes;
    {
      Statement read = raw.Prepare("SELECT sql FROM sqlite_master WHERE name = 'M'");
      read.Step();
      table = read.ColumnText(0);
      Statement index = raw.Prepare(
          "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = 'M' AND sql IS NOT NULL");
      while (index.Step()) indexes.emplace_back(index.ColumnText(0), index.ColumnText(1));
    }
    auto replace = [&](const std::string& from, const std::string& to) {
      const std::size_t at = table.find(from);
      ASSERT_NE(at, std::string::npos) << from << " in " << table;
      table.replace(at, from.size(), to);
    };
    replace("CREATE TABLE \"M\"", "CREATE TABLE \"M_old\"");
    replace("\"Amount\" INTEGER", "\"Amount\" REAL");
    replace("typeof(\"Amount\") = 'integer'", "typeof(\"Amount\") IN ('integer', 'real')");
    const std::string id = indexes.at(0).first.substr(4, indexes.at(0).first.find('_', 4) - 4);
    Transaction transaction(raw);
    raw.Exec(table);
    raw.Exec("INSERT INTO M_old (rowid, Id, Amount) SELECT rowid, Id, Amount / 10000.0 FROM M");
    raw.Exec("DROP TABLE M");
    raw.Exec("ALTER TABLE M_old RENAME TO M");
    for (const auto& [index_name, sql] : indexes) raw.Exec(sql);
    raw.Exec("UPDATE sqlite_sequence SET seq = 4 WHERE name = 'M'");
    raw.Exec("CREATE TRIGGER \"qbt_" + id + "_i\" AFTER INSERT ON M BEGIN UPDATE M SET Amount = round(Amount, 4) "
             "WHERE rowid = NEW.rowid AND Amount IS NOT round(Amount, 4); END");
    raw.Exec("DELETE FROM MSysDbInfo WHERE Name = 'CurrencyStorage'");
    transaction.Commit();
    return path;
  }

  // The values, the index, the AutoNumber seed (NEXT_ID: compact restarts it after the highest
  // number) and the converted form of a converted file.
  void ExpectConverted(const std::string& path, int next_id) {
    EXPECT_EQ(Storage(path), "integer");
    {
      Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
      Statement objects = raw.Prepare(
          "SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'M'), "
          "(SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'M' AND name LIKE 'qbi_%ByAmount'), "
          "(SELECT Value FROM MSysDbInfo WHERE Name = 'CurrencyStorage')");
      objects.Step();
      EXPECT_EQ(objects.ColumnInt(0), 0);  // the rounding trigger went
      EXPECT_EQ(objects.ColumnInt(1), 1);
      EXPECT_EQ(objects.ColumnText(2), "Integer");
    }
    auto database = workspace_->OpenDatabase(path, Variant(), false, "");
    EXPECT_EQ(Scalar(*database, "SELECT Sum(Amount) FROM M"), Variant(Amount("100012.5999")));
    EXPECT_EQ(Scalar(*database, "SELECT Id FROM M WHERE Amount = 99999.9999").ToInt64(), 3);
    database->Execute("INSERT INTO M (Amount) VALUES (99999999999999.9999)", kFailOnError);
    EXPECT_EQ(Scalar(*database, "SELECT Max(Id) FROM M").ToInt64(), next_id);
    EXPECT_EQ(Scalar(*database, "SELECT Max(Amount) FROM M"), Variant(Amount("99999999999999.9999")));
  }
};

TEST_F(OldCurrencyFileTest, OpensReadOnlyUntilConvertedAndSaysHow) {
  const std::string path = MakeOldFile("old.mdb");
  const FileSnapshot before = Snapshot(path);
  {
    auto database = workspace_->OpenDatabase(path, Variant(), false, "");
    EXPECT_EQ(Scalar(*database, "SELECT Sum(Amount) FROM M"), Variant(Amount("100012.5999")));
    EXPECT_EQ(Scalar(*database, "SELECT Count(*) FROM M WHERE Amount = 12.5 OR Amount > 99999").ToInt64(), 2);
    auto rs = database->OpenRecordset("M");
    EXPECT_EQ(rs->Fields()->Item("Amount")->Value(), Variant(Amount("12.5")));
    const CaughtError refused = ErrorOf([&] { database->Execute("UPDATE M SET Amount = 1"); });
    EXPECT_EQ(refused.number, err::kReadOnly);
    EXPECT_NE(refused.message.find("exclusively"), std::string::npos) << refused.message;
    EXPECT_NE(refused.message.find("compact"), std::string::npos) << refused.message;
    EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }).number != 0, true);
  }
  EXPECT_EQ(Snapshot(path).bytes, before.bytes);
  EXPECT_EQ(Storage(path), "real");
}

TEST_F(OldCurrencyFileTest, ConvertsWhenOpenedExclusively) {
  const std::string path = MakeOldFile("exclusive.mdb");
  workspace_->OpenDatabase(path, Variant(true), false, "")->Close();
  ExpectConverted(path, 5);  // after the seed, not the highest number
}

TEST_F(OldCurrencyFileTest, ConvertsWhenCompacted) {
  const std::string path = MakeOldFile("compact.mdb");
  const std::string compacted = dir_.File("compacted.mdb");
  engine_->CompactDatabase(path, compacted);
  EXPECT_EQ(Storage(path), "real");  // the source is only read
  ExpectConverted(compacted, 4);
}

}  // namespace
}  // namespace qb::jet::test
