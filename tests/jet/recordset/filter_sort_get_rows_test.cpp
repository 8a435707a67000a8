// Filter and Sort shaping the next recordset opened from a recordset, and GetRows copying records
// out field by field.
#include <gtest/gtest.h>

#include "jet/dao/querydef.h"
#include "jet/dao/workspace.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

namespace ro = recordset_option;

class FilterSortGetRowsTest : public RecordsetTest {
 protected:
  // GetRows' result as "field values|field values", rows in each separated by ",".
  static std::string Rows(const Variant& rows) {
    std::string text;
    for (const Variant& field : rows.Items()) {
      if (!text.empty()) text += "|";
      std::string values;
      for (const Variant& value : field.Items()) values += (values.empty() ? "" : ",") + (value.IsNull() ? "-" : value.ToString());
      text += values;
    }
    return text;
  }
};

TEST_F(FilterSortGetRowsTest, FilterAndSortShapeTheNextRecordsetOnly) {
  db_->CreateQueryDef("ByName", "SELECT Name, Age, City FROM People ORDER BY Name");
  db_->CreateQueryDef("Aged", "PARAMETERS Least SHORT; SELECT Name, Age FROM People WHERE Age >= Least ORDER BY Name");
  auto aged = db_->QueryDefs()->Item(std::string_view("Aged"));
  aged->Parameters()->Item("Least")->SetValue(Variant(30));
  auto unsaved = db_->CreateQueryDef("", "PARAMETERS Most SHORT; SELECT Name, Age FROM People WHERE Age <= Most");
  unsaved->Parameters()->Item("Most")->SetValue(Variant(30));
  struct Case {
    std::string label;
    std::shared_ptr<Recordset> rs;
    std::string filter, sort, before, after;
  };
  const Case cases[] = {
      {"table dynaset", Open("People", kOpenDynaset), "Age >= 30", "Age, Name DESC", "Dora,alice,Carl,Bob", "Carl,alice,Dora"},
      {"snapshot", Open("People", kOpenSnapshot), "City Is Null Or City = 'Rome'", "", "Dora,alice,Carl,Bob", "Dora,Bob"},
      // A Sort replaces the order the saved query gives; a Filter alone keeps it.
      {"saved query", Open("ByName"), "", "Age DESC, Name", "alice,Bob,Carl,Dora", "Dora,alice,Carl,Bob"},
      {"saved query filtered", Open("ByName"), "Age < 35", "", "alice,Bob,Carl,Dora", "alice,Bob,Carl"},
      {"statement", Open("SELECT Name, Age * 2 AS Twice FROM People WHERE Age > 26;", kOpenDynaset), "Twice < 80", "Name",
       "Dora,alice,Carl", "alice,Carl"},
      {"query parameters", aged->OpenRecordset(), "Name <> 'Dora'", "Name DESC", "alice,Carl,Dora", "Carl,alice"},
      {"statement parameters", unsaved->OpenRecordset(), "Age > 25", "Name DESC", "alice,Carl,Bob", "Carl,alice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    c.rs->SetFilter(c.filter);
    c.rs->SetSort(c.sort);
    EXPECT_EQ(c.rs->Filter(), c.filter);
    EXPECT_EQ(c.rs->Sort(), c.sort);
    auto shaped = c.rs->OpenRecordset();
    EXPECT_EQ(shaped->Type(), c.rs->Type());
    EXPECT_EQ(Walk(*shaped), c.after);
    EXPECT_EQ(Walk(*c.rs), c.before);  // the recordset itself is as it was
  }
}

TEST_F(FilterSortGetRowsTest, ARecordsetOpenedFromAnUpdatableOneStaysUpdatable) {
  auto rs = Open("SELECT Name, Age, Age * 2 AS Twice FROM People", kOpenDynaset);
  rs->SetFilter("Twice = 60");
  rs->SetSort("Name DESC");
  auto thirties = rs->OpenRecordset();
  ASSERT_TRUE(thirties->Updatable());
  EXPECT_EQ(Walk(*thirties), "Carl,alice");
  thirties->MoveFirst();
  thirties->Edit();
  Set(*thirties, "Age", Variant(std::int16_t{33}));
  thirties->Update();
  EXPECT_EQ(Text(*thirties, "Twice"), "66");
  EXPECT_EQ(Select("SELECT Age FROM People WHERE Name = 'Carl'"), "33\n");
  // A snapshot asked for explicitly, and options as Database.OpenRecordset takes them.
  EXPECT_EQ(rs->OpenRecordset(kOpenSnapshot)->Type(), kOpenSnapshot);
  EXPECT_FALSE(rs->OpenRecordset(kOpenDynaset, ro::kReadOnly)->Updatable());
  // A filter that does not translate fails when the recordset opens.
  rs->SetFilter("Age >");
  EXPECT_NE(ErrorOf([&] { rs->OpenRecordset(); }).number, 0);
}

TEST_F(FilterSortGetRowsTest, KindsWithoutFilterOrSort) {
  auto table = Open("People", kOpenTable);
  auto forward = Open("People", kOpenForwardOnly);
  EXPECT_EQ(ErrorOf([&] { table->SetFilter("Age > 1"); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { table->Filter(); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { table->SetSort("Age"); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { table->Sort(); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { forward->SetSort("Age"); }).number, err::kNotForThisObject);
  forward->SetFilter("Age = 25");
  EXPECT_EQ(Walk(*forward->OpenRecordset()), "Bob");
  // A table-type recordset opens another over its table.
  EXPECT_EQ(table->OpenRecordset()->Type(), kOpenTable);
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenDynaset)->OpenRecordset(kOpenTable); }).number, err::kInvalidOperation);
}

TEST_F(FilterSortGetRowsTest, GetRowsCopiesFieldByFieldAndMovesPast) {
  for (int type : {kOpenTable, kOpenDynaset, kOpenSnapshot, kOpenForwardOnly}) {
    SCOPED_TRACE(type);
    auto rs = type == kOpenTable ? Open("People", kOpenTable)
                                 : Open("SELECT Name, Age, City FROM People ORDER BY Id", type);
    if (type == kOpenTable) rs->SetIndex("PK");
    const Variant one = rs->GetRows();  // one row when no count is given
    ASSERT_EQ(one.Items().size(), static_cast<std::size_t>(rs->Fields()->Count()));
    EXPECT_EQ(one.ItemAt(rs->Fields()->Item("Name")->OrdinalPosition()).ItemAt(0), Variant("Dora"));
    EXPECT_EQ(one.ItemAt(0).HighBound(), 0);
    EXPECT_EQ(Name(*rs), "alice");
    const Variant rest = rs->GetRows(10);  // fewer at the end, then EOF
    EXPECT_TRUE(rs->Eof());
    const int name = rs->Fields()->Item("Name")->OrdinalPosition();
    const int city = rs->Fields()->Item("City")->OrdinalPosition();
    EXPECT_EQ(rest.ItemAt(name).Items().size(), 3u);
    EXPECT_EQ(Rows(Variant::FromArray({rest.ItemAt(name), rest.ItemAt(city)})), "alice,Carl,Bob|Oslo,Bergen,-");
    EXPECT_EQ(ErrorOf([&] { rs->GetRows(1); }).number, err::kNoCurrentRecord);
  }
  auto rs = Open("SELECT Name FROM People ORDER BY Id", kOpenDynaset);
  EXPECT_EQ(Rows(rs->GetRows(2)), "Dora,alice");
  EXPECT_EQ(Rows(rs->GetRows(0)), "");
  EXPECT_EQ(Name(*rs), "Carl");
  EXPECT_EQ(ErrorOf([&] { rs->GetRows(-1); }).number, err::kInvalidArgument);
  // A record another user deleted ends the rows and becomes the current record.
  workspace_->OpenDatabase(path_)->TEST_ExecuteSql("DELETE FROM People WHERE Name = 'Bob'");
  EXPECT_EQ(Rows(rs->GetRows(5)), "Carl");
  EXPECT_FALSE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { Name(*rs); }).number, err::kRecordDeleted);
  EXPECT_EQ(ErrorOf([&] { Open("SELECT Name FROM People WHERE Age > 99", kOpenDynaset)->GetRows(); }).number,
            err::kNoCurrentRecord);
}

}  // namespace
}  // namespace qb::jet::test
