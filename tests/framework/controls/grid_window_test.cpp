// The grid over a table of a million rows: it reads only the records of its window, its
// vertical scroll bar stands for the dataset's position, and keys, wheel and scroll bar move
// the dataset.
#include <QScrollBar>
#include <QTest>

#include "controls_fixture.h"
#include "framework/controls/db_grid.h"

namespace qb::testing {
namespace {

constexpr int kMillion = 1000000;

class GridWindowTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Open(kMillion);
    grid.resize(420, 260);
    grid.SetDataSource(&source);
    grid.show();
    QApplication::processEvents();
  }
  int RecNo() { return ds->RecNo(); }
  QScrollBar* Bar() { return grid.verticalScrollBar(); }

  TDBGrid grid;
};

TEST_F(GridWindowTest, ShowsOneWindowOfRecordsAndTheBarSpansTheTable) {
  const int rows = grid.VisibleRows();
  ASSERT_GT(rows, 5);
  EXPECT_EQ(grid.DataLink().BufferCount(), rows);
  EXPECT_EQ(grid.DataLink().RecordCount(), rows);
  EXPECT_LE(ds->fetches, 2 * rows + 2) << "opening read more than the window";
  EXPECT_EQ(Bar()->minimum(), 0);
  EXPECT_EQ(Bar()->maximum(), kMillion - 1);
  EXPECT_EQ(Bar()->value(), 0);
  EXPECT_EQ(grid.ColumnCount(), 3);

  // Painting reads the ring's buffers, never the table.
  const int before = ds->fetches;
  grid.grab();
  EXPECT_EQ(ds->fetches, before);
}

TEST_F(GridWindowTest, KeysMoveTheDatasetAndTheBarFollows) {
  const int rows = grid.VisibleRows();
  struct Step {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int rec_no;
  };
  const Step steps[] = {
      {Qt::Key_Down, Qt::NoModifier, 2},
      {Qt::Key_PageDown, Qt::NoModifier, 2 + rows},
      {Qt::Key_Up, Qt::NoModifier, 1 + rows},
      {Qt::Key_End, Qt::ControlModifier, kMillion},
      {Qt::Key_PageUp, Qt::NoModifier, kMillion - rows},
      {Qt::Key_Down, Qt::NoModifier, kMillion - rows + 1},
      {Qt::Key_Home, Qt::ControlModifier, 1},
      {Qt::Key_Up, Qt::NoModifier, 1},
  };
  for (const Step& step : steps) {
    const int before = ds->fetches;
    QTest::keyClick(&grid, step.key, step.modifiers);
    SCOPED_TRACE(QTest::toString(QKeySequence(step.key | step.modifiers)));
    EXPECT_EQ(RecNo(), step.rec_no);
    EXPECT_EQ(Bar()->value(), step.rec_no - 1);
    EXPECT_LE(ds->fetches - before, 2 * rows + 2) << "one move read more than a window";
    EXPECT_EQ(grid.DataLink().RecordCount(), rows);
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(GridWindowTest, ScrollBarMovesTheDataset) {
  const int rows = grid.VisibleRows();
  int before = ds->fetches;
  // A click in the bar's trough below the thumb pages down.
  const QRect trough = Bar()->rect();
  QTest::mouseClick(Bar(), Qt::LeftButton, Qt::NoModifier, QPoint(trough.center().x(), trough.bottom() - 20));
  EXPECT_EQ(RecNo(), 1 + rows);
  EXPECT_EQ(Bar()->value(), rows);

  // Dragging the thumb moves nothing until it is let go, then goes to the record it points at.
  Bar()->setSliderDown(true);
  Bar()->setSliderPosition(kMillion / 2 - 1);
  EXPECT_EQ(RecNo(), 1 + rows);
  Bar()->setSliderDown(false);
  EXPECT_EQ(RecNo(), kMillion / 2);
  EXPECT_EQ(Bar()->value(), kMillion / 2 - 1);
  EXPECT_EQ(grid.DataLink().RecordCount(), rows);

  // With tracking the dataset follows the thumb while it moves.
  grid.SetTrackThumb(true);
  Bar()->setSliderDown(true);
  Bar()->setSliderPosition(kMillion - 10);
  EXPECT_EQ(RecNo(), kMillion - 9);
  Bar()->setSliderDown(false);

  Bar()->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(Bar()->value(), 0);
  EXPECT_LE(ds->fetches - before, 10 * rows);
  EXPECT_TRUE(errors.empty());
}

TEST_F(GridWindowTest, WheelMovesOneRecordPerNotch) {
  const QPoint centre = grid.viewport()->rect().center();
  QWheelEvent down(centre, grid.viewport()->mapToGlobal(centre), QPoint(), QPoint(0, -240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid.viewport(), &down);
  EXPECT_EQ(RecNo(), 3);
  EXPECT_EQ(Bar()->value(), 2);
}

TEST_F(GridWindowTest, ResizingChangesTheWindowNotTheReads) {
  const int rows = grid.VisibleRows();
  grid.resize(420, 260 + 5 * grid.RowHeight());
  QApplication::processEvents();
  EXPECT_EQ(grid.VisibleRows(), rows + 5);
  EXPECT_EQ(grid.DataLink().RecordCount(), rows + 5);
  EXPECT_LE(ds->fetches, 3 * (rows + 5));
}

// Without record numbers the bar has three places: the beginning, somewhere, the end.
TEST_F(GridWindowTest, WithoutRecordNumbersTheBarShowsBeginningMiddleAndEnd) {
  ds->sequenced = false;
  QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(Bar()->maximum(), 4);
  EXPECT_EQ(Bar()->value(), 0);
  QTest::keyClick(&grid, Qt::Key_PageDown);
  EXPECT_EQ(Bar()->value(), 2);
  Bar()->setSliderDown(true);
  Bar()->setSliderPosition(4);
  Bar()->setSliderDown(false);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), kMillion);
  EXPECT_EQ(Bar()->value(), 4);
  Bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), kMillion - 1);
  EXPECT_EQ(Bar()->value(), 2);
  EXPECT_TRUE(errors.empty());
}

// Closing and opening again (also while controls are disabled) gives columns of the new fields.
TEST_F(GridWindowTest, ReopeningRebuildsTheColumns) {
  ds->Close();
  EXPECT_EQ(grid.ColumnCount(), 0);
  EXPECT_EQ(grid.DataLink().RecordCount(), 0);
  grid.grab();
  ds->Open();
  EXPECT_EQ(grid.ColumnCount(), 3);
  ds->DisableControls();
  ds->Close();
  grid.grab();  // the columns' old fields are gone: painting must not touch them
  ds->Open();
  ds->EnableControls();
  ASSERT_EQ(grid.ColumnCount(), 3);
  EXPECT_EQ(grid.ColumnField(1), ds->FieldByName("Name"));
  grid.grab();
}

}  // namespace
}  // namespace qb::testing
