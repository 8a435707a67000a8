// A table designed from scratch through the editor and the designer, with rows in it from the
// start: fields of three types added, one dragged to another place, a two-field index, a field
// renamed and the middle one deleted. The engine's catalog, read back by quill, must be what
// the lists show, and the rows must keep their values.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "app/catalog_window_support.h"
#include "app/dbedit/db_edit_dlg.h"
#include "app/tabledesign/table_design_form.h"
#include "jet/dao/database.h"
#include "jet/query/query_rows.h"
#include "jet/dao/querydef.h"
#include "jet/dao/tabledef.h"

namespace qb::test {
namespace {

class TableFromScratchTest : public CatalogWindowTest {
 protected:
  // Adds field NAME of the type at list position TYPE through the new-field dialog.
  static void AddField(ScriptedGui& gui, TTableDesignForm& designer, const char* name, int type) {
    gui.ExpectModal([name, type](QDialog& dialog) {
      dialog.findChild<QLineEdit*>("EditFieldName")->setText(name);
      auto* types = dialog.findChild<QComboBox*>("ComboBoxFieldType");
      types->setCurrentIndex(type);
      emit types->activated(type);
      dialog.findChild<QPushButton*>("BtnOk")->click();
      return dialog.result();
    });
    designer.findChild<QPushButton*>("BtnAddField")->click();
  }
  static QPoint Center(QListWidget& list, int row) { return list.visualItemRect(list.item(row)).center(); }
  static void Drag(QListWidget& list, int from, int to) {
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, Center(list, from));
    QTest::mouseMove(list.viewport(), Center(list, from) + QPoint(0, 4));
    QTest::mouseMove(list.viewport(), Center(list, to));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, Center(list, to));
  }
  // The rows of STATEMENT as "a,b;c,d".
  std::string Rows(const std::string& statement) {
    auto query = db_->DatabaseObject()->CreateQueryDef("", statement);
    jet::QueryRows rows = query->ReadRows();
    std::string text;
    for (const auto& row : rows.rows) {
      if (!text.empty()) text += ";";
      for (size_t i = 0; i < row.size(); ++i) text += (i ? "," : "") + row[i].ToStringOrEmpty();
    }
    return text;
  }
  std::string QuillSchema(const std::string& table) {
    QProcess quill;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILL_TEST_FAST_HASH", "1");
    quill.setProcessEnvironment(env);
    quill.start(QString(QB_BIN_DIR) + "/quill", {"--workgroup", QString::fromStdString(workgroup_), "schema",
                                                 QString::fromStdString(file_), QString::fromStdString(table)});
    if (!quill.waitForFinished(60000)) return "quill did not finish";
    return quill.readAllStandardOutput().toStdString() + quill.readAllStandardError().toStdString();
  }
};

TEST_F(TableFromScratchTest, CatalogEndsAsTheListsShowAndRowsSurvive) {
  ScriptedGui gui;
  TDBEditDlg editor;
  editor.SetDataBase(db_.get());
  editor.show();
  gui.ExpectInputBox("Parts");
  editor.findChild<QPushButton*>("BtnNewTable")->click();
  ASSERT_NE(TableDesigner(), nullptr);
  TTableDesignForm& designer = *TableDesigner();
  QApplication::setActiveWindow(&designer);
  Sql({"INSERT INTO Parts (ID) VALUES (1)", "INSERT INTO Parts (ID) VALUES (2)"});

  AddField(gui, designer, "Name", 9);   // String
  AddField(gui, designer, "Qty", 3);    // 32 Bit Integer
  AddField(gui, designer, "Added", 8);  // Date & Time
  gui.Verify();
  Sql({"UPDATE Parts SET Name = 'bolt', Qty = 5, Added = #2024-01-02# WHERE ID = 1",
       "UPDATE Parts SET Name = 'nut', Qty = 7, Added = #2024-03-04# WHERE ID = 2"});
  auto* fields = designer.findChild<QListWidget*>("ListBoxFields");
  EXPECT_EQ(ListState(*fields), "[ID] Name Qty Added");

  Drag(*fields, 3, 1);
  EXPECT_EQ(ListState(*fields), "ID [Added] Name Qty");

  gui.ExpectModal([](QDialog& dialog) {
    auto* list = dialog.findChild<QListWidget*>("FieldList");
    EXPECT_EQ(ListState(*list), "ID Added Name Qty") << "the engine's order follows the list";
    list->item(1)->setCheckState(Qt::Checked);
    list->item(3)->setCheckState(Qt::Checked);
    dialog.findChild<QPushButton*>("BtnOk")->click();
    return dialog.result();
  });
  designer.findChild<QPushButton*>("BtnAddIndex")->click();
  gui.Verify();
  EXPECT_EQ(ListState(*designer.findChild<QListWidget*>("ListBoxIndexes")), "[Added_Qty]");

  fields->setCurrentRow(3);
  designer.ShowSelectedField();
  auto* name = designer.findChild<QLineEdit*>("EditFieldName");
  name->setFocus();
  name->setText("Quantity");
  fields->setFocus(Qt::MouseFocusReason);
  gui.Verify();
  EXPECT_EQ(ListState(*fields), "ID Added Name [Quantity]");

  fields->setCurrentRow(2);
  designer.findChild<QPushButton*>("BtnDeleteField")->click();
  gui.Verify();
  EXPECT_EQ(ListState(*fields), "ID Added [Quantity]");
  EXPECT_EQ(ListState(*designer.findChild<QListWidget*>("ListBoxIndexFields")), "Added Quantity");

  // The engine's catalog, as the engine and quill tell it.
  auto table = db_->FindTableDef("Parts");
  std::string stored;
  for (int i = 0; i < table->Fields()->Count(); ++i) {
    auto field = table->Fields()->Item(i);
    stored +=
        field->Name() + ":" + std::to_string(field->Type()) + ":" + std::to_string(field->OrdinalPosition()) + " ";
  }
  EXPECT_EQ(stored, "ID:4:0 Added:8:1 Quantity:4:2 ");
  ASSERT_EQ(table->Indexes()->Count(), 1);
  EXPECT_EQ(table->Indexes()->Item(0)->Fields(), "+Added;+Quantity");
  EXPECT_EQ(Rows("SELECT ID, Quantity, Format(Added, 'yyyy-mm-dd') FROM Parts ORDER BY ID"),
            "1,5,2024-01-02;2,7,2024-03-04");
  EXPECT_EQ(QuillSchema("Parts"),
            "CREATE TABLE [Parts] (\n  [ID] COUNTER(3, 1),\n  [Added] DATETIME,\n  [Quantity] LONG\n);\n"
            "CREATE INDEX [Added_Qty] ON [Parts] ([Added], [Quantity]) WITH IGNORE NULL;\n");
}

}  // namespace
}  // namespace qb::test
