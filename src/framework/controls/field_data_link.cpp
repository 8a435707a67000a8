// framework/controls/field_data_link: finding the field and relaying the notifications.
#include "framework/controls/field_data_link.h"

#include "framework/data/dataset.h"
#include "framework/data/field.h"

namespace qb {

void TFieldDataLink::SetFieldName(std::string name) {
  if (name == field_name_) return;
  field_name_ = std::move(name);
  UpdateField();
  RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const {
  TDataSet* dataset = DataSet();
  return !ReadOnly() && field_ && !field_->ReadOnly() && field_->FieldKind() == fkData && dataset &&
         dataset->CanModify();
}

bool TFieldDataLink::Edit() {
  entering_edit_ = true;
  try {
    bool editing = TDataLink::Edit();
    entering_edit_ = false;
    return editing;
  } catch (...) {
    entering_edit_ = false;
    throw;
  }
}

void TFieldDataLink::Reset() {
  modified_ = false;
  Call(OnDataChange);
}

void TFieldDataLink::UpdateField() {
  TDataSet* dataset = DataSet();
  field_ = Active() && dataset && !field_name_.empty() ? dataset->FindField(field_name_) : nullptr;
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  modified_ = false;
  Call(OnActiveChange);
  Call(OnDataChange);
}

void TFieldDataLink::EditingChanged() { Call(OnEditingChange); }

void TFieldDataLink::LayoutChanged() {
  UpdateField();
  TDataLink::LayoutChanged();
}

void TFieldDataLink::RecordChanged(TField* field) {
  if (field && field != field_) return;
  if (entering_edit_) return;
  modified_ = false;
  Call(OnDataChange);
}

void TFieldDataLink::UpdateData() {
  if (!modified_ || !field_) return;
  Call(OnUpdateData);
  modified_ = false;
}

void TFieldDataLink::FocusControl(TField* field) {
  if (field && field == field_) Call(OnFocus);
}

}  // namespace qb
