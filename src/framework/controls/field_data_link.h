// framework/controls/field_data_link: the link between a control and one field of a data
// source's dataset. It finds the field by name while the dataset is open, tells the control
// when the value, the editing state or the active state change, and asks it for its pending
// value when the dataset writes the record.
#pragma once
#include <functional>
#include <string>

#include "framework/data/data_source.h"

namespace qb {

class TField;

class TFieldDataLink : public TDataLink {
 public:
  TFieldDataLink() = default;

  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(std::string name);
  // The field named FieldName of the open dataset, or null.
  TField* Field() const { return field_; }
  // True when the control may change the field: the link and the field are not read-only, the
  // field holds data (not calculated) and the dataset lets records be modified.
  bool CanModify() const;
  // Puts the dataset into edit state for a change the user is making (see TDataLink::Edit).
  // The control is not reloaded meanwhile, so that its caret and selection survive.
  bool Edit();
  // The control's value differs from the field's: written by UpdateRecord, forgotten when the
  // record changes.
  void Modified() { modified_ = true; }
  bool IsModified() const { return modified_; }
  // Forgets the control's change and makes it show the field's value again.
  void Reset();

  // Called with the control's reactions: the value to show changed (OnDataChange), the dataset
  // entered or left editing (OnEditingChange), the record is being written and the pending value
  // is wanted (OnUpdateData), the dataset opened or closed (OnActiveChange), the control is asked
  // to take the focus (OnFocus).
  std::function<void()> OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange, OnFocus;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;
  void FocusControl(TField* field) override;

 private:
  void UpdateField();
  static void Call(const std::function<void()>& handler) {
    if (handler) handler();
  }

  std::string field_name_;
  TField* field_ = nullptr;
  bool modified_ = false;
  bool entering_edit_ = false;
};

}  // namespace qb
