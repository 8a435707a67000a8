// Tests of the database editor on real database files: set-up (connecting and disconnecting
// again, the ODBC warning, no database), the lists and the attribute display, the table and
// stored procedure actions through buttons, context menus and real mouse and key events, engine
// errors reaching the error box, and the tool windows it opens and releases.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <optional>

#include "app/catalog_window_support.h"
#include "app/dbedit/db_edit_dlg.h"
#include "app/main/main_form.h"
#include "app/tabledesign/table_design_form.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/widgets/list_box_rules.h"
#include "engine/dao_errors.h"
#include "engine/dao_globals.h"
#include "engine/dao_workspace.h"
#include "framework/gui/message_box.h"
#include "jet/dao/database.h"
#include "jet/dao/tabledef.h"

namespace qb::test {
namespace {

class DBEditTest : public CatalogWindowTest {
 protected:
  // An editor set up on the database, shown.
  std::unique_ptr<TDBEditDlg> Editor() {
    auto editor = std::make_unique<TDBEditDlg>();
    editor->SetDataBase(db_.get());
    editor->show();
    return editor;
  }
  static QListWidget* Tables(const TDBEditDlg& editor) { return Child<QListWidget>(editor, "ListBoxTableDefs"); }
  static QListWidget* Procs(const TDBEditDlg& editor) { return Child<QListWidget>(editor, "ListBoxStoredProcs"); }
  static void Click(const TDBEditDlg& editor, const char* button) { Child<QPushButton>(editor, button)->click(); }
  static void Trigger(const TDBEditDlg& editor, const char* entry) { Child<QAction>(editor, entry)->trigger(); }
  // The user tables of the list (system tables left out), selection marked.
  static std::string UserTables(const TDBEditDlg& editor) {
    std::string state;
    for (const std::string& word : Words(ListState(*Tables(editor)))) {
      if (word.find("MSys") != std::string::npos) continue;
      state += (state.empty() ? "" : " ") + word;
    }
    return state;
  }
  static std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      words.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return words;
  }
  // The six attribute boxes as a string of 0 and 1.
  static std::string Attributes(const TDBEditDlg& editor) {
    std::string bits;
    for (const char* name : {"CheckBoxAttachExclusive", "CheckBoxAttachSavePassword", "CheckBoxSystemTable",
                             "CheckBoxHiddenTable", "CheckBoxLinkedTable", "CheckBoxODBCLink"}) {
      bits += Child<QCheckBox>(editor, name)->isChecked() ? "1" : "0";
    }
    return bits;
  }
  static QPoint EntryCenter(QListWidget& list, int row) { return list.visualItemRect(list.item(row)).center(); }
  // A double-click as the mouse makes it: press, release, double-click, release.
  static void DoubleClick(QListWidget& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, EntryCenter(list, row));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, EntryCenter(list, row));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, EntryCenter(list, row));
  }
};

TEST_F(DBEditTest, SetUpConnectsListsEverythingAndClosingDisconnectsAgain) {
  ScriptedGui gui;
  {
    auto editor = Editor();
    EXPECT_TRUE(db_->Connected());
    EXPECT_EQ(editor->windowTitle(), "Database: DAODataBase1");
    EXPECT_EQ(editor->size(), QSize(340, 400));
    EXPECT_EQ(editor->minimumSize(), QSize(200, 200));
    EXPECT_EQ(Child<QTabWidget>(*editor, "PageControl1")->currentIndex(), 0);

    // Only system tables: they are listed, the first selected, "System Table" checked.
    QListWidget* tables = Tables(*editor);
    ASSERT_GT(tables->count(), 0);
    EXPECT_EQ(SelectedPosition(*tables), 0);
    EXPECT_EQ(UserTables(*editor), "");
    EXPECT_EQ(Attributes(*editor), "001000");
    for (const char* button : {"BtnDeleteTable", "BtnDesignTable", "BtnRenameTable", "BtnDataTable"}) {
      EXPECT_TRUE(Child<QPushButton>(*editor, button)->isEnabled()) << button;
    }

    // Containers in collection order, the first selected with its documents.
    auto containers = db_->Containers();
    QListWidget* list = Child<QListWidget>(*editor, "ListBoxContainer");
    ASSERT_EQ(list->count(), containers->Count());
    EXPECT_EQ(ListState(*list).substr(0, containers->Item(0)->Name().size() + 2),
              "[" + containers->Item(0)->Name() + "]");
    EXPECT_EQ(Child<QLabel>(*editor, "PanelDocumentsHeader")->text().toStdString(),
              " Documents in Container: " + containers->Item(0)->Name());
    EXPECT_EQ(Child<QListWidget>(*editor, "ListBoxDocuments")->count(), containers->Item(0)->Documents()->Count());

    // A press on another container shows its documents.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, EntryCenter(*list, 1));
    EXPECT_EQ(Child<QLabel>(*editor, "PanelDocumentsHeader")->text().toStdString(),
              " Documents in Container: " + containers->Item(1)->Name());

    // No stored procedures: only "New" of that page is enabled.
    EXPECT_TRUE(Child<QPushButton>(*editor, "BtnNewStoredProc")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(*editor, "BtnDeleteStoredProc")->isEnabled());
    EXPECT_FALSE(Child<QAction>(*editor, "MenuStoredProcDesign")->isEnabled());
  }
  EXPECT_FALSE(db_->Connected()) << "the editor connected it, so it disconnects it";

  // A database that was connected stays connected.
  db_->Open();
  Editor().reset();
  EXPECT_TRUE(db_->Connected());
  gui.Verify();
}

// The editor connects a database by name as the main window does: a protected file asks for
// its password, and Cancel leaves the refusal.
TEST_F(DBEditTest, SetUpAsksForTheDatabasePasswordOfAProtectedFile) {
  const std::string protected_file = dir_.File("protected.mdb");
  engine_->CreateDatabase(protected_file, "1033;pwd=Sesame42")->Close();
  db_->SetDatabaseFile(protected_file);
  ScriptedGui gui;
  auto answer = [](std::optional<std::string> password) {
    return [password](QDialog& dialog) {
      if (!password) return PressCancel(dialog);
      dialog.findChild<QLineEdit*>("EditPassword")->setText(QString::fromStdString(*password));
      Child<QPushButton>(dialog, "BtnOk")->click();
      return dialog.result();
    };
  };
  gui.ExpectModal(answer(std::nullopt)).Caption("Database Password");
  EXPECT_THROW(Editor(), EDAOError);
  EXPECT_FALSE(db_->Connected());

  gui.ExpectModal(answer("Sesame42")).Caption("Database Password");
  {
    auto editor = Editor();
    EXPECT_TRUE(db_->Connected());
    EXPECT_GT(Tables(*editor)->count(), 0);
  }
  EXPECT_FALSE(db_->Connected());
  gui.Verify();
}

TEST_F(DBEditTest, WithoutADatabaseOrInAnODBCWorkspaceNothingIsListed) {
  ScriptedGui gui;
  TDBEditDlg none;
  none.SetDataBase(nullptr);
  EXPECT_EQ(none.windowTitle(), "Database: Undefined");
  EXPECT_EQ(Tables(none)->count(), 0);
  EXPECT_FALSE(Child<QPushButton>(none, "BtnNewTable")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(none, "BtnNewStoredProc")->isEnabled());
  Click(none, "BtnSQL");
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{"ShowSQLQueryForm(null)"});
  ShowDBEditDlg(nullptr);  // opens nothing: no modal dialog is scripted

  TDAOWorkspace odbc;
  odbc.SetName("OdbcSpace");
  odbc.SetWorkspaceType(wtUseODBC);
  db_->SetDAOWorkspace(&odbc);
  gui.ExpectMessageBox(IDOK)
      .Text("The Database Design Dialog can only be used for Databases opened in a Workspace of Type wtUseJet.")
      .Caption("Warning")
      .Flags(MB_OK | MB_ICONEXCLAMATION);
  {
    TDBEditDlg editor;
    editor.SetDataBase(db_.get());
    EXPECT_FALSE(db_->Connected());
    EXPECT_EQ(Child<QListWidget>(editor, "ListBoxContainer")->count(), 0);
    EXPECT_EQ(Tables(editor)->count(), 0);
  }
  db_->SetDAOWorkspace(nullptr);
  gui.Verify();
}

TEST_F(DBEditTest, NewTableSkipsTakenNamesAndOpensTheDesignerOnItsIDField) {
  Sql({"CREATE TABLE newtable1 (A LONG)"});
  ScriptedGui gui;
  auto editor = Editor();
  gui.ExpectInputBox(std::nullopt)
      .Caption("Enter the Name for the new Table")
      .Text("Tablename:")
      .Check("proposal NewTable2", [](const GuiCall& call) { return call.initial == "NewTable2"; });
  Click(*editor, "BtnNewTable");
  EXPECT_EQ(UserTables(*editor), "newtable1");
  EXPECT_EQ(TableDesigner(), nullptr);

  gui.ExpectInputBox("Parts");
  Click(*editor, "BtnNewTable");
  gui.Verify();
  EXPECT_EQ(UserTables(*editor), "newtable1 [Parts]");
  auto fields = db_->FindTableDef("Parts")->Fields();
  ASSERT_EQ(fields->Count(), 1);
  EXPECT_EQ(fields->Item(0)->Name(), "ID");
  EXPECT_EQ(fields->Item(0)->Type(), 4);
  EXPECT_NE(fields->Item(0)->Attributes() & 0x10, 0);
  ASSERT_NE(TableDesigner(), nullptr);
  EXPECT_EQ(TableDesigner()->TableDef()->Name(), "Parts");
  EXPECT_EQ(TableDesigner()->windowTitle(), "Table: Parts");
  EXPECT_TRUE(TableDesigner()->isVisible());

  // A name in use (any case) reaches the error box; nothing is appended, the list stays.
  gui.ExpectInputBox("PARTS");
  gui.ExpectMessageBox(IDOK).TextContains("PARTS");
  Click(*editor, "BtnNewTable");
  gui.ExpectInputBox("");  // no name at all
  gui.ExpectMessageBox(IDOK);
  Click(*editor, "BtnNewTable");
  gui.Verify();
  EXPECT_EQ(UserTables(*editor), "newtable1 [Parts]");
}

TEST_F(DBEditTest, DeleteAndRenameKeepTheSelectionRules) {
  Sql({"CREATE TABLE ZA (A LONG)", "CREATE TABLE ZB (A LONG)", "CREATE TABLE ZC (A LONG)"});
  ScriptedGui gui;
  auto editor = Editor();
  QListWidget* tables = Tables(*editor);
  tables->setCurrentRow(tables->count() - 1);
  Click(*editor, "BtnDeleteTable");
  EXPECT_EQ(UserTables(*editor), "ZA [ZB]") << "the entry before the deleted last one";
  EXPECT_FALSE(db_->TableDefs()->Count() == tables->count() + 1);

  // Rename changes only the entry's text, at its place, though the engine sorts by name.
  gui.ExpectInputBox("AAA")
      .Caption("Rename Table: ZB")
      .Text("New Table Name:")
      .Check("current name", [](const GuiCall& call) { return call.initial == "ZB"; });
  Click(*editor, "BtnRenameTable");
  EXPECT_EQ(UserTables(*editor), "ZA [AAA]");
  EXPECT_NE(db_->FindTableDef("AAA"), nullptr);

  // The renamed entry is still the one acted on (the engine now lists it elsewhere); a refused
  // rename leaves it as it was.
  gui.ExpectInputBox("ZA").Caption("Rename Table: AAA");
  gui.ExpectMessageBox(IDOK).TextContains("ZA");
  Click(*editor, "BtnRenameTable");
  EXPECT_EQ(UserTables(*editor), "ZA [AAA]");
  gui.ExpectInputBox(std::nullopt);
  Click(*editor, "BtnRenameTable");

  // System tables are the engine's: deleting one is refused and shown.
  tables->setCurrentRow(0);
  gui.ExpectMessageBox(IDOK);
  Click(*editor, "BtnDeleteTable");
  gui.Verify();
}

// The attribute boxes follow the selection made by keys and the mouse, and cannot be changed.
TEST_F(DBEditTest, AttributeBoxesFollowKeysAndMouseAndResistChanges) {
  Sql({"CREATE TABLE Visible (A LONG)", "CREATE TABLE ZHidden (A LONG)"});
  db_->FindTableDef("ZHidden")->SetAttributes(1);
  ScriptedGui gui;
  auto editor = Editor();
  QListWidget* tables = Tables(*editor);
  const int last = tables->count() - 1;
  ASSERT_EQ(tables->item(last)->text(), "ZHidden");

  tables->setFocus();
  tables->setCurrentRow(last - 1);
  QTest::keyClick(tables, Qt::Key_Down);  // press and release
  EXPECT_EQ(SelectedPosition(*tables), last);
  EXPECT_EQ(Attributes(*editor), "000100");

  QTest::mousePress(tables->viewport(), Qt::RightButton, {}, EntryCenter(*tables, 0));
  EXPECT_EQ(SelectedPosition(*tables), 0) << "the pressed entry is the one the menu acts on";
  EXPECT_EQ(Attributes(*editor), "001000");
  QTest::mouseRelease(tables->viewport(), Qt::RightButton, {}, EntryCenter(*tables, 0));

  QCheckBox* system = Child<QCheckBox>(*editor, "CheckBoxSystemTable");
  EXPECT_FALSE(system->isEnabled());
  system->setChecked(false);
  EXPECT_TRUE(system->isChecked()) << "the box shows the engine's attributes again";
  Child<QCheckBox>(*editor, "CheckBoxHiddenTable")->setChecked(true);
  EXPECT_EQ(Attributes(*editor), "001000");
  gui.Verify();
}

// Menu entries and double-clicks run the buttons' actions; the other windows get their calls.
TEST_F(DBEditTest, MenusDoubleClicksAndToolWindowCalls) {
  Sql({"CREATE TABLE Alpha (A LONG)", "CREATE TABLE Beta (B LONG)", "CREATE TABLE Gamma (C LONG)"});
  db_->DatabaseObject()->CreateQueryDef("Q1", "SELECT * FROM Alpha");
  ScriptedGui gui;
  auto editor = Editor();
  QListWidget* tables = Tables(*editor);
  SelectEntryWithText(*tables, "Beta");

  Trigger(*editor, "MenuTableData");
  Click(*editor, "BtnDataTable");
  Click(*editor, "BtnSQL");
  EXPECT_EQ(TakeToolCalls(),
            (std::vector<std::string>{"ShowDataViewer(DAODataBase1, Beta)", "ShowDataViewer(DAODataBase1, Beta)",
                                      "ShowSQLQueryForm(DAODataBase1)"}));

  const int alpha = static_cast<int>(tables->row(tables->findItems("Alpha", Qt::MatchExactly)[0]));
  DoubleClick(*tables, alpha);
  ASSERT_NE(TableDesigner(), nullptr);
  EXPECT_EQ(TableDesigner()->TableDef()->Name(), "Alpha");
  Trigger(*editor, "MenuTableDesign");
  EXPECT_EQ(TableDesigner()->TableDef()->Name(), "Alpha");
  EXPECT_EQ(SingleToolWindowCount(), 2) << "the SQL query window and one designer, reused";

  gui.ExpectInputBox("Delta");
  Trigger(*editor, "MenuTableRename");
  EXPECT_EQ(tables->item(alpha)->text(), "Delta");
  SelectEntryWithText(*tables, "Gamma");
  Trigger(*editor, "MenuTableDelete");
  EXPECT_EQ(ListState(*tables).substr(0, 23), "Beta Delta [MSysDbInfo]");

  // Stored procedures: double-click, menu entries.
  QListWidget* procs = Procs(*editor);
  ASSERT_EQ(ListState(*procs), "[Q1]");
  DoubleClick(*procs, 0);
  Trigger(*editor, "MenuStoredProcData");
  EXPECT_EQ(TakeToolCalls(),
            (std::vector<std::string>{"ShowStoredProcDesigner(DAODataBase1, Q1)", "ShowDataViewer(DAODataBase1, Q1)"}));
  gui.ExpectInputBox("Q2").Caption("Rename Stored Procedure: Q1").Text("New Stored Procedure Name:");
  Trigger(*editor, "MenuStoredProcRename");
  EXPECT_EQ(ListState(*procs), "[Q2]");
  Trigger(*editor, "MenuStoredProcDelete");
  EXPECT_EQ(ListState(*procs), "");
  EXPECT_EQ(db_->QueryDefs()->Count(), 0);
  EXPECT_FALSE(Child<QAction>(*editor, "MenuStoredProcDelete")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(*editor, "BtnRenameStoredProc")->isEnabled());
  gui.Verify();
}

TEST_F(DBEditTest, NewStoredProcedureHasNoSQLAndOpensItsDesigner) {
  ScriptedGui gui;
  auto editor = Editor();
  gui.ExpectInputBox("NewStoredProc1")
      .Caption("Enter the Name for the new Stored Procedure")
      .Text("Stored Procedure Name:")
      .Check("proposal", [](const GuiCall& call) { return call.initial == "NewStoredProc1"; });
  Click(*editor, "BtnNewStoredProc");
  gui.ExpectInputBox("Other").Check("next proposal",
                                    [](const GuiCall& call) { return call.initial == "NewStoredProc2"; });
  Click(*editor, "BtnNewStoredProc");
  gui.Verify();
  EXPECT_EQ(ListState(*Procs(*editor)), "NewStoredProc1 [Other]");
  EXPECT_EQ(db_->FindQueryDef("NewStoredProc1")->SQL(), "");
  EXPECT_EQ(TakeToolCalls(), (std::vector<std::string>{"ShowStoredProcDesigner(DAODataBase1, NewStoredProc1)",
                                                       "ShowStoredProcDesigner(DAODataBase1, Other)"}));
  EXPECT_TRUE(Child<QPushButton>(*editor, "BtnDeleteStoredProc")->isEnabled());
}

// The main window's "&Database Tools" opens the editor modally on its database; "Close" ends it
// and the designer opened from it goes with it.
TEST_F(DBEditTest, MainWindowOpensTheEditorAndClosingReleasesTheToolWindows) {
  Sql({"CREATE TABLE Stock (A LONG)"});
  db_->Close();
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::optional<std::string> saved_config = config ? std::optional<std::string>(config) : std::nullopt;
  setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);  // no kept settings of anyone
  db_.reset();
  engine_.reset();  // the main window brings the program's one engine component
  TEST_ResetDAOState();
  ScriptedGui gui;
  TForm1 form;
  form.DAOEngine1()->SetActive(false);
  form.DAOEngine1()->SetSystemDB(workgroup_);
  form.DAOEngine1()->SetActive(true);
  form.DAODataBase1()->SetDatabaseFile(file_);
  form.DAODataBase1()->SetConnected(true);
  bool closed = false;
  gui.ExpectModal([&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), "TDBEditDlg");
    EXPECT_EQ(dialog.windowTitle(), "Database: DAODataBase1");
    SelectEntryWithText(*Child<QListWidget>(dialog, "ListBoxTableDefs"), "Stock");
    Child<QPushButton>(dialog, "BtnDesignTable")->click();
    EXPECT_NE(TableDesigner(), nullptr);
    EXPECT_EQ(TableDesigner()->parentWidget(), &dialog) << "a window outside the modal one takes no input";
    Child<QPushButton>(dialog, "BtnClose")->click();
    EXPECT_TRUE(dialog.isVisible()) << "the close request is posted";
    RunPostedEvents();
    closed = !dialog.isVisible();
    return dialog.result();
  });
  form.findChild<QPushButton*>("Button4")->click();
  gui.Verify();
  EXPECT_TRUE(closed);
  EXPECT_EQ(TableDesigner(), nullptr) << "released with the editor";
  EXPECT_EQ(SingleToolWindowCount(), 0);
  EXPECT_TRUE(form.DAODataBase1()->Connected()) << "it was connected before";
  if (saved_config) {
    setenv("XDG_CONFIG_HOME", saved_config->c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

TEST_F(DBEditTest, ScreenshotsOfTheThreePages) {
  Sql({"CREATE TABLE Customers (A LONG)", "CREATE TABLE Orders (A LONG)"});
  db_->DatabaseObject()->CreateQueryDef("Big Orders", "SELECT * FROM Orders");
  ScriptedGui gui;
  auto editor = Editor();
  auto* pages = Child<QTabWidget>(*editor, "PageControl1");
  const char* names[] = {"dbedit-containers", "dbedit-tables", "dbedit-storedprocs"};
  for (int page = 0; page < 3; ++page) {
    pages->setCurrentIndex(page);
    EXPECT_TRUE(SaveScreenshot(*editor, names[page])) << names[page];
  }
}

}  // namespace
}  // namespace qb::test
