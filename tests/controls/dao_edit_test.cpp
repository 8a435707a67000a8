// The data-access edit, memo and image follow the dataset: the colour of its state, enabled
// only while records can be changed, criteria characters for numeric fields in set-key state
// (and the field's own characters afterwards), and fields without their own index disabled
// when the recordset restricts keys to indexed fields.
#include <gtest/gtest.h>

#include "controls/dao_edit.h"
#include "controls/dao_image.h"
#include "controls/dao_memo.h"
#include "controls/dataset_state_colors.h"
#include "dao_controls_fixture.h"

namespace qb::test {
namespace {

class DaoEditTest : public DaoControlsTest {
 protected:
  void SetUp() override {
    DaoControlsTest::SetUp();
    saved_colors_ = DataSetStateColors();
    FillPeople(10);
  }
  void TearDown() override {
    DataSetStateColors() = saved_colors_;
    DaoControlsTest::TearDown();
  }
  // An edit of FIELD in a shown window, with the focus.
  TDAOEdit& EditOf(const char* field) {
    edit_.SetDataSource(&source_);
    edit_.SetDataField(field);
    edit_.show();
    edit_.setFocus();
    return edit_;
  }
  QColor Color(QWidget& control) { return control.palette().color(QPalette::Base); }

  std::array<QColor, kDataSetStateCount> saved_colors_;
  TDAOEdit edit_;
};

TEST_F(DaoEditTest, ColourFollowsTheDatasetState) {
  DataSetStateColors()[dsBrowse] = Qt::white;
  DataSetStateColors()[dsEdit] = Qt::yellow;
  DataSetStateColors()[dsSetKey] = Qt::cyan;
  TDAORecordset& rs = OpenPeople();
  TDAOEdit& edit = EditOf("Name");
  TDAOMemo memo;
  memo.SetDataSource(&source_);
  memo.SetDataField("Notes");
  struct Step {
    const char* what;
    std::function<void()> action;
    QColor expected;
  } steps[] = {
      {"browse", [] {}, Qt::white},
      {"edit", [&] { rs.Edit(); }, Qt::yellow},
      {"cancel", [&] { rs.Cancel(); }, Qt::white},
      {"set key", [&] { rs.SetKey(); }, Qt::cyan},
      {"key cancelled", [&] { rs.Cancel(); }, Qt::white},
  };
  for (const Step& step : steps) {
    step.action();
    EXPECT_EQ(Color(edit), step.expected) << step.what;
    EXPECT_EQ(Color(memo), step.expected) << step.what;
  }
  // Without the option the colour stays as it is.
  edit.SetChangeColorOnDataSetStateChange(false);
  rs.Edit();
  EXPECT_EQ(Color(edit), QColor(Qt::white));
  rs.Cancel();
}

TEST_F(DaoEditTest, SetKeyStateTakesCriteriaAndGivesTheFieldItsOwnCharactersBack) {
  TDAORecordset& rs = OpenPeople(rtTable, "People", "ByAge");
  TDAOEdit& edit = EditOf("Age");
  // Browsing: a number field refuses the operators.
  QTest::keyClicks(&edit, "<");
  EXPECT_EQ(rs.State(), dsBrowse);
  EXPECT_FALSE(edit.text().contains('<'));
  // Set-key: the text is emptied and takes a criterion.
  rs.SetKey();
  EXPECT_TRUE(edit.text().isEmpty());
  EXPECT_TRUE(edit.isEnabled());
  QTest::keyClicks(&edit, ">= 5 AND <8");
  EXPECT_EQ(edit.text(), ">= 5 AND <8");
  rs.Cancel();
  // Back in browse state the operators are refused again, while the field's own minus sign
  // (a criteria character too) is still accepted.
  TField* age = rs.FieldByName("Age");
  EXPECT_FALSE(age->IsValidChar('<'));
  EXPECT_FALSE(age->IsValidChar('A'));
  EXPECT_TRUE(age->IsValidChar('-'));
  EXPECT_TRUE(age->IsValidChar('+'));
  edit.selectAll();
  QTest::keyClicks(&edit, "-4");
  EXPECT_EQ(edit.text(), "-4");
  EXPECT_EQ(rs.State(), dsEdit);
  rs.Cancel();
}

TEST_F(DaoEditTest, RestrictedKeysDisableTheEditsOfFieldsWithoutTheirOwnIndex) {
  DataSetStateColors()[dsBrowse] = Qt::white;
  DataSetStateColors()[dsSetKey] = Qt::cyan;
  TDAORecordset& rs = OpenPeople();
  struct Case {
    const char* field;
    bool restrict;
    bool enabled;
    QColor color;
  } cases[] = {
      {"City", true, false, Qt::white},  // only the second field of City+Name
      {"Name", true, true, Qt::cyan},
      {"Age", true, true, Qt::cyan},
      {"City", false, true, Qt::cyan},
  };
  for (const Case& c : cases) {
    rs.SetRestrictFilterToIndexedFields(c.restrict);
    TDAOEdit& edit = EditOf(c.field);
    rs.SetKey();
    EXPECT_EQ(edit.isEnabled(), c.enabled) << c.field << " " << c.restrict;
    EXPECT_EQ(Color(edit), c.color) << c.field << " " << c.restrict;
    EXPECT_TRUE(edit.text().isEmpty());
    rs.Cancel();
    EXPECT_TRUE(edit.isEnabled());
    EXPECT_FALSE(edit.text().isEmpty());
  }
}

TEST_F(DaoEditTest, ControlsAreEnabledOnlyWhileRecordsCanBeChanged) {
  TDAOMemo memo;
  TDAOImage image;
  memo.SetDataSource(&source_);
  memo.SetDataField("Notes");
  image.SetDataSource(&source_);
  image.SetDataField("Photo");
  TDAOEdit& edit = EditOf("Name");
  for (TLockStrategies lock : {lkReadOnly, lkOptimistic}) {
    OpenPeople(rtTable, "People", "ByName", lock);
    const bool can = lock != lkReadOnly;
    EXPECT_EQ(edit.isEnabled(), can);
    EXPECT_EQ(memo.isEnabled(), can);
    EXPECT_EQ(image.isEnabled(), can);
    EXPECT_EQ(image.acceptDrops(), can);
    EXPECT_EQ(memo.viewport()->acceptDrops(), can);
  }
}

}  // namespace
}  // namespace qb::test
