// Table-type recordsets in the order of an index, over more rows than one run holds: walks in
// both directions against SQLite's ORDER BY of the same order (a multi-field index with a
// descending field, duplicate keys, Nulls, text equal under the collation), Seek followed by
// moves, bookmarks, PercentPosition, changes made by another Database between moves, Delete,
// AddNew and an Edit that moves the record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

constexpr const char* kMixedOrder = "Word, Score DESC, Weight, Id";

class RecordsetKeyOrderTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Keyed (Id COUNTER PRIMARY KEY, Word TEXT(10), Score LONG, Weight DOUBLE)");
    db_->Execute("CREATE INDEX Mixed ON Keyed (Word, Score DESC, Weight)");
    db_->Execute("CREATE INDEX Sparse ON Keyed (Score) WITH IGNORE NULL");
    // 700 rows: few distinct keys, so runs end inside stretches of equal keys; 'apple' and
    // 'APPLE' are equal under the collation.
    Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700) "
         "INSERT INTO Keyed (Id, Word, Score, Weight) SELECT i, "
         "CASE i % 6 WHEN 0 THEN NULL WHEN 1 THEN 'apple' WHEN 2 THEN 'APPLE' WHEN 3 THEN 'pear' "
         "WHEN 4 THEN 'Banana' ELSE 'zeta' END, "
         "CASE WHEN i % 7 = 0 THEN NULL ELSE i % 4 END, "
         "CASE WHEN i % 11 = 0 THEN NULL ELSE (i % 3) * 0.5 END FROM n");
  }

  std::vector<std::string> Ids(const std::string& order, const std::string& where = "") {
    std::vector<std::string> ids;
    const std::string text = Select("SELECT Id FROM Keyed " + where + " ORDER BY " + order);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      ids.push_back(text.substr(start, end - start));
    }
    return ids;
  }

  static std::string Join(const std::vector<std::string>& ids, std::size_t from = 0) {
    std::string text;
    for (std::size_t i = from; i < ids.size(); ++i) text += (text.empty() ? "" : ",") + ids[i];
    return text;
  }

  static std::string Reversed(std::vector<std::string> ids) { return Join({ids.rbegin(), ids.rend()}); }

  // A table-type bookmark: the rowid's four bytes.
  static Variant RowBookmark(std::int32_t rowid) {
    std::vector<std::uint8_t> bytes(4);
    std::memcpy(bytes.data(), &rowid, 4);
    return Variant::FromBytes(std::move(bytes));
  }

  static std::string Id(Recordset& rs) { return rs.Fields()->Item("Id")->Value().ToString(); }

  std::shared_ptr<Recordset> OpenIndexed(const std::string& index = "Mixed") {
    auto rs = Open("Keyed", kOpenTable);
    rs->SetIndex(index);
    rs->MoveFirst();
    return rs;
  }

  // Index of ID in IDS (-1 when absent).
  static int IndexOf(const std::vector<std::string>& ids, const std::string& id) {
    for (std::size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] == id) return static_cast<int>(i);
    }
    return -1;
  }
};

TEST_F(RecordsetKeyOrderTest, WalksFollowTheIndexOrderBothWays) {
  for (const auto& [index, order, where] :
       {std::tuple<const char*, const char*, const char*>{"Mixed", kMixedOrder, ""},
        {"Sparse", "Score, Id", "WHERE Score IS NOT NULL"},  // rows of Null keys left out
        {"", "Id", ""}}) {
    SCOPED_TRACE(index);
    const std::vector<std::string> expected = Ids(order, where);
    auto rs = OpenIndexed(index);
    EXPECT_EQ(Walk(*rs, "Id"), Join(expected));
    EXPECT_EQ(WalkBack(*rs, "Id"), Reversed(expected));
    // Jumps and turns inside and across runs.
    rs->MoveFirst();
    rs->Move(400);
    EXPECT_EQ(Id(*rs), expected[400]);
    rs->Move(-399);
    EXPECT_EQ(Id(*rs), expected[1]);
    rs->MovePrevious();
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_EQ(Id(*rs), expected[2]);
    rs->MoveLast();
    rs->Move(-300);
    EXPECT_EQ(Id(*rs), expected[expected.size() - 301]);
    rs->Move(1000);
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), 700);  // the table's count, as for every table-type recordset
  }
}

TEST_F(RecordsetKeyOrderTest, EmptyTableInIndexOrderIsAtBothEnds) {
  Exec("DELETE FROM Keyed");
  auto rs = Open("Keyed", kOpenTable);
  rs->SetIndex("Mixed");
  EXPECT_TRUE(rs->Bof());
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }).number, err::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->MoveLast(); }).number, err::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).number, err::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->MovePrevious(); }).number, err::kNoCurrentRecord);
  EXPECT_EQ(rs->PercentPosition(), 0.0f);
}

TEST_F(RecordsetKeyOrderTest, SeekThenMovesGoOnFromTheKeyFound) {
  const std::vector<std::string> expected = Ids(kMixedOrder);
  auto rs = OpenIndexed();
  // A prefix of the key: the first entry of 'pear' (the collation ignores case), then onwards.
  rs->Seek("=", {Variant("PEAR")});
  ASSERT_FALSE(rs->NoMatch());
  const std::vector<std::string> pears = Ids(kMixedOrder, "WHERE Word = 'pear'");
  EXPECT_EQ(Id(*rs), pears.front());
  const int at = IndexOf(expected, pears.front());
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), expected[at + 1]);
  rs->Move(-2);
  EXPECT_EQ(Id(*rs), expected[at - 1]);
  // The last entry before ('apple', 2): within the descending Score, that is the first entry
  // of ('apple', 1) less one.
  rs->Seek("<", {Variant("apple"), Variant(2)});
  ASSERT_FALSE(rs->NoMatch());
  const std::vector<std::string> before = Ids(kMixedOrder, "WHERE Word IS NULL OR (Word = 'apple' AND Score > 2)");
  EXPECT_EQ(Id(*rs), before.back());
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), expected[before.size()]);
  // A Null key is a key like any other: the Null words come first.
  rs->Seek(">=", {Variant::Null(), Variant::Null()});
  EXPECT_EQ(Id(*rs), Ids(kMixedOrder, "WHERE Word IS NULL AND Score IS NULL").front());
  rs->Seek("=", {Variant("kiwi")});
  EXPECT_TRUE(rs->NoMatch());
  EXPECT_EQ(ErrorOf([&] { Id(*rs); }).number, err::kNoCurrentRecord);
  rs->MoveNext();  // from no current record: the first one
  EXPECT_EQ(Id(*rs), expected.front());
}

TEST_F(RecordsetKeyOrderTest, BookmarksAndPercentPositionInIndexOrder) {
  const std::vector<std::string> expected = Ids(kMixedOrder);
  auto rs = OpenIndexed();
  std::vector<std::pair<Variant, std::string>> marks;
  for (int step : {0, 137, 300, 200}) {
    rs->Move(step);
    marks.emplace_back(rs->Bookmark(), Id(*rs));
  }
  rs->MoveLast();
  rs->MoveFirst();
  for (const auto& [mark, id] : marks) {
    rs->SetBookmark(mark);
    EXPECT_EQ(Id(*rs), id);
    rs->MoveNext();  // and on from there in index order
    EXPECT_EQ(Id(*rs), expected[IndexOf(expected, id) + 1]);
  }
  rs->Move(-5, marks[2].first);
  EXPECT_EQ(Id(*rs), expected[IndexOf(expected, marks[2].second) - 5]);
  auto clone = rs->Clone();
  clone->SetBookmark(marks[1].first);
  EXPECT_EQ(Id(*clone), marks[1].second);
  // Counted in the index's order, not the table's.
  rs->SetBookmark(marks[1].first);
  const int ordinal = IndexOf(expected, marks[1].second);
  EXPECT_FLOAT_EQ(rs->PercentPosition(), static_cast<float>(ordinal * 100.0 / 700));
  rs->SetPercentPosition(50.0f);
  EXPECT_EQ(Id(*rs), expected[350]);
  rs->SetPercentPosition(100.0f);
  EXPECT_EQ(Id(*rs), expected.back());
  EXPECT_EQ(ErrorOf([&] { rs->AbsolutePosition(); }).number, err::kNotForThisObject);
  // A row the index leaves out, and a deleted row, are no bookmarks of this order.
  Exec("UPDATE Keyed SET Score = NULL WHERE Id = 5");
  rs->SetIndex("Sparse");
  rs->MoveFirst();
  rs->Move(2);  // inside a run: a refused bookmark must leave the current record where it is
  const std::string current = Id(*rs);
  EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(RowBookmark(5)); }).number, err::kBadBookmark);
  Exec("DELETE FROM Keyed WHERE Id = 6");
  EXPECT_EQ(ErrorOf([&] { rs->Move(1, RowBookmark(6)); }).number, err::kBadBookmark);
  EXPECT_EQ(Id(*rs), current);
  rs->SetBookmark(RowBookmark(9));
  EXPECT_EQ(Id(*rs), "9");
}

// Rows read with the current record are held as a record cache holds them; a move that reads the
// file shows every change made since, here a move from a record just landed on by bookmark.
TEST_F(RecordsetKeyOrderTest, ChangesByAnotherDatabaseShowBetweenMoves) {
  auto other = workspace_->OpenDatabase(path_);
  auto land_again = [](Recordset& rs) { rs.SetBookmark(rs.Bookmark()); };
  auto rs = OpenIndexed();
  rs->Seek("<", {Variant("zeta")});  // the last of its key: a copy of it with a higher Id is next
  const std::string at = Id(*rs);
  // A row added right after the current key is the next record.
  other->TEST_ExecuteSql("INSERT INTO Keyed (Id, Word, Score, Weight) SELECT 5000, Word, Score, Weight FROM Keyed "
                         "WHERE Id = " + at);
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), "5000");
  // The next record deleted by the other user is skipped.
  std::vector<std::string> expected = Ids(kMixedOrder);
  const std::string skipped = expected[IndexOf(expected, "5000") + 1];
  other->TEST_ExecuteSql("DELETE FROM Keyed WHERE Id = " + skipped);
  land_again(*rs);
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), expected[IndexOf(expected, "5000") + 2]);
  // The current record's key changed by the other user: it moved, and so did the recordset.
  const std::string moved = Id(*rs);
  other->TEST_ExecuteSql("UPDATE Keyed SET Word = 'apple', Score = 1, Weight = -5 WHERE Id = " + moved);
  expected = Ids(kMixedOrder);
  land_again(*rs);
  EXPECT_EQ(Id(*rs), moved);
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), expected[IndexOf(expected, moved) + 1]);
  // The current record deleted by the other user: no current record, moves go on from where
  // it stood.
  const std::string gone = Id(*rs);
  expected = Ids(kMixedOrder);
  const int gone_at = IndexOf(expected, gone);
  other->TEST_ExecuteSql("DELETE FROM Keyed WHERE Id = " + gone);
  EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kRecordDeleted);
  rs->MovePrevious();
  EXPECT_EQ(Id(*rs), expected[gone_at - 1]);
  EXPECT_EQ(Walk(*rs, "Id"), Join(Ids(kMixedOrder), gone_at - 1));
  other->Close();
}

TEST_F(RecordsetKeyOrderTest, DeleteAddNewAndAMovingEditKeepTheOrder) {
  std::vector<std::string> expected = Ids(kMixedOrder);
  auto rs = OpenIndexed();
  rs->Move(255);  // the last row of the first run
  const std::string deleted = Id(*rs);
  rs->Delete();
  EXPECT_EQ(ErrorOf([&] { Id(*rs); }).number, err::kRecordDeleted);
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), expected[256]);
  rs->MovePrevious();
  EXPECT_EQ(Id(*rs), expected[254]);  // the deleted one is not met again
  rs->Delete();
  rs->MovePrevious();
  EXPECT_EQ(Id(*rs), expected[253]);
  // AddNew: the new row takes its place in the order; the current record stays.
  rs->AddNew();
  rs->Fields()->Item("Word")->SetValue(Variant("apple"));
  rs->Fields()->Item("Score")->SetValue(Variant(9));
  rs->Update();
  EXPECT_EQ(Id(*rs), expected[253]);
  rs->SetBookmark(rs->LastModified());
  const std::string added = Id(*rs);
  expected = Ids(kMixedOrder);
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), expected[IndexOf(expected, added) + 1]);
  // An Edit of a key field moves the record; the next move goes on from its new place.
  rs->Edit();
  rs->Fields()->Item("Word")->SetValue(Variant("banana"));
  rs->Fields()->Item("Score")->SetValue(Variant(-1));
  const std::string edited = Id(*rs);
  rs->Update();
  EXPECT_EQ(Id(*rs), edited);
  expected = Ids(kMixedOrder);
  rs->MoveNext();
  EXPECT_EQ(Id(*rs), expected[IndexOf(expected, edited) + 1]);
  rs->MoveFirst();
  EXPECT_EQ(Walk(*rs, "Id"), Join(expected));
  EXPECT_EQ(IndexOf(expected, deleted), -1);
}

// The 0-based ordinal PercentPosition gives for the current record.
std::int64_t Ordinal(Recordset& rs) {
  return std::llround(static_cast<double>(rs.PercentPosition()) * static_cast<double>(rs.RecordCount()) / 100.0);
}

// A record's place is counted from whichever end is nearer; both ends, the slices' edges and
// the middle count the same as the order itself, in every kind of order.
TEST_F(RecordsetKeyOrderTest, PercentPositionCountsTheSameFromEitherEnd) {
  for (const auto& [index, order, where] :
       {std::tuple<const char*, const char*, const char*>{"Mixed", kMixedOrder, ""},
        {"Sparse", "Score, Id", "WHERE Score IS NOT NULL"},
        {"", "Id", ""}}) {
    SCOPED_TRACE(index);
    const std::vector<std::string> expected = Ids(order, where);
    const std::int64_t n = static_cast<std::int64_t>(expected.size());
    auto rs = OpenIndexed(index);
    for (std::int64_t at : {std::int64_t{0}, std::int64_t{1}, std::int64_t{255}, std::int64_t{256},
                            std::int64_t{300}, n / 2, n - 258, n - 257, n - 256, n - 2, n - 1}) {
      SCOPED_TRACE(at);
      rs->MoveFirst();
      rs->Move(at);
      ASSERT_EQ(Id(*rs), expected[static_cast<std::size_t>(at)]);
      // The ordinal is a share of the table's count; an order that leaves rows out is counted
      // in its own rows.
      EXPECT_EQ(std::llround(static_cast<double>(rs->PercentPosition()) * 700 / 100.0), at);
    }
  }
}

// The counts kept between calls follow every change: another user's, this recordset's own, and
// rows taken back by a rollback.
TEST_F(RecordsetKeyOrderTest, KeptCountsFollowChanges) {
  auto other = workspace_->OpenDatabase(path_);
  auto rs = OpenIndexed("");
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 700);
  EXPECT_EQ(Ordinal(*rs), 699);
  other->TEST_ExecuteSql("DELETE FROM Keyed WHERE Id <= 10");
  EXPECT_EQ(rs->RecordCount(), 690);
  EXPECT_EQ(Ordinal(*rs), 689);
  rs->AddNew();
  rs->Fields()->Item("Word")->SetValue(Variant("new"));
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 691);
  rs->MoveLast();
  EXPECT_EQ(Ordinal(*rs), 690);
  db_->BeginTrans();
  Exec("INSERT INTO Keyed (Word) SELECT Word FROM Keyed WHERE Id <= 300");
  EXPECT_EQ(rs->RecordCount(), 981);
  rs->MoveFirst();
  rs->Move(5);
  EXPECT_EQ(Ordinal(*rs), 5);
  db_->Rollback();
  EXPECT_EQ(rs->RecordCount(), 691);
  rs->MoveLast();
  EXPECT_EQ(Ordinal(*rs), 690);
  // The order of an index is counted again when the index changes.
  other->TEST_ExecuteSql("UPDATE Keyed SET Score = NULL WHERE Id <= 100");
  rs->SetIndex("Sparse");
  rs->MoveLast();
  const std::int64_t sparse = static_cast<std::int64_t>(Ids("Score, Id", "WHERE Score IS NOT NULL").size());
  EXPECT_EQ(std::llround(static_cast<double>(rs->PercentPosition()) * 691 / 100.0), sparse - 1);
  other->Close();
}

}  // namespace
}  // namespace qb::jet::test
