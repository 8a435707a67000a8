// recordset/dao_recordset_open: the preconditions of opening, creating the engine recordset
// from the configuration, the settings applied once it is open, and the framework's open and
// close steps.
#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "engine/dao_wait_cursor.h"
#include "engine/dao_workspace.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

namespace {

// Raises ERROR again as this recordset's failure of METHOD, keeping the engine's number.
[[noreturn]] void RaiseAgain(const TComponent* component, const Exception& error, const char* method) {
  if (const auto* dao = dynamic_cast<const EDAOError*>(&error)) {
    EDAOError wrapped(DAOErrorMessage(component, dao->Message(), method));
    wrapped.SetEngineError(dao->EngineError());
    throw wrapped;
  }
  RaiseEngineFailure(component, error, method);
}

}  // namespace

void TDAOBaseRecordset::CheckForAbleToOpen() {
  const char* method = "CheckForAbleToOpen";
  if (database_ == nullptr) RaiseDAOError(this, ResString(kResRecordsetNeedsDatabase), method);
  if (!database_->Connected()) {
    database_->Open();
    if (!database_->Connected()) {
      RaiseDAOError(this, Format(ResString(kResRecordsetDatabaseNotOpen), database_->Name()), method);
    }
  }
  if (type_ == rtTable) {
    if (table_name_.empty()) RaiseDAOError(this, ResString(kResTableNameEmpty), method);
  } else if (type_ == rtStoredProcedure) {
    if (stored_procedure_name_.empty()) RaiseDAOError(this, ResString(kResStoredProcNameEmpty), method);
  } else if (GetSQLText().empty()) {
    RaiseDAOError(this, ResString(kResSqlStatementEmpty), method);
  }
}

void TDAOBaseRecordset::EditStoredProcParams(jet::QueryDef&) {}

void TDAOBaseRecordset::OpenStoredProcedure(int type, int options, int lock) {
  std::shared_ptr<jet::QueryDef> query = database_->DatabaseObject()->QueryDefs()->Item(std::string_view(stored_procedure_name_));
  BindStoredProcParams(*query);
  if (!CheckStoredProcParamValues(false)) {
    EditStoredProcParams(*query);
    if (!CheckStoredProcParamValues(true)) return;  // nothing opens without every value; not an error
  }
  recordset_ = query->OpenRecordset(type, options, lock);
}

void TDAOBaseRecordset::CreateCOMObj() {
  if (recordset_) return;
  field_cache_.clear();
  ForgetRecordCount();
  const char* method = "CreateCOMObj";
  if (HasUnresolvedReferences()) {
    RaiseDAOError(this, Format(ResString(kResLinkedToUncreatedForms), "Recordset"), method);
  }
  CheckForAbleToOpen();
  DAOWaitScope wait;
  if (type_ == rtTable) CheckWorkspaceType(wtUseJet, "Recordset Type 'rtTable'");
  if (type_ == rtDynamic) CheckWorkspaceType(wtUseODBC, "Recordset Type 'rtDynamic'");
  const int type = EngineRecordsetType(type_);
  if (type == 0) RaiseDAOError(this, ResString(kResUnknownRecordSetType), method);
  const TWorkspaceTypes workspace = WorkspaceType();
  const int options = EngineOpenOptions(options_, type_, workspace);
  if (lock_ == lkOptimisticValue) CheckWorkspaceType(wtUseODBC, "Lock Strategy 'lkOptimisticValue'");
  if (lock_ == lkOptimisticBatch) CheckWorkspaceType(wtUseODBC, "Lock Strategy 'lkOptimisticBatch'");
  const int lock = EngineLockType(lock_);
  if (lock == 0) RaiseDAOError(this, ResString(kResUnknownLockStrategy), method);

  if (type_ == rtTable || type_ == rtStoredProcedure) {
    try {
      if (type_ == rtTable)
        recordset_ = database_->OpenRecordset(table_name_, Variant(type), Variant(options), Variant(lock));
      else
        OpenStoredProcedure(type, options, lock);
    } catch (const Exception& error) {
      recordset_.reset();
      RaiseAgain(this, error, method);
    }
  } else if (statement_query_) {
    if (!AskParameterValues(*statement_query_)) return;  // nothing opens without every value; not an error
    try {
      recordset_ = statement_query_->OpenRecordset(type, options, lock);
    } catch (const Exception& error) {
      recordset_.reset();
      RaiseAgain(this, error, method);
    }
  } else {
    recordset_ = database_->OpenRecordset(GetPreparedSQLStatement(), Variant(type), Variant(options), Variant(lock));
  }
  if (!recordset_) return;
  try {
    ApplyOpenSettings();
  } catch (...) {
    ReleaseRecordset();
    throw;
  }
}

void TDAOBaseRecordset::ApplyOpenSettings() {
  const TWorkspaceTypes workspace = WorkspaceType();
  if (workspace == wtUseJet && type_ == rtTable && !index_.empty()) {
    CallEngine(this, "CreateCOMObj", [&] { recordset_->SetIndex(index_); });
  }
  if (workspace == wtUseJet && (type_ == rtTable || type_ == rtQuery)) SetLockEditedPages(lock_edited_pages_);
  TDAOWorkspace* component = database_ != nullptr ? database_->DAOWorkspace() : nullptr;
  if (workspace == wtUseODBC && component != nullptr && component->ODBCCursorType() == ctUseClientBatchCursor) {
    SetODBCUpdateOptions(odbc_update_options_);
  }
  if (workspace == wtUseJet && type_ != rtTable) SetCachedRecordCount(cached_record_count_);
}

void TDAOBaseRecordset::ReleaseRecordset() {
  std::shared_ptr<jet::Recordset> recordset = std::move(recordset_);
  recordset_.reset();
  field_cache_.clear();
  forward_before_first_ = false;
  ForgetRecordCount();
  if (recordset && recordset->IsOpen()) CallEngine(this, "COMClose", [&] { recordset->Close(); });
}

void TDAOBaseRecordset::OpenRecordset() {
  if (!recordset_) CreateCOMObj();
  if (!recordset_) return;
  SetBookmarkSize(4);
  InternalInitFieldDefs();
  CreateFields();
  // Fields made from the definitions belong to this opening only: a form written now must
  // not store them as if they had been placed on it.
  if (DefaultFields())
    for (TField* field : Fields()) field->SetSubComponent(true);
  BindFields(true);
  InitFieldOffsets();
  ComputeRecordSize();
  ClearModifiedFlags();
  if (!IsJetEmpty()) {
    if (type_ == rtUnidirectional)
      forward_before_first_ = true;  // it cannot step back; see the flag
    else
      MovePriorRecord();
  }
  for (TField* field : Fields())
    if (field->DataType() == ftAutoInc) field->SetReadOnly(true);
  if (only_idx_field_visible_) ApplyOnlyIdxFieldVisible();
  filled_up_ = false;
  if (auto_fill_up_) FillUp();
}

void TDAOBaseRecordset::CloseRecordset() {
  BindFields(false);
  DestroyFields();
  if (set_key_buffer_ != nullptr) ReleaseRecordBuffer(set_key_buffer_);
  def_jet_index_.clear();
  modified_.clear();
  if (recordset_) ReleaseRecordset();
}

}  // namespace qb
