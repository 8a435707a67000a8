// The data-access grid: keys feeding the search edit (and not when the grid edits cells), the
// sort menu built from the indexes for a table and for a statement, and the scroll box
// standing for the position in the whole recordset while it is dragged.
#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "app/dbtools/screenshot_test_support.h"
#include "controls/dao_data_grid.h"
#include "controls/dao_search_str_edit.h"
#include "dao_controls_fixture.h"
#include "framework/controls/grid_inplace_edit.h"
#include "framework/gui/window_timer.h"

namespace qb::test {
namespace {

class DataGridTest : public DaoControlsTest {
 protected:
  void SetUp() override {
    DaoControlsTest::SetUp();
    timer_.SetEnabled(false);
    edit_ = new TDAOSearchStrEdit(&window_);
    grid_ = new TDAODataGrid(&window_);
    edit_->setGeometry(4, 4, 200, 24);
    grid_->setGeometry(4, 32, 560, 300);
    window_.resize(568, 336);
    edit_->SetDataSource(&source_);
    edit_->SetSearchTimer(&timer_);
    grid_->SetSearchStrEdit(edit_);
    grid_->SetSortMenu(&sort_menu_);
    grid_->SetPopupMenu(&popup_);
    grid_->SetOptions(grid_->Options() & ~dgEditing);
    grid_->SetDataSource(&source_);
    window_.show();
    grid_->setFocus();
  }
  void TearDown() override {
    if (grid_) grid_->SetDataSource(nullptr);
    DaoControlsTest::TearDown();
  }
  QAction* Item(QMenu& menu, const char* caption) {
    for (QAction* action : menu.actions())
      if (action->text() == caption) return action;
    return nullptr;
  }
  std::string Checked(QMenu& menu) {
    std::string names;
    for (QAction* action : menu.actions())
      if (action->isChecked()) names += action->text().toStdString() + ";";
    return names;
  }

  QWidget window_;
  WindowTimer timer_;
  QMenu sort_menu_, popup_;
  TDAOSearchStrEdit* edit_;
  TDAODataGrid* grid_;
};

TEST_F(DataGridTest, TypingInTheGridSearchesThroughTheLinkedEdit) {
  FillPeople(1000);
  TDAORecordset& rs = OpenPeople();
  QTest::keyClicks(grid_, "mi");
  EXPECT_EQ(edit_->text(), "mi");
  ASSERT_TRUE(timer_.TEST_Fire());
  EXPECT_EQ(Current(), "MiAlAlAlAl");
  EXPECT_EQ(rs.SearchText(), "mi");
  // Backspace takes the last character back and searches again.
  QTest::keyClicks(grid_, "r");
  QTest::keyClick(grid_, Qt::Key_Backspace);
  EXPECT_EQ(edit_->text(), "mi");
  EXPECT_TRUE(timer_.TEST_Running());
  // Enter restarts the delay; Escape empties the edit without a search.
  timer_.SetEnabled(false);
  QTest::keyClick(grid_, Qt::Key_Return);
  EXPECT_TRUE(timer_.TEST_Running());
  timer_.SetEnabled(false);
  QTest::keyClick(grid_, Qt::Key_Escape);
  EXPECT_TRUE(edit_->text().isEmpty());
  EXPECT_FALSE(timer_.TEST_Running());
  EXPECT_EQ(rs.State(), dsBrowse);
  // The grid's own keys still move the record.
  QTest::keyClick(grid_, Qt::Key_Down);
  EXPECT_EQ(Current(), "MiAlBeAlAl");
}

TEST_F(DataGridTest, AnEditingGridTypesIntoItsCellEditor) {
  FillPeople(20);
  OpenPeople();
  grid_->SetOptions(grid_->Options() | dgEditing);
  grid_->SetSelectedIndex(1);
  QTest::keyClicks(grid_, "Zed");
  EXPECT_TRUE(edit_->text().isEmpty());
  ASSERT_TRUE(grid_->EditorVisible());
  EXPECT_EQ(grid_->Editor()->text(), "Zed");
  EXPECT_EQ(rs_->State(), dsEdit);
  // Enter and Escape keep their editing meaning: Escape drops the typing, then the edit.
  QTest::keyClick(grid_->Editor(), Qt::Key_Escape);
  QTest::keyClick(grid_->Editor(), Qt::Key_Escape);
  EXPECT_EQ(rs_->State(), dsBrowse);
  EXPECT_FALSE(timer_.TEST_Running());
}

TEST_F(DataGridTest, SortMenuSortsATableByTheChosenIndex) {
  FillPeople(100);
  TDAORecordset& rs = OpenPeople(rtTable, "People", "ByName");
  grid_->FillSortMenu();
  grid_->FillSortMenu(&popup_);
  ASSERT_EQ(sort_menu_.actions().size(), 4);  // the primary key and the three indexes
  EXPECT_EQ(Checked(sort_menu_), "ByName;");
  rs.SetSearchText("Mi");
  edit_->SetTextSilently("Mi");
  Item(sort_menu_, "ByAge")->trigger();
  EXPECT_EQ(rs.Index(), "ByAge");
  EXPECT_EQ(Checked(sort_menu_), "ByAge;");
  EXPECT_EQ(Checked(popup_), "ByAge;");
  EXPECT_TRUE(edit_->text().isEmpty());
  EXPECT_TRUE(rs.SearchText().empty());
  rs.First();
  EXPECT_EQ(Current("Age"), "0");
  // The search edit now searches the new order.
  edit_->SetTextSilently("50");
  edit_->FindNearestEntry();
  EXPECT_EQ(Current("Age"), "50");
  // Anything but a menu item is ignored.
  grid_->SortMenuItemClick(&sort_menu_);
  EXPECT_EQ(rs.Index(), "ByAge");
  SaveScreenshot(window_, "controls-grid-sorted");
}

TEST_F(DataGridTest, SortMenuReordersAStatementByTheIndexFields) {
  FillPeople(100);
  TDAORecordset& rs = OpenPeople(rtSnapshot, "SELECT * FROM People WHERE Age < 50 ORDER BY Id;");
  rs.SetTableName("People");
  grid_->FillSortMenu();
  ASSERT_NE(Item(sort_menu_, "ByCityName"), nullptr);
  Item(sort_menu_, "ByCityName")->trigger();
  // The index's two fields become a valid ORDER BY list and the statement runs again.
  EXPECT_NE(rs.GetSQLText().find("ORDER BY City, Name;"), std::string::npos) << rs.GetSQLText();
  EXPECT_TRUE(rs.Active());
  EXPECT_EQ(Current("City") + "/" + Current(), "CityAl/AlAlAlAlAl");
  rs.Last();
  EXPECT_EQ(Current("City") + "/" + Current(), "CityRa/RaRaAlAlAl");
  EXPECT_EQ(Checked(sort_menu_), "ByCityName;");
  // Sorted by one field while only the sort field is to be seen: the new one is shown.
  rs.SetOnlyIdxFieldVisible(true);
  Item(sort_menu_, "ByAge")->trigger();
  EXPECT_TRUE(rs.FieldByName("Age")->Visible());
  EXPECT_FALSE(rs.FieldByName("Name")->Visible());
  rs.First();
  EXPECT_EQ(Current("Age"), "0");
}

TEST_F(DataGridTest, SortMenuReopensAForwardOnlyStatement) {
  FillPeople(100);
  TDAORecordset& rs = OpenPeople(rtUnidirectional, "SELECT * FROM People WHERE Age < 50 ORDER BY Id;");
  rs.SetTableName("People");
  grid_->FillSortMenu();
  Item(sort_menu_, "ByAge")->trigger();
  EXPECT_NE(rs.GetSQLText().find("ORDER BY Age;"), std::string::npos) << rs.GetSQLText();
  EXPECT_TRUE(rs.Active());
  EXPECT_EQ(Current("Age"), "0");
}

TEST_F(DataGridTest, DraggingTheScrollBoxMovesThroughTheWholeRecordset) {
  FillPeople(10000);
  TDAORecordset& rs = OpenPeople(rtTable, "People", "PrimaryKey");
  EXPECT_TRUE(grid_->TrackVerticalScrollBar());
  QScrollBar* bar = grid_->verticalScrollBar();
  EXPECT_EQ(bar->maximum(), 9999);
  // Every position the box passes moves the recordset there, while the button is still down.
  bar->setSliderDown(true);
  for (int position : {2500, 5000, 9999}) {
    bar->setSliderPosition(position);
    EXPECT_NEAR(rs.FieldByName("Id")->AsInteger(), position + 1, 2) << position;
  }
  bar->setSliderDown(false);
  // The grid holds its window of rows, not the records passed.
  EXPECT_LE(rs.BufferCount(), grid_->VisibleRows() + 1);
  SaveScreenshot(window_, "controls-grid-end");
  // Off: the recordset waits for the release.
  grid_->SetTrackVerticalScrollBar(false);
  rs.First();
  bar->setSliderDown(true);
  bar->setSliderPosition(5000);
  EXPECT_EQ(rs.FieldByName("Id")->AsInteger(), 1);
  bar->setSliderDown(false);
}

TEST_F(DataGridTest, RemovedComponentsAreForgotten) {
  FillPeople(20);
  TDAORecordset& rs = OpenPeople();
  delete edit_;
  edit_ = nullptr;
  EXPECT_EQ(grid_->SearchStrEdit(), nullptr);
  // Typing then goes to the grid's own handling: a read-only grid moves nowhere.
  QTest::keyClicks(grid_, "mi");
  EXPECT_EQ(Current(), "AlAlAlAlAl");
  auto* menu = new QMenu;
  grid_->SetSortMenu(menu);
  delete menu;
  EXPECT_EQ(grid_->SortMenu(), nullptr);
  // A search edit over a closed recordset searches nothing.
  TDAOSearchStrEdit edit;
  edit.SetDataSource(&source_);
  rs.Close();
  edit.SetTextSilently("Mi");
  EXPECT_FALSE(RaisedBy([&] { edit.FindNearestEntry(); }).Any());
  delete grid_;
  grid_ = nullptr;
}

TEST_F(DataGridTest, ScreenshotWithSearchEditAndSortMenu) {
  FillPeople(1000);
  OpenPeople();
  grid_->FillSortMenu();
  QTest::keyClicks(grid_, "Mi");
  timer_.TEST_Fire();
  sort_menu_.setTitle("Sort");
  sort_menu_.popup(window_.mapToGlobal(QPoint(300, 40)));
  QApplication::processEvents();
  SaveScreenshot(window_, "controls-grid-search");
  SaveScreenshot(sort_menu_, "controls-sort-menu");
  sort_menu_.hide();
}

}  // namespace
}  // namespace qb::test
