// Tests of the architecture window on real database files: the lists in the engine's order
// with their headers, the enabled states of the menu entries as target windows come and go,
// names pasted at the cursor of the designer's statement by double-click and context menu,
// Edit Data, the buttons, errors while listing, and the window's lifetime.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/architecture/db_architecture_form.h"
#include "app/architecture/statement_editors.h"
#include "app/catalog_window_support.h"
#include "app/diagram/relationships_window.h"
#include "app/storedproc/stored_proc_design_form.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/widgets/list_box_rules.h"
#include "framework/gui/message_box.h"
#include "jet/dao/querydef.h"

namespace qb::test {
namespace {

class DBArchitectureTest : public CatalogWindowTest {
 protected:
  void SetUp() override {
    CatalogWindowTest::SetUp();
    Sql({"CREATE TABLE Zebra (Zeta LONG, Alpha TEXT(10), Mid DATETIME)", "CREATE TABLE Apple (Core LONG, Skin TEXT(5))"});
    auto queries = db_->QueryDefs();
    queries->Append(std::make_shared<jet::QueryDef>("ZooQuery", "SELECT Zeta, Alpha AS Beta FROM Zebra"));
    queries->Append(std::make_shared<jet::QueryDef>("AppleQuery", "SELECT Skin, Core FROM Apple"));
  }
  TFormDBArchitecture& Window(TDAODataBase* database) {
    ShowDBArchitecture(database);
    EXPECT_NE(DBArchitecture(), nullptr);
    return *DBArchitecture();
  }
  // The designer on QUERY, its statement editor holding TEXT with the cursor at CURSOR.
  QPlainTextEdit* DesignerWith(const std::string& query, const QString& text, int cursor) {
    ShowStoredProcDesigner(db_.get(), db_->FindQueryDef(query));
    auto* memo = Child<QPlainTextEdit>(*StoredProcDesigner(), "MemoSQL");
    memo->setPlainText(text);
    QTextCursor at = memo->textCursor();
    at.setPosition(cursor);
    memo->setTextCursor(at);
    TakeToolCalls();
    return memo;
  }
  // Activates WINDOW as a user's click on it does.
  static void Activate(QWidget& window) {
    QApplication::setActiveWindow(&window);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
  }
  static QListWidget* List(QWidget& window, const char* name) { return Child<QListWidget>(window, name); }
  static QPoint Center(QListWidget& list, int row) { return list.visualItemRect(list.item(row)).center(); }
  static void Press(QListWidget& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, Center(list, row));
  }
  static void DoubleClick(QListWidget& list, int row) {
    Press(list, row);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, Center(list, row));
  }
  // The enabled state of every entry of menu NAME, as "1 0 1".
  static std::string MenuStates(QWidget& window, const char* name) {
    std::string states;
    for (QAction* action : Child<QMenu>(window, name)->actions()) {
      states += std::string(states.empty() ? "" : " ") + (action->isEnabled() ? "1" : "0");
    }
    return states;
  }
  // Tables of the list without the system ones, in list order.
  static std::string UserTables(QListWidget& list) {
    std::string names;
    for (int i = 0; i < list.count(); ++i) {
      const std::string name = list.item(i)->text().toStdString();
      if (name.rfind("MSys", 0) != 0) names += (names.empty() ? "" : " ") + name;
    }
    return names;
  }
};

TEST_F(DBArchitectureTest, ListsTablesAndQueriesWithFieldsInTheEnginesOrder) {
  ScriptedGui gui;
  TFormDBArchitecture& window = Window(db_.get());
  EXPECT_EQ(window.windowTitle(), "Database: DAODataBase1");
  EXPECT_EQ(window.width(), 300);
  EXPECT_EQ(window.minimumSize(), QSize(180, 180));
  QListWidget* tables = List(window, "ListBoxTables");
  auto engine_tables = db_->TableDefs();
  ASSERT_EQ(tables->count(), engine_tables->Count()) << "system tables included";
  for (int i = 0; i < tables->count(); ++i) EXPECT_EQ(tables->item(i)->text().toStdString(), engine_tables->Item(i)->Name());
  EXPECT_EQ(UserTables(*tables), "Apple Zebra");
  EXPECT_EQ(SelectedPosition(*tables), 0);

  // Fields in their table's order, not sorted; a press selects the entry under the pointer.
  const int apple = tables->row(tables->findItems("Apple", Qt::MatchExactly)[0]);
  Press(*tables, apple);
  EXPECT_EQ(ListState(*List(window, "ListBoxFieldsInTable")), "[Core] Skin");
  // A key released in the list follows the selection.
  tables->setFocus();
  QTest::keyClick(tables, Qt::Key_Down);
  EXPECT_EQ(SelectedPosition(*tables), apple + 1);
  EXPECT_EQ(Child<QLabel>(window, "PanelFieldsInTableHeader")->text().toStdString(),
            " Fields in Table: " + engine_tables->Item(apple + 1)->Name());
  Press(*tables, tables->row(tables->findItems("Zebra", Qt::MatchExactly)[0]));
  EXPECT_EQ(ListState(*List(window, "ListBoxFieldsInTable")), "[Zeta] Alpha Mid");
  EXPECT_EQ(Child<QLabel>(window, "PanelFieldsInTableHeader")->text(), " Fields in Table: Zebra");

  QListWidget* procs = List(window, "ListBoxStoredProcs");
  EXPECT_EQ(ListState(*procs), "[AppleQuery] ZooQuery");
  EXPECT_EQ(ListState(*List(window, "ListBoxFieldsInStoredProc")), "[Skin] Core");
  EXPECT_EQ(Child<QLabel>(window, "PanelFieldsInStoredProcHeader")->text(), " Fields in stored Procedure: AppleQuery");
  Press(*procs, 1);
  EXPECT_EQ(ListState(*List(window, "ListBoxFieldsInStoredProc")), "[Zeta] Beta");

  // Handed the same database again, the lists are not read again.
  Sql({"CREATE TABLE Later (X LONG)"});
  EXPECT_EQ(&Window(db_.get()), &window);
  EXPECT_EQ(UserTables(*tables), "Apple Zebra");
  gui.Verify();
}

TEST_F(DBArchitectureTest, WithoutADatabaseEverythingIsEmptyAndDisabled) {
  ScriptedGui gui;
  ShowStoredProcDesigner(db_.get(), db_->FindQueryDef("ZooQuery"));
  TFormDBArchitecture& window = Window(nullptr);
  EXPECT_EQ(window.windowTitle(), "Database: Undefined");
  for (const char* list : {"ListBoxTables", "ListBoxFieldsInTable", "ListBoxStoredProcs", "ListBoxFieldsInStoredProc"}) {
    EXPECT_EQ(List(window, list)->count(), 0) << list;
  }
  EXPECT_EQ(Child<QLabel>(window, "PanelFieldsInTableHeader")->text(), " Fields in Table: Unknown");
  EXPECT_EQ(Child<QLabel>(window, "PanelFieldsInStoredProcHeader")->text(), " Fields in Stored Procedure: Unknown");
  EXPECT_EQ(MenuStates(window, "PopupMenuTables"), "0 0 0");
  EXPECT_EQ(MenuStates(window, "PopupMenuStoredProcs"), "0 0 0");
  EXPECT_EQ(MenuStates(window, "PopupMenuTableFields"), "0 0");
  EXPECT_EQ(MenuStates(window, "PopupMenuStoredProcFields"), "0 0");
  gui.Verify();
}

// The paste entries follow the target windows: a designer opened after the architecture window
// enables them when the architecture window is activated again, and disables them once closed.
TEST_F(DBArchitectureTest, PasteEntriesFollowTheTargetWindowsOnActivation) {
  ScriptedGui gui;
  TFormDBArchitecture& window = Window(db_.get());
  EXPECT_EQ(MenuStates(window, "PopupMenuTables"), "1 0 0");
  EXPECT_EQ(MenuStates(window, "PopupMenuTableFields"), "0 0");
  ShowStoredProcDesigner(db_.get(), db_->FindQueryDef("ZooQuery"));
  Activate(window);
  EXPECT_EQ(MenuStates(window, "PopupMenuTables"), "1 0 1");
  EXPECT_EQ(MenuStates(window, "PopupMenuStoredProcs"), "1 0 1");
  EXPECT_EQ(MenuStates(window, "PopupMenuTableFields"), "0 1");
  EXPECT_EQ(MenuStates(window, "PopupMenuStoredProcFields"), "0 1");

  // A statement editor of the SQL query window counts the same way.
  QPlainTextEdit sql_editor;
  RegisterStatementEditor(StatementEditorKind::kSQLQueryForm, &sql_editor);
  Activate(window);
  EXPECT_EQ(MenuStates(window, "PopupMenuTables"), "1 1 1");

  StoredProcDesigner()->close();
  RunPostedEvents();
  Activate(window);
  EXPECT_EQ(MenuStates(window, "PopupMenuTables"), "1 1 0");
  RegisterStatementEditor(StatementEditorKind::kSQLQueryForm, nullptr);
  gui.Verify();
}

TEST_F(DBArchitectureTest, DoubleClicksPasteAtTheDesignersCursorOrOpenTheData) {
  ScriptedGui gui;
  TFormDBArchitecture& window = Window(db_.get());
  QListWidget* tables = List(window, "ListBoxTables");
  const int zebra = tables->row(tables->findItems("Zebra", Qt::MatchExactly)[0]);

  // Neither target window: a table's double-click shows its data, a field's does nothing.
  DoubleClick(*tables, zebra);
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{"ShowDataViewer(DAODataBase1, Zebra)"});
  DoubleClick(*List(window, "ListBoxFieldsInTable"), 1);
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{});

  // Only the designer: the name goes into its statement at the cursor, as typed.
  QPlainTextEdit* memo = DesignerWith("ZooQuery", "SELECT  FROM ", 7);
  DoubleClick(*tables, zebra);
  EXPECT_EQ(memo->toPlainText(), "SELECT Zebra FROM ");
  EXPECT_EQ(memo->textCursor().position(), 12) << "the cursor follows the inserted name";
  QTextCursor end = memo->textCursor();
  end.movePosition(QTextCursor::End);
  memo->setTextCursor(end);
  DoubleClick(*List(window, "ListBoxFieldsInTable"), 2);
  EXPECT_EQ(memo->toPlainText(), "SELECT Zebra FROM Mid");

  // A selection is replaced; stored procedure names and their fields likewise.
  QTextCursor select = memo->textCursor();
  select.setPosition(7);
  select.setPosition(12, QTextCursor::KeepAnchor);
  memo->setTextCursor(select);
  Child<QTabWidget>(window, "PageControl1")->setCurrentIndex(1);
  DoubleClick(*List(window, "ListBoxStoredProcs"), 1);
  EXPECT_EQ(memo->toPlainText(), "SELECT ZooQuery FROM Mid");
  DoubleClick(*List(window, "ListBoxFieldsInStoredProc"), 1);
  EXPECT_EQ(memo->toPlainText(), "SELECT ZooQueryBeta FROM Mid");
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{});
  gui.Verify();
}

TEST_F(DBArchitectureTest, ContextMenuEntriesPasteAndShowData) {
  ScriptedGui gui;
  TFormDBArchitecture& window = Window(db_.get());
  QPlainTextEdit* memo = DesignerWith("ZooQuery", "SELECT * FROM ", 14);
  Activate(window);
  QListWidget* procs = List(window, "ListBoxStoredProcs");
  Press(*procs, 1);
  Child<QAction>(window, "MenuStoredProcPasteToDesigner")->trigger();
  EXPECT_EQ(memo->toPlainText(), "SELECT * FROM ZooQuery");
  Child<QAction>(window, "MenuStoredProcData")->trigger();
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{"ShowDataViewer(DAODataBase1, ZooQuery)"});

  // The SQL query window's editor, when one is registered, takes the SQL entries' pastes.
  QPlainTextEdit sql_editor;
  RegisterStatementEditor(StatementEditorKind::kSQLQueryForm, &sql_editor);
  Activate(window);
  Child<QAction>(window, "MenuTableFieldPasteToSQL")->trigger();
  EXPECT_EQ(sql_editor.toPlainText(), List(window, "ListBoxFieldsInTable")->currentItem()->text());
  EXPECT_EQ(memo->toPlainText(), "SELECT * FROM ZooQuery");
  RegisterStatementEditor(StatementEditorKind::kSQLQueryForm, nullptr);
  gui.Verify();
}

// Opened from the designer, a stored procedure whose fields cannot be read (its table is
// gone) shows the engine's error; what was listed before stays, and the others still work.
TEST_F(DBArchitectureTest, AQueryThatCannotBeListedShowsTheErrorAndKeepsTheRest) {
  Sql({"DROP TABLE Apple"});
  ScriptedGui gui;
  gui.ExpectMessageBox(IDOK).TextContains("Apple");
  ShowStoredProcDesigner(db_.get(), db_->FindQueryDef("ZooQuery"));
  QTest::mouseClick(Child<QToolButton>(*StoredProcDesigner(), "BtnDBArchitecture"), Qt::LeftButton);
  ASSERT_NE(DBArchitecture(), nullptr);
  TFormDBArchitecture& window = *DBArchitecture();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "Database: DAODataBase1");
  EXPECT_EQ(UserTables(*List(window, "ListBoxTables")), "Zebra");
  QListWidget* procs = List(window, "ListBoxStoredProcs");
  EXPECT_EQ(ListState(*procs), "[AppleQuery] ZooQuery");
  EXPECT_EQ(List(window, "ListBoxFieldsInStoredProc")->count(), 0);
  EXPECT_EQ(Child<QLabel>(window, "PanelFieldsInStoredProcHeader")->text(), " Fields in stored Procedure: AppleQuery");
  EXPECT_EQ(MenuStates(window, "PopupMenuStoredProcs"), "1 0 1");
  Press(*procs, 1);
  EXPECT_EQ(ListState(*List(window, "ListBoxFieldsInStoredProc")), "[Zeta] Beta");
  gui.Verify();
}

TEST_F(DBArchitectureTest, ButtonsOpenSQLAndRelationshipsAndCloseFreesTheWindow) {
  ScriptedGui gui;
  QPointer<TFormDBArchitecture> window = &Window(db_.get());
  QTest::mouseClick(Child<QPushButton>(*window, "BtnSQL"), Qt::LeftButton);
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{"ShowSQLQueryForm(DAODataBase1)"});
  QTest::mouseClick(Child<QPushButton>(*window, "BtnRelationships"), Qt::LeftButton);
  auto* diagram = window->findChild<TRelationshipsWindow*>();
  ASSERT_NE(diagram, nullptr);
  EXPECT_TRUE(diagram->isVisible());
  QTest::keyClick(window.data(), Qt::Key_Escape);
  RunPostedEvents();
  EXPECT_TRUE(window.isNull()) << "Close is the cancel button; a closed window is freed";
  gui.Verify();
}

TEST_F(DBArchitectureTest, Screenshot) {
  ScriptedGui gui;
  TFormDBArchitecture& window = Window(db_.get());
  QListWidget* tables = List(window, "ListBoxTables");
  Press(*tables, tables->row(tables->findItems("Zebra", Qt::MatchExactly)[0]));
  EXPECT_TRUE(SaveScreenshot(window, "architecture-window"));
  gui.Verify();
}

}  // namespace
}  // namespace qb::test
