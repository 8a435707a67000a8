// Tests of the stored procedure designer on real database files: set-up and captions, the
// enabled states, Apply and "&Ok" writing the statement and the maximum to the file (a refused
// statement keeping the window open and the stored text unchanged), the spin edit written on
// leaving, Cancel, the font, the windows it opens, and opening it from the database editor.
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "app/architecture/db_architecture_form.h"
#include "app/catalog_window_support.h"
#include "app/dbedit/db_edit_dlg.h"
#include "app/storedproc/stored_proc_design_form.h"
#include "app/toolwindows/single_tool_windows.h"
#include "framework/gui/message_box.h"
#include "jet/dao/querydef.h"
#include "jet/query/query_rows.h"

namespace qb::test {
namespace {

class StoredProcDesignerTest : public CatalogWindowTest {
 protected:
  void SetUp() override {
    CatalogWindowTest::SetUp();
    Sql({"CREATE TABLE People (ID LONG, Name TEXT(20))", "INSERT INTO People VALUES (1, 'Ann')",
         "INSERT INTO People VALUES (2, 'Bob')", "INSERT INTO People VALUES (3, 'Cy')"});
    db_->QueryDefs()->Append(std::make_shared<jet::QueryDef>("AllPeople", "SELECT * FROM People"));
  }
  TStoredProcDesignForm& Designer(const std::string& query) {
    ShowStoredProcDesigner(db_.get(), query.empty() ? nullptr : db_->FindQueryDef(query));
    EXPECT_NE(StoredProcDesigner(), nullptr);
    QApplication::setActiveWindow(StoredProcDesigner());  // focus changes need an active window
    TakeToolCalls();
    return *StoredProcDesigner();
  }
  static QPlainTextEdit* Memo(QWidget& designer) { return Child<QPlainTextEdit>(designer, "MemoSQL"); }
  static QSpinBox* Spin(QWidget& designer) { return Child<QSpinBox>(designer, "SpinEditMaxRecords"); }
  static void Click(QWidget& window, const char* button) {
    QTest::mouseClick(Child<QAbstractButton>(window, button), Qt::LeftButton);
  }
  // The saved query NAME as the file holds it now, read through a fresh connection.
  std::pair<std::string, int> Stored(const std::string& name) {
    TDAODataBase other;
    other.SetDatabaseFile(file_);
    other.Open();
    auto query = other.FindQueryDef(name);
    return {query->SQL(), query->MaxRecords()};
  }
  static void TypeIntoSpin(QSpinBox& spin, const QString& text) {
    spin.setFocus(Qt::MouseFocusReason);
    spin.selectAll();
    QTest::keyClicks(&spin, text);
  }
};

TEST_F(StoredProcDesignerTest, SetUpShowsTheQueryAndTheCaptionsAndStates) {
  ScriptedGui gui;
  TStoredProcDesignForm& designer = Designer("AllPeople");
  EXPECT_EQ(designer.windowTitle(), "Stored Procedure: AllPeople");
  EXPECT_EQ(designer.size(), QSize(400, 340));
  EXPECT_EQ(designer.minimumSize(), QSize(200, 180));
  EXPECT_EQ(Memo(designer)->toPlainText(), "SELECT * FROM People");
  EXPECT_EQ(Spin(designer)->value(), 0);
  EXPECT_EQ(Child<QToolButton>(designer, "BtnApply")->toolTip(), "Assign the Statement to the stored Procedure");
  for (const char* button : {"BtnApply", "BtnData", "BtnDBArchitecture"}) {
    EXPECT_TRUE(Child<QWidget>(designer, button)->isEnabled()) << button;
  }

  // Without a query the text stays, the caption keeps its old spelling, and only the
  // architecture can still be shown; without a database nothing of the three.
  designer.SetUp(db_.get(), nullptr);
  EXPECT_EQ(designer.windowTitle(), "Stroed Procedure: Undefined");
  EXPECT_EQ(Memo(designer)->toPlainText(), "SELECT * FROM People");
  EXPECT_FALSE(Child<QWidget>(designer, "BtnApply")->isEnabled());
  EXPECT_FALSE(Child<QWidget>(designer, "BtnData")->isEnabled());
  EXPECT_TRUE(Child<QWidget>(designer, "BtnDBArchitecture")->isEnabled());
  designer.SetUp(nullptr, db_->FindQueryDef("AllPeople"));
  for (const char* button : {"BtnApply", "BtnData", "BtnDBArchitecture"}) {
    EXPECT_FALSE(Child<QWidget>(designer, button)->isEnabled()) << button;
  }

  // One designer: handing it another query shows that one in the same window.
  db_->QueryDefs()->Append(std::make_shared<jet::QueryDef>("Few", "SELECT ID FROM People"));
  TStoredProcDesignForm& again = Designer("Few");
  EXPECT_EQ(&again, &designer);
  EXPECT_EQ(again.windowTitle(), "Stored Procedure: Few");
  EXPECT_EQ(SingleToolWindowCount(), 1);
  gui.Verify();
}

TEST_F(StoredProcDesignerTest, ApplyWritesStatementAndMaximumAndZeroMeansAll) {
  ScriptedGui gui;
  TStoredProcDesignForm& designer = Designer("AllPeople");
  Memo(designer)->setFocus();
  QTest::keyClick(Memo(designer), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(Memo(designer), " WHERE ID > 1");
  Spin(designer)->setValue(1);
  Click(designer, "BtnApply");
  EXPECT_EQ(Stored("AllPeople"), std::make_pair(std::string("SELECT * FROM People WHERE ID > 1"), 1));
  EXPECT_EQ(db_->FindQueryDef("AllPeople")->ReadRows().rows.size(), 1u);

  Spin(designer)->setValue(0);
  Click(designer, "BtnApply");
  EXPECT_EQ(Stored("AllPeople").second, 0);
  EXPECT_EQ(db_->FindQueryDef("AllPeople")->ReadRows().rows.size(), 2u) << "0 returns all records";
  EXPECT_TRUE(designer.isVisible()) << "Apply keeps the window";
  gui.Verify();
}

TEST_F(StoredProcDesignerTest, OkWithARefusedStatementShowsTheErrorAndStaysOpen) {
  ScriptedGui gui;
  gui.ExpectMessageBox(IDOK);  // the engine's syntax error
  QPointer<TStoredProcDesignForm> designer = &Designer("AllPeople");
  Memo(*designer)->setPlainText("SELEC * FROM People");
  Spin(*designer)->setValue(2);
  Click(*designer, "BtnOk");
  RunPostedEvents();
  ASSERT_FALSE(designer.isNull());
  EXPECT_TRUE(designer->isVisible());
  EXPECT_EQ(Memo(*designer)->toPlainText(), "SELEC * FROM People") << "the text stays to be corrected";
  EXPECT_EQ(Stored("AllPeople"), std::make_pair(std::string("SELECT * FROM People"), 0));

  // Corrected, "&Ok" writes both; the modeless window stays, as after Apply.
  Memo(*designer)->setPlainText("SELECT Name FROM People");
  Click(*designer, "BtnOk");
  RunPostedEvents();
  ASSERT_FALSE(designer.isNull());
  EXPECT_TRUE(designer->isVisible());
  EXPECT_EQ(Stored("AllPeople"), std::make_pair(std::string("SELECT Name FROM People"), 2));
  gui.Verify();
}

TEST_F(StoredProcDesignerTest, LeavingTheSpinEditWritesTheMaximumAndCancelKeepsIt) {
  ScriptedGui gui;
  QPointer<TStoredProcDesignForm> designer = &Designer("AllPeople");
  TypeIntoSpin(*Spin(*designer), "3");
  EXPECT_EQ(Stored("AllPeople").second, 0) << "nothing written while typing";
  Memo(*designer)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(Stored("AllPeople").second, 3);

  Memo(*designer)->setPlainText("SELECT ID FROM People");
  Click(*designer, "BtnCancel");
  RunPostedEvents();
  EXPECT_TRUE(designer.isNull()) << "a closed designer is freed";
  EXPECT_EQ(Stored("AllPeople"), std::make_pair(std::string("SELECT * FROM People"), 3));
  gui.Verify();
}

TEST_F(StoredProcDesignerTest, FontArchitectureAndDataButtons) {
  ScriptedGui gui;
  TStoredProcDesignForm& designer = Designer("AllPeople");
  QFont chosen("Monospace", 15);
  gui.ExpectFontDialog(chosen).Check("starts with the editor's font",
                                     [&](const GuiCall& call) { return call.font == Memo(designer)->font(); });
  Click(designer, "BtnFont");
  EXPECT_EQ(Memo(designer)->font().pointSize(), 15);
  gui.ExpectFontDialog(std::nullopt);
  Click(designer, "BtnFont");
  EXPECT_EQ(Memo(designer)->font().pointSize(), 15) << "a cancelled dialog changes nothing";

  Click(designer, "BtnData");
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{"ShowDataViewer(DAODataBase1, AllPeople)"});
  Click(designer, "BtnDBArchitecture");
  ASSERT_NE(DBArchitecture(), nullptr);
  EXPECT_EQ(DBArchitecture()->DataBase(), db_.get());
  EXPECT_EQ(DBArchitecture()->windowTitle(), "Database: DAODataBase1");
  gui.Verify();
}

TEST_F(StoredProcDesignerTest, DatabaseEditorOpensItAndReleasesItOnClosing) {
  ScriptedGui gui;
  QPointer<TStoredProcDesignForm> designer;
  {
    TDBEditDlg editor;
    editor.SetDataBase(db_.get());
    auto* list = Child<QListWidget>(editor, "ListBoxStoredProcs");
    list->setCurrentRow(0);
    Click(editor, "BtnDesignStoredProc");
    designer = StoredProcDesigner();
    ASSERT_FALSE(designer.isNull());
    EXPECT_EQ(designer->windowTitle(), "Stored Procedure: AllPeople");
    EXPECT_TRUE(designer->isVisible());
    TakeToolCalls();
  }
  EXPECT_TRUE(designer.isNull());
  gui.Verify();
}

TEST_F(StoredProcDesignerTest, Screenshot) {
  ScriptedGui gui;
  db_->FindQueryDef("AllPeople")->SetSQL("SELECT People.ID, People.Name\nFROM People\nWHERE People.ID > 1\nORDER BY Name;");
  TStoredProcDesignForm& designer = Designer("AllPeople");
  EXPECT_TRUE(SaveScreenshot(designer, "storedproc-designer"));
  gui.Verify();
}

}  // namespace
}  // namespace qb::test
