// app/tabledesign/new_field_form: layout and type rules of the new-field dialog.
#include "app/tabledesign/new_field_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/tabledesign/field_types.h"

namespace qb {

TFormNewField::TFormNewField(QWidget* parent)
    : QDialog(parent),
      edit_name_(new QLineEdit(this)),
      combo_type_(new QComboBox(this)),
      spin_size_(new QSpinBox(this)),
      auto_increment_(new QCheckBox("Auto Increment", this)) {
  setObjectName("TFormNewField");
  edit_name_->setObjectName("EditFieldName");
  combo_type_->setObjectName("ComboBoxFieldType");
  spin_size_->setObjectName("SpinEditFieldSize");
  auto_increment_->setObjectName("CheckBoxAutoIncrement");
  combo_type_->addItems(FieldTypeNames());
  combo_type_->setCurrentIndex(-1);
  spin_size_->setRange(0, 65535);
  auto_increment_->setEnabled(false);  // only "32 Bit Integer" allows it

  auto* ok = new QPushButton("&Ok", this);
  auto* cancel = new QPushButton("&Cancel", this);
  ok->setObjectName("BtnOk");
  cancel->setObjectName("BtnCancel");
  ok->setDefault(true);
  cancel->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  connect(combo_type_, &QComboBox::activated, this, [this] { ComboBoxFieldTypeChange(); });
  connect(auto_increment_, &QCheckBox::clicked, this, [this] { CheckBoxAutoIncrementClick(); });

  auto* form = new QFormLayout;
  auto add_row = [&](const char* name, const char* text, QWidget* field) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setBuddy(field);
    form->addRow(label, field);
  };
  add_row("LabelFieldName", "Fieldname:", edit_name_);
  add_row("LabelFieldType", "Fieldtype:", combo_type_);
  add_row("LabelFieldSize", "Fieldsize:", spin_size_);
  form->addRow(QString(), auto_increment_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(ok, QDialogButtonBox::AcceptRole);
  buttons->addButton(cancel, QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border
  edit_name_->setMinimumWidth(220);
  edit_name_->setFocus();
}

std::string TFormNewField::FieldName() const { return edit_name_->text().toStdString(); }

void TFormNewField::SetFieldName(const std::string& name) { edit_name_->setText(QString::fromStdString(name)); }

int TFormNewField::FieldType() const { return FieldTypeOfPosition(combo_type_->currentIndex()); }

void TFormNewField::SetFieldType(int type) {
  combo_type_->setCurrentIndex(PositionOfFieldType(type));
  ComboBoxFieldTypeChange();
}

int TFormNewField::FieldSize() const { return spin_size_->value(); }

void TFormNewField::SetFieldSize(int size) { spin_size_->setValue(size); }

void TFormNewField::SetAttributes(std::int32_t attributes) {
  attributes_ = attributes;
  auto_increment_->setChecked((attributes & kAutoIncrField) != 0);
}

void TFormNewField::ComboBoxFieldTypeChange() {
  const int position = combo_type_->currentIndex();
  const bool text = position == kPositionString;
  spin_size_->setValue(text ? 50 : 0);
  spin_size_->setEnabled(text);
  auto_increment_->setEnabled(position == kPositionLong);
}

void TFormNewField::CheckBoxAutoIncrementClick() {
  if (auto_increment_->isChecked()) {
    attributes_ |= kAutoIncrField;
  } else {
    attributes_ &= ~kAutoIncrField;
  }
}

}  // namespace qb
