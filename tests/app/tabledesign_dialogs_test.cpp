// Tests of the table designer's type list mappings and of its two dialogs on their own: the
// new-field dialog's type rules and AutoNumber bit, the new-index dialog's name and field text
// rules, and screenshots of both.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

#include "app/catalog_window_support.h"
#include "app/tabledesign/field_types.h"
#include "app/tabledesign/new_field_form.h"
#include "app/tabledesign/new_index_form.h"
#include "jet/dao/tabledef.h"

namespace qb::test {
namespace {

TEST(FieldTypesTest, EveryEngineTypeShowsItsEntryAndEveryEntryWritesItsType) {
  // Engine type -> shown entry ("" for none).
  const std::pair<int, const char*> shown[] = {{0, ""},
                                               {1, "Boolean"},
                                               {2, "Byte"},
                                               {3, "16 Bit Integer"},
                                               {4, "32 Bit Integer"},
                                               {5, "Currency"},
                                               {6, "Single precision Float"},
                                               {7, "Double precision Float"},
                                               {8, "Date & Time"},
                                               {9, "Binary Data"},
                                               {10, "String"},
                                               {11, "Binary Data"},
                                               {12, "Memo"},
                                               {13, ""},
                                               {14, ""},
                                               {15, "Globally Unique Identifier (GUID)"},
                                               {16, "Globally Unique Identifier (GUID)"},
                                               {17, "Binary Data"},
                                               {18, "String"},
                                               {19, "Double precision Float"},
                                               {20, "Double precision Float"},
                                               {21, "Double precision Float"},
                                               {22, "Date & Time"},
                                               {23, "Date & Time"},
                                               {24, ""},
                                               {-1, ""}};
  for (const auto& [type, name] : shown) {
    const int position = PositionOfFieldType(type);
    EXPECT_EQ(position < 0 ? std::string() : FieldTypeNames()[position].toStdString(), name) << type;
  }
  ASSERT_EQ(FieldTypeNames().size(), 12);
  const int written[] = {1, 2, 3, 4, 15, 5, 6, 7, 8, 10, 12, 11};
  for (int position = 0; position < 12; ++position) {
    EXPECT_EQ(FieldTypeOfPosition(position), written[position]) << position;
    EXPECT_EQ(PositionOfFieldType(written[position]), position) << "round trip of " << position;
  }
  EXPECT_EQ(FieldTypeOfPosition(-1), 10);
  EXPECT_EQ(FieldTypeOfPosition(12), 10);

  std::string indexable;
  for (int type = 0; type <= 24; ++type) indexable += IsIndexableFieldType(type) ? "1" : "0";
  EXPECT_EQ(indexable, "0111111110100001001111110");
}

class NewFieldFormTest : public CatalogWindowTest {};

TEST_F(NewFieldFormTest, TypeRulesSizeAndTheAutoNumberBit) {
  TFormNewField dialog;
  auto* type = Child<QComboBox>(dialog, "ComboBoxFieldType");
  auto* size = Child<QSpinBox>(dialog, "SpinEditFieldSize");
  auto* counter = Child<QCheckBox>(dialog, "CheckBoxAutoIncrement");
  EXPECT_FALSE(counter->isEnabled()) << "no type chosen yet";
  dialog.SetFieldName("NewField1");
  dialog.SetFieldType(10);
  dialog.SetFieldSize(50);
  dialog.SetAttributes(0x2);
  EXPECT_EQ(type->currentText(), "String");
  EXPECT_EQ(size->value(), 50);
  EXPECT_TRUE(size->isEnabled());
  EXPECT_FALSE(counter->isChecked());

  auto choose = [&](int position) {
    type->setCurrentIndex(position);
    emit type->activated(position);
  };
  choose(10);  // Memo
  EXPECT_EQ(size->value(), 0);
  EXPECT_FALSE(size->isEnabled());
  EXPECT_FALSE(counter->isEnabled());
  EXPECT_EQ(dialog.FieldType(), 12);

  choose(3);  // 32 Bit Integer
  EXPECT_TRUE(counter->isEnabled());
  counter->click();
  EXPECT_EQ(dialog.Attributes(), 0x12);
  choose(9);  // back to String: the box is disabled, the bit stays
  EXPECT_FALSE(counter->isEnabled());
  EXPECT_EQ(size->value(), 50);
  EXPECT_EQ(dialog.Attributes(), 0x12);
  EXPECT_EQ(dialog.FieldType(), 10);

  dialog.SetAttributes(0x10);
  EXPECT_TRUE(counter->isChecked());
  dialog.SetFieldType(16);  // BigInt is offered as the GUID entry
  EXPECT_EQ(dialog.FieldType(), 15);
  EXPECT_EQ(size->value(), 0);
  dialog.setWindowTitle("Add Field to Table: Orders");
  dialog.SetFieldType(4);
  EXPECT_TRUE(SaveScreenshot(dialog, "tabledesign-newfield"));
}

TEST_F(NewFieldFormTest, NewIndexNameAndFieldsFollowTheCheckedFieldsInListOrder) {
  Sql({"CREATE TABLE Orders (OrderID LONG, Customer TEXT(20), Notes MEMO, Placed DATETIME, Pic LONGBINARY)"});
  TFormNewIndex dialog;
  EXPECT_EQ(dialog.windowTitle(), "New Index for Table: Unknown");
  dialog.SetTable(db_->FindTableDef("Orders"));
  dialog.SetIndexName("NewIndex1");
  EXPECT_EQ(dialog.windowTitle(), "New Index for Table: Orders");
  auto* fields = Child<QListWidget>(dialog, "FieldList");
  EXPECT_EQ(ListState(*fields), "OrderID Customer Placed");
  EXPECT_EQ(dialog.IndexFields(), "");

  fields->item(2)->setCheckState(Qt::Checked);
  fields->item(0)->setCheckState(Qt::Checked);
  EXPECT_EQ(dialog.IndexName(), "OrderID_Placed");
  EXPECT_EQ(dialog.IndexFields(), "OrderID;Placed");
  fields->setCurrentRow(0);
  dialog.FieldListDragDrop(2);
  EXPECT_EQ(ListState(*fields), "Customer Placed [OrderID]");
  EXPECT_EQ(fields->item(2)->checkState(), Qt::Checked) << "the check moves with the entry";
  EXPECT_EQ(dialog.IndexName(), "Placed_OrderID");
  EXPECT_EQ(dialog.IndexFields(), "Placed;OrderID");

  // No field checked: the name stays as it was.
  fields->item(1)->setCheckState(Qt::Unchecked);
  fields->item(2)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(dialog.IndexName(), "OrderID");
  dialog.SetIndexName("Mine");
  fields->item(0)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(dialog.IndexName(), "Mine");
  EXPECT_TRUE(dialog.AllowDuplicates());
  EXPECT_TRUE(dialog.IgnoreNulls());
  EXPECT_FALSE(dialog.Primary() || dialog.Clustered() || dialog.Required());

  fields->item(1)->setCheckState(Qt::Checked);
  EXPECT_TRUE(SaveScreenshot(dialog, "tabledesign-newindex"));
}

}  // namespace
}  // namespace qb::test
