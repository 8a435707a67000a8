// app/tabledesign/table_design_fields: the "Fields" page of the table designer: the field list
// in OrdinalPosition order, the selected field's properties, the immediate changes, adding,
// deleting and reordering fields.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <algorithm>

#include "app/tabledesign/field_types.h"
#include "app/tabledesign/new_field_form.h"
#include "app/tabledesign/table_design_form.h"
#include "app/widgets/list_box_rules.h"
#include "com/variant.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/tabledef.h"

namespace qb {

namespace {

// Field.Attributes bits of the six display-only boxes, in the order of field_boxes_[2..7].
constexpr std::int32_t kShownAttributeBits[6] = {
    0x10,    // dbAutoIncrField
    0x2000,  // dbSystemField
    0x1,     // dbFixedField
    0x8000,  // dbHyperlinkField
    0x20,    // dbUpdatableField
    0x2,     // dbVariableField
};

struct ListedField {
  std::string name;
  int position;
};

bool DefaultValueAllowed(int type) {
  return type != kTypeBinary && type != kTypeLongBinary && type != kTypeMemo && type != kTypeGUID;
}

}  // namespace

std::shared_ptr<jet::Field> TTableDesignForm::SelectedField() const {
  if (!table_) return nullptr;
  auto fields = table_->Fields();
  const int position = SelectedPosition(*list_fields_);
  if (position < 0 || position >= fields->Count()) return nullptr;
  return fields->Item(list_fields_->item(position)->text().toStdString());
}

void TTableDesignForm::FillFieldList() {
  const int remembered = SelectedPosition(*list_fields_);
  list_fields_->clear();
  if (table_) {
    auto fields = table_->Fields();
    std::vector<ListedField> listed;
    for (int i = 0; i < fields->Count(); ++i) {
      auto field = fields->Item(i);
      listed.push_back({field->Name(), field->OrdinalPosition()});
    }
    std::stable_sort(listed.begin(), listed.end(), [](const ListedField& a, const ListedField& b) {
      if (a.position != b.position) return a.position < b.position;
      return QString::fromStdString(a.name).compare(QString::fromStdString(b.name), Qt::CaseInsensitive) < 0;
    });
    for (const ListedField& field : listed) list_fields_->addItem(QString::fromStdString(field.name));
  }
  RestoreSelection(*list_fields_, remembered);
  ShowSelectedField();
}

void TTableDesignForm::ShowSelectedField() {
  std::shared_ptr<jet::Field> field = SelectedField();
  QCheckBox* const required = field_boxes_[0];
  QCheckBox* const zero_length = field_boxes_[1];
  if (!field) {
    edit_field_name_->clear();
    combo_type_->setCurrentIndex(-1);
    spin_size_->setValue(0);
    edit_default_->clear();
    for (QCheckBox* box : field_boxes_) {
      box->setChecked(false);
      box->setEnabled(false);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{edit_field_name_, combo_type_, spin_size_, edit_default_}) {
      control->setEnabled(false);
    }
    return;
  }
  const int type = field->Type();
  const std::int32_t attributes = field->Attributes();
  edit_field_name_->setText(QString::fromStdString(field->Name()));
  combo_type_->setCurrentIndex(PositionOfFieldType(type));
  spin_size_->setValue(field->Size());
  edit_default_->setText(QString::fromStdString(field->DefaultValue().ToStringOrEmpty()));
  required->setChecked(field->Required());
  zero_length->setChecked(field->AllowZeroLength());
  for (int i = 0; i < 6; ++i) field_boxes_[i + 2]->setChecked((attributes & kShownAttributeBits[i]) != 0);

  edit_field_name_->setEnabled(true);
  required->setEnabled(true);
  combo_type_->setEnabled(false);  // an existing field keeps its type
  spin_size_->setEnabled(type == kTypeText);
  zero_length->setEnabled(type == kTypeText);
  edit_default_->setEnabled(DefaultValueAllowed(type));
  for (int i = 2; i < 8; ++i) field_boxes_[i]->setEnabled(false);
}

void TTableDesignForm::RenumberFields() {
  if (!table_) return;
  auto fields = table_->Fields();
  for (int i = 0; i < list_fields_->count(); ++i) {
    auto field = fields->Item(list_fields_->item(i)->text().toStdString());
    if (field->OrdinalPosition() != i) field->SetOrdinalPosition(i);
  }
}

void TTableDesignForm::EditFieldNameExit() {
  std::shared_ptr<jet::Field> field = SelectedField();
  if (!field) return;
  const std::string name = edit_field_name_->text().toStdString();
  if (name == field->Name()) return;
  field->SetName(name);
  list_fields_->currentItem()->setText(QString::fromStdString(field->Name()));
  // The indexes name their fields: the index page must not go on showing the old name.
  ShowSelectedIndex();
}

void TTableDesignForm::SpinEditSizeExit() {
  std::shared_ptr<jet::Field> field = SelectedField();
  if (!field) return;
  spin_size_->interpretText();  // a typed value that was not taken over yet
  if (spin_size_->value() != field->Size()) field->SetSize(spin_size_->value());
}

void TTableDesignForm::EditDefaultValueExit() {
  std::shared_ptr<jet::Field> field = SelectedField();
  if (!field) return;
  const std::string text = edit_default_->text().toStdString();
  if (text != field->DefaultValue().ToStringOrEmpty()) field->SetDefaultValue(Variant(text));
}

// "Required" and "Allow Zero length" ignore the engine's refusal, but the box then shows what
// the engine holds: a box showing a value the engine refused would mislead the user.
void TTableDesignForm::CheckBoxRequiredClick() {
  std::shared_ptr<jet::Field> field = SelectedField();
  if (!field) return;
  try {
    field->SetRequired(field_boxes_[0]->isChecked());
  } catch (const std::exception&) {
  }
  field_boxes_[0]->setChecked(field->Required());
}

void TTableDesignForm::CheckBoxAllowZeroLengthClick() {
  std::shared_ptr<jet::Field> field = SelectedField();
  if (!field) return;
  try {
    field->SetAllowZeroLength(field_boxes_[1]->isChecked());
  } catch (const std::exception&) {
  }
  field_boxes_[1]->setChecked(field->AllowZeroLength());
}

void TTableDesignForm::BtnAddFieldClick() {
  if (!table_) return;
  auto fields = table_->Fields();
  std::vector<std::string> names;
  for (int i = 0; i < fields->Count(); ++i) names.push_back(fields->Item(i)->Name());
  auto field = std::make_shared<jet::Field>();

  TFormNewField dialog(this);
  dialog.setWindowTitle(QString::fromStdString("Add Field to Table: " + table_->Name()));
  dialog.SetFieldName(ProposeName("NewField", names));
  dialog.SetFieldType(kTypeText);
  dialog.SetFieldSize(50);
  dialog.SetAttributes(field->Attributes());
  if (Gui().RunModal(dialog) != QDialog::Accepted) return;

  field->SetName(dialog.FieldName());
  field->SetType(dialog.FieldType());
  field->SetSize(dialog.FieldSize());
  field->SetAttributes(dialog.Attributes());
  fields->Append(field);
  FillFieldList();
  RenumberFields();
  SetButtonsEnabled();
}

void TTableDesignForm::BtnDeleteFieldClick() {
  if (!table_) return;
  auto fields = table_->Fields();
  const int position = SelectedPosition(*list_fields_);
  if (position < 0 || position >= fields->Count()) return;
  fields->Delete(list_fields_->item(position)->text().toStdString());
  FillFieldList();
  RenumberFields();
  SetButtonsEnabled();
}

void TTableDesignForm::ListBoxFieldsDragDrop(int drop_position) {
  const int selected = SelectedPosition(*list_fields_);
  if (!table_ || selected < 0 || drop_position < 0 || drop_position >= list_fields_->count() ||
      drop_position == selected) {
    return;
  }
  QListWidgetItem* item = list_fields_->takeItem(selected);
  list_fields_->insertItem(drop_position, item);
  SelectEntryWithText(*list_fields_, item->text().toStdString());
  RenumberFields();
  ShowSelectedField();
}

}  // namespace qb
