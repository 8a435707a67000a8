// The SQL query window on a real file with real clicks and keys: opening it once from the
// database editor, queries into the grid with the status panels, action statements with the
// refresh question answered by the main window, crosstabs that Execute refuses, statements
// declaring parameters run with the values the parameter dialog takes, transactions committed
// and rolled back, statement files, the close question, the cursor put on a syntax error, and a
// long query cancelled in the progress window.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <fstream>
#include <sstream>

#include "app/architecture/db_architecture_form.h"
#include "app/catalog_window_support.h"
#include "app/dataviewer/dataviewer_test_support.h"
#include "app/dataviewer/export_summary_form.h"
#include "app/dbedit/db_edit_dlg.h"
#include "app/progress/progress_test_support.h"
#include "app/sqlquery/sql_query_form.h"
#include "app/storedproc/sql_parameter_dlg.h"
#include "app/toolwindows/refresh_request.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/widgets/nim_main_menu.h"
#include "framework/data/field.h"
#include "framework/gui/message_box.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_recordset.h"
#include "recordset/sql_parameter_hook.h"

namespace qb::test {
namespace {

constexpr char kRunning[] = "Running the SQL Statement";

class SqlQueryFormTest : public CatalogWindowTest {
 protected:
  void SetUp() override {
    CatalogWindowTest::SetUp();
    Sql({"CREATE TABLE Sales (ID COUNTER PRIMARY KEY, Region TEXT(20), Quarter TEXT(2), Amount LONG)",
         "INSERT INTO Sales (Region, Quarter, Amount) VALUES ('North', 'Q1', 10)",
         "INSERT INTO Sales (Region, Quarter, Amount) VALUES ('North', 'Q2', 20)",
         "INSERT INTO Sales (Region, Quarter, Amount) VALUES ('North', 'Q2', 5)",
         "INSERT INTO Sales (Region, Quarter, Amount) VALUES ('South', 'Q1', 7)",
         "INSERT INTO Sales (Region, Quarter, Amount) VALUES ('South', 'Q3', 3)"});
  }

  // The single window, shown for the fixture's database.
  TDaoSQLQueryForm& Form() {
    ShowSQLQueryForm(db_.get());
    TDaoSQLQueryForm* form = SQLQueryFormInstance();
    EXPECT_NE(form, nullptr);
    return *form;
  }
  static void Type(TDaoSQLQueryForm& form, const QString& text) {
    form.QueryText()->setFocus();
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) QTest::keyClick(form.QueryText(), Qt::Key_Return);
      QTest::keyClicks(form.QueryText(), lines[i]);
    }
  }
  static void Click(TDaoSQLQueryForm& form, const char* button) {
    QToolButton* b = Child<QToolButton>(form, button);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(b->isEnabled()) << button;
    QTest::mouseClick(b, Qt::LeftButton);
  }
  static void Command(TDaoSQLQueryForm& form, const char* name) {
    QAction* action = form.MainMenu()->FindCommand(name);
    ASSERT_NE(action, nullptr) << name;
    ASSERT_TRUE(action->isEnabled()) << name;
    action->trigger();
  }
  static std::string FieldNames(TDaoSQLQueryForm& form) {
    std::string names;
    for (int i = 0; i < form.SQLResultGrid()->ColumnCount(); ++i) {
      names += (names.empty() ? "" : " ") + form.SQLResultGrid()->ColumnField(i)->FieldName();
    }
    return names;
  }
  // The rows of the open query as "a,b;a,b".
  static std::string Rows(TDaoSQLQueryForm& form) {
    TDAORecordset& query = *form.SQLQuery();
    std::string rows;
    query.First();
    while (!query.Eof()) {
      std::string row;
      for (int i = 0; i < form.SQLResultGrid()->ColumnCount(); ++i) {
        row += (i ? "," : "") + form.SQLResultGrid()->ColumnField(i)->DisplayText();
      }
      rows += (rows.empty() ? "" : ";") + row;
      query.Next();
    }
    query.First();
    return rows;
  }
  // The Amount column of Sales as the file holds it, read on a connection of its own.
  std::string AmountsInFile() {
    auto engine = jet::CreateDBEngine(jet::EngineSettings::ForTests());
    engine->SetSystemDB(workgroup_);
    auto database = engine->CreateWorkspace("reader", "Admin", "")->OpenDatabase(file_, Variant(false), true);
    auto rows = database->OpenRecordset("SELECT Amount FROM Sales ORDER BY ID", 4);
    std::string amounts;
    for (; !rows->Eof(); rows->MoveNext()) {
      amounts += (amounts.empty() ? "" : " ") + rows->Fields()->Item(0)->Value().ToString();
    }
    return amounts;
  }
  std::pair<int, int> CursorAt(TDaoSQLQueryForm& form) {
    const QTextCursor cursor = form.QueryText()->textCursor();
    return {cursor.blockNumber() + 1, cursor.positionInBlock() + 1};
  }
};

TEST_F(SqlQueryFormTest, OneWindowFromTheEditorConnectsTheDatabaseAndGoesWithTheEditor) {
  db_->Close();
  ShowSQLQueryForm(nullptr);
  EXPECT_EQ(SQLQueryFormInstance(), nullptr) << "nothing without a database";

  auto editor = std::make_unique<TDBEditDlg>();
  editor->SetDataBase(db_.get());
  db_->Close();  // the window connects a disconnected database itself
  editor->show();
  Child<QPushButton>(*editor, "BtnSQL")->click();
  QPointer<TDaoSQLQueryForm> form = SQLQueryFormInstance();
  ASSERT_FALSE(form.isNull());
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(db_->Connected());
  EXPECT_EQ(form->windowTitle().toStdString(), "Run SQL Statement in Database: DAODataBase1");
  EXPECT_EQ(form->size(), QSize(500, 450));
  Child<QPushButton>(*editor, "BtnSQL")->click();
  EXPECT_EQ(SQLQueryFormInstance(), form.data()) << "one window only";
  EXPECT_EQ(SingleToolWindowCount(), 1);

  // Nothing typed, nothing open: nothing to run, clear, save or export.
  EXPECT_EQ(form->StatusText(0).toStdString(), "Query not Ative");
  EXPECT_EQ(form->StatusText(1).toStdString(), "Query not Ative");
  for (const char* name : {"BtnRun", "BtnClear", "BtnSave", "BtnExport"}) {
    EXPECT_FALSE(Child<QToolButton>(*form, name)->isEnabled()) << name;
  }
  EXPECT_FALSE(form->MainMenu()->FindCommand("ExportData1")->isEnabled());
  Type(*form, "x");
  for (const char* name : {"BtnRun", "BtnClear", "BtnSave"}) {
    EXPECT_TRUE(Child<QToolButton>(*form, name)->isEnabled()) << name;
  }
  form->QueryText()->document()->setModified(false);
  editor.reset();
  EXPECT_TRUE(form.isNull()) << "the editor takes the window with it";
}

TEST_F(SqlQueryFormTest, AQueryFillsTheGridAndTheStatusPanels) {
  TDaoSQLQueryForm& form = Form();
  Type(form, "select Region, Quarter, Amount\nfrom Sales\nwhere Amount > 4 order by ID");
  ScriptedGui gui;
  ExpectProgressWindow(gui, kRunning);
  Click(form, "BtnRun");
  gui.Verify();
  ASSERT_TRUE(form.SQLQuery()->Active());
  EXPECT_EQ(FieldNames(form), "Region Quarter Amount");
  EXPECT_EQ(Rows(form), "North,Q1,10;North,Q2,20;North,Q2,5;South,Q1,7");
  EXPECT_EQ(form.StatusText(0).toStdString(), "Number of Qualified Records:  4");
  EXPECT_EQ(form.StatusText(1).toStdString(), "Data can be modified");
  EXPECT_TRUE(Child<QToolButton>(form, "BtnExport")->isEnabled());
  EXPECT_TRUE(form.MainMenu()->FindCommand("ExportData1")->isEnabled());
  EXPECT_TRUE(SaveScreenshot(form, "sqlquery-result"));

  // Running again replaces the rows; a grouped query cannot be modified.
  form.ClearClick();
  Type(form, "SELECT Region, Count(*) AS Sold FROM Sales GROUP BY Region");
  ExpectProgressWindow(gui, kRunning);
  Click(form, "BtnRun");
  gui.Verify();
  EXPECT_EQ(Rows(form), "North,3;South,2");
  EXPECT_EQ(form.StatusText(1).toStdString(), "Data cannot be modified");
  form.QueryText()->document()->setModified(false);
}

TEST_F(SqlQueryFormTest, RowReturningStatementsThatExecuteRefusesOpenAsQueries) {
  TDaoSQLQueryForm& form = Form();
  Type(form, "TRANSFORM Sum(Amount)\nSELECT Region FROM Sales GROUP BY Region PIVOT Quarter");
  ScriptedGui gui;
  ExpectProgressWindow(gui, kRunning);
  Click(form, "BtnRun");
  gui.Verify();
  ASSERT_TRUE(form.SQLQuery()->Active());
  EXPECT_EQ(FieldNames(form), "Region Q1 Q2 Q3");
  EXPECT_EQ(Rows(form), "North,10,25,;South,7,,3");
  EXPECT_TRUE(SaveScreenshot(form, "sqlquery-crosstab"));
  form.QueryText()->document()->setModified(false);
}

// A statement declaring PARAMETERS asks for the values through the parameter dialog (typed
// there with real keys) and runs with them: a query into the grid, an action statement with the
// refresh question. A dialog closed with Escape, or confirmed with a value left out, runs
// nothing, even where a value had been set before it closed.
TEST_F(SqlQueryFormTest, AStatementDeclaringParametersRunsWithTheValuesTheDialogTakes) {
  const char* const query =
      "PARAMETERS [Least] Long, [Which] Text(2);\nSELECT Region, Amount FROM Sales\n"
      "WHERE Amount >= [Least] AND Quarter = [Which]\nORDER BY ID";
  const char* const update =
      "PARAMETERS [Bonus] Long;\nUPDATE Sales SET Amount = Amount + [Bonus] WHERE Region = 'South'";
  struct Case {
    const char* what;
    const char* statement;
    std::vector<QString> typed;  // by parameter, in the list's order
    bool confirm;                // Enter in "Value:"; else Escape
    bool runs;
    const char* rows;     // of a query that runs
    const char* amounts;  // in the file afterwards
  } cases[] = {
      {"query", query, {"5", "Q2"}, true, true, "North,20;North,5", "10 20 5 7 3"},
      {"query, escaped", query, {"5", "Q2"}, false, false, "", "10 20 5 7 3"},
      {"query, a value left out", query, {"5"}, true, false, "", "10 20 5 7 3"},
      {"update, escaped", update, {"100"}, false, false, "", "10 20 5 7 3"},
      {"update", update, {"100"}, true, true, "", "10 20 5 107 103"},
  };
  auto previous = SetEditSQLParametersHook([](TDAORecordset& recordset) { EditSQLParameters(recordset); });
  TDaoSQLQueryForm& form = Form();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (form.SQLQuery()->Active()) form.SQLQuery()->Close();
    form.ClearClick();
    Type(form, c.statement);
    const bool is_query = c.statement == query;
    ScriptedGui gui;
    std::string listed;
    gui.ExpectModal([&](QDialog& dialog) {
         QApplication::setActiveWindow(&dialog);
         auto* list = Child<QListWidget>(dialog, "ParameterList");
         auto* value = Child<QLineEdit>(dialog, "EditParamValue");
         listed = ListState(*list);
         for (int row = 0; row < static_cast<int>(c.typed.size()); ++row) {
           QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
           QTest::mouseClick(value, Qt::LeftButton);
           QTest::keyClick(value, Qt::Key_A, Qt::ControlModifier);
           QTest::keyClicks(value, c.typed[static_cast<size_t>(row)]);
           QTest::keyClick(value, Qt::Key_Tab);  // leaving "Value:" sets the value
         }
         QTest::mouseClick(value, Qt::LeftButton);
         QTest::keyClick(value, c.confirm ? Qt::Key_Return : Qt::Key_Escape);
         return dialog.result();
       })
        .Text("TSQLParameterDlg")
        .Caption("SQL Parameter of Recordset: SQLQuery");
    if (c.runs && is_query) ExpectProgressWindow(gui, kRunning);
    if (c.runs && !is_query) gui.ExpectMessageBox(IDNO).Text("You modified the Database. Refresh now ?");
    Click(form, "BtnRun");
    gui.Verify();
    EXPECT_EQ(listed, is_query ? "[Least] Which" : "[Bonus]");
    EXPECT_EQ(form.SQLQuery()->Active(), c.runs && is_query);
    if (form.SQLQuery()->Active()) {
      EXPECT_EQ(FieldNames(form), "Region Amount");
      EXPECT_EQ(Rows(form), c.rows);
      EXPECT_EQ(form.StatusText(0).toStdString(), "Number of Qualified Records:  2");
      EXPECT_TRUE(SaveScreenshot(form, "sqlquery-parameters"));
    }
    EXPECT_EQ(AmountsInFile(), c.amounts);
  }
  SetEditSQLParametersHook(previous);
  form.QueryText()->document()->setModified(false);
}

TEST_F(SqlQueryFormTest, ActionStatementsRunAndTheRefreshQuestionReachesTheEditor) {
  // The main window answers the request so (it cannot be made beside this test's engine).
  QObject receiver;
  QObject::connect(&RefreshRequests(), &DatabaseRefreshRequests::Requested, &receiver,
                   [] { RefreshOpenDatabaseEditors(); });
  auto editor = std::make_unique<TDBEditDlg>();
  editor->SetDataBase(db_.get());
  editor->show();
  QListWidget* tables = Child<QListWidget>(*editor, "ListBoxTableDefs");
  ASSERT_NE(tables, nullptr);
  ASSERT_FALSE(tables->findItems("Regions", Qt::MatchExactly).size());

  TDaoSQLQueryForm& form = Form();
  // An open query stays as it is when an action statement runs.
  Type(form, "SELECT Amount FROM Sales ORDER BY ID");
  ScriptedGui gui;
  ExpectProgressWindow(gui, kRunning);
  Click(form, "BtnRun");
  form.ClearClick();
  Type(form, "UPDATE Sales SET Amount = Amount * 2 WHERE Region = 'South'");
  gui.ExpectMessageBox(IDNO)
      .Text("You modified the Database. Refresh now ?")
      .Caption("Confirmation")
      .Flags(MB_YESNO | MB_ICONQUESTION);
  Click(form, "BtnRun");
  gui.Verify();
  EXPECT_TRUE(form.SQLQuery()->Active());
  EXPECT_EQ(AmountsInFile(), "10 20 5 14 6");

  form.ClearClick();
  Type(form, "CREATE TABLE Regions (Name TEXT(20))");
  gui.ExpectMessageBox(IDNO);
  Click(form, "BtnRun");
  gui.Verify();
  RunPostedEvents();
  EXPECT_TRUE(tables->findItems("Regions", Qt::MatchExactly).empty()) << "No refreshes nothing";

  form.ClearClick();
  Type(form, "CREATE TABLE Cities (Name TEXT(20))");
  gui.ExpectMessageBox(IDYES);
  Click(form, "BtnRun");
  gui.Verify();
  RunPostedEvents();
  EXPECT_EQ(tables->findItems("Regions", Qt::MatchExactly).size(), 1u);
  EXPECT_EQ(tables->findItems("Cities", Qt::MatchExactly).size(), 1u);
  form.QueryText()->document()->setModified(false);
  editor.reset();
}

TEST_F(SqlQueryFormTest, RollbackLeavesTheFileUnchangedAndCommitKeepsTheChange) {
  struct Case {
    const char* command;
    const char* amounts;
  } cases[] = {
      {"RollbackTransaction1", "10 20 5 7 3"},
      {"CommitTransaction1", "0 0 0 0 0"},
  };
  TDaoSQLQueryForm& form = Form();
  QAction* start = form.MainMenu()->FindCommand("StartTransaction1");
  QAction* commit = form.MainMenu()->FindCommand("CommitTransaction1");
  QAction* rollback = form.MainMenu()->FindCommand("RollbackTransaction1");
  for (const Case& c : cases) {
    EXPECT_TRUE(start->isEnabled() && !commit->isEnabled() && !rollback->isEnabled()) << c.command;
    Command(form, "StartTransaction1");
    EXPECT_TRUE(db_->InTransaction());
    EXPECT_TRUE(!start->isEnabled() && commit->isEnabled() && rollback->isEnabled()) << c.command;
    form.ClearClick();
    Type(form, "UPDATE Sales SET Amount = 0");
    ScriptedGui gui;
    gui.ExpectMessageBox(IDNO);
    Click(form, "BtnRun");
    gui.Verify();
    EXPECT_TRUE(db_->InTransaction()) << "running a statement leaves the transaction open";
    Command(form, c.command);
    EXPECT_FALSE(db_->InTransaction());
    EXPECT_TRUE(start->isEnabled() && !commit->isEnabled() && !rollback->isEnabled()) << c.command;
    EXPECT_EQ(AmountsInFile(), c.amounts) << c.command;
  }
  form.QueryText()->document()->setModified(false);
}

TEST_F(SqlQueryFormTest, StatementFilesLoadAndSaveThroughTheirDialogs) {
  TDaoSQLQueryForm& form = Form();
  const std::string file = dir_.File("query.SQL");  // the default extension added
  Type(form, "SELECT *\nFROM Sales");
  ScriptedGui gui;
  gui.ExpectSaveFile(dir_.File("query"))
      .Caption("Save Current Query to File")
      .Check("save request", [](const GuiCall& call) {
        return call.file.default_ext == "SQL" && call.file.overwrite_prompt &&
               call.file.filter ==
                   "SQL Scripts (*.SQL)|*.SQL|SQL Data definitions (*.DDL)|*.DDL|Text Files (*.TXT)|*.TXT|All "
                   "Files|*.*";
      });
  Click(form, "BtnSave");
  gui.Verify();
  EXPECT_FALSE(form.QueryText()->document()->isModified());
  std::ifstream in(file);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), "SELECT *\nFROM Sales\n");

  Click(form, "BtnClear");
  EXPECT_TRUE(form.QueryText()->toPlainText().isEmpty());
  EXPECT_FALSE(Child<QToolButton>(form, "BtnRun")->isEnabled());
  {
    std::ofstream out(file, std::ios::binary);
    out << "UPDATE Sales\r\nSET Amount = 1\r\n";
  }
  gui.ExpectOpenFile(file).Caption("Load Query from File").Check("open request", [](const GuiCall& call) {
    return call.file.default_ext == "SQL" && call.file.must_exist &&
           call.file.filter ==
               "SQL Scripts (*.SQL)|*.SQL|SQL Data definitions (*.DDL)|*.DDL|Text Files (*.TXT)|*.TXT|All Files "
               "(*.*)|*.*";
  });
  Click(form, "BtnLoad");
  gui.Verify();
  EXPECT_EQ(form.QueryText()->toPlainText().toStdString(), "UPDATE Sales\nSET Amount = 1");
  EXPECT_TRUE(Child<QToolButton>(form, "BtnRun")->isEnabled());
}

TEST_F(SqlQueryFormTest, TheCloseQuestionNeverLosesAStatementThatWasNotSaved) {
  struct Case {
    const char* what;
    int answer;               // 0: not asked (nothing modified)
    bool save_dialog;         // a save dialog follows
    bool save_chosen;         // ... and a file is chosen in it
    bool closes;
  } cases[] = {
      {"yes, saved", IDYES, true, true, true},
      {"yes, save cancelled", IDYES, true, false, false},
      {"no", IDNO, false, false, true},
      {"cancel", IDCANCEL, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QPointer<TDaoSQLQueryForm> form = &Form();
    Type(*form, "SELECT Region FROM Sales");
    const std::string file = dir_.File("closing.sql");
    ScriptedGui gui;
    gui.ExpectMessageBox(c.answer)
        .Text("You have modified the SQL-Statement. Do you want to save the current SQL-Statement ?")
        .Caption("Confirmation")
        .Flags(MB_YESNOCANCEL | MB_ICONQUESTION);
    if (c.save_dialog) gui.ExpectSaveFile(c.save_chosen ? std::optional<std::string>(file) : std::nullopt);
    Click(*form, "BtnClose");
    RunPostedEvents();
    gui.Verify();
    EXPECT_EQ(form.isNull(), c.closes) << c.what;
    if (!form.isNull()) {
      EXPECT_EQ(form->QueryText()->toPlainText().toStdString(), "SELECT Region FROM Sales") << c.what;
      EXPECT_TRUE(form->QueryText()->document()->isModified()) << c.what;
      form->ClearClick();
      form->QueryText()->document()->setModified(false);
      form->close();
      RunPostedEvents();
    }
    std::filesystem::remove(file);
  }

  // A Save cancelled on its own leaves the statement marked, so that closing still asks.
  QPointer<TDaoSQLQueryForm> form = &Form();
  Type(*form, "SELECT 1");
  ScriptedGui gui;
  gui.ExpectSaveFile(std::nullopt);
  Click(*form, "BtnSave");
  gui.ExpectMessageBox(IDNO).TextContains("modified the SQL-Statement");
  Command(*form, "Close1");
  RunPostedEvents();
  gui.Verify();
  EXPECT_TRUE(form.isNull());
}

TEST_F(SqlQueryFormTest, ASyntaxErrorPutsTheCursorWhereTheEngineFoundIt) {
  struct Case {
    const char* statement;
    bool query;
    std::pair<int, int> at;
  } cases[] = {
      {"SELECT Region\nFROM Sales\nWHERE Amount > > 3", true, {3, 16}},
      {"UPDATE Sales\nSET Amount = = 1", false, {2, 14}},
      {"PARAMETERS [x] Long;\nSELECT * FROM Sales WHERE Amount > > [x]", false, {2, 36}},
  };
  TDaoSQLQueryForm& form = Form();
  for (const Case& c : cases) {
    form.ClearClick();
    Type(form, c.statement);
    form.QueryText()->moveCursor(QTextCursor::Start);
    ScriptedGui gui;
    if (c.query) ExpectProgressWindow(gui, kRunning);
    gui.ExpectMessageBox(IDOK).TextContains("Syntax error");
    Click(form, "BtnRun");
    gui.Verify();
    EXPECT_EQ(CursorAt(form), c.at) << c.statement << "\n" << gui.CallLog();
    EXPECT_FALSE(form.SQLQuery()->Active());
    EXPECT_EQ(form.StatusText(0).toStdString(), "Query not Ative");
  }
  form.QueryText()->document()->setModified(false);
}

TEST_F(SqlQueryFormTest, ALongQueryStopsWhenTheProgressWindowIsCancelled) {
  Sql({"CREATE TABLE Numbers (N LONG)"});
  for (int i = 0; i < 40; ++i) Sql({"INSERT INTO Numbers (N) VALUES (" + std::to_string(i) + ")"});
  TDaoSQLQueryForm& form = Form();
  // 40^4 rows sorted before the first one can be shown: seconds of work at least.
  Type(form, "SELECT a.N FROM Numbers AS a, Numbers AS b, Numbers AS c, Numbers AS d "
             "ORDER BY a.N * 7 + b.N * 5 - c.N * 3 + d.N");
  ScriptedGui gui;
  ExpectProgressWindow(gui, kRunning, [](TProgressDialog& window) { window.BtnCancelClick(); });
  gui.ExpectMessageBox(IDOK).TextContains("cancelled");
  Click(form, "BtnRun");
  gui.Verify();
  EXPECT_FALSE(form.SQLQuery()->Active());

  // The database works on: the next query runs to its end.
  form.ClearClick();
  Type(form, "SELECT Count(*) AS Total FROM Numbers");
  ExpectProgressWindow(gui, kRunning);
  Click(form, "BtnRun");
  gui.Verify();
  EXPECT_EQ(Rows(form), "40");
  form.QueryText()->document()->setModified(false);
}

TEST_F(SqlQueryFormTest, FontGoesToTheStatementAndTheGridAndPrintPrintsTheWindow) {
  TDaoSQLQueryForm& form = Form();
  QFont chosen("Serif", 15);
  ScriptedGui gui;
  gui.ExpectFontDialog(chosen);
  Click(form, "BtnFont");
  gui.ExpectFontDialog(std::nullopt);
  Command(form, "Font1");
  gui.ExpectPrint(true).Text("DaoSQLQueryForm");
  Click(form, "BtnPrint");
  gui.Verify();
  EXPECT_EQ(form.QueryText()->font().pointSize(), 15);
  EXPECT_EQ(form.SQLResultGrid()->font().pointSize(), 15);
}

// "Export" writes the query's rows through the data viewer's procedure, under this window's own
// progress text, and the summary counts them.
TEST_F(SqlQueryFormTest, ExportWritesTheQueryRowsUnderItsOwnProgressText) {
  TDaoSQLQueryForm& form = Form();
  Type(form, "SELECT Region, Amount FROM Sales WHERE Quarter = 'Q1' ORDER BY ID");
  ScriptedGui gui;
  ExpectProgressWindow(gui, kRunning);
  Click(form, "BtnRun");
  gui.Verify();
  const std::string out = dir_.File("q1");
  gui.ExpectSaveFile(out);
  gui.ExpectModal([](QDialog& dialog) { return ChooseSeparators(dialog, scOther, scLf, ";"); });
  ExpectProgressWindow(gui, "Exporting Records. Please Wait ...");
  std::string total;
  gui.ExpectModal([&](QDialog& dialog) {
    total = static_cast<TFormExportSummary&>(dialog).TotalLabel()->text().toStdString();
    return int(QDialog::Accepted);
  });
  Click(form, "BtnExport");
  gui.Verify();
  EXPECT_EQ(total, "2");
  EXPECT_EQ(ReadWholeFile(out + ".TXT"), "Region;Amount\nNorth;10\nSouth;7\n");
  form.QueryText()->document()->setModified(false);
}

// "DB View" opens the architecture window on this window's database, and a table's double-click
// there lands at the statement's cursor.
TEST_F(SqlQueryFormTest, DBViewOpensTheArchitectureWhichPastesIntoTheStatement) {
  TDaoSQLQueryForm& form = Form();
  Type(form, "SELECT * FROM ");
  ScriptedGui gui;
  Click(form, "BtnDBView");
  TFormDBArchitecture* architecture = DBArchitecture();
  ASSERT_NE(architecture, nullptr);
  QListWidget* tables = Child<QListWidget>(*architecture, "ListBoxTables");
  ASSERT_NE(tables, nullptr);
  const QList<QListWidgetItem*> sales = tables->findItems("Sales", Qt::MatchExactly);
  ASSERT_EQ(sales.size(), 1);
  QApplication::setActiveWindow(architecture);
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(architecture, &activate);
  const QPoint at = tables->visualItemRect(sales[0]).center();
  QTest::mouseClick(tables->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(tables->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(form.QueryText()->toPlainText(), "SELECT * FROM Sales");
  architecture->close();
  gui.Verify();
}

}  // namespace
}  // namespace qb::test
