// Exceptions the dataset catches in its own work reach the exception display through
// ReportException; the rest propagate to the caller and, in an event handler, to the
// application's display.
#include <gtest/gtest.h>

#include "framework/component/properties.h"
#include "framework/data/dataset_fixture.h"
#include "framework/gui/application.h"

namespace qb::testing {
namespace {

// Collects what reaches the application's exception display.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App().OnException = [this](const std::exception& error) { shown += std::string(error.what()) + "|"; };
  }
  void TearDown() override { App().OnException = nullptr; }
  std::string shown;
};

void LoadActive(TMemoryDataSet& ds) {
  ComponentStateAccess::Include(&ds, csLoading);
  SetPropertyValue(ds, "Active", PropertyValue(true));
  ComponentStateAccess::Exclude(&ds, csLoading);
  ds.Loaded();
}

TEST_F(ReportTest, AFailedOpenWhileLoadingIsReportedOnlyInADesigner) {
  auto designing = MakeNumbered(2);
  designing->fail_open = true;
  designing->SetDesigning(true);
  EXPECT_NO_THROW(LoadActive(*designing));
  EXPECT_FALSE(designing->Active());
  EXPECT_EQ(shown, "The rows cannot be opened|");

  shown.clear();
  auto running = MakeNumbered(2);
  running->fail_open = true;
  EXPECT_THROW(LoadActive(*running), EDatabaseError);
  EXPECT_EQ(shown, "") << "at run time the caller gets the exception";
}

TEST_F(ReportTest, ACancelFailingWhileClosingIsReportedAndTheDatasetCloses) {
  auto ds = MakeNumbered(2);
  ds->Open();
  ds->Edit();
  ds->fail_cancel = true;
  EXPECT_NO_THROW(ds->Close());
  EXPECT_FALSE(ds->Active());
  EXPECT_EQ(shown, "The edit cannot be undone|");
}

TEST_F(ReportTest, AnAbortIsNeverShown) {
  auto ds = MakeNumbered(1);
  ds->ReportException(EAbort(data_msg::kOperationAborted));
  EXPECT_EQ(shown, "");
  ds->ReportException(EDatabaseError("shown"));
  EXPECT_EQ(shown, "shown|");
}

TEST_F(ReportTest, AnErrorRaisedInAnEventHandlerReachesTheApplicationDisplay) {
  auto ds = MakeNumbered(2);
  ds->Open();
  ds->BeforePost = [](TDataSet*) { DatabaseError("Name must not be empty"); };
  bool done = App().CallGuarded([&] {
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("x");
    ds->Post();
  });
  EXPECT_FALSE(done);
  EXPECT_EQ(shown, "Name must not be empty|");
  EXPECT_EQ(ds->State(), dsEdit) << "the failed post leaves the edit pending";
}

}  // namespace
}  // namespace qb::testing
