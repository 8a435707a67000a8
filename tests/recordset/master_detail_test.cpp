// A detail recordset following its master: orders and their lines. Scrolling the master
// re-executes the detail once after the delay (at once without one), the timer runs through
// the event loop, and a detail's pending edit is posted before it follows the master.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "framework/data/data_source.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "framework/gui/message_box.h"
#include "jet/recordset/recordset.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

// Counts how often a dataset's records were refilled.
class RefillCounter : public TDataLink {
 public:
  int refills = 0;

 protected:
  void DataSetChanged() override { ++refills; }
};

class MasterDetailTest : public RecordsetTest {
 protected:
  static constexpr int kOrders = 1000;

  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE Orders (OrderId LONG CONSTRAINT PK PRIMARY KEY, Customer TEXT(20))");
    Exec("CREATE TABLE Lines (OrderId LONG, LineNo LONG, Item TEXT(20), CONSTRAINT PK PRIMARY KEY (OrderId, LineNo))");
    database_->BeginTrans();
    std::shared_ptr<jet::Recordset> orders = database_->DatabaseObject()->OpenRecordset("Orders", 1);
    std::shared_ptr<jet::Recordset> lines = database_->DatabaseObject()->OpenRecordset("Lines", 1);
    for (int id = 1; id <= kOrders; ++id) {
      orders->AddNew();
      orders->Fields()->Item(0)->SetValue(Variant(id));
      orders->Fields()->Item(1)->SetValue(Variant("C" + std::to_string(id)));
      orders->Update();
      for (int line = 1; line <= 2; ++line) {
        lines->AddNew();
        lines->Fields()->Item(0)->SetValue(Variant(id));
        lines->Fields()->Item(1)->SetValue(Variant(line));
        lines->Fields()->Item(2)->SetValue(Variant("I" + std::to_string(id) + "." + std::to_string(line)));
        lines->Update();
      }
    }
    database_->CommitTrans();
    master_ = Make(rtTable, "Orders");
    master_->SetIndex("PK");
    source_.SetDataSet(master_.get());
    master_->Open();
    detail_ = Make(rtQuery, "SELECT * FROM Lines WHERE OrderId = :OrderId ORDER BY LineNo");
    detail_->SetMasterSource(&source_);
    detail_source_.SetDataSet(detail_.get());
    counter_.SetDataSource(&detail_source_);
  }
  void TearDown() override {
    counter_.SetDataSource(nullptr);
    detail_.reset();
    master_.reset();
    RecordsetTest::TearDown();
  }
  // Lets the event loop deliver the detail's timer; returns when it has fired.
  void RunUntilDetailUpdated() {
    while (detail_->DetailUpdatePending()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }

  std::unique_ptr<TDAORecordset> master_;
  std::unique_ptr<TDAORecordset> detail_;
  TDataSource source_, detail_source_;
  RefillCounter counter_;
};

TEST_F(MasterDetailTest, ScrollingTheMasterReexecutesTheDetailOnceAfterTheDelay) {
  detail_->SetDetailUpdateDelay(20);
  detail_->Open();
  EXPECT_EQ(Walk(*detail_, "Item"), "I1.1,I1.2");
  detail_->First();
  counter_.refills = 0;
  for (int i = 1; i < kOrders; ++i) master_->Next();
  EXPECT_EQ(counter_.refills, 0) << "nothing re-executes while the master scrolls";
  EXPECT_TRUE(detail_->DetailUpdatePending());
  RunUntilDetailUpdated();
  EXPECT_EQ(counter_.refills, 1);
  EXPECT_EQ(Walk(*detail_, "Item"), "I1000.1,I1000.2");
  counter_.refills = 1;
  QCoreApplication::processEvents();
  EXPECT_EQ(counter_.refills, 1) << "the timer does not repeat";
}

TEST_F(MasterDetailTest, WithoutDelayEveryMasterMoveReexecutesAtOnce) {
  detail_->SetDetailUpdateDelay(0);
  detail_->Open();
  counter_.refills = 0;
  for (int i = 0; i < 5; ++i) master_->Next();
  EXPECT_EQ(counter_.refills, 5);
  EXPECT_FALSE(detail_->DetailUpdatePending());
  EXPECT_EQ(detail_->FieldByName("Item")->AsString(), "I6.1");
  master_->Last();
  const int at_end = counter_.refills;
  master_->Next();  // already on the last record: the master does not move
  EXPECT_EQ(counter_.refills, at_end);
}

TEST_F(MasterDetailTest, APendingDetailEditIsPostedBeforeFollowingTheMaster) {
  detail_->SetDetailUpdateDelay(0);
  detail_->Open();
  detail_->Edit();
  detail_->FieldByName("Item")->SetAsString("changed");
  master_->Next();
  EXPECT_EQ(detail_->State(), dsBrowse);
  EXPECT_EQ(Column("Lines", "Item", "OrderId, LineNo").substr(0, 15), "changed,I1.2,I2");
}

TEST_F(MasterDetailTest, AFailedReexecutionClosesTheDetailAndReachesTheApplication) {
  detail_->SetDetailUpdateDelay(10);
  detail_->Open();
  master_->Next();
  // The master loses the field the detail's parameter names before the timer fires.
  source_.SetDataSet(nullptr);
  TDAORecordset other;
  other.SetName("Other");
  other.SetDAODatabase(database_.get());
  other.SetRecordSetType(rtQuery);
  other.SetSQLText("SELECT Customer FROM Orders");
  source_.SetDataSet(&other);
  other.Open();
  source_.SetName("OrdersSource");
  other.Next();
  EXPECT_TRUE(detail_->DetailUpdatePending());
  // Nobody called the timer: the failure is shown, not thrown into the event loop.
  gui_->ExpectMessageBox(IDOK).TextContains(
      "The unbound Field 'OrderId' could not be found in Recordset 'Other' of Mastersource 'OrdersSource'.");
  RunUntilDetailUpdated();
  gui_->Verify();
  EXPECT_FALSE(detail_->Active()) << "no records of another master are left on show";
}

}  // namespace
}  // namespace qb::test
