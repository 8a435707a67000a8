// The engine under a process locale with a decimal comma (as a desktop program adopts the
// user's): statements with decimal literals, the dates of catalog objects and number and date
// property values work and read back the same under any other locale.
#include <gtest/gtest.h>

#include <cmath>

#include "jet/catalog/database_catalog.h"
#include "jet/dao/property.h"
#include "jet/recordset/recordset.h"
#include "schema_test_support.h"
#include "support/comma_locale.h"

namespace qb::jet::test {
namespace {

class CommaLocaleTest : public SchemaTest {
 protected:
  void SetUp() override {
    if (qb::test::CommaLocaleName().empty()) GTEST_SKIP() << qb::test::kCommaLocaleMissing;
    SchemaTest::SetUp();
  }
  void Reopen() {
    db_->Close();
    db_ = workspace_->OpenDatabase(path_);
  }
  std::string Rows(const std::string& sql) {
    auto rs = db_->OpenRecordset(sql, kOpenSnapshot);
    std::string text;
    for (; !rs->Eof(); rs->MoveNext()) {
      for (int i = 0; i < rs->Fields()->Count(); ++i) {
        text += (i ? "|" : (text.empty() ? "" : "; ")) + rs->Fields()->Item(i)->Value().ToStringOrEmpty();
      }
    }
    return text;
  }
};

TEST_F(CommaLocaleTest, StatementsWithDecimalsWork) {
  qb::test::ScopedCommaLocale comma;
  ASSERT_TRUE(comma.Active());
  db_->Execute("CREATE TABLE T (Id LONG, X DOUBLE, S SINGLE, D DATETIME)");
  db_->Execute("INSERT INTO T VALUES (1, 2.25, 0.5, #2001-02-03 12:00:00#)");
  db_->Execute("UPDATE T SET X = 1.5, S = S + 0.25");
  EXPECT_EQ(Rows("SELECT X, S, X * 2.5, Str(X), Year(D) FROM T WHERE X > 1.25 AND X < 1.75"), "1.5|0.75|3.75| 1.5|2001");
  EXPECT_EQ(Rows("SELECT Count(*) AS n FROM T WHERE D = #2001-02-03 12:00:00#"), "1");
  EXPECT_EQ(Rows("TRANSFORM Count(*) AS n SELECT Id FROM T GROUP BY Id PIVOT X"), "1|1");
  auto parameters = db_->CreateQueryDef("", "PARAMETERS p Double; SELECT Id FROM T WHERE X = p");
  parameters->Parameters()->Item("p")->SetValue(Variant(1.5));
  EXPECT_FALSE(parameters->OpenRecordset(kOpenSnapshot)->Eof());
}

TEST_F(CommaLocaleTest, CatalogDatesAndPropertyValuesKeepTheirFractionsAcrossLocales) {
  {
    qb::test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    db_->Execute("CREATE TABLE T (Id LONG, Amount DOUBLE)");
    db_->CreateQueryDef("Q", "SELECT Id FROM T");
    db_->CreateProperty("Ratio", 7, Variant(1.5));
    db_->CreateProperty("Rate", 6, Variant(0.25f));
    db_->CreateProperty("When", 8, Variant::FromDate(36526.75));
    Table("T")->CreateProperty("Scale", 7, Variant(2.5));
    Table("T")->Fields()->Item("Amount")->CreateProperty("Step", 7, Variant(0.125));
  }
  // Written under the comma locale, read under the C locale (another program, another user).
  Reopen();
  const double now = NowSerial();
  EXPECT_LT(std::fabs(Table("T")->DateCreated().ToDate() - now), 1.0 / 24) << Table("T")->DateCreated().ToDate();
  EXPECT_LT(std::fabs(db_->QueryDefs()->Item("Q")->DateCreated().ToDate() - now), 1.0 / 24);
  EXPECT_EQ(db_->Properties()->Item("Ratio")->Value().ToDouble(), 1.5);
  EXPECT_EQ(db_->Properties()->Item("Rate")->Value().ToDouble(), 0.25);
  EXPECT_EQ(db_->Properties()->Item("When")->Value().ToDate(), 36526.75);
  EXPECT_EQ(Table("T")->Properties()->Item("Scale")->Value().ToDouble(), 2.5);
  EXPECT_EQ(Table("T")->Fields()->Item("Amount")->Properties()->Item("Step")->Value().ToDouble(), 0.125);

  // Written under the C locale, read under the comma locale.
  db_->CreateProperty("Half", 7, Variant(0.5));
  Table("T")->Properties()->Item("Scale")->SetValue(Variant(3.75));
  Reopen();
  qb::test::ScopedCommaLocale comma;
  EXPECT_EQ(db_->Properties()->Item("Half")->Value().ToDouble(), 0.5);
  EXPECT_EQ(db_->Properties()->Item("Ratio")->Value().ToDouble(), 1.5);
  EXPECT_EQ(Table("T")->Properties()->Item("Scale")->Value().ToDouble(), 3.75);
  EXPECT_EQ(Table("T")->Fields()->Item("Amount")->Properties()->Item("Step")->Value().ToDouble(), 0.125);
  EXPECT_LT(std::fabs(Table("T")->DateCreated().ToDate() - now), 1.0 / 24);
}

TEST_F(CommaLocaleTest, ValuesOlderVersionsStoredWithACommaStillRead) {
  db_->Execute("CREATE TABLE T (Id LONG)");
  db_->CreateProperty("Ratio", 7, Variant(1.0));
  Exec("UPDATE MSysProperties SET Value = '1,5' WHERE Name = 'Ratio'");
  Exec("UPDATE MSysObjects SET DateCreated = '36526,5' WHERE Name = 'T'");
  Reopen();
  EXPECT_EQ(db_->Properties()->Item("Ratio")->Value().ToDouble(), 1.5);
  EXPECT_EQ(Table("T")->DateCreated().ToDate(), 36526.5);
}

}  // namespace
}  // namespace qb::jet::test
