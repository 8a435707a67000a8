// recordset/dao_base_recordset: TDAOBaseRecordset, the dataset that presents one engine
// Recordset: its configuration and guards, opening and closing, the field definitions and the
// record-buffer layout, the engine cursor kept in step with the buffers, and the edit protocol.
// The operations are split by concern over the dao_recordset_*.cpp files.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "engine/dao_object.h"
#include "engine/dao_recordset_link.h"
#include "framework/data/dataset.h"
#include "framework/data/index_defs.h"
#include "framework/data/params.h"
#include "recordset/dao_recordset_types.h"

class QTimer;

namespace qb {

namespace jet {
class Indexes;
class Parameters;
class QueryDef;
class Recordset;
class RecordsetField;
class RecordsetFields;
}  // namespace jet

class TDAODataBase;
class TDAOBaseRecordset;
class TRecordsetDataLink;
using TRecordSetNotifyEvent = std::function<void(TDAOBaseRecordset* sender)>;

// Record buffer (one fixed-size block, no part of it held elsewhere):
//   field area   for each field in field order at its Offset(): its slot (FieldDataSize bytes)
//                then one has-value byte (0 none, 1 value). RecordDataSize() bytes in all.
//   record info  kRecordInfoSize bytes: the bookmark flag, the length of the engine bookmark
//                kept (0: none) and its bytes.
// Texts are kept in their slot (the field's size and a zero byte); blob and memo values are
// not kept in the buffer at all.
//
// Engine cursor and buffers: the cursor stands on the record last fetched (or BOF / EOF) until
// something else moves it; every buffer keeps its record's engine bookmark, so MoveToRecordOf
// can put the cursor back on any buffered record. The framework's bookmark is the first 4 bytes
// of the engine bookmark. While an engine Edit or AddNew is pending and Options contains
// roFixCursorDuringEditAndInsert (the default), the recordset's own cursor moves do nothing:
// the engine would drop the pending edit.
//
// Edit protocol: dataset edit <-> engine Edit (EditMode 1), insert <-> AddNew (EditMode 2);
// Post writes the fields marked modified and calls Update, Cancel calls CancelUpdate. A failed
// Update leaves the engine edit pending, the dataset in its state and the marks set.
class TDAOBaseRecordset : public TDataSet, public TDAORecordsetLink {
  Q_OBJECT

 public:
  static constexpr int kRecordInfoSize = 20;
  static constexpr int kMaxBookmarkBytes = kRecordInfoSize - 2;

  explicit TDAOBaseRecordset(QObject* owner = nullptr);
  // Closes when open (errors are swallowed), leaves the database's recordset list.
  ~TDAOBaseRecordset() override;

  // ----- configuration (dao_recordset_config.cpp). Every guarded setter raises EDAOError
  // 65189 naming the property while the recordset is open (while the form is read it closes
  // the recordset instead); workspace rules raise 65188.
  TDAODataBase* DAODatabase() const { return database_; }
  void SetDAODatabase(TDAODataBase* database);
  TRecordSetTypes RecordSetType() const { return type_; }
  void SetRecordSetType(TRecordSetTypes type);
  TRecordSetOptions Options() const { return options_; }
  void SetOptions(TRecordSetOptions options);
  TLockStrategies LockStrategy() const { return lock_; }
  void SetLockStrategy(TLockStrategies lock);
  const std::string& Index() const { return index_; }
  void SetIndex(const std::string& index);
  bool LockEditedPages() const { return lock_edited_pages_; }
  void SetLockEditedPages(bool lock);
  std::int32_t BatchInstructionCount() const { return batch_instruction_count_; }
  void SetBatchInstructionCount(std::int32_t count);
  TODBCUpdateOptions ODBCUpdateOptions() const { return odbc_update_options_; }
  void SetODBCUpdateOptions(TODBCUpdateOptions options);
  std::int32_t CachedRecordCount() const { return cached_record_count_; }
  void SetCachedRecordCount(std::int32_t count);
  bool OnlyIdxFieldVisible() const { return only_idx_field_visible_; }
  void SetOnlyIdxFieldVisible(bool value);
  bool RestrictFilterToIndexedFields() const { return restrict_filter_; }
  void SetRestrictFilterToIndexedFields(bool value) { restrict_filter_ = value; }
  bool AutoFillUpRecordSet() const { return auto_fill_up_; }
  void SetAutoFillUpRecordSet(bool value) { auto_fill_up_ = value; }
  bool SQLAutoComputeParameter() const { return sql_auto_compute_parameter_; }
  // Switching it on recomputes the parameter list at once (dao_recordset_parameters.cpp).
  void SetSQLAutoComputeParameter(bool value);
  std::int32_t DetailUpdateDelay() const { return detail_update_delay_; }
  void SetDetailUpdateDelay(std::int32_t milliseconds);

  // The statement, one list entry per line (dao_recordset_sql.cpp). For rtStoredProcedure it
  // is the saved query's SQL, read and written at once.
  const std::vector<std::string>& SQL() const;
  void SetSQL(const std::vector<std::string>& lines);
  // The statement as one text: each line followed by a carriage return and a line feed.
  std::string GetSQLText() const;
  // Stores TEXT normalised (trimmed, semicolons removed and one appended, a PARAMETERS
  // declaration ended by ";"), split into lines at carriage returns and line feeds.
  void SetSQLText(const std::string& text);
  // rtTable: the table; rtStoredProcedure: the saved query; the statement types: the FROM
  // clause. Refused (65187 / 65186, "SetTableName") for an open rtTable or rtStoredProcedure
  // recordset. Streamed as "table\rprocedure".
  std::string TableName() const;
  void SetTableName(const std::string& name);
  const std::string& StoredProcedureName() const { return stored_procedure_name_; }

  // The workspace type of the database; wtUseJet without one.
  TWorkspaceTypes WorkspaceType() const;
  // 65189 naming PROPERTY while open ("CheckRSInactive"); while the form is read it closes.
  void CheckRSInactive(const char* property);
  // 65188 naming DESCRIPTION and REQUIRED ("CheckWorkspaceType") when the workspace type
  // differs; nothing while the form is read.
  void CheckWorkspaceType(TWorkspaceTypes required, const std::string& description) const;
  // The preconditions of opening (65196, 65197, 65198, 65168, 65199; "CheckForAbleToOpen").
  // Connects the database when it is not connected.
  void CheckForAbleToOpen();
  // Opens the engine recordset when none is held (see the .cpp for the steps).
  void CreateCOMObj();
  // 65195 "CheckActive" when closed.
  void CheckActive() const override;

  // Copies the configuration of another TDAOBaseRecordset (others: nothing); reopens when the
  // source is open.
  void Assign(const TComponent* source) override;
  void Loaded() override;

  // TDAORecordsetLink.
  void CloseForDatabase() override;
  void DetachFromDatabase() override;
  void RecheckWorkspaceRules() override;

  // ----- engine state (dao_recordset_navigation.cpp)
  bool CursorIsOpen() const override { return recordset_ != nullptr; }
  std::shared_ptr<jet::Recordset> RecordsetObject() const { return recordset_; }
  bool AtBOF() const;
  bool AtEOF() const;
  bool IsJetEmpty() const;
  bool FilledUp() const { return filled_up_; }
  // The engine bookmark of the cursor's record; Empty without a recordset.
  Variant GetCOMBookmark() const;
  // Puts the cursor on BOOKMARK (nothing for Empty); obeys the pending-edit rule.
  void GotoCOMBookmark(const Variant& bookmark);
  void MoveNextRecord();
  void MovePriorRecord();
  void MoveLastRecord(int options);
  void FillUp();
  void SetPercentPosition(float percent);
  void SetAbsolutePosition(std::int64_t position);
  void COMRequery(const std::shared_ptr<jet::QueryDef>& new_query);

  // ----- edit protocol (dao_recordset_editing.cpp)
  // The engine EditMode; 28672 without a recordset.
  int GetEditMode() const;
  bool GetUpdatable() const;
  void COMEdit();
  void COMAddNew();
  void COMUpdate(int update_type, bool force);
  void COMCancelUpdate(int update_type);
  // Makes sure an engine edit is pending for the edit or insert state; true.
  virtual bool EnsureEditMode();

  // ----- fields and buffers (dao_recordset_fields.cpp)
  int RecordDataSize() const { return record_size_; }
  // Bytes of FIELD's slot: texts their size and a zero byte, blob kinds 0, else DataSize().
  virtual int FieldDataSize(const TField* field) const;
  // The engine field number of FIELD (1-based; -1 when none), as set when opening.
  int JetFieldNumber(const TField* field) const;
  bool FieldModified(const TField* field) const;
  void ClearModifiedFlags();

  TRecordSetNotifyEvent OnCursorMove;

  // The text the incremental search edit last searched for; emptied when a grid changes the
  // sort order. Copied by Assign.
  const std::string& SearchText() const { return search_text_; }
  void SetSearchText(std::string text) { search_text_ = std::move(text); }

  // ----- statement clauses (dao_recordset_sql.cpp): views on the statement; writing one
  // rebuilds the statement, an empty value removes the clause.
  std::string SQLSelectedFields() const;
  void SetSQLSelectedFields(const std::string& value);
  std::string SQLFilter() const;
  void SetSQLFilter(const std::string& value);
  std::string SQLGroupBy() const;
  void SetSQLGroupBy(const std::string& value);
  std::string SQLHaving() const;
  void SetSQLHaving(const std::string& value);
  std::string SQLSortField() const;
  void SetSQLSortField(const std::string& value);

  // ----- parameters and master-detail links (dao_recordset_parameters.cpp,
  // dao_recordset_master_detail.cpp)
  // The ":name" placeholders of the statement; values the application set are Bound.
  TParams& SQLParameter() { return *parameters_; }
  const TParams& SQLParameter() const { return *parameters_; }
  // Copies the values of the parameters of SOURCE whose names occur here.
  void SetSQLParameter(const TParams& source);
  void RecomputeParams();
  // Fills every unbound parameter from the master's field of its name (65191 to 65193).
  void GetLinkedParameterValues();
  // The statement with each placeholder replaced by its value written as a literal (65194).
  virtual std::string GetPreparedSQLStatement();
  // The saved query's parameters (65152, 65168, 65153, 65154).
  std::shared_ptr<jet::Parameters> GetStoredProcParameters();
  // False (after message 65155 unless QUIET) when a stored procedure parameter has no value.
  bool CheckStoredProcParamValues(bool quiet);
  // A statement that declares PARAMETERS takes values only through a query definition: given
  // a temporary one made from it (unnamed, never stored), the statement types open that query
  // instead of their statement, asking for missing values as a stored procedure does. Set while
  // closed (65189 "StatementQuery"); null, the default, opens the statement again.
  void SetStatementQuery(std::shared_ptr<jet::QueryDef> query);
  const std::shared_ptr<jet::QueryDef>& StatementQuery() const { return statement_query_; }
  // When a parameter of QUERY has no value (Empty or Null), asks for the values through
  // EditStoredProcParams; true when every parameter has one afterwards. Raises what the engine
  // raises for QUERY's parameters.
  bool AskParameterValues(jet::QueryDef& query);
  // The query AskParameterValues is asking for, while it asks; null otherwise (the parameter
  // dialog then shows the stored procedure's).
  const std::shared_ptr<jet::QueryDef>& ParameterQuery() const { return parameter_query_; }
  TDataSource* MasterSource() const;
  // Refuses a source that leads back to this recordset (65190).
  void SetMasterSource(TDataSource* source);
  TDataSource* MasterDataSource() const override { return MasterSource(); }
  // The master moved or changed: re-execute after DetailUpdateDelay (at once for 0).
  void MasterChanged();
  // Runs the statement again with the master's current values.
  void ReexecuteQuery();
  // True between a master change and the delayed re-execution.
  bool DetailUpdatePending() const;
  void Notification(TComponent* component, TOperation operation) override;

  // ----- searching (dao_recordset_search.cpp)
  bool Locate(std::string_view key_fields, const Variant& key_values, TLocateOptions options) override;
  Variant Lookup(std::string_view key_fields, const Variant& key_values, std::string_view result_fields) override;
  // rtTable: by Seek on the index of the key fields; the query types: by FindFirst.
  bool LocateRecord(std::string_view key_fields, const Variant& key_values, bool move, TLocateOptions options);
  enum TFindOperation { foFindFirst, foFindLast, foFindNext, foFindPrevious };
  bool SearchForRecord(const std::string& criteria, bool move, TFindOperation operation);
  // The engine's Seek with at most 13 key values (an array, or one value).
  bool Seek(const std::string& comparison, const Variant& key_values, bool move);
  bool NoMatch() const;
  // The FindFirst criteria for KEY_FIELDS and KEY_VALUES; empty when every value is Null.
  std::string LocateCriteria(std::string_view key_fields, const Variant& key_values, TLocateOptions options) const;
  TIndexDefs& IndexDefs() { return index_defs_; }
  void UpdateIndexDefs();
  // The index's field names separated by ";" (signs removed); empty when there is none.
  std::string GetIndexFieldsText(const std::string& index_name) const;
  // The first index whose fields are exactly FIELDS (case ignored); empty when none.
  std::string FindIndexName(const std::string& fields) const;
  bool IsIndexedField(const TField* field) const override;
  std::vector<TField*> IndexFields() const override;

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 protected:
  // TDataSet hooks.
  TRecordBuffer AllocateRecordBuffer() override;
  void ReleaseRecordBuffer(TRecordBuffer& buffer) override;
  void ClearRecordBuffer(TRecordBuffer buffer) override;
  TFetchResult FetchRecord(TRecordBuffer buffer, TFetchMode mode, bool check) override;
  void ReadBookmark(TRecordBuffer buffer, std::uint8_t* destination) const override;
  void WriteBookmark(TRecordBuffer buffer, const std::uint8_t* source) override;
  TBookmarkFlag ReadBookmarkFlag(TRecordBuffer buffer) const override;
  void WriteBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
  void MoveToBookmark(const std::uint8_t* bookmark) override;
  void MoveToRecordOf(TRecordBuffer buffer) override;
  void MoveBeforeFirst() override;
  void MoveAfterLast() override;
  void OpenRecordset() override;
  void CloseRecordset() override;
  void InternalInitFieldDefs() override;
  bool ReadFieldValue(const TField* field, void* destination) override;
  void WriteFieldValue(TField* field, const void* source) override;
  void BeginEdit() override;
  void PrepareInsert() override;
  void PostRecord() override;
  void CancelRecord() override;
  void DeleteRecord() override;
  void RefreshRecords() override;
  int CountRecords() override;
  int GetRecordNumber() override;
  void SetRecordNumber(int number) override;
  bool HasSequenceNumbers() override;
  int CompareBookmarkValues(const std::uint8_t* a, const std::uint8_t* b) const override;
  bool CheckBookmark(const std::uint8_t* bookmark) override;
  bool ReadCurrentRecord(TRecordBuffer buffer) override;
  bool CanModifyRecords() const override;
  TFieldFactory FieldClassFor(TFieldType type) const override;

  // Numbers, offsets and the modified marks of the fields (65231 without engine fields).
  virtual void InitFieldOffsets();
  void ComputeRecordSize();
  // The buffer field access uses in the current state; null when there is none.
  TRecordBuffer StateBuffer();
  // Copies FIELD of the cursor's record into its slot in BUFFER / the slot into the pending
  // engine edit.
  void ReadJetField(const TField* field, TRecordBuffer buffer);
  void WriteJetField(const TField* field, TRecordBuffer buffer);
  // The engine's Fields of the held recordset; null when none.
  std::shared_ptr<jet::RecordsetFields> JetFields() const;
  // The engine field at INDEX (from 0) of the held recordset. REQUIRES: one is held.
  std::shared_ptr<jet::RecordsetField> JetField(int index) const;
  // Stored procedures: binds parameter values to QUERY before it opens (the base binds
  // nothing), and asks for missing values (the base asks nothing). Opening happens only when
  // every parameter has a value afterwards.
  virtual void BindStoredProcParams(jet::QueryDef& query);
  virtual void EditStoredProcParams(jet::QueryDef& query);
  bool SeekKey(bool nearest) override;

 private:
  void ApplyRecordSetType(TRecordSetTypes type);
  void ApplyLockStrategy(TLockStrategies lock);
  void ApplyOnlyIdxFieldVisible();
  std::string SortFieldText() const;
  void OpenStoredProcedure(int type, int options, int lock);
  void ApplyOpenSettings();
  void ReleaseRecordset();
  // The engine's RecordCount as CountRecords answers it (see there); -1: ask the engine.
  void ForgetRecordCount() { known_record_count_ = -1; }
  bool EditPendingBlocksMoves() const;
  void CursorMoved();
  // The record info of BUFFER.
  std::uint8_t* Info(TRecordBuffer buffer) const { return buffer + record_size_; }
  Variant StoredBookmark(TRecordBuffer buffer) const;
  void StoreBookmark(TRecordBuffer buffer, const Variant& bookmark);

  TDAODataBase* database_ = nullptr;  // not owned; unbinds this recordset before it goes
  TRecordSetTypes type_ = rtTable;
  TRecordSetOptions options_ = Opt(roFixCursorDuringEditAndInsert);
  TLockStrategies lock_ = lkPessimistic;
  std::string index_;
  bool lock_edited_pages_ = true;
  std::int32_t batch_instruction_count_ = 0;
  TODBCUpdateOptions odbc_update_options_ = Upd(ouCriteriaKey) | Upd(ouCriteriaUpdate);
  std::int32_t cached_record_count_ = 0;
  bool only_idx_field_visible_ = false;
  bool restrict_filter_ = false;
  bool auto_fill_up_ = true;
  bool sql_auto_compute_parameter_ = true;
  std::int32_t detail_update_delay_ = 300;
  std::vector<std::string> sql_;
  std::string table_name_;
  std::string stored_procedure_name_;

  std::shared_ptr<jet::Recordset> recordset_;  // held exactly while the cursor is open
  bool filled_up_ = false;
  // The record count last read from the engine while it was final: counting a table reads all
  // of it, and the grid asks at every step. Forgotten by every change that can alter it.
  std::int64_t known_record_count_ = -1;
  // A forward-only recordset cannot step back before its first record: after opening it
  // stands on that record, and the first MoveNextRecord only leaves this flag.
  bool forward_before_first_ = false;
  int record_size_ = 0;
  int buffer_size_ = 0;
  int jet_field_count_ = 0;  // engine fields of the open recordset
  // By engine position of each definition (index in FieldDefs): where its values come from.
  std::vector<int> def_jet_index_;
  // The engine's field objects of the held recordset, made on first use (their values are read
  // afresh each time); emptied when the recordset is released.
  mutable std::vector<std::shared_ptr<jet::RecordsetField>> field_cache_;
  // Modified marks, indexed by engine field number - 1.
  std::vector<bool> modified_;
  TRecordBuffer set_key_buffer_ = nullptr;
  std::string search_text_;

  // Statement clauses, parameters, master-detail links and searching.
  mutable std::vector<std::string> procedure_sql_;  // the saved query's SQL, as last read
  std::unique_ptr<TParams> parameters_ = std::make_unique<TParams>();
  std::shared_ptr<jet::QueryDef> statement_query_;  // opened instead of the statement when set
  std::shared_ptr<jet::QueryDef> parameter_query_;  // set while AskParameterValues asks
  std::unique_ptr<TRecordsetDataLink> master_link_;  // made with the first MasterSource
  QTimer* detail_timer_ = nullptr;                   // child of this; made on first use
  TIndexDefs index_defs_;
  mutable std::shared_ptr<jet::Indexes> index_list_;  // of the table recordset index_list_of_
  mutable std::weak_ptr<jet::Recordset> index_list_of_;
  bool looking_up_ = false;  // set-key state entered by Lookup: fields use the lookup buffer
  QTimer& DetailTimer();
  std::string ReadStoredProcedureSQL() const;
  void WriteStoredProcedureSQL(const std::string& text);
  std::string ClauseOf(int clause) const;
  void SetClause(int clause, const std::string& value);
  bool AfterSearch(bool found, bool move);
  // rtTable: makes the index whose fields are KEY_FIELDS current; 65156 (the index unchanged)
  // when there is none.
  void UseIndexOf(std::string_view key_fields);
  std::shared_ptr<jet::Indexes> IndexList() const;

  // ----- blob streams (dao_recordset_blob.cpp; the stream class is installed by the fields
  // layer, dao_field_hooks.h)
 public:
  // After a blob stream changed FIELD's engine value: the has-value byte follows the engine's
  // value, and the data links are told that the field changed.
  void BlobValueWritten(TField* field);

 protected:
  std::unique_ptr<TBlobStream> OpenBlobStream(TField* field, TBlobStreamMode mode) override;
};

}  // namespace qb
