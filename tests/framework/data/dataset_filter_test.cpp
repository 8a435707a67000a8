// Filtering: the records the ring holds while Filtered is on, the Find operations, the
// filter handler's failures, and the block-read state's silence towards the data links.
#include <gtest/gtest.h>

#include "framework/data/data_source.h"
#include "framework/data/dataset_fixture.h"
#include "framework/gui/application.h"

namespace qb::testing {
namespace {

// The IDs met walking forward from the first record, then backward from the last.
std::string Walk(TDataSet& ds) {
  std::string text;
  for (ds.First(); !ds.Eof(); ds.Next()) text += ds.FieldByName("ID")->AsString() + " ";
  text += "/";
  for (ds.Last(); !ds.Bof(); ds.Prior()) text += " " + ds.FieldByName("ID")->AsString();
  return text;
}

TFilterRecordEvent IdFilter(std::function<bool(int)> keep) {
  return [keep](TDataSet* ds, bool& accept) { accept = keep(ds->FieldByName("ID")->AsInteger()); };
}

TEST(DataSetFilter, TheRingHoldsOnlyAcceptedRecords) {
  struct Case {
    const char* name;
    std::function<bool(int)> keep;
    int buffers;  // ring size, through a link
    const char* walk;
  };
  const Case cases[] = {
      {"even", [](int id) { return id % 2 == 0; }, 1, "2 4 6 8 10 / 10 8 6 4 2"},
      {"even, ring of 3", [](int id) { return id % 2 == 0; }, 3, "2 4 6 8 10 / 10 8 6 4 2"},
      {"ends refused", [](int id) { return id > 1 && id < 10; }, 4, "2 3 4 5 6 7 8 9 / 9 8 7 6 5 4 3 2"},
      {"one", [](int id) { return id == 7; }, 2, "7 / 7"},
      {"none", [](int) { return false; }, 2, "/"},
  };
  for (const Case& c : cases) {
    auto ds = MakeNumbered(10);
    TDataSource source;
    source.SetDataSet(ds.get());
    TDataLink link;
    link.SetDataSource(&source);
    link.SetBufferCount(c.buffers);
    ds->OnFilterRecord = IdFilter(c.keep);
    ds->SetFiltered(true);
    ds->Open();
    EXPECT_EQ(Walk(*ds), c.walk) << c.name;
    EXPECT_EQ(ds->IsEmpty(), std::string(c.walk) == "/") << c.name;
    ds->SetFiltered(false);
    EXPECT_EQ(Where(*ds), "1[B]") << c.name << ": unfiltering moves to the first record";
    EXPECT_EQ(Walk(*ds), "1 2 3 4 5 6 7 8 9 10 / 10 9 8 7 6 5 4 3 2 1") << c.name;
  }
}

TEST(DataSetFilter, ChangingTheHandlerWhileFilteredRefilters) {
  auto ds = MakeNumbered(6);
  ds->Open();
  ds->OnFilterRecord = IdFilter([](int id) { return id > 4; });
  EXPECT_EQ(Walk(*ds), "1 2 3 4 5 6 / 6 5 4 3 2 1") << "a handler alone does not filter";
  ds->SetFiltered(true);
  EXPECT_EQ(Where(*ds), "5[B]");
  ds->SetOnFilterRecord(IdFilter([](int id) { return id < 3; }));
  EXPECT_EQ(Where(*ds), "1[B]");
  EXPECT_EQ(Walk(*ds), "1 2 / 2 1");
}

TEST(DataSetFilter, ARecordEditedOutOfTheFilterLeavesTheRing) {
  auto ds = MakeNumbered(5);
  ds->OnFilterRecord = [](TDataSet* d, bool& accept) { accept = d->FieldByName("Name")->AsString() != "gone"; };
  ds->SetFiltered(true);
  ds->Open();
  ds->MoveBy(2);
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("gone");
  ds->Post();
  EXPECT_EQ(StoredIds(*ds), "1,2,3,4,5") << "the record is stored";
  EXPECT_EQ(Where(*ds), "4") << "and replaced on screen by its neighbour";
  EXPECT_EQ(Walk(*ds), "1 2 4 5 / 5 4 2 1");
}

TEST(DataSetFilter, AFailingHandlerIsReportedAndKeepsTheRecord) {
  std::string shown;
  App().OnException = [&](const std::exception& e) { shown += std::string(e.what()) + "|"; };
  auto ds = MakeNumbered(3);
  ds->OnFilterRecord = [](TDataSet* d, bool& accept) {
    if (d->FieldByName("ID")->AsInteger() == 2) DatabaseError("bad filter");
    accept = false;
  };
  ds->SetFiltered(true);
  EXPECT_NO_THROW(ds->Open());
  App().OnException = nullptr;
  EXPECT_EQ(Where(*ds), "2[B]");
  EXPECT_EQ(shown, "bad filter|");
  EXPECT_EQ(ds->State(), dsBrowse) << "the filtering state ends with the handler";
}

TEST(DataSetFind, FindsWithTheHandlerWhetherFilteredOrNot) {
  for (bool filtered : {false, true}) {
    auto ds = MakeNumbered(10);
    ds->OnFilterRecord = IdFilter([](int id) { return id % 3 == 0; });
    ds->SetFiltered(filtered);
    ds->Open();
    std::string trail;
    auto step = [&](bool found) {
      trail += (found ? "" : "!") + ds->FieldByName("ID")->AsString() + (ds->Found() ? "" : "?") + " ";
    };
    step(ds->FindFirst());
    step(ds->FindNext());
    step(ds->FindNext());
    step(ds->FindNext());
    step(ds->FindLast());
    step(ds->FindPrior());
    step(ds->FindPrior());
    step(ds->FindPrior());
    EXPECT_EQ(trail, "3 6 9 !9? 9 6 3 !3? ") << (filtered ? "filtered" : "not filtered");
    ds->Next();
    EXPECT_EQ(Where(*ds), filtered ? "6" : "4") << "the ring follows the cursor after a failed find";
  }
}

TEST(DataSetFind, WithoutAHandlerEveryRecordIsFound) {
  auto ds = MakeNumbered(3);
  ds->Open();
  EXPECT_TRUE(ds->FindLast());
  EXPECT_EQ(Where(*ds), "3");
  EXPECT_TRUE(ds->FindPrior());
  EXPECT_EQ(Where(*ds), "2");
  auto empty = MakeNumbered(0);
  empty->Open();
  EXPECT_FALSE(empty->FindFirst());
  EXPECT_FALSE(empty->Found());
}

// Counts what a control would hear.
class CountingLink : public TDataLink {
 public:
  int events = 0;
  std::string shown;

 protected:
  void DataSetChanged() override { Heard(); }
  void DataSetScrolled(int) override { Heard(); }
  void RecordChanged(TField*) override { Heard(); }
  void EditingChanged() override { Heard(); }

 private:
  void Heard() {
    ++events;
    shown = DataSet()->FieldByName("ID")->AsString();
  }
};

TEST(DataSetBlockRead, LinksHearNothingUntilTheBlockReadEnds) {
  auto ds = MakeNumbered(20);
  TDataSource source;
  source.SetDataSet(ds.get());
  CountingLink link;
  link.SetDataSource(&source);
  ds->Open();
  link.events = 0;
  ds->SetBlockReadSize(5);
  EXPECT_EQ(ds->State(), dsBlockRead);
  int sum = 0;
  for (ds->First(); !ds->Eof(); ds->Next()) sum += ds->FieldByName("ID")->AsInteger();
  EXPECT_EQ(sum, 210) << "records are read as in browse state";
  ds->First();
  ds->MoveBy(3);
  EXPECT_EQ(link.events, 0);
  ds->SetBlockReadSize(0);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->BlockReadSize(), 0);
  EXPECT_GT(link.events, 0) << "the end of the block read is announced";
  EXPECT_EQ(link.shown, "4") << "and the control shows where the reading stopped";
}

TEST(DataSetBlockRead, EditingOrClosingEndsIt) {
  auto ds = MakeNumbered(8);
  TDataSource source;
  source.SetDataSet(ds.get());
  CountingLink link;
  link.SetDataSource(&source);
  link.SetBufferCount(3);
  ds->Open();
  ds->SetBlockReadSize(10);
  ds->MoveBy(5);
  link.events = 0;
  ds->Edit();
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(ds->BlockReadSize(), 0);
  EXPECT_GT(link.events, 0);
  EXPECT_EQ(link.shown, "6") << "the links catch up with the moves they missed";
  EXPECT_LT(link.ActiveRecord(), link.BufferCount());
  EXPECT_EQ(link.ActiveRecord(), ds->ActiveRecord() - (ds->BufferedRecords() - link.RecordCount()))
      << "the link's window ends at the active record after reading forward";
  ds->Cancel();
  ds->SetBlockReadSize(10);
  ds->Close();
  EXPECT_EQ(ds->BlockReadSize(), 0);
  EXPECT_THROW(ds->SetBlockReadSize(1), EDatabaseError) << "a closed dataset reads no blocks";
}

}  // namespace
}  // namespace qb::testing
