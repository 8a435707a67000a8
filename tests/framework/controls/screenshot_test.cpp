// A picture of the controls together (navigator, edit and grid over a million rows) for a
// person to judge: build/screenshots/controls-grid.png.
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include "controls_fixture.h"
#include "framework/controls/db_edit.h"
#include "framework/controls/db_grid.h"
#include "framework/controls/db_navigator.h"

namespace qb::testing {
namespace {

using ControlsScreenshot = ControlsTest;

TEST_F(ControlsScreenshot, GridWithNavigatorAndEdit) {
  Open(1000000);
  QWidget window;
  window.setWindowTitle("Controls");
  auto* layout = new QVBoxLayout(&window);
  auto* nav = new TDBNavigator(&window);
  auto* edit = new TDBEdit(&window);
  auto* grid = new TDBGrid(&window);
  nav->SetDataSource(&source);
  edit->SetDataSource(&source);
  edit->SetDataField("Name");
  grid->SetDataSource(&source);
  layout->addWidget(nav, 0, Qt::AlignLeft);
  layout->addWidget(new QLabel("Name:", &window));
  layout->addWidget(edit);
  layout->addWidget(grid);
  window.resize(520, 420);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  ds->SetRecNo(500000);
  grid->setFocus();
  grid->SetSelectedIndex(1);
  QTest::keyClick(grid, Qt::Key_Down);
  QTest::keyClicks(grid, "Changed");
  const int before = ds->fetches;
  SaveScreenshot(window, "controls-grid");
  EXPECT_EQ(ds->fetches, before);
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(edit->text().toStdString(), "Row 500001");  // the grid's cell is not written yet
  ds->Cancel();
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace qb::testing
