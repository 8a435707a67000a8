// framework/data/dataset: the abstract dataset: states, the ring of record buffers, the active
// record, opening and closing, navigation, editing and the notifications to data sources. A
// descendant supplies the records through the virtual hooks below; the dataset never reads a
// record buffer's contents itself.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "framework/component/component.h"
#include "framework/data/blob_stream.h"
#include "framework/data/data_errors.h"
#include "framework/data/data_types.h"
#include "framework/data/field_defs.h"

namespace qb {

class TField;
class TDataSource;
class TDataSet;

using TDataSetNotifyEvent = std::function<void(TDataSet* sender)>;
using TFilterRecordEvent = std::function<void(TDataSet* sender, bool& accept)>;
using TDataSetErrorEvent = std::function<void(TDataSet* sender, EDatabaseError& error, TDataAction& action)>;
// Makes a field of one class for a field type, owned by OWNER.
using TFieldFactory = TField* (*)(QObject* owner);

// State machine (State()):
//   inactive -> browse: Open / SetActive(true): BeforeOpen, OpenRecordset, the ring filled from
//     the first record, browse, AfterOpen, AfterScroll. A failure closes the cursor again,
//     destroys default fields and leaves the dataset inactive.
//   browse -> edit: Edit (BeforeEdit, BeginEdit on the active record, AfterEdit).
//   browse -> insert: Insert (a new buffer before the active record) or Append (a new buffer
//     after the last record): BeforeInsert, BeforeScroll, PrepareInsert, OnNewRecord,
//     AfterInsert, AfterScroll.
//   edit/insert -> browse: Post (BeforePost, required fields, PostRecord, AfterPost) or Cancel
//     (BeforeCancel, CancelRecord, AfterCancel); the ring is refilled around the cursor. A
//     failed Post or a BeforePost that raises leaves the state and the buffer as they were.
//   browse -> set-key: SetKey / EditKey; back by Post (the key kept) or Cancel (restored).
//   browse -> block read: SetBlockReadSize(n > 0); back by SetBlockReadSize(0) or editing.
//   any -> inactive: Close / SetActive(false): a pending edit is cancelled first.
//   The temporary states (calculating fields, filtering, new/old/current value, block read,
//   internal calculation) are entered with SetTempState and left with RestoreState; while one
//   is in force the data links are not told anything.
// Buffer ring: Buffer(0) .. Buffer(BufferedRecords() - 1) hold consecutive records in cursor
// order; ActiveRecord() indexes the one the fields show. The ring holds BufferCount() buffers,
// the largest BufferCount of the data links (at least 1), plus one scratch buffer for fetching.
class TDataSet : public TComponent {
  Q_OBJECT

 public:
  explicit TDataSet(QObject* owner = nullptr);
  // REQUIRES: the descendant's destructor has closed the dataset (Close() in its destructor),
  // since its hooks are gone here. Detaches the data sources and frees the default fields.
  ~TDataSet() override;

  // --- opening and state
  bool Active() const { return state_ != dsInactive; }
  // While the owning form is being read only records the value; Loaded applies it.
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return state_; }
  // Raises EDatabaseError kDataSetClosed when inactive. Virtual: a descendant may use its own
  // message.
  virtual void CheckActive() const;
  // Opens the dataset when Active was read as true. In a designer a failure is reported
  // (ReportException) instead of raised, so that the form still loads.
  void Loaded() override;
  // Shows ERROR, an exception the dataset caught in its own work and does not pass on (an open
  // failing while a designer loads the form, a cancel failing while the dataset closes). The
  // base hands it to the application's exception display (App().HandleException); an EAbort
  // is silent. A descendant may show it its own way.
  virtual void ReportException(const std::exception& error);
  // Published: Active (false), AutoCalcFields (true).
  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

  // --- navigation. Each leaves a pending edit first (CheckBrowseMode).
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves DISTANCE records (negative: backwards); answers how many it moved. Stops at either
  // end and sets Bof() or Eof().
  int MoveBy(int distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return record_count_ == 0; }
  // Record number of the active record (1-based) and its setter, the record count and whether
  // numbers are meaningful: answered by the descendant (-1: unknown).
  int RecNo();
  void SetRecNo(int number);
  int RecordCount();
  bool IsSequenced();

  // --- bookmarks (BookmarkSize() bytes; empty: none)
  TBookmark GetBookmark() const;      // of the active record; empty when it has none
  void GotoBookmark(const TBookmark& bookmark);  // raises kRecordNotFound when gone
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
  bool BookmarkValid(const TBookmark& bookmark);
  int BookmarkSize() const { return bookmark_size_; }

  // Refills the ring around the cursor's record: rmExact raises kRecordNotFound when the
  // cursor stands on no record; rmCenter puts the record in the middle of the ring, else at
  // the active record's index. Without rmExact a vanished record is replaced by its neighbour.
  void Resync(TResyncMode mode);

  // --- filtering and finding (dataset_filter.cpp)
  // While Filtered is on and OnFilterRecord is assigned, the ring holds only the records the
  // handler accepts (it runs in the filtering state and reads the record through the fields).
  // An exception in the handler is reported (ReportException) and the record kept. Changing
  // Filtered, or the handler through SetOnFilterRecord, on an open dataset leaves a pending
  // edit and moves to the first record.
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool value);
  void SetOnFilterRecord(TFilterRecordEvent handler);
  TFilterRecordEvent OnFilterRecord;
  // Move to the first / next / prior / last record that OnFilterRecord accepts (every record
  // without a handler), whether Filtered is on or not. Answer whether one was found; when none
  // is, the active record stays. Found() tells the last answer.
  bool FindFirst() { return FindRecord(true, true); }
  bool FindNext() { return FindRecord(false, true); }
  bool FindPrior() { return FindRecord(false, false); }
  bool FindLast() { return FindRecord(true, false); }
  bool Found() const { return found_; }
  // A size above 0 puts an open dataset (after leaving a pending edit) into the block-read
  // state: it moves as in browse state but tells the data links nothing; 0 returns to browse
  // and tells the links that the records changed. Editing or closing ends a block read too.
  int BlockReadSize() const { return block_read_size_; }
  void SetBlockReadSize(int size);

  // --- searching by key (dataset_keys.cpp)
  // SetKey leaves a pending edit and enters the set-key state with an empty key; EditKey keeps
  // the key's values, criteria, KeyFieldCount and KeyExclusive. In this state the fields read
  // and write the key buffer, only indexed fields (IsIndexedField) take values, and text set
  // through a field (SetText, as a control types it) is kept as the field's criterion
  // (KeyCriterion; Text shows it), the value being set too when the text converts. Post keeps
  // the key, Cancel restores the one before; both return to browse state.
  void SetKey();
  void EditKey();
  // Whether a nearest search skips records equal to the key; how many leading index fields
  // the key has (0: all). Set in set-key state only (kNotSetKey).
  bool KeyExclusive() const { return key_exclusive_; }
  void SetKeyExclusive(bool value);
  int KeyFieldCount() const { return key_field_count_; }
  void SetKeyFieldCount(int count);
  // The text typed for FIELD in set-key state; empty when none.
  std::string KeyCriterion(const TField* field) const;
  // GotoKey moves to the record whose index fields equal the key (after leaving set-key state)
  // and answers whether there is one; when there is none the active record stays. GotoNearest
  // moves to the first record at or after the key (after it with KeyExclusive), else to the
  // last record. FindKey and FindNearest first give the index fields (IndexFields) VALUES in
  // order and KeyFieldCount their number. The base versions search through SeekKey.
  virtual bool GotoKey();
  virtual void GotoNearest();
  virtual bool FindKey(const std::vector<Variant>& values);
  virtual void FindNearest(const std::vector<Variant>& values);
  // The fields of the index a key search uses, in key order; the base has none.
  virtual std::vector<TField*> IndexFields() const { return {}; }

  // --- lookups (dataset_lookup.cpp)
  // Moves to the first record whose KEY_FIELDS (names separated by ";") hold KEY_VALUES (one
  // value, or an array with one element per field) and answers whether there is one; the
  // dataset stays put otherwise. Lookup answers the values of RESULT_FIELDS (one value, or an
  // array for several names) of that record without moving, Null when there is none. The
  // base versions find nothing: a descendant searches its store.
  virtual bool Locate(std::string_view key_fields, const Variant& key_values, TLocateOptions options);
  virtual Variant Lookup(std::string_view key_fields, const Variant& key_values,
                         std::string_view result_fields);
  // The fields NAMES lists (separated by ";", blanks around a name ignored); raises
  // kFieldNotFound naming the first unknown one.
  std::vector<TField*> GetFieldList(std::string_view names) const;
  // The value of the one field NAMES lists, or an array of the values of several.
  Variant FieldValues(std::string_view names) const;
  // True when a lookup field of this dataset looks up in TARGET, directly or through the
  // lookup fields of the datasets it looks up in.
  bool LookupsLeadTo(const TDataSet* target) const;

  // --- editing
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  // Posts a modified edit or insert, cancels an unmodified one; nothing in browse state.
  void CheckBrowseMode();
  void Refresh();
  // Asks the data links to write their pending values into the fields (deUpdateRecord).
  void UpdateRecord();
  bool Modified() const { return modified_; }
  // False for a closed dataset or one the descendant does not let modify.
  bool CanModify() const;

  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disable_count_ > 0; }

  // --- fields
  TFieldDefs& FieldDefs() { return field_defs_; }
  const std::vector<TField*>& Fields() const { return fields_; }
  TField* FindField(std::string_view name) const;
  TField* FieldByName(std::string_view name) const;  // raises kFieldNotFound
  // True while the fields were created from the definitions at opening (none were persistent).
  bool DefaultFields() const { return default_fields_; }
  bool AutoCalcFields() const { return auto_calc_fields_; }
  // A stream over FIELD's value (OpenBlobStream); raises kDataSetClosed when closed and, for
  // a write mode, the refusals of TField::CheckWritable.
  std::unique_ptr<TBlobStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
  void SetAutoCalcFields(bool value) { auto_calc_fields_ = value; }

  // --- buffer ring, for descendants and data links
  int BufferCount() const { return buffer_count_; }
  int BufferedRecords() const { return record_count_; }
  int ActiveRecord() const { return active_record_; }
  TRecordBuffer Buffer(int index) const { return buffers_[static_cast<size_t>(index)]; }
  // The active buffer, or null when the ring holds no record.
  TRecordBuffer ActiveBuffer() const;
  // True when the ring holds at least one record (the active record is a real one).
  bool HasCurrentRecord() const { return record_count_ > 0; }
  // Makes ring buffer INDEX the one the fields read, without moving the cursor and without
  // telling the data links: a grid reads each row of its window so and puts the previous index
  // (the answer) back at once. An INDEX outside the filled buffers changes nothing.
  int SetDisplayRecord(int index);
  // The buffer OnCalcFields writes to (valid in the calculating-fields and internal-calculation
  // states).
  TRecordBuffer CalcBuffer() const { return calc_buffer_; }
  // The buffer OnFilterRecord reads (valid in the filtering state).
  TRecordBuffer FilterBuffer() const { return filter_buffer_; }
  // Recomputes the data links' needs and resizes the ring (a data link calls it).
  void UpdateBufferCount();

  // The master data source this dataset follows, or null (used to refuse circular links).
  virtual TDataSource* MasterDataSource() const { return nullptr; }
  // True when SOURCE is this dataset's master source or one of its masters' sources.
  bool IsLinkedTo(const TDataSource* source) const;

  // Sends EVENT to every data source (and so to their links); see TDataEvent for INFO. While
  // controls are disabled only deUpdateRecord and deCheckBrowseMode are delivered (so that no
  // pending value of a control is lost); the rest is summed up by EnableControls.
  void DataEvent(TDataEvent event, std::intptr_t info = 0);

  // --- events
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

 protected:
  // ===== hooks the descendant implements =====
  // A new buffer (zero-filled) / free it and set it to null (nothing for null) / empty it.
  virtual TRecordBuffer AllocateRecordBuffer() = 0;
  virtual void ReleaseRecordBuffer(TRecordBuffer& buffer) = 0;
  virtual void ClearRecordBuffer(TRecordBuffer buffer) = 0;
  // Moves the cursor by MODE and copies its record (fields, bookmark, flag bfCurrent) into
  // BUFFER, then ComputeCalculatedFields(BUFFER). With CHECK a failure raises; without it the
  // result is frError.
  virtual TFetchResult FetchRecord(TRecordBuffer buffer, TFetchMode mode, bool check) = 0;
  virtual void ReadBookmark(TRecordBuffer buffer, std::uint8_t* destination) const = 0;
  virtual void WriteBookmark(TRecordBuffer buffer, const std::uint8_t* source) = 0;
  virtual TBookmarkFlag ReadBookmarkFlag(TRecordBuffer buffer) const = 0;
  virtual void WriteBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
  virtual void MoveToBookmark(const std::uint8_t* bookmark) = 0;
  virtual void MoveToRecordOf(TRecordBuffer buffer) = 0;
  virtual void MoveBeforeFirst() = 0;
  virtual void MoveAfterLast() = 0;
  // Opens the cursor, fills FieldDefs, creates the default fields (CreateFields) and binds
  // them (BindFields), sets BookmarkSize. Leaving the cursor closed without raising means
  // "nothing to open": the dataset stays inactive.
  virtual void OpenRecordset() = 0;
  // Unbinds the fields, destroys default ones (DestroyFields) and closes the cursor.
  virtual void CloseRecordset() = 0;
  virtual bool CursorIsOpen() const = 0;
  virtual void InternalInitFieldDefs() = 0;
  // The field's value in the buffer of the current state (StateBuffer): answers whether it has
  // one and, with DESTINATION, copies it there in the field's native format (TField docs).
  // The buffer by state: CalcBuffer() when calculating fields or internal ones, FilterBuffer()
  // when filtering, the record as it was before the edit for the old value, the record as now
  // stored for the current value, the active buffer for the new value and otherwise.
  virtual bool ReadFieldValue(const TField* field, void* destination) = 0;
  // Stores SOURCE (native format) or, for null, no value; then NotifyDataChange(deFieldChange)
  // unless in a calculating, filtering or new-value state.
  virtual void WriteFieldValue(TField* field, const void* source) = 0;
  virtual void BeginEdit() {}
  virtual void PrepareInsert() {}
  // Stores the edited or inserted active buffer (its bookmark flag tells where an inserted one
  // goes: bfInserted before the record of its bookmark, bfBOF first, bfEOF last); leaves the
  // cursor on the stored record.
  virtual void PostRecord() = 0;
  virtual void CancelRecord() {}
  // Deletes the cursor's record; leaves the cursor on the next one (or after the last).
  virtual void DeleteRecord() = 0;
  virtual void RefreshRecords() {}
  virtual int CountRecords() { return -1; }
  virtual int GetRecordNumber() { return -1; }
  virtual void SetRecordNumber(int /*number*/) {}
  virtual bool HasSequenceNumbers() { return false; }
  // -1, 0 or 1; either may be null (no bookmark).
  virtual int CompareBookmarkValues(const std::uint8_t* a, const std::uint8_t* b) const = 0;
  virtual bool CheckBookmark(const std::uint8_t* bookmark) = 0;
  // Copies the cursor's record into BUFFER (fields, then ComputeCalculatedFields) without
  // touching its bookmark or flag; false when there is no current record. The ring itself is
  // refilled through FetchRecord(fmCurrent) (Resync, Refresh); this serves reads into buffers
  // of the descendant's own, such as a lookup buffer.
  virtual bool ReadCurrentRecord(TRecordBuffer /*buffer*/) { return false; }
  virtual bool CanModifyRecords() const { return true; }
  // A stream over FIELD's value in the buffer of the current state. The base raises
  // kFieldAccess: a dataset without blob fields need not implement it.
  virtual std::unique_ptr<TBlobStream> OpenBlobStream(TField* field, TBlobStreamMode mode);
  virtual bool IsIndexedField(const TField* /*field*/) const { return false; }
  // Puts the cursor on the first record whose first KeyFieldCount() index fields (all when 0)
  // equal the key buffer's, answering whether there is one; with NEAREST on the first record
  // at or after the key (after it with KeyExclusive()), or after the last record. The base
  // raises kNoKeySearch.
  virtual bool SeekKey(bool nearest);
  // The class of default field made for TYPE; null: no field for it. The base answers the
  // framework's own classes.
  virtual TFieldFactory FieldClassFor(TFieldType type) const;

  // ===== services for the descendant =====
  // The buffer the fields read and write in set-key state (allocated on first use, released
  // when the dataset closes); null before the first SetKey or EditKey.
  TRecordBuffer KeyBuffer() const { return key_buffer_; }
  void SetBookmarkSize(int size) { bookmark_size_ = size; }
  // The cursor no longer stands where the dataset last put it.
  void InvalidateCursorPosition() { current_record_ = -1; }
  // Puts the cursor on the active record's buffer when it is not there already.
  void UpdateCursorPos();
  // Fills the calculated and lookup fields of BUFFER: the calculated ones are cleared, each
  // lookup field takes the LookupDataSet's value for its KeyFields, then OnCalcFields runs,
  // all in the calculating-fields state.
  void ComputeCalculatedFields(TRecordBuffer buffer);
  // Runs OnCalcFields on BUFFER in the internal-calculation state, where only the internally
  // calculated fields (stored with the record) take values. Post does it for the record it
  // stores; a descendant may do it when it reads records.
  void RefreshInternalCalcFields(TRecordBuffer buffer);
  // deFieldChange (FIELD) or deRecordChange.
  void NotifyDataChange(TDataEvent event, TField* field = nullptr) {
    DataEvent(event, reinterpret_cast<std::intptr_t>(field));
  }
  void DoBeforeScroll() { Fire(BeforeScroll); }
  void DoAfterScroll() { Fire(AfterScroll); }
  TDataSetState SetTempState(TDataSetState state);
  void RestoreState(TDataSetState state);
  // Creates a field of FieldClassFor for each definition (owned by this dataset); marks the
  // fields as default ones. Nothing when persistent fields exist.
  void CreateFields();
  // Binding: each data field takes its definition's number (raises kFieldNotFound when its
  // definition is missing), each internally calculated one too when it has a definition;
  // unbinding resets them.
  void BindFields(bool binding);
  void DestroyFields();

 private:
  friend class TField;
  friend class TDataSource;

  // Fields join or leave only while the dataset is closed (kDataSetOpen).
  void CheckInactiveForFields() const;
  void Fire(const TDataSetNotifyEvent& event) {
    if (event) event(this);
  }
  void SetState(TDataSetState state);
  void OpenCursor();
  void CloseCursor();
  void SetBufferCount(int count);
  void FreeBuffers();
  void ClearBuffers();
  void PositionCursorOn(int index);
  // FetchRecord, passing over the records the filter refuses while filtering.
  TFetchResult FetchAccepted(TRecordBuffer buffer, TFetchMode mode, bool check);
  bool Filtering() const { return filtered_ && OnFilterRecord != nullptr; }
  bool RecordAccepted(TRecordBuffer buffer);
  bool FindRecord(bool restart, bool forward);
  // Key buffer: enter set-key state (CLEAR: with an empty key), leave it keeping or restoring.
  void BeginKeyEntry(bool clear);
  void EndKeyEntry(bool commit);
  void SetKeyText(TField* field, const std::string& text);
  const std::string* FindKeyText(const TField* field) const;
  void ForgetKeyText(const TField* field);
  void AssignKeyValues(const std::vector<Variant>& values);
  void ReleaseKeyBuffer();
  bool FetchNextIntoRing();
  bool FetchPriorIntoRing();
  void FillForward();
  void FillBackward();
  void InitNewRecord(TRecordBuffer buffer);
  void BeginInsertAppend();
  void EndInsertAppend();
  void CheckCanModify() const;
  void CheckRequiredFields();
  void RunGuarded(const TDataSetErrorEvent& handler, const std::function<void()>& operation);
  void AddField(TField* field);
  void RemoveField(TField* field);
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);
  bool HasCalcFields() const;
  bool HasInternalCalcFields() const;
  void ComputeLookupValue(TField* field);
  // Raises kCircularLookup when a lookup field leads back to this dataset: computing its value
  // would look up in this dataset again, without end.
  void CheckLookupFields() const;

  TDataSetState state_ = dsInactive;
  // Ring: buffers_ holds buffer_count_ + 1 buffers (the last is the scratch buffer).
  std::vector<TRecordBuffer> buffers_;
  int buffer_count_ = 0;
  int record_count_ = 0;    // buffers holding records, from index 0
  int active_record_ = 0;   // index of the active buffer
  int current_record_ = -1; // buffer the cursor stands on; -1: unknown
  int scroll_shift_ = 0;    // how far the ring turned during the current move
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool auto_calc_fields_ = true;
  bool default_fields_ = false;
  bool stream_active_ = false;  // Active as read from a form, applied by Loaded
  int bookmark_size_ = 0;
  TRecordBuffer calc_buffer_ = nullptr;
  TRecordBuffer filter_buffer_ = nullptr;
  // The key and the copy SetKey / EditKey took of it, for Cancel.
  struct KeySnapshot {
    std::vector<std::pair<const TField*, std::vector<std::uint8_t>>> values;  // fields with a value
    std::vector<std::pair<const TField*, std::string>> texts;
    bool exclusive = false;
    int field_count = 0;
  };
  TRecordBuffer key_buffer_ = nullptr;
  std::vector<std::pair<const TField*, std::string>> key_texts_;
  bool key_exclusive_ = false;
  int key_field_count_ = 0;
  KeySnapshot key_saved_;
  bool setting_key_text_ = false;
  bool filtered_ = false;
  bool found_ = false;
  int block_read_size_ = 0;
  int disable_count_ = 0;
  TDataEvent enable_event_ = deDataSetChange;  // what EnableControls sends
  TDataSetState disable_state_ = dsInactive;   // the state when controls were disabled
  TFieldDefs field_defs_;
  std::vector<TField*> fields_;          // in field order; persistent ones are owned elsewhere
  std::vector<TDataSource*> sources_;    // data sources whose DataSet is this dataset
};

}  // namespace qb
