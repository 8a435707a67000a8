// recordset/dao_recordset_config: construction, the configuration setters with their guards
// and workspace rules, the database's recordset list, Assign and the published properties.
#include <algorithm>

#include "core/convert_error.h"
#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "engine/dao_message_box.h"
#include "engine/dao_workspace.h"
#include "framework/data/data_source.h"
#include "framework/data/field.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"
#include "recordset/recordset_data_link.h"

namespace qb {

TDAOBaseRecordset::TDAOBaseRecordset(QObject* owner) : TDataSet(owner) {}

TDAOBaseRecordset::~TDAOBaseRecordset() {
  try {
    Close();
  } catch (...) {
    // A destructor raises nothing; the engine recordset ends with its last reference.
    recordset_.reset();
  }
  if (database_ != nullptr) database_->RemoveRecordset(this);
  database_ = nullptr;
}

TWorkspaceTypes TDAOBaseRecordset::WorkspaceType() const {
  return database_ != nullptr ? database_->GetWorkspaceType() : wtUseJet;
}

void TDAOBaseRecordset::CheckRSInactive(const char* property) {
  if (IsLoading()) {
    if (Active()) Close();
    return;
  }
  if (Active() || CursorIsOpen()) {
    RaiseDAOError(this, Format(ResString(kResRecordsetPropertyWhileActive), property), "CheckRSInactive");
  }
}

void TDAOBaseRecordset::CheckWorkspaceType(TWorkspaceTypes required, const std::string& description) const {
  if (IsLoading()) return;
  if (WorkspaceType() != required) {
    RaiseDAOError(this, Format(ResString(kResRecordsetWrongWorkspaceType), description, WorkspaceTypeName(required)),
                  "CheckWorkspaceType");
  }
}

void TDAOBaseRecordset::CheckActive() const {
  if (!Active()) RaiseDAOError(this, ResString(kResRecordsetNotOpen), "CheckActive");
}

void TDAOBaseRecordset::SetDAODatabase(TDAODataBase* database) {
  if (database == database_) return;
  CheckRSInactive("DAODatabase");
  if (database_ != nullptr) database_->RemoveRecordset(this);
  if (database != nullptr) database->AddRecordset(this);
  database_ = database;
}

void TDAOBaseRecordset::SetRecordSetType(TRecordSetTypes type) {
  if (type == type_) return;
  CheckRSInactive("RecordSetType");
  ApplyRecordSetType(type);
}

void TDAOBaseRecordset::ApplyRecordSetType(TRecordSetTypes type) {
  switch (type) {
    case rtTable: CheckWorkspaceType(wtUseJet, "Rrecordset Type 'rtTable'"); break;
    case rtQuery:
    case rtSnapshot:
    case rtUnidirectional: break;
    case rtDynamic: CheckWorkspaceType(wtUseODBC, "Rrecordset Type 'rtDynamic'"); break;
    case rtStoredProcedure: CheckWorkspaceType(wtUseJet, "Rrecordset Type 'rtStoredProcedure'"); break;
    default: RaiseDAOError(this, ResString(kResUnknownRecordSetType), "SetRecordSetType");
  }
  type_ = type;
}

void TDAOBaseRecordset::SetOptions(TRecordSetOptions options) {
  if (options == options_) return;
  CheckRSInactive("Options");
  options_ = options;
}

void TDAOBaseRecordset::SetLockStrategy(TLockStrategies lock) {
  if (lock == lock_) return;
  CheckRSInactive("LockStrategy");
  ApplyLockStrategy(lock);
}

void TDAOBaseRecordset::ApplyLockStrategy(TLockStrategies lock) {
  switch (lock) {
    case lkPessimistic:
    case lkOptimistic:
    case lkReadOnly: break;
    case lkOptimisticValue: CheckWorkspaceType(wtUseODBC, "Lock Strategy 'lkOptimisticValue'"); break;
    case lkOptimisticBatch: CheckWorkspaceType(wtUseODBC, "Lock Strategy 'lkOptimisticBatch'"); break;
    default: RaiseDAOError(this, ResString(kResUnknownLockStrategy), "SetLockStrategy");
  }
  lock_ = lock;
}

void TDAOBaseRecordset::RecheckWorkspaceRules() {
  // The setters would skip an unchanged value; the rules must run against the new type.
  CheckRSInactive("RecordSetType");
  ApplyRecordSetType(type_);
  CheckRSInactive("LockStrategy");
  ApplyLockStrategy(lock_);
}

void TDAOBaseRecordset::SetODBCUpdateOptions(TODBCUpdateOptions options) {
  if (!CursorIsOpen() || IsLoading()) {
    odbc_update_options_ = options;
    return;
  }
  const char* method = "SetODBCUpdateOptions";
  TDAOWorkspace* workspace = database_ != nullptr ? database_->DAOWorkspace() : nullptr;
  if (WorkspaceType() != wtUseODBC || workspace == nullptr || workspace->ODBCCursorType() != ctUseClientBatchCursor) {
    RaiseDAOError(this, ResString(kResOdbcUpdateOptionsNotAllowed), method);
  }
  auto count = [options](std::initializer_list<TODBCUpdateOption> members) {
    return std::count_if(members.begin(), members.end(), [options](TODBCUpdateOption o) { return (options & Upd(o)) != 0; });
  };
  if (count({ouCriteriaDeleteInsert, ouCriteriaUpdate}) != 1) {
    RaiseDAOError(this, ResString(kResOdbcUpdateCommandOption), method);
  }
  if (count({ouCriteriaKey, ouCriteriaModValues, ouCriteriaAllCols, ouCriteriaTimestamp}) != 1) {
    RaiseDAOError(this, ResString(kResOdbcUpdateCriteriaOption), method);
  }
  CallEngine(this, method, [&] { recordset_->SetUpdateOptions(EngineUpdateOptions(options)); });
  odbc_update_options_ = options;
}

void TDAOBaseRecordset::SetIndex(const std::string& index) {
  if (index == index_) return;
  if (!CursorIsOpen()) {
    index_ = index;
    return;
  }
  if (WorkspaceType() != wtUseJet || type_ != rtTable) {
    RaiseDAOError(this, ResString(kResIndexNotAllowed), "SetIndex");
  }
  CheckBrowseMode();
  const Variant kept = HasCurrentRecord() ? StoredBookmark(ActiveBuffer()) : Variant();
  CallEngine(this, "SetIndex", [&] { recordset_->SetIndex(index); });
  index_ = index;
  if (only_idx_field_visible_) ApplyOnlyIdxFieldVisible();
  if (!kept.IsEmpty()) GotoCOMBookmark(kept);
  DoBeforeScroll();
  if (HasCurrentRecord()) Resync(rmExact);
  DoAfterScroll();
}

void TDAOBaseRecordset::SetLockEditedPages(bool lock) {
  if (CursorIsOpen()) {
    if (WorkspaceType() != wtUseJet || (type_ != rtTable && type_ != rtQuery)) {
      RaiseDAOError(this, ResString(kResLockEditedPagesNotAllowed), "SetLockEditedPages");
    }
    CallEngine(this, "SetLockEditedPages", [&] { recordset_->SetLockEdits(lock); });
  }
  lock_edited_pages_ = lock;
}

void TDAOBaseRecordset::SetCachedRecordCount(std::int32_t count) {
  if (CursorIsOpen()) {
    if (WorkspaceType() != wtUseJet || type_ == rtTable) {
      RaiseDAOError(this, ResString(kResCachedRecordCountNotAllowed), "SetCachedRecordCount");
    }
    CallEngine(this, "SetCachedRecordCount", [&] { recordset_->SetCacheSize(count); });
  }
  cached_record_count_ = count;
}

void TDAOBaseRecordset::SetBatchInstructionCount(std::int32_t count) {
  CheckWorkspaceType(wtUseODBC, "'BatchInstructionCount' Property");
  if (CursorIsOpen()) CallEngine(this, "SetBatchInstructionCount", [&] { recordset_->SetBatchSize(count); });
  batch_instruction_count_ = count;
}

void TDAOBaseRecordset::SetOnlyIdxFieldVisible(bool value) {
  if (value == only_idx_field_visible_) return;
  only_idx_field_visible_ = value;
  if (CursorIsOpen() && value) ApplyOnlyIdxFieldVisible();
}

std::string TDAOBaseRecordset::SortFieldText() const {
  if (type_ != rtTable) return SQLSortField();
  if (!recordset_ || index_.empty()) return {};
  return GetIndexFieldsText(index_);
}

void TDAOBaseRecordset::ApplyOnlyIdxFieldVisible() {
  TField* only = FindField(SortFieldText());
  if (only == nullptr) return;
  for (TField* field : Fields()) field->SetVisible(field == only);
}

void TDAOBaseRecordset::Assign(const TComponent* source) {
  const auto* other = dynamic_cast<const TDAOBaseRecordset*>(source);
  if (other == nullptr || other == this) return;
  if (Active()) Close();
  SetDAODatabase(other->database_);
  SetRecordSetType(other->type_);
  SetAutoCalcFields(other->AutoCalcFields());
  SetSQLAutoComputeParameter(other->sql_auto_compute_parameter_);
  // The statement list itself: for a stored procedure SetSQL would overwrite the saved query.
  sql_ = other->sql_;
  if (sql_auto_compute_parameter_ && type_ != rtStoredProcedure) RecomputeParams();
  parameters_->AssignValues(*other->parameters_);
  detail_update_delay_ = other->detail_update_delay_;
  table_name_ = other->table_name_;
  stored_procedure_name_ = other->stored_procedure_name_;
  SetOptions(other->options_);
  SetLockStrategy(other->lock_);
  SetIndex(other->index_);
  SetLockEditedPages(other->lock_edited_pages_);
  SetODBCUpdateOptions(other->odbc_update_options_);
  SetOnlyIdxFieldVisible(other->only_idx_field_visible_);
  restrict_filter_ = other->restrict_filter_;
  auto_fill_up_ = other->auto_fill_up_;
  search_text_ = other->search_text_;
  if (other->Active()) Open();
}

void TDAOBaseRecordset::Loaded() {
  if (database_ != nullptr) database_->AddRecordset(this);
  // The statement list was read without recomputing: its placeholders are the parameters now.
  if (sql_auto_compute_parameter_ && type_ != rtStoredProcedure) RecomputeParams();
  try {
    TDataSet::Loaded();
  } catch (const Exception&) {
    if (!IsDesigning()) throw;
    ShowErrorBox();
  }
}

void TDAOBaseRecordset::CloseForDatabase() { Close(); }

void TDAOBaseRecordset::DetachFromDatabase() {
  if (database_ == nullptr) return;
  TDAODataBase* old = database_;
  database_ = nullptr;
  old->RemoveRecordset(this);
}

namespace {

// The parameter list in form text: one list per parameter of its name, data type, parameter
// type, bound flag and value (Null, or the value's text).
StreamValue ParamsToStream(const TParams& params) {
  std::vector<StreamValue> items;
  for (int i = 0; i < params.Count(); ++i) {
    const TParam& param = params[i];
    items.push_back(StreamValue::ListOf({StreamValue::Str(param.Name()), StreamValue::Int(param.DataType()),
                                         StreamValue::Int(param.ParamType()),
                                         StreamValue::Ident(param.Bound() ? "True" : "False"),
                                         param.IsNull() ? StreamValue::Ident("Null") : StreamValue::Str(param.AsString())}));
  }
  return StreamValue::ListOf(std::move(items));
}

TParams ParamsFromStream(const StreamValue& value) {
  const auto bad = [] { throw EConvertError("Invalid SQLParameter value"); };
  if (value.kind != StreamValue::Kind::List) bad();
  TParams params;
  for (const StreamValue& item : value.items) {
    if (item.kind != StreamValue::Kind::List || item.items.size() != 5) bad();
    const StreamValue& name = item.items[0];
    const StreamValue& type = item.items[1];
    const StreamValue& direction = item.items[2];
    if (name.kind != StreamValue::Kind::String || type.kind != StreamValue::Kind::Integer ||
        direction.kind != StreamValue::Kind::Integer || type.integer < ftUnknown || type.integer > ftDataSet ||
        direction.integer < ptUnknown || direction.integer > ptResult) {
      bad();
    }
    TParam& param = params.CreateParam(static_cast<TFieldType>(type.integer), name.text,
                                       static_cast<TParamType>(direction.integer));
    if (item.items[4].kind == StreamValue::Kind::String) param.SetValue(Variant(item.items[4].text));
    param.SetDataType(static_cast<TFieldType>(type.integer));
    param.SetBound(item.items[3].kind == StreamValue::Kind::Identifier && item.items[3].text == "True");
  }
  return params;
}

}  // namespace

const PropertyTable& TDAOBaseRecordset::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TDAOBaseRecordset>(TDataSet::ClassProperties())
          .Reference("DAODatabase", &TDAOBaseRecordset::DAODatabase, &TDAOBaseRecordset::SetDAODatabase)
          .Enum("RecordSetType",
                {"rtTable", "rtQuery", "rtSnapshot", "rtUnidirectional", "rtDynamic", "rtStoredProcedure"},
                &TDAOBaseRecordset::RecordSetType, &TDAOBaseRecordset::SetRecordSetType, rtTable)
          .Set("Options",
               {"roDenyWrite", "roDenyRead", "roReadOnly", "roAppendOnly", "roInconsistent", "roConsistent",
                "roSQLPassThrough", "roFailOnError", "roForwardOnly", "roSeeChanges", "roRunAsync", "roExecDirect",
                "roRetrieveFieldRequiredAttributesOnOpen", "roFixCursorDuringEditAndInsert",
                "roSetEmptyStringsAsNULLValues"},
               &TDAOBaseRecordset::Options, &TDAOBaseRecordset::SetOptions, Opt(roFixCursorDuringEditAndInsert))
          .Enum("LockStrategy", {"lkPessimistic", "lkOptimistic", "lkReadOnly", "lkOptimisticValue", "lkOptimisticBatch"},
                &TDAOBaseRecordset::LockStrategy, &TDAOBaseRecordset::SetLockStrategy, lkPessimistic)
          .String("Index", &TDAOBaseRecordset::Index, &TDAOBaseRecordset::SetIndex)
          .Bool("LockEditedPages", &TDAOBaseRecordset::LockEditedPages, &TDAOBaseRecordset::SetLockEditedPages, true)
          .Integer("BatchInstructionCount", &TDAOBaseRecordset::BatchInstructionCount,
                   &TDAOBaseRecordset::SetBatchInstructionCount, 0)
          .Set("ODBCUpdateOptions",
               {"ouCriteriaKey", "ouCriteriaModValues", "ouCriteriaAllCols", "ouCriteriaTimestamp",
                "ouCriteriaDeleteInsert", "ouCriteriaUpdate"},
               &TDAOBaseRecordset::ODBCUpdateOptions, &TDAOBaseRecordset::SetODBCUpdateOptions,
               Upd(ouCriteriaKey) | Upd(ouCriteriaUpdate))
          .Integer("CachedRecordCount", &TDAOBaseRecordset::CachedRecordCount, &TDAOBaseRecordset::SetCachedRecordCount, 0)
          .Bool("OnlyIdxFieldVisible", &TDAOBaseRecordset::OnlyIdxFieldVisible,
                &TDAOBaseRecordset::SetOnlyIdxFieldVisible, false)
          .Bool("RestrictFilterToIndexedFields", &TDAOBaseRecordset::RestrictFilterToIndexedFields,
                &TDAOBaseRecordset::SetRestrictFilterToIndexedFields, false)
          .Bool("AutoFillUpRecordSet", &TDAOBaseRecordset::AutoFillUpRecordSet,
                &TDAOBaseRecordset::SetAutoFillUpRecordSet, true)
          .Bool("SQLAutoComputeParameter", &TDAOBaseRecordset::SQLAutoComputeParameter,
                &TDAOBaseRecordset::SetSQLAutoComputeParameter, true)
          .Integer("DetailUpdateDelay", &TDAOBaseRecordset::DetailUpdateDelay, &TDAOBaseRecordset::SetDetailUpdateDelay,
                   300)
          .Reference("MasterSource", &TDAOBaseRecordset::MasterSource, &TDAOBaseRecordset::SetMasterSource)
          .Custom(
              "SQLParameter", [](const TDAOBaseRecordset& rs) { return ParamsToStream(rs.SQLParameter()); },
              [](TDAOBaseRecordset& rs, const StreamValue& value) { rs.SQLParameter().Assign(ParamsFromStream(value)); })
          .StoredIf([](const TDAOBaseRecordset& rs) { return rs.SQLParameter().Count() > 0; })
          .StringList("SQL", &TDAOBaseRecordset::SQL, &TDAOBaseRecordset::SetSQL)
          .String("TableName", &TDAOBaseRecordset::TableName, &TDAOBaseRecordset::SetTableName)
          .Build();
  return table;
}

}  // namespace qb
