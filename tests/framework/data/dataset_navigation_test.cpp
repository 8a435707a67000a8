// Navigation over the ring of record buffers: both ends, an empty dataset, MoveBy, Resync,
// bookmarks and record numbers, checked against the rows the dataset stores.
#include <gtest/gtest.h>

#include "framework/data/data_source.h"
#include "framework/data/dataset_fixture.h"

namespace qb::testing {
namespace {

TEST(DataSetNavigation, WalksForwardAndBackToBothEnds) {
  auto ds = MakeNumbered(4);
  ds->Open();
  EXPECT_EQ(Where(*ds), "1[B]");
  std::string walk;
  while (!ds->Eof()) {
    walk += ds->FieldByName("ID")->AsString();
    ds->Next();
  }
  EXPECT_EQ(walk, "1234");
  EXPECT_EQ(Where(*ds), "4[E]");
  EXPECT_EQ(ds->MoveBy(1), 0) << "Next at the end moves nowhere";
  ds->Last();
  EXPECT_EQ(Where(*ds), "4[E]");
  walk.clear();
  while (!ds->Bof()) {
    walk += ds->FieldByName("ID")->AsString();
    ds->Prior();
  }
  EXPECT_EQ(walk, "4321");
  EXPECT_EQ(Where(*ds), "1[B]");
}

TEST(DataSetNavigation, MoveByStopsAtTheEndsAndCountsItsSteps) {
  struct Case {
    int start_record;  // 0: First, -1: Last
    int distance;
    int moved;
    const char* where;
  };
  const Case cases[] = {
      {0, 3, 3, "4"},     {0, 10, 5, "6[E]"}, {-1, -2, -2, "4"},
      {-1, -9, -5, "1[B]"}, {0, -1, 0, "1[B]"}, {-1, 1, 0, "6[E]"},
  };
  for (const Case& c : cases) {
    auto ds = MakeNumbered(6);
    ds->Open();
    if (c.start_record < 0) ds->Last();
    EXPECT_EQ(ds->MoveBy(c.distance), c.moved) << c.distance;
    EXPECT_EQ(Where(*ds), c.where) << c.distance;
  }
}

TEST(DataSetNavigation, EmptyDatasetIsAtBothEndsAndRefusesDelete) {
  auto ds = MakeNumbered(0);
  int after_scroll = 0;
  ds->AfterScroll = [&](TDataSet*) { ++after_scroll; };
  ds->Open();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_EQ(Where(*ds), "-[B][E]");
  ds->First();
  ds->Last();
  EXPECT_EQ(ds->MoveBy(1), 0);
  EXPECT_EQ(ds->MoveBy(-1), 0);
  EXPECT_EQ(Where(*ds), "-[B][E]");
  EXPECT_EQ(ds->ActiveBuffer(), nullptr);
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  EXPECT_EQ(ds->RecNo(), 0);
  EXPECT_TRUE(ds->GetBookmark().empty());
  try {
    ds->Delete();
    FAIL() << "deleting from an empty dataset";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation on an empty dataset");
  }
  // Open, First and Last scroll; the moves that went nowhere do not.
  EXPECT_EQ(after_scroll, 3);
}

TEST(DataSetNavigation, RingStaysContiguousOnAWalkWithALargeWindow) {
  // A link needing 3 buffers makes the dataset keep 3 records around the active one; after each
  // step the ring must hold consecutive rows with the expected one active.
  auto ds = MakeNumbered(8);
  TDataSource source;
  source.SetDataSet(ds.get());
  TDataLink link;
  link.SetBufferCount(3);
  link.SetDataSource(&source);
  ds->Open();
  EXPECT_EQ(ds->BufferCount(), 3);
  EXPECT_EQ(ds->RingIds(), "1*,2,3");
  struct Step {
    char op;  // n next, p prior, f first, l last, m MoveBy(arg)
    int arg;
    const char* ring;
  };
  const Step steps[] = {
      {'n', 0, "1,2*,3"}, {'n', 0, "1,2,3*"}, {'n', 0, "2,3,4*"},  {'m', 3, "5,6,7*"},
      {'p', 0, "5,6*,7"}, {'l', 0, "6,7,8*"}, {'p', 0, "6,7*,8"},  {'p', 0, "6*,7,8"},
      {'p', 0, "5*,6,7"}, {'m', -4, "1*,2,3"}, {'n', 0, "1,2*,3"}, {'f', 0, "1*,2,3"},
      {'m', 7, "6,7,8*"},
  };
  for (const Step& s : steps) {
    switch (s.op) {
      case 'n': ds->Next(); break;
      case 'p': ds->Prior(); break;
      case 'f': ds->First(); break;
      case 'l': ds->Last(); break;
      default: ds->MoveBy(s.arg); break;
    }
    EXPECT_EQ(ds->RingIds(), s.ring) << s.op << s.arg;
    std::string active = s.ring;
    active = active.substr(0, active.find('*'));
    active = active.substr(active.rfind(',') == std::string::npos ? 0 : active.rfind(',') + 1);
    EXPECT_EQ(ds->FieldByName("ID")->AsString(), active) << s.op << s.arg;
    EXPECT_EQ(ds->RecNo(), std::stoi(active));
  }
}

TEST(DataSetNavigation, ResyncCentersTheCursorRecordOrKeepsTheActiveIndex) {
  auto ds = MakeNumbered(9);
  TDataSource source;
  source.SetDataSet(ds.get());
  TDataLink link;
  link.SetBufferCount(5);
  link.SetDataSource(&source);
  ds->Open();
  ds->SetRecNo(6);  // the descendant jumps and resyncs exact + center
  EXPECT_EQ(ds->RingIds(), "4,5,6*,7,8");
  ds->MoveBy(-1);
  ds->Refresh();  // resync keeping the active index
  EXPECT_EQ(ds->RingIds(), "4,5*,6,7,8");
  ds->SetRecNo(1);
  EXPECT_EQ(ds->RingIds(), "1*,2,3,4,5") << "no records before the first to center with";
  ds->SetRecNo(9);
  EXPECT_EQ(ds->RingIds(), "5,6,7,8,9*");
}

TEST(DataSetNavigation, BookmarksReturnToTheirRecordAndFailWhenItIsGone) {
  auto ds = MakeNumbered(5);
  ds->Open();
  ds->MoveBy(2);
  TBookmark third = ds->GetBookmark();
  ASSERT_EQ(third.size(), 4u);
  ds->Last();
  TBookmark fifth = ds->GetBookmark();
  EXPECT_EQ(ds->CompareBookmarks(third, fifth), -1);
  EXPECT_EQ(ds->CompareBookmarks(third, third), 0);
  ds->GotoBookmark(third);
  EXPECT_EQ(Where(*ds), "3");
  EXPECT_TRUE(ds->BookmarkValid(fifth));
  ds->Last();
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(fifth));
  EXPECT_THROW(ds->GotoBookmark(fifth), EDatabaseError);
  EXPECT_EQ(Where(*ds), "4") << "a failed jump leaves the dataset where it was";
}

TEST(DataSetNavigation, RecordNumberIsSetAndReadThroughTheDescendant) {
  auto ds = MakeNumbered(5);
  ds->Open();
  EXPECT_TRUE(ds->IsSequenced());
  EXPECT_EQ(ds->RecordCount(), 5);
  ds->SetRecNo(4);
  EXPECT_EQ(Where(*ds), "4");
  EXPECT_EQ(ds->RecNo(), 4);
  ds->Next();
  EXPECT_EQ(Where(*ds), "5");
  ds->Next();
  EXPECT_EQ(Where(*ds), "5[E]");
}

TEST(DataSetNavigation, ClosedDatasetRefusesNavigation) {
  auto ds = MakeNumbered(2);
  try {
    ds->First();
    FAIL() << "First on a closed dataset";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
  }
  EXPECT_THROW(ds->RecordCount(), EDatabaseError);
  EXPECT_THROW(ds->Edit(), EDatabaseError);
}

}  // namespace
}  // namespace qb::testing

namespace qb::testing {
namespace {

TEST(DataSetNavigation, RefreshReadsTheRecordsAgain) {
  auto ds = MakeNumbered(5);
  TDataSource source;
  source.SetDataSet(ds.get());
  TDataLink link;
  link.SetBufferCount(3);
  link.SetDataSource(&source);
  ds->Open();
  ds->Next();
  ds->SetStoredValue(1, 1, EncodeText("changed", 10));  // the active record, by another user
  ds->SetStoredValue(2, 1, EncodeText("also", 10));     // a buffered neighbour
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "r2") << "buffers keep what was read";
  ds->Refresh();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "changed");
  ds->Next();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "also");
}

}  // namespace
}  // namespace qb::testing
