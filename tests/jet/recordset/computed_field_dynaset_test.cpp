// Dynasets whose rows are one table's but that show expressions too: the expressions are
// read-only, computed again from the stored row whenever it is read, and the table's fields stay
// editable.
#include <gtest/gtest.h>

#include "jet/dao/querydef.h"
#include "jet/dao/workspace.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

class ComputedFieldDynasetTest : public RecordsetTest {
 protected:
  // "Name:1 Twice:0": each field with whether it is DataUpdatable.
  static std::string Updatability(Recordset& rs) {
    std::string text;
    auto fields = rs.Fields();
    for (int i = 0; i < fields->Count(); ++i) {
      auto field = fields->Item(i);
      text += (i ? " " : "") + field->Name() + ":" + (field->DataUpdatable() ? "1" : "0");
    }
    return text;
  }
};

TEST_F(ComputedFieldDynasetTest, OnlyTheExpressionsAreReadOnly) {
  auto rs = Open("SELECT Name, Age, Age * 2 AS Twice, Name & '!' AS Shout FROM People WHERE Age < 35 ORDER BY Name",
                 kOpenDynaset);
  ASSERT_TRUE(rs->Updatable());
  EXPECT_EQ(Updatability(*rs), "Name:1 Age:1 Twice:0 Shout:0");
  EXPECT_EQ(rs->Fields()->Item("Twice")->Attributes() & kUpdatableField, 0);
  EXPECT_EQ(Text(*rs, "Name") + " " + Text(*rs, "Twice") + " " + Text(*rs, "Shout"), "alice 60 alice!");

  rs->Edit();
  const CaughtError refused = ErrorOf([&] { Set(*rs, "Twice", Variant(1)); });
  EXPECT_EQ(refused.number, err::kFieldIsExpression);
  EXPECT_NE(refused.message.find("'Twice' is based on an expression"), std::string::npos) << refused.message;
  Set(*rs, "Age", Variant(std::int16_t{41}));
  Set(*rs, "Name", Variant("Alma"));
  rs->Update();
  // Read again by key: the expressions follow the stored row, though WHERE no longer holds.
  EXPECT_EQ(Text(*rs, "Twice") + " " + Text(*rs, "Shout"), "82 Alma!");
  EXPECT_EQ(Select("SELECT Name, Age FROM People WHERE Id = 2"), "Alma|41\n");

  // Another user's change shows when the row is read again.
  workspace_->OpenDatabase(path_)->TEST_ExecuteSql("UPDATE People SET Age = 10 WHERE Name = 'Bob'");
  rs->Move(1);
  EXPECT_EQ(Text(*rs, "Name") + " " + Text(*rs, "Twice"), "Bob 20");

  rs->AddNew();
  Set(*rs, "Name", Variant("Eve"));
  Set(*rs, "Age", Variant(std::int16_t{7}));
  EXPECT_EQ(ErrorOf([&] { Set(*rs, "Shout", Variant("x")); }).number, err::kFieldIsExpression);
  rs->Update();
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(Text(*rs, "Twice") + " " + Text(*rs, "Shout"), "14 Eve!");
  rs->Delete();
  EXPECT_EQ(Select("SELECT count(*) FROM People WHERE Name = 'Eve'"), "0\n");
}

TEST_F(ComputedFieldDynasetTest, ExpressionsWithParametersAndSubqueriesReadByKey) {
  auto query = db_->CreateQueryDef(
      "Scaled",
      "PARAMETERS Factor SHORT, Least SHORT; SELECT Name, Age * Factor AS Scaled, "
      "(SELECT Count(*) FROM People AS P WHERE P.Age < People.Age) AS Younger FROM People WHERE Age >= Least "
      "ORDER BY Name");
  query->Parameters()->Item("Factor")->SetValue(Variant(3));
  query->Parameters()->Item("Least")->SetValue(Variant(30));
  auto rs = query->OpenRecordset();
  ASSERT_TRUE(rs->Updatable());
  EXPECT_EQ(Updatability(*rs), "Name:1 Scaled:0 Younger:0");
  EXPECT_EQ(Walk(*rs, "Scaled"), "90,90,120");
  rs->MoveFirst();
  rs->Edit();
  Set(*rs, "Name", Variant("Ada"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Name") + " " + Text(*rs, "Scaled") + " " + Text(*rs, "Younger"), "Ada 90 1");
  // The record is read again with the query's own parameter values.
  rs->MoveLast();
  EXPECT_EQ(Text(*rs, "Name") + " " + Text(*rs, "Scaled") + " " + Text(*rs, "Younger"), "Dora 120 3");
}

TEST_F(ComputedFieldDynasetTest, KindsThatStayReadOnlyRefuseEditFirst) {
  // A snapshot of the same statement is a fixed copy; a grouping has no rows of its own.
  for (const char* sql : {"SELECT Name, Age * 2 AS Twice FROM People",
                          "SELECT Age, Count(*) * 2 AS Twice FROM People GROUP BY Age"}) {
    SCOPED_TRACE(sql);
    auto rs = Open(sql, std::string(sql).find("GROUP") == std::string::npos ? kOpenSnapshot : kOpenDynaset);
    EXPECT_FALSE(rs->Updatable());
    EXPECT_FALSE(rs->Fields()->Item("Twice")->DataUpdatable());
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kReadOnly);
  }
}

}  // namespace
}  // namespace qb::jet::test
