// recordset/dao_recordset_editing: the edit protocol: engine Edit, AddNew, Update and
// CancelUpdate behind the dataset's edit, insert, post and cancel, deleting, and the rules
// that make a recordset read-only.
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "framework/data/field.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

namespace {
constexpr int kNoRecordsetEditMode = 28672;
bool EditOrAddPending(int mode) { return (mode & (jet::kEditInProgress | jet::kEditAdd)) != 0; }
}  // namespace

int TDAOBaseRecordset::GetEditMode() const {
  if (!recordset_) return kNoRecordsetEditMode;
  return CallEngine(this, "GetEditMode", [&] { return recordset_->EditMode(); });
}

bool TDAOBaseRecordset::GetUpdatable() const {
  if (!recordset_) return false;
  return CallEngine(this, "GetUpdatable", [&] { return recordset_->Updatable(); });
}

void TDAOBaseRecordset::COMEdit() {
  if (!recordset_) return;
  CallEngine(this, "COMEdit", [&] { recordset_->Edit(); });
}

void TDAOBaseRecordset::COMAddNew() {
  if (!recordset_ || GetEditMode() != jet::kEditNone) return;
  CallEngine(this, "AddNew", [&] { recordset_->AddNew(); });
}

void TDAOBaseRecordset::COMUpdate(int update_type, bool force) {
  if (!recordset_ || !EditOrAddPending(GetEditMode())) return;
  ForgetRecordCount();  // an added record counts
  CallEngine(this, "UPDATE", [&] { recordset_->Update(update_type, force); });
}

void TDAOBaseRecordset::COMCancelUpdate(int update_type) {
  if (!recordset_ || !EditOrAddPending(GetEditMode())) return;
  CallEngine(this, "CancelUpdate", [&] { recordset_->CancelUpdate(update_type); });
}

bool TDAOBaseRecordset::EnsureEditMode() {
  if (recordset_ && (State() == dsEdit || State() == dsInsert) && GetEditMode() == jet::kEditNone) {
    if (State() == dsEdit)
      COMEdit();
    else
      COMAddNew();
  }
  return true;
}

void TDAOBaseRecordset::BeginEdit() {
  if (GetEditMode() == jet::kEditNone) COMEdit();
}

void TDAOBaseRecordset::PrepareInsert() {
  TRecordBuffer buffer = ActiveBuffer();
  COMAddNew();
  if (buffer == nullptr || WorkspaceType() != wtUseJet) return;
  std::shared_ptr<jet::RecordsetFields> fields = JetFields();
  if (!fields) return;
  // Column defaults and the new AutoNumber value show in the buffer before the user types.
  for (const TField* field : Fields()) {
    if (field->FieldKind() != fkData || field->FieldNo() < 1) continue;
    const Variant value = CallEngine(this, "PrepareInsert", [&] { return fields->Item(field->FieldNo() - 1)->Value(); });
    if ((!value.IsEmpty() && !value.IsNull()) || field->DataType() == ftAutoInc) ReadJetField(field, buffer);
  }
  NotifyDataChange(deRecordChange);
}

void TDAOBaseRecordset::PostRecord() {
  if (!recordset_ || (State() != dsEdit && State() != dsInsert)) {
    ClearModifiedFlags();
    return;
  }
  EnsureEditMode();
  TRecordBuffer buffer = ActiveBuffer();
  if (buffer != nullptr) {
    for (const TField* field : Fields())
      if (field->FieldKind() == fkData && field->DataType() != ftAutoInc && FieldModified(field))
        WriteJetField(field, buffer);
  }
  COMUpdate(jet::kUpdateRegular, false);
  // Only a stored record clears the marks: after a refusal the next post sends them again.
  const Variant stored = CallEngine(this, "PostRecord", [&] { return recordset_->LastModified(); });
  GotoCOMBookmark(stored);
  if (buffer != nullptr) StoreBookmark(buffer, GetCOMBookmark());
  ClearModifiedFlags();
}

void TDAOBaseRecordset::CancelRecord() {
  COMCancelUpdate(jet::kUpdateRegular);
  ClearModifiedFlags();
  TDataSet::CancelRecord();
}

void TDAOBaseRecordset::DeleteRecord() {
  if (!recordset_) return;
  ForgetRecordCount();
  CallEngine(this, "InternalDelete", [&] {
    recordset_->Delete();
    if (!recordset_->Eof()) recordset_->MoveNext();
  });
}

bool TDAOBaseRecordset::CanModifyRecords() const { return GetUpdatable() || State() == dsSetKey; }

}  // namespace qb
