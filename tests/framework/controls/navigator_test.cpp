// The navigator bar: which buttons are enabled in each state of the dataset, what a click does,
// and the question before deleting.
#include <QTest>
#include <QToolButton>

#include "controls_fixture.h"
#include "framework/controls/db_navigator.h"

namespace qb::testing {
namespace {

class NavigatorTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    nav.SetDataSource(&source);
    nav.show();
  }
  // The enabled buttons as letters: F(irst) P(rior) N(ext) L(ast) I(nsert) D(elete) E(dit)
  // S (post) C(ancel) R(efresh); "." for a disabled one.
  std::string Enabled() {
    const char letters[] = "FPNLIDESCR";
    std::string text;
    for (int i = 0; i < kNavigateButtons; ++i)
      text += nav.Button(static_cast<TNavigateBtn>(i))->isEnabled() ? letters[i] : '.';
    return text;
  }
  void Click(TNavigateBtn button) { QTest::mouseClick(nav.Button(button), Qt::LeftButton); }

  TDBNavigator nav;
};

TEST_F(NavigatorTest, ButtonsFollowTheDatasetsState) {
  EXPECT_EQ(Enabled(), "..........");
  Open(5);
  struct Step {
    const char* what;
    std::function<void()> action;
    const char* enabled;
  };
  const Step steps[] = {
      {"open at the first", [] {}, "..NLIDE..R"},
      {"middle", [&] { ds->MoveBy(2); }, "FPNLIDE..R"},
      {"last", [&] { ds->Last(); }, "FP..IDE..R"},
      {"editing", [&] { ds->Edit(); }, "FP..ID.SCR"},
      {"inserting", [&] { ds->Cancel(); ds->Insert(); }, "FPNLID.SCR"},
      {"read-only", [&] { ds->Cancel(); ds->read_only = true; ds->Refresh(); ds->First(); }, "..NL.....R"},
      {"closed", [&] { ds->Close(); }, ".........."},
  };
  for (const Step& step : steps) {
    step.action();
    EXPECT_EQ(Enabled(), step.enabled) << step.what;
  }
}

TEST_F(NavigatorTest, AnEmptyDatasetOffersOnlyInsertAndRefresh) {
  Open(0);
  EXPECT_EQ(Enabled(), "....I....R");
}

TEST_F(NavigatorTest, ClicksMoveAndEdit) {
  Open(5);
  Click(nbNext);
  Click(nbNext);
  EXPECT_EQ(ds->RecNo(), 3);
  Click(nbPrior);
  EXPECT_EQ(ds->RecNo(), 2);
  Click(nbLast);
  EXPECT_EQ(ds->RecNo(), 5);
  Click(nbFirst);
  EXPECT_EQ(ds->RecNo(), 1);
  Click(nbEdit);
  EXPECT_EQ(ds->State(), dsEdit);
  ds->FieldByName("Name")->SetAsString("Changed");
  Click(nbPost);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(StoredText(*ds, 1, 1), "Changed");
  Click(nbInsert);
  EXPECT_EQ(ds->State(), dsInsert);
  Click(nbCancel);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->Rows().size(), 5u);
  Click(nbRefresh);
  EXPECT_TRUE(errors.empty());
}

TEST_F(NavigatorTest, DeleteAsksUnlessToldNotTo) {
  Open(5);
  gui.ExpectMessageBox(IDCANCEL).Text("Delete record?");
  Click(nbDelete);
  gui.ExpectMessageBox(IDOK).Text("Delete record?");
  Click(nbDelete);
  gui.Verify();
  EXPECT_EQ(ds->Rows().size(), 4u);
  nav.SetConfirmDelete(false);
  Click(nbDelete);
  EXPECT_EQ(ds->Rows().size(), 3u);
}

TEST_F(NavigatorTest, ErrorsReachTheExceptionDisplay) {
  Open(5);
  ds->fail_post = "The row is locked";
  Click(nbEdit);
  ds->FieldByName("Name")->SetAsString("x");
  Click(nbPost);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "The row is locked");
  EXPECT_EQ(ds->State(), dsEdit);
}

TEST_F(NavigatorTest, HiddenButtonsAreNotShown) {
  nav.SetVisibleButtons((1u << nbFirst) | (1u << nbLast));
  EXPECT_TRUE(nav.Button(nbFirst)->isVisible());
  EXPECT_FALSE(nav.Button(nbNext)->isVisible());
  EXPECT_TRUE(nav.Button(nbLast)->isVisible());
}

}  // namespace
}  // namespace qb::testing
