// Recordsets of each kind: moving at both ends and on empty results, counts, positions,
// bookmarks, clones, Requery, and the fields' definitions and values.
#include <gtest/gtest.h>

#include "jet/dao/querydef.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

class RecordsetNavigationTest : public RecordsetTest {};

TEST_F(RecordsetNavigationTest, EachKindWalksBothWaysAndStopsAtItsEnds) {
  for (int type : {kOpenTable, kOpenDynaset, kOpenSnapshot}) {
    SCOPED_TRACE(type);
    auto rs = Open("People", type);
    EXPECT_EQ(rs->Type(), type);
    EXPECT_FALSE(rs->Bof());
    EXPECT_EQ(Name(*rs), "Dora");  // opened on the first record
    EXPECT_EQ(Walk(*rs), "Dora,alice,Carl,Bob");
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).number, err::kNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Name")->Value(); }).number, err::kNoCurrentRecord);
    EXPECT_EQ(WalkBack(*rs), "Bob,Carl,alice,Dora");
    EXPECT_TRUE(rs->Bof());
    EXPECT_FALSE(rs->Eof());
    EXPECT_EQ(ErrorOf([&] { rs->MovePrevious(); }).number, err::kNoCurrentRecord);
    rs->MoveNext();  // from BOF back onto the first record
    EXPECT_EQ(Name(*rs), "Dora");
    rs->Move(2);
    EXPECT_EQ(Name(*rs), "Carl");
    rs->Move(-1);
    EXPECT_EQ(Name(*rs), "alice");
    rs->Move(10);
    EXPECT_TRUE(rs->Eof());
    rs->MoveFirst();
    rs->Move(-3);
    EXPECT_TRUE(rs->Bof());
  }
}

TEST_F(RecordsetNavigationTest, EmptyResultsAreAtBothEndsAndRefuseRecordAccess) {
  Exec("CREATE TABLE Empty (A INTEGER)");
  for (const std::string source : {"People WHERE", "Empty"}) {
    for (int type : {kOpenTable, kOpenDynaset, kOpenSnapshot, kOpenForwardOnly}) {
      if (source != "Empty" && type == kOpenTable) continue;
      SCOPED_TRACE(source + " " + std::to_string(type));
      auto rs = source == "Empty" ? Open("Empty", type) : Open("SELECT * FROM People WHERE Age > 99", type);
      EXPECT_TRUE(rs->Bof());
      EXPECT_TRUE(rs->Eof());
      EXPECT_EQ(rs->RecordCount(), 0);
      if (type != kOpenForwardOnly) {
        // Every move finds nothing to land on: callers test BOF and EOF first.
        EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }).number, err::kNoCurrentRecord);
        EXPECT_EQ(ErrorOf([&] { rs->MoveLast(); }).number, err::kNoCurrentRecord);
        EXPECT_TRUE(rs->Bof() && rs->Eof());
        EXPECT_EQ(rs->PercentPosition(), 0.0f);
        EXPECT_EQ(ErrorOf([&] { rs->Bookmark(); }).number, err::kNoCurrentRecord);
        EXPECT_EQ(ErrorOf([&] { rs->MovePrevious(); }).number, err::kNoCurrentRecord);
      }
      EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).number, err::kNoCurrentRecord);
      EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item(0)->Value(); }).number, err::kNoCurrentRecord);
      EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, type == kOpenTable || type == kOpenDynaset ? err::kNoCurrentRecord : err::kReadOnly);
      EXPECT_EQ(ErrorOf([&] { rs->Delete(); }).number, type == kOpenTable || type == kOpenDynaset ? err::kNoCurrentRecord : err::kReadOnly);
    }
  }
}

TEST_F(RecordsetNavigationTest, CountsArePreciseForTablesAndGrowAsOtherKindsAreRead) {
  auto table = Open("People", kOpenTable);
  EXPECT_EQ(table->RecordCount(), 4);
  // 200 more rows: dynasets learn their keys a slice at a time.
  Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
       "INSERT INTO People (Name, Age) SELECT 'p' || i, i FROM n");
  EXPECT_EQ(table->RecordCount(), 204);
  auto dynaset = Open("SELECT * FROM People", kOpenDynaset);
  EXPECT_EQ(dynaset->RecordCount(), 1);
  dynaset->Move(9);
  EXPECT_EQ(dynaset->RecordCount(), 10);
  dynaset->MoveFirst();
  EXPECT_EQ(dynaset->RecordCount(), 10);  // rows reached, not where the cursor is
  dynaset->MoveLast();
  EXPECT_EQ(dynaset->RecordCount(), 204);
  auto snapshot = Open("People", kOpenSnapshot);
  snapshot->MoveLast();
  EXPECT_EQ(snapshot->RecordCount(), 204);
  auto forward = Open("People", kOpenForwardOnly);
  forward->Move(99);
  EXPECT_EQ(forward->RecordCount(), 100);
  EXPECT_EQ(Walk(*forward, "Age").substr(0, 6), "96,97,");  // after the first four rows
}

TEST_F(RecordsetNavigationTest, PositionsFollowTheCurrentRecord) {
  auto rs = Open("SELECT * FROM People ORDER BY Name", kOpenDynaset);
  EXPECT_EQ(rs->AbsolutePosition(), 0);
  rs->MoveLast();
  EXPECT_EQ(rs->AbsolutePosition(), 3);
  EXPECT_FLOAT_EQ(rs->PercentPosition(), 75.0f);
  rs->SetAbsolutePosition(1);
  EXPECT_EQ(Name(*rs), "Bob");
  rs->SetPercentPosition(50.0f);
  EXPECT_EQ(Name(*rs), "Carl");
  rs->SetPercentPosition(100.0f);
  EXPECT_EQ(Name(*rs), "Dora");  // beyond the last record: the last one
  EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePosition(4); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs->SetPercentPosition(101.0f); }).number, err::kInvalidArgument);
  rs->MoveNext();
  EXPECT_EQ(rs->AbsolutePosition(), -1);

  auto table = Open("People", kOpenTable);
  EXPECT_EQ(ErrorOf([&] { table->AbsolutePosition(); }).number, err::kNotForThisObject);
  table->SetPercentPosition(50.0f);
  EXPECT_EQ(Name(*table), "Carl");
  EXPECT_FLOAT_EQ(table->PercentPosition(), 50.0f);
}

TEST_F(RecordsetNavigationTest, BookmarksReturnToTheirRecordAndAreFourBytes) {
  for (int type : {kOpenTable, kOpenDynaset, kOpenSnapshot}) {
    SCOPED_TRACE(type);
    auto rs = Open("People", type);
    rs->Move(2);
    const Variant mark = rs->Bookmark();
    ASSERT_EQ(mark.Type(), VarType::ByteArray);
    EXPECT_EQ(mark.Bytes().size(), 4u);
    EXPECT_TRUE(rs->Bookmarkable());
    rs->MoveFirst();
    rs->SetBookmark(mark);
    EXPECT_EQ(Name(*rs), "Carl");
    rs->Properties()->Item("Bookmark")->SetValue(rs->Properties()->Item("Bookmark")->Value());
    EXPECT_EQ(Name(*rs), "Carl");
    rs->MoveFirst();
    rs->Move(1, mark);  // counted from the bookmark
    EXPECT_EQ(Name(*rs), "Bob");
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(Variant::FromBytes({9, 9, 9, 9})); }).number, err::kBadBookmark);
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(Variant("abcd")); }).number, err::kBadBookmark);

    auto clone = rs->Clone();
    EXPECT_TRUE(clone->Bof());  // a clone starts without a current record
    clone->SetBookmark(mark);
    EXPECT_EQ(Name(*clone), "Carl");
  }
  auto forward = Open("People", kOpenForwardOnly);
  EXPECT_FALSE(forward->Bookmarkable());
  EXPECT_EQ(ErrorOf([&] { forward->Bookmark(); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { forward->MoveFirst(); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { forward->MovePrevious(); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { forward->Move(-1); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { forward->Clone(); }).number, err::kNotForThisObject);
}

TEST_F(RecordsetNavigationTest, RequeryStartsOverAndKillsOldBookmarks) {
  for (int type : {kOpenDynaset, kOpenSnapshot}) {
    SCOPED_TRACE(type);
    auto rs = Open("SELECT * FROM People WHERE Age >= 30 ORDER BY Age, Name", type);
    rs->MoveLast();
    const Variant old_mark = rs->Bookmark();
    Exec("INSERT INTO People (Name, Age) VALUES ('Zed', 31)");
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());  // the new row is not among the rows read at open
    rs->Requery();
    EXPECT_EQ(Name(*rs), "alice");  // the first record is current again
    EXPECT_EQ(Walk(*rs), "alice,Carl,Zed,Dora");
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(old_mark); }).number, err::kBadBookmark);
    Exec("DELETE FROM People WHERE Name = 'Zed'");
  }
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenTable)->Requery(); }).number, err::kNotForThisObject);
}

TEST_F(RecordsetNavigationTest, BookmarksFromBeforeAnyNumberOfRequeriesAreRefused) {
  for (int type : {kOpenDynaset, kOpenSnapshot}) {
    SCOPED_TRACE(type);
    auto rs = Open("SELECT * FROM People ORDER BY Name", type);
    auto clone = rs->Clone();
    std::vector<Variant> old_marks;
    for (int i = 0; i < 300; ++i) {  // past any small generation counter's wrap
      rs->MoveLast();
      old_marks.push_back(rs->Bookmark());
      rs->Requery();
      for (std::size_t j = old_marks.size() > 3 ? old_marks.size() - 3 : 0; j < old_marks.size(); ++j) {
        ASSERT_EQ(ErrorOf([&] { rs->SetBookmark(old_marks[j]); }).number, err::kBadBookmark) << i << " " << j;
      }
    }
    for (const Variant& mark : old_marks) {
      ASSERT_EQ(ErrorOf([&] { rs->SetBookmark(mark); }).number, err::kBadBookmark);
    }
    // The clone keeps the rows it shared: the first bookmark is still its own, and the rows
    // requeried since are not.
    clone->SetBookmark(old_marks.front());
    EXPECT_EQ(Name(*clone), "Dora");
    rs->MoveLast();
    EXPECT_EQ(ErrorOf([&] { clone->SetBookmark(rs->Bookmark()); }).number, err::kBadBookmark);
    // A clone requeried on its own numbers apart from the original's new rows too.
    clone->Requery();
    clone->MoveLast();
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(clone->Bookmark()); }).number, err::kBadBookmark);
    rs->MoveFirst();
    EXPECT_EQ(ErrorOf([&] { clone->SetBookmark(rs->Bookmark()); }).number, err::kBadBookmark);
  }
}

TEST_F(RecordsetNavigationTest, CloneCarriesEverySetting) {
  auto rs = Open("People", kOpenDynaset, 0, kOptimistic);
  rs->SetCacheSize(50);
  rs->SetBatchSize(10);
  rs->SetUpdateOptions(33);
  rs->SetLockEdits(true);
  auto clone = rs->Clone();
  EXPECT_EQ(clone->CacheSize(), 50);
  EXPECT_EQ(clone->BatchSize(), 10);
  EXPECT_EQ(clone->UpdateOptions(), 33);
  EXPECT_TRUE(clone->LockEdits());
  EXPECT_EQ(clone->Type(), kOpenDynaset);
  EXPECT_TRUE(clone->Updatable());

  auto table = Open("People", kOpenTable);
  table->SetIndex("ByName");
  table->SetLockEdits(false);
  table->SetCacheSize(7);
  auto table_clone = table->Clone();
  EXPECT_FALSE(table_clone->LockEdits());
  EXPECT_EQ(table_clone->CacheSize(), 7);
  // The one setting a clone does not take over: it has no Index until one is set.
  EXPECT_EQ(table_clone->Index(), "");
  EXPECT_EQ(ErrorOf([&] { table_clone->Seek("=", {Variant("Bob")}); }).number, err::kNoCurrentIndex);
  table_clone->MoveFirst();
  EXPECT_EQ(Walk(*table_clone), "Dora,alice,Carl,Bob");
  table_clone->SetIndex("ByName");
  table_clone->Seek("=", {Variant("Bob")});
  EXPECT_EQ(Walk(*table_clone), "Bob,Carl,Dora");
  EXPECT_EQ(table->Index(), "ByName");
}

TEST_F(RecordsetNavigationTest, SavedQueriesOpenWithTheirParameterValuesAndMaxRecords) {
  auto query = db_->CreateQueryDef("Older", "PARAMETERS Least SHORT; SELECT Name FROM People WHERE Age >= Least ORDER BY Age, Name");
  EXPECT_EQ(ErrorOf([&] { query->OpenRecordset(); }).number, 3061);  // no value yet
  query->Parameters()->Item("Least")->SetValue(Variant("30"));
  auto rs = query->OpenRecordset();
  EXPECT_EQ(rs->Type(), kOpenDynaset);
  EXPECT_EQ(rs->Name(), "Older");
  EXPECT_TRUE(rs->Updatable());
  EXPECT_EQ(Walk(*rs), "alice,Carl,Dora");
  // Requery with new values: through a QueryDef or directly.
  query->Parameters()->Item("Least")->SetValue(Variant(25));
  rs->Requery(query);
  EXPECT_EQ(Walk(*rs), "Bob,alice,Carl,Dora");
  query->Parameters()->Item("Least")->SetValue(Variant(20));
  query->SetMaxRecords(2);
  rs->Requery(query);
  EXPECT_EQ(Walk(*rs), "Bob,alice");
  rs->Requery(std::vector<Variant>{Variant(35)});
  EXPECT_EQ(Walk(*rs), "Dora");
  auto snapshot = query->OpenRecordset(kOpenSnapshot);
  snapshot->MoveLast();
  EXPECT_EQ(snapshot->RecordCount(), 2);
  EXPECT_EQ(ErrorOf([&] { query->OpenRecordset(kOpenTable); }).number, err::kInvalidOperation);
}

TEST_F(RecordsetNavigationTest, FieldsDescribeTheSourceAndGiveTypedValues) {
  Exec("UPDATE People SET Notes = 'long text', Photo = x'00FF10' WHERE Name = 'Dora'");
  auto rs = Open("People", kOpenDynaset);
  auto fields = rs->Fields();
  ASSERT_EQ(fields->Count(), 9);
  EXPECT_EQ(fields->Item(0)->Name(), "Id");
  EXPECT_EQ(fields->Item("id")->Type(), 4);
  EXPECT_EQ(fields->Item("Id")->Attributes() & kAutoIncrField, kAutoIncrField);
  EXPECT_FALSE(fields->Item("Id")->DataUpdatable());
  EXPECT_TRUE(fields->Item("Name")->DataUpdatable());
  EXPECT_TRUE(fields->Item("Name")->Required());
  EXPECT_EQ(fields->Item("Name")->Size(), 30);
  EXPECT_EQ(fields->Item("Notes")->Size(), 0);
  EXPECT_EQ(fields->Item("Age")->Size(), 2);
  EXPECT_EQ(fields->Item("City")->OrdinalPosition(), 8);
  EXPECT_EQ(fields->Item("Born")->SourceTable(), "People");
  EXPECT_EQ(fields->Item("Born")->SourceField(), "Born");
  EXPECT_EQ(ErrorOf([&] { fields->Item("Nope"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { fields->Item(9); }).number, err::kItemNotFound);

  EXPECT_EQ(fields->Item("Id")->Value(), Variant(1));
  EXPECT_EQ(fields->Item("Name")->Value(), Variant("Dora"));
  EXPECT_EQ(fields->Item("Age")->Value(), Variant(std::int16_t{40}));
  EXPECT_EQ(fields->Item("Born")->Value(), Variant::FromDate(36893));
  EXPECT_EQ(fields->Item("Paid")->Value(), Variant(Currency::FromScaled(125000)));
  EXPECT_EQ(fields->Item("Active")->Value(), Variant(true));
  EXPECT_EQ(fields->Item("Notes")->Value(), Variant("long text"));
  EXPECT_EQ(fields->Item("Photo")->Value(), Variant::FromBytes({0x00, 0xFF, 0x10}));
  EXPECT_EQ(fields->Item("Photo")->FieldSize(), 3);
  rs->MoveNext();
  EXPECT_EQ(fields->Item("Active")->Value(), Variant(false));
  EXPECT_TRUE(fields->Item("Notes")->Value().IsNull());
  EXPECT_EQ(fields->Item("Notes")->FieldSize(), 0);

  // A computed column: no source, not updatable, typed by the expression.
  auto query = Open("SELECT Name, Age * 2 AS Twice FROM People ORDER BY Name", kOpenSnapshot);
  EXPECT_EQ(query->Fields()->Item("Twice")->SourceTable(), "");
  EXPECT_FALSE(query->Fields()->Item("Twice")->DataUpdatable());
  EXPECT_EQ(query->Fields()->Item("Twice")->Value().ToInt32(), 60);
}

}  // namespace
}  // namespace qb::jet::test
