// Editing in the grid: the cell editor, posting and cancelling with Enter and Escape, inserting,
// appending and deleting with confirmation, read-only grids, column moves, mouse selection and
// column resizing, and how a cell without a value looks.
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "controls_fixture.h"
#include "framework/controls/db_grid.h"
#include "framework/controls/grid_inplace_edit.h"

namespace qb::testing {
namespace {

class GridEditTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Open(50);
    grid.resize(420, 260);
    grid.SetDataSource(&source);
    grid.show();
    grid.setFocus();
    QApplication::processEvents();
  }
  void Type(QWidget* target, const char* text) { QTest::keyClicks(target, text); }
  std::string Name() { return ds->FieldByName("Name")->AsString(); }
  QPoint CellCentre(int row, int column) { return grid.CellRect(row, column).center(); }

  TDBGrid grid;
};

TEST_F(GridEditTest, TypingEditsTheCellAndEnterPosts) {
  grid.SetSelectedIndex(1);
  QTest::keyClick(&grid, Qt::Key_X);
  ASSERT_TRUE(grid.EditorVisible());
  EXPECT_EQ(ds->State(), dsEdit);
  Type(grid.Editor(), "yz");
  EXPECT_EQ(grid.Editor()->text().toStdString(), "xyz");
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(grid.EditorVisible());
  EXPECT_EQ(StoredText(*ds, 1, 1), "xyz");
  EXPECT_TRUE(errors.empty());
}

TEST_F(GridEditTest, MovingToAnotherRecordPostsTheTypedCell) {
  grid.SetSelectedIndex(1);
  QTest::keyClick(&grid, Qt::Key_F2);
  Type(grid.Editor(), "Q");
  QTest::keyClick(grid.Editor(), Qt::Key_Down);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_EQ(StoredText(*ds, 1, 1), "Q");  // the editor opens with its text selected
}

TEST_F(GridEditTest, EscapeDropsTheTypingThenCancelsTheRecord) {
  grid.SetSelectedIndex(1);
  QTest::keyClick(&grid, Qt::Key_F2);
  Type(grid.Editor(), "abc");
  QTest::keyClick(grid.Editor(), Qt::Key_Escape);
  EXPECT_EQ(grid.Editor()->text().toStdString(), "Row 1");
  EXPECT_EQ(ds->State(), dsEdit);
  QTest::keyClick(grid.Editor(), Qt::Key_Escape);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(grid.EditorVisible());
  EXPECT_EQ(Name(), "Row 1");
  EXPECT_EQ(StoredText(*ds, 1, 1), "<generated>");
}

TEST_F(GridEditTest, InsertKeyAddsARecordWhereTheCursorIs) {
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::keyClick(&grid, Qt::Key_Insert);
  ASSERT_EQ(ds->State(), dsInsert);
  grid.SetSelectedIndex(1);
  QTest::keyClick(&grid, 'N');
  Type(QApplication::focusWidget(), "ew");
  QTest::keyClick(grid.Editor(), Qt::Key_Enter);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->Rows().size(), 51u);
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_EQ(Name(), "New");
  EXPECT_TRUE(errors.empty());
}

TEST_F(GridEditTest, DownOnTheLastRecordAppendsOnceAndUpDropsIt) {
  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(ds->State(), dsInsert);
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(ds->State(), dsInsert);
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->Rows().size(), 50u);
  EXPECT_EQ(ds->RecNo(), 50);
}

TEST_F(GridEditTest, DeleteAsksAndOnlyOkDeletes) {
  struct Case {
    Qt::KeyboardModifiers modifiers;
    int answer;
    size_t rows_after;
  };
  const Case cases[] = {
      {Qt::NoModifier, IDCANCEL, 50},
      {Qt::NoModifier, IDOK, 49},
      {Qt::ControlModifier, IDOK, 48},
  };
  for (const Case& c : cases) {
    gui.ExpectMessageBox(c.answer).Text("Delete record?").Flags(MB_OKCANCEL | MB_ICONQUESTION);
    QTest::keyClick(&grid, Qt::Key_Delete, c.modifiers);
    gui.Verify();
    EXPECT_EQ(ds->Rows().size(), c.rows_after);
  }
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);

  grid.SetOptions(grid.Options() & ~dgConfirmDelete);
  QTest::keyClick(&grid, Qt::Key_Delete);
  EXPECT_EQ(ds->Rows().size(), 47u);
  EXPECT_TRUE(errors.empty());
}

TEST_F(GridEditTest, ReadOnlyGridsAndDatasetsChangeNothing) {
  for (int variant = 0; variant < 3; ++variant) {
    SCOPED_TRACE(variant);
    grid.SetReadOnly(variant == 0);
    ds->read_only = variant == 1;
    grid.SetOptions(variant == 2 ? kDefaultGridOptions & ~dgEditing : kDefaultGridOptions);
    QTest::keyClick(&grid, Qt::Key_X);
    QTest::keyClick(&grid, Qt::Key_F2);
    QTest::keyClick(&grid, Qt::Key_Insert);
    QTest::keyClick(&grid, Qt::Key_Delete);  // no question may be asked
    EXPECT_FALSE(grid.EditorVisible());
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->Rows().size(), 50u);
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(GridEditTest, TabMovesAlongTheColumnsAndOnToTheNextRecord) {
  EXPECT_EQ(grid.SelectedIndex(), 0);
  QTest::keyClick(&grid, Qt::Key_Tab);
  QTest::keyClick(&grid, Qt::Key_Tab);
  EXPECT_EQ(grid.SelectedIndex(), 2);
  QTest::keyClick(&grid, Qt::Key_Tab);
  EXPECT_EQ(grid.SelectedIndex(), 0);
  EXPECT_EQ(ds->RecNo(), 2);
  QTest::keyClick(&grid, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedIndex(), 2);
  EXPECT_EQ(ds->RecNo(), 1);
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(grid.SelectedIndex(), 1);
  EXPECT_TRUE(grid.hasFocus());
}

TEST_F(GridEditTest, ClickSelectsTheCellAndASecondClickEdits) {
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(3, 1));
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_EQ(grid.SelectedIndex(), 1);
  EXPECT_FALSE(grid.EditorVisible());
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(3, 1));
  EXPECT_TRUE(grid.EditorVisible());
  EXPECT_EQ(grid.Editor()->text().toStdString(), "Row 4");
}

TEST_F(GridEditTest, DraggingATitleEdgeResizesTheColumn) {
  const QRect title = grid.CellRect(-1, 0);
  const int width = grid.ColumnWidth(0);
  const QPoint edge(title.right() + 1, title.center().y());
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, edge);
  QMouseEvent move(QEvent::MouseMove, QPointF(edge + QPoint(40, 0)), grid.viewport()->mapToGlobal(QPointF(edge + QPoint(40, 0))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, edge + QPoint(40, 0));
  EXPECT_EQ(grid.ColumnWidth(0), width + 40);
  EXPECT_EQ(ds->RecNo(), 1);

  grid.SetOptions(grid.Options() & ~dgColumnResize);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(grid.CellRect(-1, 0).right() + 1, edge.y()));
  QApplication::sendEvent(grid.viewport(), &move);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton);
  EXPECT_EQ(grid.ColumnWidth(0), width + 40);
}

// Leaving the grid for another control drops an untouched inserted record, keeps a typed one.
TEST_F(GridEditTest, LeavingTheGridDropsAnUntouchedNewRecord) {
  QWidget window;
  grid.setParent(&window);
  auto* other = new QLineEdit(&window);
  other->move(0, 280);
  window.resize(420, 320);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Insert);
  ASSERT_EQ(ds->State(), dsInsert);
  other->setFocus();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->Rows().size(), 50u);

  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Insert);
  grid.SetSelectedIndex(1);
  QTest::keyClick(&grid, 'k');
  other->setFocus();
  EXPECT_EQ(ds->State(), dsInsert);
  grid.setParent(nullptr);
}

// Grey pixels where the word "(Null)" stands; an empty text leaves the cell blank.
TEST_F(GridEditTest, NullLooksDifferentFromAnEmptyText) {
  grid.resize(900, 260);
  const QImage image = grid.viewport()->grab().toImage();
  auto inked = [&](int row) {
    const QRect cell = grid.CellRect(row, 2).adjusted(2, 2, -2, -2);
    const QRgb background = image.pixel(cell.topLeft());
    int count = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
      for (int x = cell.left(); x <= cell.right(); ++x) count += image.pixel(x, y) != background;
    return count;
  };
  // Rows 2, 3 and 4 have IDs 2 (empty Note), 3 (no Note) and 4 ("n4").
  EXPECT_EQ(inked(1), 0);
  EXPECT_GT(inked(2), 10);
  EXPECT_GT(inked(3), 10);
  ds->SetRecNo(3);
  EXPECT_TRUE(ds->FieldByName("Note")->IsNull());
}

}  // namespace
}  // namespace qb::testing
