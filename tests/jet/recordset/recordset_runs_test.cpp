// Recordsets over tables longer than the runs of rows read together: every row once and in
// order in both directions, across gaps in the rowids; changes by others found when a record is
// reached again; bookmarks of records the recordset has not reached yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

class RecordsetRunsTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    // 1200 rows, then gaps: every 7th row, a stretch of 41 and one row far beyond the rest.
    Exec("CREATE TABLE Many (N INTEGER, Label TEXT)");
    Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200) "
         "INSERT INTO Many (rowid, N, Label) SELECT i, i, 'row ' || i FROM n");
    Exec("DELETE FROM Many WHERE N % 7 = 0 OR N BETWEEN 300 AND 340");
    Exec("INSERT INTO Many (rowid, N, Label) VALUES (1000000000, 5000, 'far')");
  }

  // Every N in the order the rows were added, as Walk gives it.
  std::string Expected(const char* order = "") {
    std::string text;
    for (const std::string& line : Lines(Select(std::string("SELECT N FROM Many ORDER BY rowid") + order))) {
      text += (text.empty() ? "" : ",") + line;
    }
    return text;
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

  static std::string N(Recordset& rs) { return rs.Fields()->Item("N")->Value().ToString(); }
};

TEST_F(RecordsetRunsTest, LongTablesGiveEveryRowOnceInOrderBothWays) {
  for (const auto& [source, type] : {std::pair<const char*, int>{"Many", kOpenTable}, {"Many", kOpenDynaset},
                                     {"SELECT * FROM Many", kOpenDynaset}, {"Many", kOpenSnapshot}}) {
    SCOPED_TRACE(std::string(source) + " " + std::to_string(type));
    auto rs = Open(source, type);
    EXPECT_EQ(Walk(*rs, "N"), Expected());
    EXPECT_EQ(WalkBack(*rs, "N"), Expected(" DESC"));
    const std::int64_t count = rs->RecordCount();
    EXPECT_EQ(count, std::stoll(Select("SELECT count(*) FROM Many")));
    // Jumps into the middle of runs read earlier and back out.
    rs->MoveLast();
    rs->Move(-600);
    const std::string middle = N(*rs);
    rs->MoveFirst();
    rs->Move(count - 601);
    EXPECT_EQ(N(*rs), middle);
    rs->MoveNext();
    rs->MovePrevious();
    EXPECT_EQ(N(*rs), middle);
  }
}

TEST_F(RecordsetRunsTest, ADynasetShowsOthersChangesToRowsOfRunsItReadBefore) {
  auto rs = Open("Many", kOpenDynaset);
  std::map<int, Variant> bookmarks;  // by N
  while (!rs->Eof()) {
    bookmarks[rs->Fields()->Item("N")->Value().ToInt32()] = rs->Bookmark();
    rs->MoveNext();
  }
  // Rows of the first run, of a middle one and of the last one.
  Exec("UPDATE Many SET Label = 'changed' WHERE rowid IN (2, 600, 1000000000)");
  Exec("DELETE FROM Many WHERE rowid = 601");
  for (int n : {2, 600, 5000}) {
    SCOPED_TRACE(n);
    rs->SetBookmark(bookmarks.at(n));
    EXPECT_EQ(rs->Fields()->Item("Label")->Value().ToString(), "changed");
  }
  rs->SetBookmark(bookmarks.at(601));
  EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Label")->Value(); }).number, err::kRecordDeleted);
  rs->MoveNext();
  EXPECT_EQ(N(*rs), "603");  // 602 is a multiple of 7
}

TEST_F(RecordsetRunsTest, RowsOthersDeleteOrAddBeforeADynasetReachesThemLoseNoOtherRow) {
  // Keys learnt further on start after the last key known, not after as many rows as were
  // known: rows gone from the part already read must not make later rows be skipped.
  auto rs = Open("Many", kOpenDynaset);
  rs->MoveNext();
  Exec("DELETE FROM Many WHERE rowid <= 250");
  Exec("INSERT INTO Many (rowid, N, Label) VALUES (100, 100, 'back')");
  const std::string later = Select("SELECT group_concat(N) FROM (SELECT N FROM Many WHERE rowid >= 299 ORDER BY rowid)");
  std::string seen;
  while (!rs->Eof() && rs->Fields()->Item("N")->Value().ToInt32() < 299) rs->MoveNext();
  while (!rs->Eof()) {
    seen += (seen.empty() ? "" : ",") + N(*rs);
    rs->MoveNext();
  }
  EXPECT_EQ(seen, later.substr(0, later.size() - 1));
}

TEST_F(RecordsetRunsTest, OthersChangesToRowsAStatementDynasetPassedLoseOrRepeatNoRow) {
  // A dynaset on a statement learns its keys a slice at a time by offset; another user's
  // deletes or inserts among the rows already passed must not shift later rows out of it or
  // into it twice. Each case walks past several slices first.
  const std::string statement = "SELECT * FROM Many ORDER BY N DESC";
  struct Case {
    const char* name;
    const char* change;
    std::vector<std::string> added;  // rows the change adds that may show
    std::vector<std::string> ahead;  // of which these are ahead of the reader: they must show
  };
  for (const Case& c : {Case{"delete", "DELETE FROM Many WHERE N > 1100", {}, {}},
                        // 1197 and 1190 fall among the rows passed, 14 and 7 among those ahead.
                        Case{"insert", "INSERT INTO Many (N, Label) VALUES (1197, 'x'), (1190, 'x'), (14, 'x'), (7, 'x')",
                             {"1197", "1190", "14", "7"}, {"14", "7"}}}) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> all = Lines(Select("SELECT N FROM Many ORDER BY N DESC"));
    ASSERT_GT(all.size(), 800u);
    auto rs = Open(statement, kOpenDynaset);
    std::vector<std::string> seen;
    for (int i = 0; i < 150; ++i) {
      seen.push_back(N(*rs));
      rs->MoveNext();
    }
    {
      auto other = workspace_->OpenDatabase(path_);
      other->TEST_ExecuteSql(c.change);
      other->Close();
    }
    while (!rs->Eof()) {
      seen.push_back(N(*rs));
      rs->MoveNext();
    }
    std::map<std::string, int> times;
    for (const std::string& n : seen) ++times[n];
    for (const auto& [n, count] : times) EXPECT_EQ(count, 1) << "N " << n;
    std::vector<std::string> original;
    for (const std::string& n : seen) {
      if (std::find(c.added.begin(), c.added.end(), n) == c.added.end()) original.push_back(n);
    }
    EXPECT_EQ(original, all);
    for (const std::string& n : c.ahead) EXPECT_EQ(times[n], 1) << "N " << n;
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), static_cast<std::int64_t>(seen.size()));
    Exec("DELETE FROM Many WHERE Label = 'x'");
  }
}

TEST_F(RecordsetRunsTest, FindNextOnAStatementDynasetAfterOthersAddRowsItPassedRepeatsNoRow) {
  // A forward Find learns keys on its way through the source by offset too.
  auto rs = Open("SELECT * FROM Many ORDER BY N DESC", kOpenDynaset);
  for (int i = 0; i < 150; ++i) rs->MoveNext();
  {
    auto other = workspace_->OpenDatabase(path_);
    other->TEST_ExecuteSql("INSERT INTO Many (N, Label) VALUES (1197, 'x'), (1190, 'x'), (1183, 'x')");
    other->Close();
  }
  rs->FindNext("N < 10");
  ASSERT_FALSE(rs->NoMatch());
  rs->MoveFirst();
  std::map<std::string, int> times;
  while (!rs->Eof()) {
    ++times[N(*rs)];
    rs->MoveNext();
  }
  for (const auto& [n, count] : times) EXPECT_EQ(count, 1) << "N " << n;
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), static_cast<std::int64_t>(times.size()));
}

TEST_F(RecordsetRunsTest, TableTypeBookmarksReachRecordsNotReachedYet) {
  auto rs = Open("Many", kOpenTable);
  auto scout = rs->Clone();
  scout->MoveLast();
  scout->MovePrevious();
  const Variant near_end = scout->Bookmark();  // rowid 1200
  rs->SetBookmark(near_end);
  EXPECT_EQ(N(*rs), "1200");
  rs->MovePrevious();
  EXPECT_EQ(N(*rs), "1199");
  rs->MoveNext();
  rs->MoveNext();
  EXPECT_EQ(N(*rs), "5000");
  // Rowids that are not rows: in a gap the recordset has passed, in one it has not, past the end.
  auto fresh = Open("Many", kOpenTable);
  for (std::uint8_t rowid : {std::uint8_t{7}, std::uint8_t{0}}) {
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(Variant::FromBytes({rowid, 0, 0, 0})); }).number, err::kBadBookmark);
  }
  EXPECT_EQ(ErrorOf([&] { fresh->SetBookmark(Variant::FromBytes({0x54, 0x01, 0, 0})); }).number, err::kBadBookmark);  // 340
  EXPECT_EQ(ErrorOf([&] { fresh->SetBookmark(Variant::FromBytes({0, 0, 0, 0x7f})); }).number, err::kBadBookmark);
  EXPECT_EQ(N(*fresh), "1");  // a refused bookmark leaves the record where it was
  // A row deleted by another user since its bookmark was taken.
  Exec("DELETE FROM Many WHERE rowid = 1200");
  EXPECT_EQ(ErrorOf([&] { fresh->SetBookmark(near_end); }).number, err::kBadBookmark);
}

TEST_F(RecordsetRunsTest, TableTypeSeesRowsAddedAndDeletedWhileItWalks) {
  auto rs = Open("Many", kOpenTable);
  rs->Move(400);
  Exec("DELETE FROM Many WHERE N > 1100 AND N < 5000");
  Exec("INSERT INTO Many (rowid, N, Label) VALUES (1000000001, 6000, 'added')");
  std::string tail;
  while (!rs->Eof()) {
    tail = N(*rs);
    rs->MoveNext();
  }
  EXPECT_EQ(tail, "6000");
  EXPECT_EQ(WalkBack(*rs, "N").substr(0, 15), "6000,5000,1100,");
}

}  // namespace
}  // namespace qb::jet::test
