// Tests of the table designer on real database files: the field list's order, the display and
// enabled states of each field type, the immediate changes (leaving edits, "&Apply", the
// check boxes), adding, deleting and dragging fields with real mouse events, the index page,
// engine errors reaching the error box while the lists keep what they showed, and set-up.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "app/catalog_window_support.h"
#include "app/tabledesign/table_design_form.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/widgets/list_box_rules.h"
#include "framework/gui/message_box.h"
#include "jet/dao/database.h"
#include "jet/recordset/recordset.h"
#include "jet/dao/tabledef.h"

namespace qb::test {
namespace {

class TableDesignTest : public CatalogWindowTest {
 protected:
  TTableDesignForm& Designer(const std::string& table) {
    ShowTableDesigner(db_.get(), db_->FindTableDef(table));
    EXPECT_NE(TableDesigner(), nullptr);
    QApplication::setActiveWindow(TableDesigner());  // focus changes need an active window
    return *TableDesigner();
  }
  static QListWidget* Fields(const TTableDesignForm& designer) { return Child<QListWidget>(designer, "ListBoxFields"); }
  static QListWidget* Indexes(const TTableDesignForm& designer) {
    return Child<QListWidget>(designer, "ListBoxIndexes");
  }
  static QPoint EntryCenter(QListWidget& list, int row) { return list.visualItemRect(list.item(row)).center(); }
  static void Press(QListWidget& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, EntryCenter(list, row));
  }
  // Drags entry FROM of LIST with the mouse and lets it go at POINT.
  static void Drag(QListWidget& list, int from, QPoint point) {
    const QPoint start = EntryCenter(list, from);
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(list.viewport(), start + QPoint(0, 3));
    QTest::mouseMove(list.viewport(), (start + point) / 2);
    QTest::mouseMove(list.viewport(), point);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, point);
  }
  // Moves the keyboard focus away from the field and index edits, as a click elsewhere does.
  static void Leave(TTableDesignForm& designer) {
    Child<QListWidget>(designer, "ListBoxIndexFields")->setFocus(Qt::MouseFocusReason);
  }
  // "name:ordinal" of the stored table's fields in the engine's order.
  std::string StoredFields(const std::string& table) {
    std::string text;
    auto fields = db_->FindTableDef(table)->Fields();
    for (int i = 0; i < fields->Count(); ++i) {
      text += (i ? " " : "") + fields->Item(i)->Name() + ":" + std::to_string(fields->Item(i)->OrdinalPosition());
    }
    return text;
  }
};

TEST_F(TableDesignTest, FieldsAreListedByOrdinalPositionTiesByNameInAnyCase) {
  Sql({"CREATE TABLE T (C TEXT(10), a LONG, B MEMO)"});
  auto fields = db_->FindTableDef("T")->Fields();
  fields->Item("C")->SetOrdinalPosition(5);
  fields->Item("a")->SetOrdinalPosition(1);
  fields->Item("B")->SetOrdinalPosition(1);
  ScriptedGui gui;
  TTableDesignForm& designer = Designer("T");
  EXPECT_EQ(designer.windowTitle(), "Table: T");
  EXPECT_EQ(designer.size(), QSize(400, 450));
  EXPECT_EQ(designer.minimumSize(), QSize(200, 220));
  EXPECT_EQ(ListState(*Fields(designer)), "[a] B C");
  EXPECT_EQ(Child<QLineEdit>(designer, "EditFieldName")->text(), "a");

  // A key released in the list shows the field it moved to.
  Fields(designer)->setFocus();
  QTest::keyClick(Fields(designer), Qt::Key_Down);
  EXPECT_EQ(Child<QLineEdit>(designer, "EditFieldName")->text(), "B");
  EXPECT_EQ(Child<QComboBox>(designer, "ComboBoxFieldType")->currentText(), "Memo");
  gui.Verify();
}

// Each type's display: the shown type entry and which property controls the user may change.
TEST_F(TableDesignTest, EachFieldTypeShowsItsEntryAndEnablesItsControls) {
  Sql(
      {"CREATE TABLE T (Txt TEXT(20) DEFAULT 'x', M MEMO, Bin LONGBINARY, G GUID, N LONG, D DATETIME, "
       "F BIT, Cur CURRENCY, Raw BINARY(8))"});
  struct Case {
    const char* field;
    const char* shown;
    bool size_and_zero_length;
    bool default_value;
  };
  const Case cases[] = {
      {"Txt", "String", true, true},        {"M", "Memo", false, false},
      {"Bin", "Binary Data", false, false}, {"G", "Globally Unique Identifier (GUID)", false, false},
      {"N", "32 Bit Integer", false, true}, {"D", "Date & Time", false, true},
      {"F", "Boolean", false, true},        {"Cur", "Currency", false, true},
      {"Raw", "Binary Data", false, false},
  };
  ScriptedGui gui;
  TTableDesignForm& designer = Designer("T");
  QListWidget* list = Fields(designer);
  for (const Case& c : cases) {
    const auto found = list->findItems(c.field, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << c.field;
    Press(*list, list->row(found[0]));
    auto* type = Child<QComboBox>(designer, "ComboBoxFieldType");
    EXPECT_EQ(Child<QLineEdit>(designer, "EditFieldName")->text(), c.field);
    EXPECT_EQ(type->currentText(), c.shown) << c.field;
    EXPECT_FALSE(type->isEnabled()) << "the type of an existing field stays";
    EXPECT_EQ(Child<QSpinBox>(designer, "SpinEditFieldSize")->isEnabled(), c.size_and_zero_length) << c.field;
    EXPECT_EQ(Child<QCheckBox>(designer, "CheckBoxAllowZeroLength")->isEnabled(), c.size_and_zero_length) << c.field;
    EXPECT_EQ(Child<QLineEdit>(designer, "EditDefaultValue")->isEnabled(), c.default_value) << c.field;
    EXPECT_TRUE(Child<QCheckBox>(designer, "CheckBoxRequired")->isEnabled());
    for (const char* shown_only : {"CheckBoxAutoIncrement", "CheckBoxSystemField", "CheckBoxFixedFieldSize",
                                   "CheckBoxHyperlinks", "CheckBoxUpdatable", "CheckBoxVariableSize"}) {
      EXPECT_FALSE(Child<QCheckBox>(designer, shown_only)->isEnabled()) << shown_only;
    }
  }
  Press(*list, list->row(list->findItems("Txt", Qt::MatchExactly)[0]));
  EXPECT_EQ(Child<QSpinBox>(designer, "SpinEditFieldSize")->value(), 20);
  EXPECT_EQ(Child<QLineEdit>(designer, "EditDefaultValue")->text(), "'x'");
  gui.Verify();
}

// Leaving "Name:", "Size:" and "Default Value:" changes the field at once; "&Apply" commits the
// focused control; refused changes reach the error box and the list keeps its entries.
TEST_F(TableDesignTest, LeavingEditsAndApplyChangeTheFieldAtOnce) {
  Sql({"CREATE TABLE T (Name TEXT(20), Qty LONG)", "INSERT INTO T VALUES ('Longer text', 1)"});
  ScriptedGui gui;
  TTableDesignForm& designer = Designer("T");
  auto* name = Child<QLineEdit>(designer, "EditFieldName");
  auto* size = Child<QSpinBox>(designer, "SpinEditFieldSize");
  auto* default_value = Child<QLineEdit>(designer, "EditDefaultValue");

  name->setFocus();
  name->setText("Title");
  Leave(designer);
  EXPECT_EQ(ListState(*Fields(designer)), "[Title] Qty");
  EXPECT_EQ(StoredFields("T"), "Title:0 Qty:1");

  default_value->setFocus();
  default_value->setText("'none'");
  Child<QPushButton>(designer, "BtnApply")->click();
  EXPECT_EQ(db_->FindTableDef("T")->Fields()->Item("Title")->DefaultValue().ToString(), "'none'");

  size->setFocus();
  size->setValue(40);
  Child<QPushButton>(designer, "BtnApply")->click();
  EXPECT_EQ(db_->FindTableDef("T")->Fields()->Item("Title")->Size(), 40);

  // A size the stored text does not fit is refused and shown.
  size->setValue(5);
  gui.ExpectMessageBox(IDOK);
  Leave(designer);
  gui.Verify();
  EXPECT_EQ(db_->FindTableDef("T")->Fields()->Item("Title")->Size(), 40);

  // A name in use is refused; the entry keeps its text.
  name->setFocus();
  name->setText("Qty");
  gui.ExpectMessageBox(IDOK);
  Leave(designer);
  gui.Verify();
  EXPECT_EQ(ListState(*Fields(designer)), "[Title] Qty");
  EXPECT_EQ(db_->FindTableDef("T")->Fields()->Item(0)->Name(), "Title");
}

// The engine's refusal of "Required" or "Allow Zero length" shows no message, but the box must
// then show what the engine holds, never the value it refused.
TEST_F(TableDesignTest, RefusedRequiredAndZeroLengthShowTheEngineValue) {
  Sql({"CREATE TABLE T (Name TEXT(20), Other TEXT(20))"});
  db_->FindTableDef("T")->Fields()->Item("Other")->SetAllowZeroLength(true);
  Sql({"INSERT INTO T (Name, Other) VALUES (Null, '')"});
  ScriptedGui gui;  // nothing is asked
  TTableDesignForm& designer = Designer("T");
  auto* required = Child<QCheckBox>(designer, "CheckBoxRequired");
  auto* zero_length = Child<QCheckBox>(designer, "CheckBoxAllowZeroLength");
  ASSERT_FALSE(required->isChecked());
  required->click();  // a Null is stored
  EXPECT_FALSE(required->isChecked());
  EXPECT_FALSE(db_->FindTableDef("T")->Fields()->Item("Name")->Required());

  Press(*Fields(designer), 1);
  ASSERT_TRUE(zero_length->isChecked());
  zero_length->click();  // a "" is stored
  EXPECT_TRUE(zero_length->isChecked());
  EXPECT_TRUE(db_->FindTableDef("T")->Fields()->Item("Other")->AllowZeroLength());

  required->click();  // accepted: no Null in this field
  EXPECT_TRUE(required->isChecked());
  EXPECT_TRUE(db_->FindTableDef("T")->Fields()->Item("Other")->Required());
  gui.Verify();
}

TEST_F(TableDesignTest, AddingAndDeletingFieldsRenumbersThem) {
  Sql({"CREATE TABLE T (A LONG, NewField1 TEXT(10), C LONG)", "CREATE INDEX ByC ON T (C)"});
  ScriptedGui gui;
  TTableDesignForm& designer = Designer("T");
  gui.ExpectModal([](QDialog& dialog) {
       EXPECT_EQ(dialog.windowTitle(), "Add Field to Table: T");
       EXPECT_EQ(Child<QLineEdit>(dialog, "EditFieldName")->text(), "NewField2");
       auto* type = Child<QComboBox>(dialog, "ComboBoxFieldType");
       EXPECT_EQ(type->currentText(), "String");
       EXPECT_EQ(Child<QSpinBox>(dialog, "SpinEditFieldSize")->value(), 50);
       Child<QLineEdit>(dialog, "EditFieldName")->setText("Price");
       type->setCurrentIndex(5);
       emit type->activated(5);  // "Currency"
       Child<QPushButton>(dialog, "BtnOk")->click();
       return dialog.result();
     })
      .Text("TFormNewField");
  Child<QPushButton>(designer, "BtnAddField")->click();
  gui.Verify();
  EXPECT_EQ(ListState(*Fields(designer)), "[A] NewField1 C Price");
  EXPECT_EQ(StoredFields("T"), "A:0 NewField1:1 C:2 Price:3");
  EXPECT_EQ(db_->FindTableDef("T")->Fields()->Item("Price")->Type(), 5);

  // Cancel adds nothing; a refused field is not listed.
  gui.ExpectModal([](QDialog& dialog) { return Child<QPushButton>(dialog, "BtnCancel")->click(), dialog.result(); });
  Child<QPushButton>(designer, "BtnAddField")->click();
  gui.ExpectModal([](QDialog& dialog) {
    Child<QLineEdit>(dialog, "EditFieldName")->setText("price");
    Child<QPushButton>(dialog, "BtnOk")->click();
    return dialog.result();
  });
  gui.ExpectMessageBox(IDOK);
  Child<QPushButton>(designer, "BtnAddField")->click();
  gui.Verify();
  EXPECT_EQ(ListState(*Fields(designer)), "[A] NewField1 C Price");

  // Deleting the middle field renumbers; a field an index uses is refused and stays listed.
  Press(*Fields(designer), 1);
  Child<QPushButton>(designer, "BtnDeleteField")->click();
  EXPECT_EQ(ListState(*Fields(designer)), "A [C] Price");
  EXPECT_EQ(StoredFields("T"), "A:0 C:1 Price:2");
  gui.ExpectMessageBox(IDOK);
  Child<QPushButton>(designer, "BtnDeleteField")->click();
  gui.Verify();
  EXPECT_EQ(ListState(*Fields(designer)), "A [C] Price");
}

TEST_F(TableDesignTest, DraggingAFieldMovesItAndRenumbers) {
  Sql({"CREATE TABLE T (A LONG, B LONG, C LONG)"});
  ScriptedGui gui;
  TTableDesignForm& designer = Designer("T");
  QListWidget* list = Fields(designer);
  Drag(*list, 0, EntryCenter(*list, 2));
  EXPECT_EQ(ListState(*list), "B C [A]");
  EXPECT_EQ(StoredFields("T"), "B:0 C:1 A:2");

  // Onto its own entry, or below the last one: nothing changes.
  Drag(*list, 1, EntryCenter(*list, 1) + QPoint(0, 2));
  EXPECT_EQ(ListState(*list), "B [C] A");
  Drag(*list, 0, EntryCenter(*list, 2) + QPoint(0, 60));
  EXPECT_EQ(ListState(*list), "[B] C A");
  EXPECT_EQ(StoredFields("T"), "B:0 C:1 A:2");
  gui.Verify();
}

TEST_F(TableDesignTest, IndexPageShowsRenamesAddsAndDeletesIndexes) {
  Sql({"CREATE TABLE T (A LONG, B TEXT(10), M MEMO)", "INSERT INTO T VALUES (1, 'x', 'm')",
       "INSERT INTO T VALUES (2, 'x', 'm')", "CREATE UNIQUE INDEX ByAB ON T (A, B DESC)"});
  ScriptedGui gui;
  TTableDesignForm& designer = Designer("T");
  Child<QTabWidget>(designer, "PageControl1")->setCurrentIndex(1);
  EXPECT_EQ(ListState(*Indexes(designer)), "[ByAB]");
  EXPECT_EQ(ListState(*Child<QListWidget>(designer, "ListBoxIndexFields")), "A -B");
  EXPECT_EQ(Child<QLabel>(designer, "LabelDistinctValues")->text(), "2 ");
  EXPECT_FALSE(Child<QCheckBox>(designer, "CheckBoxAllowDuplicates")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(designer, "CheckBoxPrimaryKey")->isEnabled());

  auto* name = Child<QLineEdit>(designer, "EditIndexName");
  name->setFocus();
  name->setText("Pair");
  Leave(designer);
  EXPECT_EQ(ListState(*Indexes(designer)), "[Pair]");
  EXPECT_EQ(db_->FindTableDef("T")->Indexes()->Item(0)->Name(), "Pair");

  // The dialog offers the indexable fields; B checked, then A dragged below B and checked.
  gui.ExpectModal([](QDialog& dialog) {
       EXPECT_EQ(dialog.windowTitle(), "New Index for Table: T");
       EXPECT_EQ(dialog.size(), QSize(331, 280));
       auto* name = Child<QLineEdit>(dialog, "EditName");
       auto* fields = Child<QListWidget>(dialog, "FieldList");
       EXPECT_EQ(name->text(), "NewIndex1");
       EXPECT_EQ(ListState(*fields), "A B") << "no Memo field";
       EXPECT_TRUE(Child<QCheckBox>(dialog, "CheckBoxAllowDuplicates")->isChecked());
       EXPECT_TRUE(Child<QCheckBox>(dialog, "CheckBoxIgnoreNulls")->isChecked());
       fields->item(1)->setCheckState(Qt::Checked);
       EXPECT_EQ(name->text(), "B");
       Drag(*fields, 0, EntryCenter(*fields, 1));
       EXPECT_EQ(ListState(*fields), "B [A]");
       fields->item(1)->setCheckState(Qt::Checked);
       EXPECT_EQ(name->text(), "B_A");
       Child<QPushButton>(dialog, "BtnOk")->click();
       return dialog.result();
     })
      .Text("TFormNewIndex");
  Child<QPushButton>(designer, "BtnAddIndex")->click();
  gui.Verify();
  EXPECT_EQ(ListState(*Indexes(designer)), "[Pair] B_A") << "the selection keeps its position";
  auto index = db_->FindTableDef("T")->Indexes()->Item("B_A");
  EXPECT_EQ(index->Fields(), "+B;+A");
  EXPECT_FALSE(index->Unique());
  EXPECT_TRUE(index->IgnoreNulls());

  Indexes(designer)->setFocus();
  QTest::keyClick(Indexes(designer), Qt::Key_Down);
  EXPECT_EQ(ListState(*Child<QListWidget>(designer, "ListBoxIndexFields")), "B A");
  EXPECT_EQ(Child<QLineEdit>(designer, "EditIndexName")->text(), "B_A");
  Child<QPushButton>(designer, "BtnDeleteIndex")->click();
  EXPECT_EQ(ListState(*Indexes(designer)), "[Pair]");
  Child<QPushButton>(designer, "BtnDeleteIndex")->click();
  EXPECT_EQ(ListState(*Indexes(designer)), "");
  EXPECT_FALSE(Child<QPushButton>(designer, "BtnDeleteIndex")->isEnabled());
  EXPECT_FALSE(Child<QLineEdit>(designer, "EditIndexName")->isEnabled());
  EXPECT_EQ(Child<QLabel>(designer, "LabelDistinctValues")->text(), "");
}

// The same table and database refresh nothing; another object of the table does; "Data" and
// "&Close" do their part.
TEST_F(TableDesignTest, SetUpDataAndClose) {
  Sql({"CREATE TABLE T (A LONG)"});
  ScriptedGui gui;
  auto table = db_->FindTableDef("T");
  ShowTableDesigner(db_.get(), table);
  TTableDesignForm* designer = TableDesigner();
  db_->FindTableDef("T")->Fields()->Append(std::make_shared<jet::Field>("B", 4));
  ShowTableDesigner(db_.get(), table);
  EXPECT_EQ(TableDesigner(), designer);
  EXPECT_EQ(ListState(*Fields(*designer)), "[A]");
  ShowTableDesigner(db_.get(), db_->FindTableDef("T"));
  EXPECT_EQ(ListState(*Fields(*designer)), "[A] B");

  Child<QPushButton>(*designer, "BtnData")->click();
  EXPECT_EQ(TakeToolCalls(), std::vector<std::string>{"ShowDataViewer(DAODataBase1, T)"});
  Child<QPushButton>(*designer, "BtnClose")->click();
  RunPostedEvents();
  EXPECT_EQ(TableDesigner(), nullptr);
  EXPECT_EQ(SingleToolWindowCount(), 0);

  // Without a table nothing can be done.
  ShowTableDesigner(nullptr, nullptr);
  EXPECT_EQ(TableDesigner()->windowTitle(), "Table: Undefined");
  EXPECT_FALSE(Child<QPushButton>(*TableDesigner(), "BtnAddField")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(*TableDesigner(), "BtnData")->isEnabled());
  gui.Verify();
}

TEST_F(TableDesignTest, ScreenshotsOfBothPages) {
  Sql({"CREATE TABLE Orders (OrderID COUNTER, Customer TEXT(40), Amount CURRENCY, Ordered DATETIME, Notes MEMO)",
       "CREATE UNIQUE INDEX ByCustomer ON Orders (Customer, Ordered DESC)"});
  ScriptedGui gui;
  TTableDesignForm& designer = Designer("Orders");
  Press(*Fields(designer), 1);
  EXPECT_TRUE(SaveScreenshot(designer, "tabledesign-fields"));
  Child<QTabWidget>(designer, "PageControl1")->setCurrentIndex(1);
  EXPECT_TRUE(SaveScreenshot(designer, "tabledesign-indexes"));
}

}  // namespace
}  // namespace qb::test
