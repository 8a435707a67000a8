// framework/data/field: the field base: description, checked buffer access, text and variant
// access shared by every field class.
#include "framework/data/field.h"

#include "framework/data/data_errors.h"
#include "framework/data/dataset.h"

namespace qb {

TField::TField(QObject* owner) : TField(owner, ftUnknown, 0) {}

TField::TField(QObject* owner, TFieldType type, int size)
    : TComponent(owner), data_type_(type), size_(size) {
  valid_chars_.set();
}

TField::~TField() {
  if (dataset_) dataset_->RemoveField(this);
}

void TField::SetDataSet(TDataSet* dataset) {
  if (dataset == dataset_) return;
  if (dataset_) {
    dataset_->CheckInactiveForFields();
    dataset_->RemoveField(this);
  }
  if (dataset) dataset->CheckInactiveForFields();
  dataset_ = dataset;
  if (dataset_) dataset_->AddField(this);
}

void TField::SetLookupDataSet(TDataSet* dataset) {
  if (dataset == lookup_dataset_) return;
  if (dataset && dataset_ && (dataset == dataset_ || dataset->LookupsLeadTo(dataset_)))
    DatabaseError(Format(data_msg::kCircularLookup, DisplayName()));
  if (lookup_dataset_) RemoveFreeNotification(lookup_dataset_);
  lookup_dataset_ = dataset;
  if (lookup_dataset_) FreeNotification(lookup_dataset_);
}

void TField::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == lookup_dataset_) lookup_dataset_ = nullptr;
}

void TField::SetDisplayLabel(std::string label) {
  if (label == display_label_) return;
  display_label_ = std::move(label);
  PropertyChanged();
}

void TField::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  if (dataset_) dataset_->DataEvent(deLayoutChange);
}

void TField::SetDisplayFormat(std::string format) {
  if (format == display_format_) return;
  display_format_ = std::move(format);
  PropertyChanged();
}

void TField::SetEditFormat(std::string format) {
  if (format == edit_format_) return;
  edit_format_ = std::move(format);
  PropertyChanged();
}

void TField::PropertyChanged() {
  if (dataset_) dataset_->DataEvent(dePropertyChange, reinterpret_cast<std::intptr_t>(this));
}

bool TField::GetData(void* buffer) const {
  if (!dataset_) DatabaseError(Format(data_msg::kFieldNoDataSet, DisplayName()));
  dataset_->CheckActive();
  return dataset_->ReadFieldValue(this, buffer);
}

void TField::SetData(const void* buffer) {
  CheckWritable();
  // A value set directly replaces a criterion typed for the key.
  if (dataset_->State() == dsSetKey) dataset_->ForgetKeyText(this);
  dataset_->WriteFieldValue(this, buffer);
}

void TField::CheckWritable() const {
  if (!dataset_) DatabaseError(Format(data_msg::kFieldNoDataSet, DisplayName()));
  dataset_->CheckActive();
  TDataSetState state = dataset_->State();
  bool calculated = field_kind_ == fkCalculated || field_kind_ == fkLookup;
  switch (state) {
    case dsEdit:
    case dsInsert:
      if (calculated) DatabaseError(Format(data_msg::kFieldReadOnly, DisplayName()));
      if (read_only_) DatabaseError(Format(data_msg::kFieldReadOnly, DisplayName()));
      break;
    case dsSetKey:
      if (calculated || !dataset_->IsIndexedField(this))
        DatabaseError(Format(data_msg::kNotIndexField, DisplayName()));
      break;
    case dsCalcFields:
      // OnCalcFields writes the calculated fields, never the stored ones.
      if (!calculated) DatabaseError(data_msg::kNotEditing);
      break;
    case dsInternalCalc:
      // The stored fields stay as edited; a handler may fill calculated ones on the way.
      if (field_kind_ == fkData) DatabaseError(data_msg::kNotEditing);
      break;
    case dsFilter:
    case dsNewValue:
      break;
    default:
      DatabaseError(data_msg::kNotEditing);
  }
}

Variant TField::ValueInState(TDataSetState state) const {
  if (!dataset_) DatabaseError(Format(data_msg::kFieldNoDataSet, DisplayName()));
  dataset_->CheckActive();  // before the temporary state hides a closed dataset
  TDataSetState saved = dataset_->SetTempState(state);
  try {
    Variant value = AsVariant();
    dataset_->RestoreState(saved);
    return value;
  } catch (...) {
    dataset_->RestoreState(saved);
    throw;
  }
}

void TField::SetNewValue(const Variant& value) {
  if (!dataset_) DatabaseError(Format(data_msg::kFieldNoDataSet, DisplayName()));
  dataset_->CheckActive();
  TDataSetState saved = dataset_->SetTempState(dsNewValue);
  try {
    SetAsVariant(value);
  } catch (...) {
    dataset_->RestoreState(saved);
    throw;
  }
  dataset_->RestoreState(saved);
}

void TField::Change() {
  if (OnChange) OnChange(this);
}

void TField::RaiseAccessError(const char* type_name) const {
  DatabaseError(Format(data_msg::kFieldAccess, DisplayName(), type_name));
}

void TField::RaiseInvalidValue(const std::string& text) const {
  DatabaseError(Format(data_msg::kInvalidValue, text, DisplayName()));
}

std::string TField::AsString() const { return GetText(false); }
void TField::SetAsString(const std::string&) { RaiseAccessError("String"); }
std::int32_t TField::AsInteger() const { RaiseAccessError("Integer"); }
void TField::SetAsInteger(std::int32_t) { RaiseAccessError("Integer"); }
double TField::AsFloat() const { RaiseAccessError("Float"); }
void TField::SetAsFloat(double) { RaiseAccessError("Float"); }
Currency TField::AsCurrency() const { RaiseAccessError("Currency"); }
void TField::SetAsCurrency(Currency) { RaiseAccessError("Currency"); }
double TField::AsDateTime() const { RaiseAccessError("DateTime"); }
void TField::SetAsDateTime(double) { RaiseAccessError("DateTime"); }
bool TField::AsBoolean() const { RaiseAccessError("Boolean"); }
void TField::SetAsBoolean(bool) { RaiseAccessError("Boolean"); }
Variant TField::AsVariant() const { RaiseAccessError("Variant"); }
std::string TField::GetText(bool) const { RaiseAccessError("String"); }
void TField::SetVariantValue(const Variant&) { RaiseAccessError("Variant"); }

void TField::SetAsVariant(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) {
    Clear();
    return;
  }
  SetVariantValue(value);
}

std::string TField::Text() const {
  if (dataset_ && dataset_->State() == dsSetKey) {
    if (const std::string* criterion = dataset_->FindKeyText(this)) return *criterion;
  }
  std::string text;
  if (OnGetText) {
    OnGetText(const_cast<TField*>(this), text, false);
    return text;
  }
  return GetText(false);
}

std::string TField::DisplayText() const {
  if (dataset_ && dataset_->State() == dsSetKey) {
    if (const std::string* criterion = dataset_->FindKeyText(this)) return *criterion;
  }
  std::string text;
  if (OnGetText) {
    OnGetText(const_cast<TField*>(this), text, true);
    return text;
  }
  return GetText(true);
}

void TField::SetText(const std::string& text) {
  if (dataset_ && dataset_->State() == dsSetKey) {
    dataset_->SetKeyText(this, text);
    return;
  }
  if (OnSetText)
    OnSetText(this, text);
  else
    SetAsString(text);
}

}  // namespace qb
