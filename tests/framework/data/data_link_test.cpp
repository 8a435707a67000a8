// Data sources and data links: the notifications a link sees and their order, ring sizes
// with several links, disabled controls, and the refusal of circular links.
#include <gtest/gtest.h>

#include "framework/component/properties.h"
#include "framework/data/data_source.h"
#include "framework/data/dataset_fixture.h"

namespace qb::testing {
namespace {

// Writes each notification as a word, with the link's view of the window where it matters.
class RecordingLink : public TDataLink {
 public:
  std::string log;
  std::string pending;  // written into Name on UpdateData, as a control would

 protected:
  void ActiveChanged() override { log += Active() ? "active " : "inactive "; }
  void EditingChanged() override { log += Editing() ? "editing " : "browsing "; }
  void DataSetChanged() override { log += "changed(" + std::to_string(ActiveRecord()) + ") "; }
  void DataSetScrolled(int distance) override {
    log += "scrolled(" + std::to_string(distance) + "," + std::to_string(ActiveRecord()) + ") ";
  }
  void LayoutChanged() override { log += "layout "; }
  void RecordChanged(TField* field) override {
    log += "record(" + (field ? field->FieldName() : std::string()) + ") ";
  }
  void UpdateData() override {
    log += "update ";
    if (!pending.empty()) {
      DataSet()->FieldByName("Name")->SetAsString(pending);
      pending.clear();
    }
  }
  void CheckBrowseMode() override { log += "check "; }
};

struct Linked {
  std::unique_ptr<TMemoryDataSet> ds;
  TDataSource source;
  RecordingLink link;
  explicit Linked(int rows) : ds(MakeNumbered(rows)) {
    source.SetDataSet(ds.get());
    link.SetDataSource(&source);
  }
};

TEST(DataLink, SeesEachNotificationInOrder) {
  Linked t(3);
  t.ds->Open();
  EXPECT_EQ(t.link.log, "active ");
  t.link.log.clear();
  t.ds->Next();
  EXPECT_EQ(t.link.log, "check scrolled(-1,0) ") << "a one-record ring turns by one";
  t.link.log.clear();
  t.ds->Edit();
  EXPECT_EQ(t.link.log, "check editing record() ");
  t.link.log.clear();
  t.ds->FieldByName("Name")->SetAsString("x");
  EXPECT_EQ(t.link.log, "record(Name) ");
  t.link.log.clear();
  t.ds->Post();
  EXPECT_EQ(t.link.log, "update check browsing changed(0) ");
  t.link.log.clear();
  t.ds->Close();
  EXPECT_EQ(t.link.log, "inactive ");
}

TEST(DataLink, PendingControlValueIsWrittenBeforeThePost) {
  Linked t(2);
  t.ds->Open();
  t.ds->Edit();
  t.link.pending = "control";
  t.ds->Post();
  EXPECT_EQ(t.ds->FieldByName("Name")->AsString(), "control");
  // Also while controls are disabled: a value typed into a control is never dropped.
  t.ds->DisableControls();
  t.ds->Edit();
  t.link.pending = "disabled";
  t.ds->Post();
  t.ds->EnableControls();
  EXPECT_EQ(t.ds->FieldByName("Name")->AsString(), "disabled");
}

TEST(DataLink, RingIsSizedByTheLargestLinkAndShrinksKeepingTheActiveRecord) {
  Linked t(10);
  RecordingLink grid;
  grid.SetBufferCount(4);
  grid.SetDataSource(&t.source);
  t.ds->Open();
  EXPECT_EQ(t.ds->BufferCount(), 4);
  EXPECT_EQ(t.ds->RingIds(), "1*,2,3,4");
  EXPECT_EQ(grid.RecordCount(), 4);
  EXPECT_EQ(t.link.RecordCount(), 1);
  t.ds->MoveBy(5);
  EXPECT_EQ(t.ds->RingIds(), "3,4,5,6*");
  EXPECT_EQ(grid.ActiveRecord(), 3);
  EXPECT_EQ(t.link.ActiveRecord(), 0);
  t.ds->MoveBy(-2);
  EXPECT_EQ(grid.ActiveRecord(), 1);
  grid.SetDataSource(nullptr);
  EXPECT_EQ(t.ds->BufferCount(), 1);
  EXPECT_EQ(t.ds->RingIds(), "4*");
  grid.SetBufferCount(3);
  grid.SetDataSource(&t.source);
  EXPECT_EQ(t.ds->BufferCount(), 3);
  EXPECT_EQ(t.ds->RingIds(), "4*,5,6");
  EXPECT_EQ(Where(*t.ds), "4");
}

TEST(DataLink, DisabledControlsHearOneChangeAtTheEnd) {
  Linked t(5);
  t.ds->Open();
  t.link.log.clear();
  t.ds->DisableControls();
  t.ds->DisableControls();
  t.ds->Next();
  t.ds->Next();
  t.ds->EnableControls();
  EXPECT_EQ(t.link.log, "check check ") << "only the requests to finish edits get through";
  t.ds->EnableControls();
  EXPECT_EQ(t.link.log, "check check changed(0) ");
  EXPECT_EQ(Where(*t.ds), "3");
}

TEST(DataLink, SourceRefusesCircularLinks) {
  auto a = MakeNumbered(1);
  auto b = MakeNumbered(1);
  TDataSource source_a, source_b;
  source_a.SetDataSet(a.get());
  b->master = &source_a;  // b follows a
  source_b.SetDataSet(b.get());
  a->master = &source_b;  // a follows b: a -> b -> a
  TDataSource third;
  try {
    third.SetDataSet(b.get());
    SUCCEED();
  } catch (...) {
    FAIL() << "a source that nothing follows is no circle";
  }
  a->master = nullptr;
  TDataSource own;
  a->master = &own;
  try {
    own.SetDataSet(a.get());
    FAIL() << "a dataset became its own master";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Circular datalinks are not allowed");
  }
  EXPECT_EQ(own.DataSet(), nullptr);
  // a follows source_b (of b), b follows source_a: pointing source_a at a closes the circle
  // a -> source_b -> b -> source_a -> a.
  a->master = &source_b;
  source_a.SetDataSet(nullptr);
  EXPECT_THROW(source_a.SetDataSet(a.get()), EDatabaseError);
  b->master = nullptr;
  a->master = nullptr;
}

TEST(DataLink, DestroyedDatasetDeactivatesItsLinks) {
  auto ds = MakeNumbered(2);
  TDataSource source;
  RecordingLink link;
  source.SetDataSet(ds.get());
  link.SetDataSource(&source);
  ds->Open();
  link.log.clear();
  ds.reset();
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(link.log, "inactive ");
}

}  // namespace
}  // namespace qb::testing

namespace qb::testing {
namespace {

TEST(DataPublished, ActiveSetWhileLoadingOpensAtLoaded) {
  auto ds = MakeNumbered(2);
  TDataSource source;
  EXPECT_EQ(std::get<bool>(*ds->Properties().Find("AutoCalcFields")->default_value), true);
  ComponentStateAccess::Include(ds.get(), csLoading);
  SetPropertyValue(*ds, "Active", PropertyValue(true));
  EXPECT_FALSE(ds->Active()) << "opening waits for the end of loading";
  ComponentStateAccess::Exclude(ds.get(), csLoading);
  ds->Loaded();
  EXPECT_TRUE(ds->Active());
  SetPropertyValue(source, "DataSet", PropertyValue(static_cast<TComponent*>(ds.get())));
  EXPECT_EQ(source.DataSet(), ds.get());
  EXPECT_EQ(source.State(), dsBrowse);
  EXPECT_THROW(SetPropertyValue(source, "DataSet", PropertyValue(static_cast<TComponent*>(&source))),
               Exception) << "only a dataset can be a data source's DataSet";
}

}  // namespace
}  // namespace qb::testing
