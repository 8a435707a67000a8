// app/tabledesign/new_field_form: TFormNewField, the modal dialog that asks for a new field's
// name, type, size and AutoNumber bit. Holds only its controls and the attributes value to be
// written; the caller creates and appends the field.
//
// Type rules: choosing a type (or setting it from outside) sets the size to 50 for "String" and
// to 0 otherwise, enables "Fieldsize:" only for "String" and "Auto Increment" only for
// "32 Bit Integer". The attributes' AutoNumber bit changes only by clicking "Auto Increment".
#pragma once
#include <QDialog>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace qb {

class TFormNewField : public QDialog {
  Q_OBJECT

 public:
  explicit TFormNewField(QWidget* parent = nullptr);

  std::string FieldName() const;
  void SetFieldName(const std::string& name);
  // The engine type of the chosen list entry (dbText when none is chosen).
  int FieldType() const;
  // Shows engine type TYPE (no entry for a type the list lacks) and applies the type rules.
  void SetFieldType(int type);
  int FieldSize() const;
  void SetFieldSize(int size);
  std::int32_t Attributes() const { return attributes_; }
  // Stores ATTRIBUTES and checks "Auto Increment" when its AutoNumber bit is set.
  void SetAttributes(std::int32_t attributes);

  // The handlers of the type list and of "Auto Increment".
  void ComboBoxFieldTypeChange();
  void CheckBoxAutoIncrementClick();

 private:
  QLineEdit* edit_name_;       // owned by the dialog
  QComboBox* combo_type_;      // owned by the dialog
  QSpinBox* spin_size_;        // owned by the dialog
  QCheckBox* auto_increment_;  // owned by the dialog
  std::int32_t attributes_ = 0;
};

}  // namespace qb
