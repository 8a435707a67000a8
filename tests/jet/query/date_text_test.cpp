// Text meeting a date: compared with a Date field, given as a parameter's value, or converted by
// CDate and DateValue, text that reads as a date is that date; text that does not is a type
// mismatch, never a silently false comparison.
#include <gtest/gtest.h>

#include "jet/query/query_rows.h"
#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "jet/base/recordset_types.h"
#include "query_test_support.h"

namespace qb::jet::test {
namespace {

class DateTextTest : public QueryTestBase {
 protected:
  void SetUp() override {
    QueryTestBase::SetUp();
    Run({"CREATE TABLE Orders (Id LONG, Placed DATETIME)",
         "INSERT INTO Orders VALUES (1, #1995-12-31#)",
         "INSERT INTO Orders VALUES (2, #1996-01-01#)",
         "INSERT INTO Orders VALUES (3, #1996-06-01 10:00:00#)"});
  }

  // The first column of every row of SQL, as "a,b,".
  std::string Ids(const std::string& sql, const std::vector<std::pair<std::string, Variant>>& params = {}) {
    auto query = database_->CreateQueryDef("", sql);
    for (const auto& [name, value] : params) query->Parameters()->Item(name)->SetValue(value);
    std::string text;
    for (const auto& row : query->ReadRows().rows) text += ValueText(row[0]) + ",";
    return text;
  }
};

TEST_F(DateTextTest, TextComparedWithADateFieldIsReadAsADate) {
  struct Case {
    const char* where;
    const char* ids;
  };
  const Case cases[] = {
      {"Placed = '1996-01-01'", "2,"},
      {"Placed = '1/1/96'", "2,"},
      {"'Jan 1, 1996' = Placed", "2,"},
      {"Placed >= '1996-01-01'", "2,3,"},
      {"Placed < '1996-01-01 00:00:01'", "1,2,"},
      {"Placed Between '1996-01-01' And '1996-12-31'", "2,3,"},
      {"Placed In ('1995-12-31', '1996-06-01 10:00')", "1,3,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_EQ(Ids(std::string("SELECT Id FROM Orders WHERE ") + c.where + " ORDER BY Id"), c.ids);
  }
  EXPECT_EQ(ErrorOf([&] { Ids("SELECT Id FROM Orders WHERE Placed = 'soon'"); }).number, 3464);
}

TEST_F(DateTextTest, AParameterGivenTextMeetsADateAsThatDate) {
  // Undeclared, the parameter is text, as `quill run --param Since=1996-01-01` passes it.
  EXPECT_EQ(Ids("SELECT Id FROM Orders WHERE Placed >= [Since] ORDER BY Id", {{"Since", Variant("1996-01-01")}}),
            "2,3,");
  EXPECT_EQ(Ids("SELECT Id FROM Orders WHERE Placed >= [Since] ORDER BY Id", {{"Since", Variant("Jun 1, 1996")}}),
            "3,");
  EXPECT_EQ(Ids("PARAMETERS Since DateTime; SELECT Id FROM Orders WHERE Placed >= Since ORDER BY Id",
                {{"Since", Variant("1996-01-01")}}),
            "2,3,");
  const CaughtError error = ErrorOf(
      [&] { Ids("SELECT Id FROM Orders WHERE Placed >= [Since]", {{"Since", Variant("the first of January")}}); });
  EXPECT_EQ(error.number, 3464) << error.message;
}

TEST_F(DateTextTest, CDateAndDateValueReadTheFormsOfADateLiteral) {
  struct Case {
    const char* expression;
    double serial;
  };
  const Case cases[] = {
      {"CDate('2001-02-28')", 36950},
      {"CDate('Feb 28, 2001')", 36950},
      {"CDate('2/28/2001 12:00')", 36950.5},
      {"DateValue('2001-02-28 18:00:00')", 36950},
      {"DateValue('Feb 28, 2001')", 36950},
      {"DateValue('28-Feb-2001')", 36950},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    auto rs = database_->OpenRecordset(std::string("SELECT ") + c.expression + " AS v FROM Orders WHERE Id = 1",
                                       kOpenSnapshot);
    const Variant value = rs->Fields()->Item("v")->Value();
    EXPECT_EQ(value.Type(), VarType::Date);
    EXPECT_EQ(value.ToDate(), c.serial);
  }
  EXPECT_EQ(ErrorOf([&] { Ids("SELECT CDate('2001-02-30') FROM Orders"); }).number, 13);
}

}  // namespace
}  // namespace qb::jet::test
