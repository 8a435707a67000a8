// Seek on table-type recordsets (each comparison, partial keys, descending keys, Null keys) and
// the Find methods of dynasets and snapshots in four directions with text, number and date
// criteria.
#include <gtest/gtest.h>

#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

class RecordsetSearchTest : public RecordsetTest {};

TEST_F(RecordsetSearchTest, SeekLandsOnTheFirstOrLastQualifyingEntry) {
  auto rs = Open("People", kOpenTable);
  EXPECT_EQ(ErrorOf([&] { rs->Seek("=", {Variant("Bob")}); }).number, err::kNoCurrentIndex);
  EXPECT_EQ(ErrorOf([&] { rs->SetIndex("Nope"); }).number, err::kBadIndexName);
  rs->SetIndex("ByName");  // alice, Bob, Carl, Dora (case ignored)
  EXPECT_EQ(rs->Index(), "ByName");
  struct Case {
    const char* comparison;
    const char* key;
    const char* found;  // "" for no match
  };
  for (Case c : {Case{"=", "BOB", "Bob"}, Case{"=", "Bo", ""}, Case{">=", "Bo", "Bob"}, Case{">=", "Bob", "Bob"},
                 Case{">", "Bob", "Carl"}, Case{">", "Dora", ""}, Case{"<=", "Bz", "Bob"}, Case{"<=", "Bob", "Bob"},
                 Case{"<", "Bob", "alice"}, Case{"<", "alice", ""}}) {
    SCOPED_TRACE(std::string(c.comparison) + c.key);
    rs->Seek(c.comparison, {Variant(c.key)});
    EXPECT_EQ(rs->NoMatch(), std::string(c.found).empty());
    if (!rs->NoMatch()) {
      EXPECT_EQ(Name(*rs), c.found);
    }
  }
  rs->Seek(">=", {Variant("B")});
  rs->MoveNext();  // moves go on in index order from the record found
  EXPECT_EQ(Name(*rs), "Carl");
  rs->Seek("=", {Variant("zzz")});
  EXPECT_EQ(ErrorOf([&] { Name(*rs); }).number, err::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->Seek("<>", {Variant("x")}); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs->Seek("=", {Variant("x"), Variant(1)}); }).number, err::kInvalidArgument);
  // A seek repeated after rows changed, and after the index changed and back, sees the table now.
  Exec("INSERT INTO People (Name, Age) VALUES ('Eve', 50)");
  rs->Seek("=", {Variant("eve")});
  EXPECT_EQ(Name(*rs), "Eve");
  rs->SetIndex("ByAgeName");
  rs->Seek("=", {Variant(50)});
  EXPECT_EQ(Name(*rs), "Eve");
  rs->SetIndex("ByName");
  Exec("DELETE FROM People WHERE Name = 'Eve'");
  rs->Seek("=", {Variant("eve")});
  EXPECT_TRUE(rs->NoMatch());
}

TEST_F(RecordsetSearchTest, SeekMatchesPartialKeysOfDescendingIndexes) {
  auto rs = Open("People", kOpenTable);
  rs->SetIndex("ByAgeName");  // Age DESC, Name: Dora 40, alice 30, Carl 30, Bob 25
  rs->MoveFirst();
  EXPECT_EQ(Walk(*rs), "Dora,alice,Carl,Bob");
  rs->Seek("=", {Variant(30)});  // a prefix: the first of the 30s
  EXPECT_EQ(Name(*rs), "alice");
  rs->Seek("<=", {Variant(30)});  // the last entry not after 30 in index order
  EXPECT_EQ(Name(*rs), "Carl");
  rs->Seek(">", {Variant(30)});  // after the 30s in index order: the smaller ages
  EXPECT_EQ(Name(*rs), "Bob");
  rs->Seek("<", {Variant(30)});
  EXPECT_EQ(Name(*rs), "Dora");
  rs->Seek("=", {Variant(30), Variant("carl")});
  EXPECT_EQ(Name(*rs), "Carl");
  rs->Seek(">", {Variant(30), Variant("alice")});
  EXPECT_EQ(Name(*rs), "Carl");
  rs->Seek(">=", {Variant(41)});
  EXPECT_EQ(Name(*rs), "Dora");
  Exec("INSERT INTO People (Name) VALUES ('Nobody')");  // Age Null: last in a descending index
  rs->Seek("=", {Variant::Null()});
  EXPECT_EQ(Name(*rs), "Nobody");
  rs->Seek(">", {Variant(0)});
  EXPECT_EQ(Name(*rs), "Nobody");
  // Seek is table-type only.
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenDynaset)->Seek("=", {Variant(1)}); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenDynaset)->SetIndex("ByName"); }).number, err::kNotForThisObject);
}

TEST_F(RecordsetSearchTest, SeekBackwardsKeepsTheIndexOrderWhateverTheFieldNames) {
  // Field names with ", " and " DESC" in them: the reversed order must still be the index's.
  db_->Execute("CREATE TABLE Names ([Last, First] TEXT(20), [Rank DESC] LONG, Name TEXT(10))");
  db_->Execute("CREATE INDEX ByBoth ON Names ([Last, First], [Rank DESC] DESC)");
  // Rowid order differs from the index order: (a,2) (a,1) (b,9) (a,3).
  Exec("INSERT INTO Names VALUES ('a', 1, 'a1'), ('a', 2, 'a2'), ('b', 9, 'b9'), ('a', 3, 'a3')");
  auto rs = Open("Names", kOpenTable);
  rs->SetIndex("ByBoth");  // a3, a2, a1, b9
  rs->MoveFirst();
  EXPECT_EQ(Walk(*rs), "a3,a2,a1,b9");
  struct Case {
    const char* comparison;
    std::vector<Variant> keys;
    const char* found;
  };
  for (const Case& c : {Case{"<=", {Variant("a")}, "a1"}, Case{"<", {Variant("b")}, "a1"},
                        Case{"<=", {Variant("b")}, "b9"}, Case{"<", {Variant("a"), Variant(2)}, "a3"},
                        Case{"<=", {Variant("a"), Variant(2)}, "a2"}, Case{">", {Variant("a"), Variant(3)}, "a2"},
                        Case{">=", {Variant("a")}, "a3"}}) {
    SCOPED_TRACE(std::string(c.comparison) + " " + c.keys[0].ToString());
    rs->Seek(c.comparison, c.keys);
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(Name(*rs), c.found);
  }
}

TEST_F(RecordsetSearchTest, SetIndexKeepsTheCurrentRecordAndChangesTheOrder) {
  auto rs = Open("People", kOpenTable);
  rs->MoveLast();  // Bob in natural order
  rs->SetIndex("ByName");
  EXPECT_EQ(Name(*rs), "Bob");
  rs->MoveNext();
  EXPECT_EQ(Name(*rs), "Carl");
  rs->SetIndex("");
  rs->MoveFirst();
  EXPECT_EQ(Walk(*rs), "Dora,alice,Carl,Bob");
  EXPECT_EQ(rs->Indexes()->Count(), 3);
}

TEST_F(RecordsetSearchTest, FindSearchesInFourDirectionsWithTextNumberAndDateCriteria) {
  for (int type : {kOpenDynaset, kOpenSnapshot}) {
    SCOPED_TRACE(type);
    auto rs = Open("SELECT * FROM People ORDER BY Name", type);  // alice, Bob, Carl, Dora
    rs->FindFirst("Age = 30");
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(Name(*rs), "alice");
    rs->FindNext("Age = 30");
    EXPECT_EQ(Name(*rs), "Carl");
    rs->FindNext("Age = 30");
    EXPECT_TRUE(rs->NoMatch());
    EXPECT_EQ(Name(*rs), "Carl");  // the current record stays
    rs->FindLast("Name Like 'd*' Or Name = 'BOB'");
    EXPECT_EQ(Name(*rs), "Dora");
    rs->FindPrevious("City <> 'Rome' Or City Is Null");
    EXPECT_EQ(Name(*rs), "Carl");
    rs->FindPrevious("Born = #1/2/2001#");
    EXPECT_TRUE(rs->NoMatch());
    rs->FindFirst("Born >= #1/2/2001# And Paid > 50");
    EXPECT_EQ(Name(*rs), "Bob");
    rs->FindLast("Born = #1/2/2001#");
    EXPECT_EQ(Name(*rs), "Dora");
    EXPECT_EQ(ErrorOf([&] { rs->FindFirst("Nope = 1"); }).number, err::kNameNotRecognised);
    EXPECT_EQ(ErrorOf([&] { rs->FindFirst("Age = = 1"); }).number, 3077);
  }
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenTable)->FindFirst("Age = 1"); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { Open("People", kOpenForwardOnly)->FindFirst("Age = 1"); }).number, err::kNotForThisObject);
}

TEST_F(RecordsetSearchTest, FindBeyondTheRowsReachedSoFarKeepsPositionsInStep) {
  Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
       "INSERT INTO People (Name, Age) SELECT 'p' || i, i FROM n");
  auto rs = Open("SELECT * FROM People WHERE Age > 100 ORDER BY Age DESC", kOpenDynaset);  // p300 .. p101
  rs->FindFirst("Age = 150");
  EXPECT_EQ(rs->AbsolutePosition(), 150);
  rs->MovePrevious();
  EXPECT_EQ(Name(*rs), "p151");
  rs->FindNext("Age < 120 And Age Mod 2 = 1");
  EXPECT_EQ(Name(*rs), "p119");
  EXPECT_EQ(rs->AbsolutePosition(), 181);
  rs->FindNext("Age = 999");
  EXPECT_TRUE(rs->NoMatch());
  EXPECT_EQ(Name(*rs), "p119");
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 200);
  EXPECT_EQ(Name(*rs), "p101");
  rs->FindPrevious("Age Mod 50 = 0");
  EXPECT_EQ(Name(*rs), "p150");
}

TEST_F(RecordsetSearchTest, FindSkipsRecordsDeletedThroughTheRecordset) {
  auto rs = Open("SELECT * FROM People ORDER BY Name", kOpenDynaset);
  rs->FindFirst("Age = 30");
  rs->Delete();
  rs->FindFirst("Age = 30");
  EXPECT_EQ(Name(*rs), "Carl");
  rs->FindPrevious("Age = 30");
  EXPECT_TRUE(rs->NoMatch());
}

}  // namespace
}  // namespace qb::jet::test
