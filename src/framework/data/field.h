// framework/data/field: the field object: one column of a dataset seen through the record
// buffer of the dataset's current state. The base class holds the description and the checked
// path to the dataset's buffers; the typed classes (field_classes.h) add the conversions.
#pragma once
#include <bitset>
#include <functional>
#include <string>

#include "com/variant.h"
#include "core/currency.h"
#include "framework/component/component.h"
#include "framework/data/data_types.h"

namespace qb {

class TDataSet;
class TField;

using TFieldNotifyEvent = std::function<void(TField* sender)>;
using TFieldGetTextEvent = std::function<void(TField* sender, std::string& text, bool display_text)>;
using TFieldSetTextEvent = std::function<void(TField* sender, const std::string& text)>;

// Native formats in a record buffer, by class: string Size() characters and a zero byte;
// smallint 16-bit signed; word 16-bit unsigned; boolean 16 bits (0 false, any other true);
// integer and auto-increment 32-bit signed; largeint 64-bit signed; float a double; currency
// and BCD a Currency (64-bit, ten-thousandths); date a 32-bit day serial (days since 30
// December 1899); time 32-bit milliseconds since midnight; date-time a double serial; bytes
// Size() bytes; var-bytes a 16-bit length and Size() bytes; blob classes keep nothing there.
class TField : public TComponent {
  Q_OBJECT

 public:
  explicit TField(QObject* owner = nullptr);
  // Leaves its dataset's field list.
  ~TField() override;

  TDataSet* DataSet() const { return dataset_; }
  // Joins DATASET's field list (at its end); null leaves it. REQUIRES: the dataset is closed.
  void SetDataSet(TDataSet* dataset);

  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(std::string name) { field_name_ = std::move(name); }
  // The label shown for the field: DisplayLabel, else the field name.
  std::string DisplayName() const { return display_label_.empty() ? field_name_ : display_label_; }
  void SetDisplayLabel(std::string label);
  TFieldType DataType() const { return data_type_; }
  TFieldKind FieldKind() const { return field_kind_; }
  void SetFieldKind(TFieldKind kind) { field_kind_ = kind; }
  bool Calculated() const { return field_kind_ == fkCalculated; }
  // A lookup field (fkLookup) shows LookupResultField of the LookupDataSet record whose
  // LookupKeyFields hold this record's KeyFields (names separated by ";"). The value is
  // computed with the calculated fields; it stays empty while the lookup dataset is missing
  // or closed, or a key is Null. Forgets a lookup dataset that is destroyed. Setting a lookup
  // dataset that is the field's own dataset, or whose lookups lead back to it, raises
  // kCircularLookup and keeps the old one.
  TDataSet* LookupDataSet() const { return lookup_dataset_; }
  void SetLookupDataSet(TDataSet* dataset);
  const std::string& LookupKeyFields() const { return lookup_key_fields_; }
  void SetLookupKeyFields(std::string names) { lookup_key_fields_ = std::move(names); }
  const std::string& LookupResultField() const { return lookup_result_field_; }
  void SetLookupResultField(std::string name) { lookup_result_field_ = std::move(name); }
  const std::string& KeyFields() const { return key_fields_; }
  void SetKeyFields(std::string names) { key_fields_ = std::move(names); }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  // The framework's field number (1-based for data fields bound to a definition, else 0) and
  // the descendant's offset into its buffers.
  int FieldNo() const { return field_no_; }
  void SetFieldNo(int number) { field_no_ = number; }
  int Offset() const { return offset_; }
  void SetOffset(int offset) { offset_ = offset; }
  // Bytes of the native format (see above).
  virtual int DataSize() const { return 0; }

  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { read_only_ = value; }
  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // Characters a control lets the user type into the field.
  bool IsValidChar(unsigned char c) const { return valid_chars_.test(c); }
  void SetValidChars(const std::bitset<256>& chars) { valid_chars_ = chars; }
  const std::string& DisplayFormat() const { return display_format_; }
  void SetDisplayFormat(std::string format);
  const std::string& EditFormat() const { return edit_format_; }
  void SetEditFormat(std::string format);

  // --- value access through the dataset's buffer of its current state
  // Copies the value into BUFFER (DataSize() bytes; may be null) and answers whether it has
  // one. Raises kFieldNoDataSet without a dataset and kDataSetClosed when it is closed.
  bool GetData(void* buffer) const;
  // Writes BUFFER (native format) or, for null, no value. Raises kNotEditing outside the
  // states that allow it, kFieldReadOnly for a read-only field, kNotIndexField in set-key state
  // for a field the dataset does not index.
  void SetData(const void* buffer);
  // The checks of SetData without the write (blob fields write through a stream).
  void CheckWritable() const;
  bool IsNull() const { return !GetData(nullptr); }
  void Clear() { SetData(nullptr); }

  // Conversions. The base raises kFieldAccess; the typed classes override what they support.
  // Reading a field without a value gives "", 0, false, a zero currency or date, or Null.
  virtual std::string AsString() const;
  virtual void SetAsString(const std::string& value);
  virtual std::int32_t AsInteger() const;
  virtual void SetAsInteger(std::int32_t value);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double value);
  virtual Currency AsCurrency() const;
  virtual void SetAsCurrency(Currency value);
  virtual double AsDateTime() const;
  virtual void SetAsDateTime(double value);
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool value);
  // Null without a value; otherwise the value in its natural kind. Setting Null or Empty
  // clears the field.
  virtual Variant AsVariant() const;
  void SetAsVariant(const Variant& value);

  // The value before the pending edit (Null for a record being inserted), the value the edit
  // gives it, and the value the record has in the store now (which others may have changed).
  // Each reads the dataset's buffer for that temporary state (old value, new value, current
  // value); the data links are told nothing. SetNewValue writes in the new-value state.
  Variant OldValue() const { return ValueInState(dsOldValue); }
  Variant NewValue() const { return ValueInState(dsNewValue); }
  Variant CurValue() const { return ValueInState(dsCurValue); }
  void SetNewValue(const Variant& value);

  // Text for editing (Text) and for showing (DisplayText): OnGetText when set, else GetText;
  // in set-key state the criterion typed for the key when there is one.
  std::string Text() const;
  std::string DisplayText() const;
  // OnSetText when set, else SetAsString; in set-key state the text becomes the field's key
  // criterion (TDataSet::SetKey).
  void SetText(const std::string& text);

  void Notification(TComponent* component, TOperation operation) override;

  // Fired after the field's value changed in the buffer (the dataset calls it).
  void Change();

  TFieldNotifyEvent OnChange;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

 protected:
  TField(QObject* owner, TFieldType type, int size);
  // The text of the value; DISPLAY chooses DisplayFormat over EditFormat. Empty without value.
  virtual std::string GetText(bool display) const;
  virtual void SetVariantValue(const Variant& value);
  [[noreturn]] void RaiseAccessError(const char* type_name) const;
  // AsVariant read while the dataset is in the temporary STATE.
  Variant ValueInState(TDataSetState state) const;
  // Raises kInvalidValue naming TEXT.
  [[noreturn]] void RaiseInvalidValue(const std::string& text) const;
  void PropertyChanged();
  void SetDataType(TFieldType type) { data_type_ = type; }
  std::bitset<256> valid_chars_;

 private:
  friend class TDataSet;
  TDataSet* dataset_ = nullptr;
  std::string field_name_;
  std::string display_label_;
  std::string display_format_;
  std::string edit_format_;
  TDataSet* lookup_dataset_ = nullptr;  // cleared by Notification when it goes
  std::string lookup_key_fields_;
  std::string lookup_result_field_;
  std::string key_fields_;
  TFieldType data_type_ = ftUnknown;
  TFieldKind field_kind_ = fkData;
  int size_ = 0;
  int field_no_ = 0;
  int offset_ = 0;
  bool read_only_ = false;
  bool required_ = false;
  bool visible_ = true;
};

}  // namespace qb
