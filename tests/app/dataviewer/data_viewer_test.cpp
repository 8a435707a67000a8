// Tests of the data viewer: what opens for a table, a stored procedure and an unknown name (with
// the captions and status panels), the single instance, the database editor's "Data" button, an
// edit posted from the grid reaching the file (read back by quill), and a 1,000,000-row table
// whose end the grid reaches without the rows in between.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <vector>

#include "app/dataviewer/data_viewer_form.h"
#include "app/dataviewer/dataviewer_test_support.h"
#include "app/dbedit/db_edit_dlg.h"
#include "app/storedproc/sql_parameter_dlg.h"
#include "framework/controls/db_grid.h"
#include "framework/controls/db_navigator.h"
#include "framework/controls/grid_inplace_edit.h"
#include "framework/data/field.h"
#include "framework/gui/message_box.h"
#include "jet/dao/database.h"
#include "jet/query/database_file.h"
#include "jet/sqlite/connection.h"
#include "recordset/dao_recordset.h"
#include "recordset/sql_parameter_hook.h"

namespace qb::test {
namespace {

std::string Panels(const TFormDataViewer& viewer) {
  return viewer.StatusPanel(0)->text().toStdString() + " | " + viewer.StatusPanel(1)->text().toStdString();
}

TEST_F(DataViewerTest, OpensATableElseAStoredProcedureElseShowsUndefined) {
  db_->DatabaseObject()->CreateQueryDef("Named", "SELECT Name FROM People WHERE Id > 2");
  ShowDataViewer(db_.get(), "Nothing");
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr) << "made on first use even when the name is unknown";
  struct Case {
    std::string name;
    std::string caption;
    std::string panels;
    bool export_enabled;
  };
  const std::vector<Case> cases = {
      {"People", "Data in Table: People", "Number of Records:  4 | Data can be modified", true},
      {"Nothing", "Stored Procedure undefined", "Number of Records: 0 | Recordset not Ative", false},
      {"Named", "Data in stored Procedure: Named", "Number of Records:  2 | Data can be modified", true},
      {"Named", "Data in stored Procedure: Named", "Number of Records:  2 | Data can be modified", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowDataViewer(db_.get(), c.name);
    EXPECT_TRUE(WaitForCount(*viewer));
    EXPECT_EQ(DataViewerInstance(), viewer) << "one viewer";
    EXPECT_EQ(viewer->windowTitle().toStdString(), c.caption);
    EXPECT_EQ(Panels(*viewer), c.panels);
    EXPECT_EQ(viewer->ToolButton("BtnExport")->isEnabled(), c.export_enabled);
    EXPECT_EQ(viewer->Grid()->ColumnCount(), c.export_enabled ? viewer->RecordSet().Fields().size() : 0u);
  }
  EXPECT_TRUE(viewer->isVisible());
  ShowDataViewer(nullptr, "People");
  ShowDataViewer(db_.get(), "");
  EXPECT_EQ(viewer->windowTitle().toStdString(), "Data in stored Procedure: Named") << "nothing without both";

  QTest::mouseClick(viewer->ToolButton("BtnClose"), Qt::LeftButton);
  RunPostedEvents();
  EXPECT_EQ(DataViewerInstance(), nullptr) << "closing frees it";
}

TEST_F(DataViewerTest, ANewViewerStartsUndefinedAndInactive) {
  TFormDataViewer viewer;
  EXPECT_EQ(viewer.windowTitle().toStdString(), "Database undefined");
  EXPECT_EQ(Panels(viewer), "Number of Records: 0 | Recordset not Active");
  EXPECT_EQ(viewer.size(), QSize(390, 320));
  EXPECT_EQ(viewer.minimumSize(), QSize(150, 150));
  for (const char* name : {"BtnPrint", "BtnExport", "BtnFont", "BtnDBArchitecture", "BtnClose"}) {
    EXPECT_NE(viewer.ToolButton(name), nullptr) << name;
  }
  EXPECT_FALSE(viewer.ToolButton("BtnExport")->isEnabled());
}

// An error while opening is shown, and the viewer then stays hidden.
TEST_F(DataViewerTest, AnErrorWhileOpeningIsShownAndTheViewerStaysHidden) {
  db_->DatabaseObject()->CreateQueryDef("Broken", "SELECT Missing FROM NoSuchTable");
  ScriptedGui gui;
  gui.ExpectMessageBox(IDOK);
  ShowDataViewer(db_.get(), "Broken");
  gui.Verify();
  ASSERT_NE(DataViewerInstance(), nullptr);
  EXPECT_FALSE(DataViewerInstance()->isVisible());
  EXPECT_EQ(Panels(*DataViewerInstance()), "Number of Records: 0 | Recordset not Ative");
}

// A stored procedure with PARAMETERS and no values: the information box, then the parameter
// dialog through the hook the utility installs; the viewer shows the rows of the typed value.
TEST_F(DataViewerTest, AStoredProcedureWithParametersAsksThroughTheDialog) {
  db_->DatabaseObject()->CreateQueryDef("FromId", "PARAMETERS [First Id] Long; SELECT Id, Name FROM People WHERE Id >= [First Id]");
  auto previous = SetEditSQLParametersHook([](TDAORecordset& recordset) { EditSQLParameters(recordset); });
  ScriptedGui gui;
  gui.ExpectMessageBox(IDOK);  // a parameter without a value
  gui.ExpectModal([](QDialog& dialog) {
    QApplication::setActiveWindow(&dialog);
    auto* list = Child<QListWidget>(dialog, "ParameterList");
    auto* value = Child<QLineEdit>(dialog, "EditParamValue");
    EXPECT_EQ(list->count(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::mouseClick(value, Qt::LeftButton);
    QTest::keyClicks(value, "3");
    QTest::keyClick(value, Qt::Key_Return);
    return dialog.result();
  }).Text("TSQLParameterDlg");
  ShowDataViewer(db_.get(), "FromId");
  gui.Verify();
  SetEditSQLParametersHook(previous);
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(viewer->RecordSet().Active());
  std::vector<std::string> ids;
  for (viewer->RecordSet().First(); !viewer->RecordSet().Eof(); viewer->RecordSet().Next()) {
    ids.push_back(viewer->RecordSet().FieldByName("Id")->AsString());
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"3", "4"}));
}

TEST_F(DataViewerTest, TheDatabaseEditorsDataButtonOpensTheViewer) {
  ScriptedGui gui;
  TDBEditDlg editor;
  editor.SetDataBase(db_.get());
  auto* tables = Child<QListWidget>(editor, "ListBoxTableDefs");
  const auto found = tables->findItems("People", Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  tables->setCurrentItem(found[0]);
  QTest::mouseClick(Child<QPushButton>(editor, "BtnDataTable"), Qt::LeftButton);
  ASSERT_NE(DataViewerInstance(), nullptr);
  EXPECT_EQ(DataViewerInstance()->windowTitle().toStdString(), "Data in Table: People");
  EXPECT_TRUE(DataViewerInstance()->isVisible());
  gui.Verify();
}

// Typing into a cell and pressing Enter posts the record: another process reads the new value.
TEST_F(DataViewerTest, AnEditPostedInTheGridReachesTheFile) {
  ShowDataViewer(db_.get(), "People");
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr);
  viewer->resize(520, 320);
  TDBGrid* grid = viewer->Grid();
  grid->setFocus();
  grid->SetSelectedIndex(1);  // Name
  QTest::keyClick(grid, Qt::Key_Down);  // record 2, whose name is null
  QTest::keyClicks(grid, "Zed");
  ASSERT_TRUE(grid->EditorVisible()) << "typing opens the cell's editor";
  QTest::keyClick(grid->Editor(), Qt::Key_Return);
  if (grid->EditorVisible()) QTest::keyClick(grid->Editor(), Qt::Key_Return);
  EXPECT_EQ(viewer->RecordSet().State(), dsBrowse);
  EXPECT_TRUE(SaveScreenshot(*viewer, "dataviewer-demo"));
  viewer->close();  // lets the file go
  RunPostedEvents();
  db_->Close();

  QProcess quill;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QUILL_TEST_FAST_HASH", "1");
  quill.setProcessEnvironment(env);
  quill.start(QString(QB_BIN_DIR) + "/quill", {"--workgroup", QString::fromStdString(workgroup_), "sql",
                                               QString::fromStdString(file_), "SELECT Id, Name FROM People ORDER BY Id"});
  ASSERT_TRUE(quill.waitForFinished(60000));
  EXPECT_EQ(quill.readAllStandardOutput().toStdString(), "Id\tName\n1\tAnn\n2\tZed\n3\tTab\there\n4\tDan\n")
      << quill.readAllStandardError().toStdString();
}

// The first screen comes before the exact count: until the grid painted its rows the status
// says it is counting and the scroll bar only jumps to the ends (Ctrl+End and dragging the
// thumb to the bottom reach the last record, to the top the first); then the status and the
// scroll range show the exact count, and the bar the current record.
TEST_F(DataViewerTest, TheExactCountArrivesAfterTheFirstScreen) {
  Sql({"CREATE TABLE Many (Id LONG CONSTRAINT pk PRIMARY KEY, Name TEXT(30))"});
  jet::Connection& sql = db_->DatabaseObject()->File()->EngineConnection(true);
  sql.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
           "INSERT INTO Many (Id, Name) SELECT i, 'name ' || i FROM n");
  ShowDataViewer(db_.get(), "Many");
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr);
  viewer->resize(520, 360);
  ASSERT_TRUE(viewer->CountPending());
  EXPECT_EQ(Panels(*viewer), "Number of Records:  counting ... | Data can be modified");
  TDBGrid* grid = viewer->Grid();
  QScrollBar* bar = grid->verticalScrollBar();
  EXPECT_EQ(bar->maximum(), 4) << "the ends only while counting";
  TDataSet& data = viewer->RecordSet();
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(data.FieldByName("Id")->AsString(), "3000");
  EXPECT_EQ(bar->value(), 4);
  struct Drag {
    int to;
    const char* id;
  };
  for (const Drag drag : {Drag{0, "1"}, Drag{4, "3000"}}) {
    bar->setSliderDown(true);
    bar->setSliderPosition(drag.to);
    bar->setSliderDown(false);
    EXPECT_EQ(data.FieldByName("Id")->AsString(), drag.id) << "dragged to " << drag.to;
  }
  ASSERT_TRUE(viewer->CountPending()) << "nothing painted yet";
  EXPECT_TRUE(SaveScreenshot(*viewer, "dataviewer-counting"));

  ASSERT_TRUE(WaitForCount(*viewer));
  EXPECT_EQ(Panels(*viewer), "Number of Records:  3000 | Data can be modified");
  EXPECT_EQ(bar->maximum(), 2999) << "one step per record once counted";
  EXPECT_EQ(bar->value(), 2999) << "on the last record";
  EXPECT_EQ(data.FieldByName("Id")->AsString(), "3000");
  bar->setSliderDown(true);
  bar->setSliderPosition(1499);
  bar->setSliderDown(false);
  EXPECT_EQ(data.FieldByName("Id")->AsString(), "1500");
  EXPECT_TRUE(SaveScreenshot(*viewer, "dataviewer-counted"));
}

// Closing the viewer before its count ran frees it without counting; opened again, it counts.
TEST_F(DataViewerTest, ClosingWhileTheCountIsPending) {
  ShowDataViewer(db_.get(), "People");
  QPointer<TFormDataViewer> viewer = DataViewerInstance();
  ASSERT_FALSE(viewer.isNull());
  viewer->repaint();  // the first screen: the count is due from now
  ASSERT_TRUE(viewer->CountPending());
  QTest::mouseClick(viewer->ToolButton("BtnClose"), Qt::LeftButton);
  RunPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(viewer.isNull()) << "closing frees it";
  EXPECT_EQ(DataViewerInstance(), nullptr);

  ShowDataViewer(db_.get(), "People");
  ASSERT_NE(DataViewerInstance(), nullptr);
  ASSERT_TRUE(WaitForCount(*DataViewerInstance()));
  EXPECT_EQ(Panels(*DataViewerInstance()), "Number of Records:  4 | Data can be modified");
}

// The end of a 1,000,000-row table: the grid shows the last rows and holds only its window.
TEST_F(DataViewerTest, JumpingToTheEndOfAMillionRows) {
  Sql({"CREATE TABLE Big (Id LONG CONSTRAINT pk PRIMARY KEY, Name TEXT(30), Note TEXT(30))"});
  jet::Connection& sql = db_->DatabaseObject()->File()->EngineConnection(true);
  sql.Exec("BEGIN");
  sql.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
           "INSERT INTO Big (Id, Name, Note) SELECT i, 'name ' || i, CASE WHEN i % 2 = 0 THEN NULL ELSE 'note ' || i END FROM n");
  sql.Exec("COMMIT");
  ShowDataViewer(db_.get(), "Big");
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr);
  viewer->resize(520, 360);
  ASSERT_TRUE(WaitForCount(*viewer));
  EXPECT_EQ(viewer->StatusPanel(0)->text().toStdString(), "Number of Records:  1000000");
  TDBGrid* grid = viewer->Grid();
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
  TDataSet& data = viewer->RecordSet();
  EXPECT_EQ(data.FieldByName("Id")->AsString(), "1000000");
  EXPECT_TRUE(data.FieldByName("Note")->IsNull()) << "an even row";
  EXPECT_LE(data.BufferCount(), grid->VisibleRows() + 2) << "only the grid's window is held";
  EXPECT_TRUE(SaveScreenshot(*viewer, "dataviewer-1m-end"));
}

}  // namespace
}  // namespace qb::test

namespace qb::test {
namespace {

TDAODataBase* g_architecture_database = nullptr;

// The tool bar's print, font and architecture buttons; the status follows data changes; a
// refresh keeps the current record.
TEST_F(DataViewerTest, ToolBarStatusAndRefresh) {
  ShowDataViewer(db_.get(), "People");
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(WaitForCount(*viewer));
  ScriptedGui gui;
  gui.ExpectPrint(false);
  QTest::mouseClick(viewer->ToolButton("BtnPrint"), Qt::LeftButton);
  QFont chosen("Serif", 15);
  gui.ExpectFontDialog(chosen);
  QTest::mouseClick(viewer->ToolButton("BtnFont"), Qt::LeftButton);
  EXPECT_EQ(viewer->Grid()->font().pointSize(), 15) << "the chosen font goes to the grid";

  QTest::mouseClick(viewer->ToolButton("BtnDBArchitecture"), Qt::LeftButton);  // nothing installed yet
  const TShowDBArchitectureEntry previous =
      SetShowDBArchitectureEntry([](TDAODataBase* database) { g_architecture_database = database; });
  QTest::mouseClick(viewer->ToolButton("BtnDBArchitecture"), Qt::LeftButton);
  SetShowDBArchitectureEntry(previous);
  EXPECT_EQ(g_architecture_database, db_.get());

  TDataSet& data = viewer->RecordSet();
  data.Next();
  data.Next();  // Id 3
  QTest::mouseClick(viewer->Navigator()->Button(nbRefresh), Qt::LeftButton);
  EXPECT_EQ(data.FieldByName("Id")->AsString(), "3") << "a refresh keeps the current record";

  gui.ExpectMessageBox(IDOK).TextContains("Delete record?");
  QTest::mouseClick(viewer->Navigator()->Button(nbDelete), Qt::LeftButton);
  EXPECT_EQ(viewer->StatusPanel(0)->text().toStdString(), "Number of Records:  3") << "after a data change";
  gui.Verify();
}

}  // namespace
}  // namespace qb::test
