// jet/recordset/recordset: the Recordset object: the rows of a stored table, a saved query or
// a statement, one current record at a time, with the Fields of that record, bookmarks, the
// edit cycle, Seek (table-type) and the Find methods. Made by Database.OpenRecordset,
// TableDef.OpenRecordset and QueryDef.OpenRecordset. Not thread-safe: one thread per engine.
//
// Kinds (Type):
//   table-type (1)    one stored table in the order of its current Index (none: the order rows
//                     were added); sees every change at once (stepping to a neighbour read with
//                     the current record's run does not read again, as for dynasets); exact
//                     RecordCount; Seek. It moves by key and holds one run of rows, whatever
//                     the table's size; PercentPosition counts the rows before its key.
//   dynaset (2)       the keys of its base rows, learnt a slice at a time as they are reached;
//                     each row is read when reached, so it shows changes made since (rows are
//                     read in runs of up to 256; stepping to a neighbour inside the run does not
//                     read again, as Jet's record cache does); a row deleted meanwhile stays as a
//                     hole (touching it raises kRecordDeleted).
//                     Updatable when its rows are the rows of one table, or of tables joined
//                     by one-to-many links (join_plan.h says which joins qualify), also when
//                     drawn through saved queries or derived tables that are updatable in
//                     turn. A computed field is read-only (DataUpdatable false; setting it
//                     raises kFieldIsExpression) and read again by the row's key with the
//                     statement's parameters; the other fields stay editable.
//   snapshot (4)      a fixed copy of the rows, read when opened; read-only.
//   forward-only (8)  a snapshot read only forwards (MoveNext and Move with n > 0).
//
// The current position (one state machine, see recordset_state.h): before the first record
// (BOF), on a record, on the gap a deleted record left (no current record until a move), or
// after the last record (EOF). An empty recordset is at BOF and EOF at once.
//
// Edit cycle: EditMode 0 (none) -> Edit -> 1 -> Update/CancelUpdate -> 0; AddNew -> 2 ->
// Update/CancelUpdate -> 0. Every move, Find, Seek, bookmark change, Requery and Close drops a
// pending edit silently.
//
// No statement or read transaction stays open between calls: a recordset never holds up
// another process's writer. Every member raises kObjectClosed once the recordset (or its
// database) is closed; members a kind lacks raise kNotForThisObject.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/base/recordset_types.h"

namespace qb::jet {

class Database;
class Indexes;
class Properties;
class QueryDef;
class RecordsetFields;
struct RecordsetState;

class Recordset : public std::enable_shared_from_this<Recordset> {
 public:
  // Made by the OpenRecordset calls (recordset_open.cpp); takes over STATE.
  explicit Recordset(std::unique_ptr<RecordsetState> state);
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  std::string Name() const;  // the table name or the statement it was opened with
  int Type() const;          // kOpenTable, kOpenDynaset, kOpenSnapshot or kOpenForwardOnly
  bool Updatable() const;
  bool Restartable() const;  // true: Requery works on every kind but table-type
  bool Bookmarkable() const;  // false for forward-only

  // BOF and EOF (named so because EOF is a macro of the C library).
  bool Bof() const;
  bool Eof() const;

  // Moves. MoveFirst/MoveLast on a recordset without records raise kNoCurrentRecord, as do
  // MoveNext at EOF and MovePrevious at BOF: callers test BOF and EOF first. Move(N, START) counts N records from START (a bookmark) or
  // from the current record, landing at BOF or EOF when it passes an end; with no current
  // record (and no START) it raises kNoCurrentRecord. Forward-only: MoveFirst, MoveLast,
  // MovePrevious and Move with N <= 0 raise kNotForThisObject.
  void MoveFirst();
  void MoveLast(int options = 0);
  void MoveNext();
  void MovePrevious();
  void Move(std::int64_t rows, const Variant& start_bookmark = Variant());

  // The current record's bookmark: a 4-byte array valid in this recordset and its clones for as
  // long as they are open (until Requery). Raises kNoCurrentRecord without a current record,
  // kNotForThisObject for forward-only. Setting it moves there; kBadBookmark for anything that
  // is not one of this recordset's bookmarks, one from before a Requery included.
  // Limits: a table-type bookmark is the record's rowid, within the Long range (-2^31 .. 2^31 - 1;
  // kResourceExceeded beyond). Other kinds number the records they reach, never giving a number
  // twice (bookmark_numbers.h): every record of up to 2^31 rows has its own bookmark, however
  // often Requery runs, within 2^32 - 1 bookmarked positions in the life of the recordset and
  // its clones (kResourceExceeded beyond).
  Variant Bookmark() const;
  void SetBookmark(const Variant& bookmark);
  // The bookmark of the record last added or changed through this recordset; kNoCurrentRecord
  // when there is none.
  Variant LastModified() const;

  // 0-based position among the records; -1 without a current record. Not for table-type or
  // forward-only (kNotForThisObject). Setting it outside 0 .. RecordCount - 1 raises
  // kInvalidArgument.
  std::int64_t AbsolutePosition() const;
  void SetAbsolutePosition(std::int64_t position);
  // The current record's place as a percentage of RecordCount (0 without records). Setting it
  // (0 .. 100, else kInvalidArgument) moves to the record at that share. Not for forward-only.
  float PercentPosition() const;
  void SetPercentPosition(float percent);
  // Table-type: the table's row count now. Other kinds: the records reached so far (all of them
  // once MoveLast has run), less those deleted through the recordset.
  std::int64_t RecordCount() const;

  // Edit cycle (see the file comment). Edit needs a current record (kNoCurrentRecord,
  // kRecordDeleted for a deleted one) and an updatable recordset (kReadOnly); kEditAlreadyPending
  // is not raised: a pending edit is dropped first, as a move would. AddNew fills every field
  // with its default value and an AutoNumber field with the value it will get. Update writes the
  // record: the table's rule errors (kDuplicateValues, kRequiredNull, ...) leave the edit
  // pending; kUpdateWithoutEdit without one; kRecordDeleted when the record was deleted since
  // Edit and kDataChanged when another user changed a field it changes since (optimistic: any
  // field). Edit reads the record again, so the edit starts from what is stored now. After
  // Update of an AddNew the current record is the one that was current before AddNew
  // (LastModified is the new record).
  // Delete removes the current record at once (kNoCurrentRecord / kRecordDeleted without one);
  // there is no current record until the next move.
  int EditMode() const;
  void Edit();
  void AddNew();
  void Update(int type = kUpdateRegular, bool force = false);
  void CancelUpdate(int type = kUpdateRegular);
  void Delete();
  // Record locking (recordset/edit_lock.h). True (pessimistic, the default): Edit locks the
  // record until Update, CancelUpdate or the edit is dropped; another recordset's or user's Edit,
  // Update or Delete of it raises kRecordLocked (3260) after the engine's retries. False
  // (optimistic): Update locks it only while writing and raises kDataChanged, writing nothing,
  // when any field of the record changed since Edit. Delete locks it while removing it. A
  // change of LockEdits applies from the next Edit.
  bool LockEdits() const;
  void SetLockEdits(bool pessimistic);

  // Runs the source again; the first record becomes current and old bookmarks die. Table-type:
  // kNotForThisObject.
  void Requery();
  // With NEW_QUERY (a QueryDef of the same statement), its parameter values and MaxRecords
  // (the limit from then on).
  void Requery(const std::shared_ptr<QueryDef>& new_query);
  // Beyond the object model: with NEW_PARAMETERS as the statement's parameter values.
  void Requery(const std::vector<Variant>& new_parameters);
  // A second recordset over the same rows sharing bookmarks; it starts with no current record,
  // with the settings of this one (LockEdits, CacheSize, BatchSize, UpdateOptions). A table-type
  // clone has no Index until one is set (Seek raises kNoCurrentIndex before).
  // Forward-only: kNotForThisObject.
  std::shared_ptr<Recordset> Clone();
  // Drops a pending edit and releases the rows. Raises kObjectClosed when already closed.
  void Close();
  bool IsOpen() const;

  // Table-type only (others: kNotForThisObject). Index: the current index's name ("" for the
  // natural order); setting an unknown name raises kBadIndexName, and keeps the current record.
  std::string Index() const;
  void SetIndex(const std::string& name);
  std::shared_ptr<jet::Indexes> Indexes() const;
  // Looks up KEYS (one per key field of the current index, a prefix allowed, at most 13) with
  // COMPARISON "=", ">=", ">", "<=" or "<" (else kInvalidArgument). "=", ">=", ">" land on the
  // first matching entry in index order, "<", "<=" on the last. NoMatch tells whether one was
  // found; without a match there is no current record. kNoCurrentIndex without an Index.
  void Seek(const std::string& comparison, const std::vector<Variant>& keys);
  bool NoMatch() const;
  // Dynaset and snapshot only (table-type: kNotForThisObject). CRITERIA is a Jet expression over
  // the fields ("Name = 'x'", "Amount > 5", "Day = #1/2/2020#"); the search starts at the first
  // record (FindFirst), the last (FindLast), after the current one (FindNext) or before it
  // (FindPrevious). A match becomes current; otherwise NoMatch is true and the current record
  // stays. Raises the expression's syntax errors and kNameNotRecognised for an unknown field.
  void FindFirst(const std::string& criteria);
  void FindLast(const std::string& criteria);
  void FindNext(const std::string& criteria);
  void FindPrevious(const std::string& criteria);

  // Filter (a WHERE condition without the word WHERE, over this recordset's fields) and Sort
  // (an ORDER BY list without the words) shape the next OpenRecordset made from this recordset,
  // not this one. Filter: not for table-type; Sort: not for table-type or forward-only
  // (kNotForThisObject). A Sort replaces the order a saved query gives its rows.
  std::string Filter() const;
  void SetFilter(const std::string& filter);
  std::string Sort() const;
  void SetSort(const std::string& sort);
  // A new recordset of TYPE (0: this one's type; table-type only from a table-type recordset
  // without Filter and Sort, else kInvalidOperation) over this recordset's source with its
  // parameter values, OPTIONS as Database.OpenRecordset takes them, narrowed by Filter and
  // ordered by Sort. It may be updatable as a statement over the same source would be. Raises
  // the statement's errors for a Filter or Sort that does not translate.
  std::shared_ptr<Recordset> OpenRecordset(int type = 0, int options = 0);
  // Copies up to ROWS records from the current one on (fewer at the end, or before a record
  // another user deleted, which becomes current) and moves past them, as Move ROWS would (EOF
  // after the last record). The result is an array with one item per field, each an array of
  // that field's values in the rows read: result.ItemAt(field).ItemAt(row). Raises
  // kNoCurrentRecord without a current record and kInvalidArgument for ROWS < 0.
  Variant GetRows(std::int64_t rows = 1);

  // CacheSize: a forward-only data-source recordset's rows read at a time, and FillCache's count
  // of rows; other recordsets keep the value only. BatchSize: how many writes of an optimistic
  // batch go to the server as one unit (0: 15).
  int CacheSize() const;
  void SetCacheSize(int rows);
  // Dynasets only (others: kNotForThisObject). CacheStart: the bookmark FillCache starts from
  // when given none (Empty until set; kBadBookmark for one that is not this recordset's; Requery
  // forgets it). FillCache reads ROWS rows (0: CacheSize) from START (a bookmark; none:
  // CacheStart, else the current record, else the first) again from the data source into the
  // rows held, by key, in one go: they show the server's values as of now, and moving onto them
  // asks the server nothing. A row the server no longer has reads as deleted; rows holding writes
  // of an optimistic batch not sent stay as they are. A dynaset on a database file, or one whose
  // rows have no key among their columns, reads nothing (its rows are read where they are kept).
  // Raises kInvalidArgument for ROWS < 0, kBadBookmark for a bad START.
  Variant CacheStart() const;
  void SetCacheStart(const Variant& bookmark);
  void FillCache(std::int64_t rows = 0, const Variant& start_bookmark = Variant());
  int BatchSize() const;
  void SetBatchSize(int statements);
  // Data-source dynasets: how an Update finds the server's row and tells another user's change
  // (row_mirror.h); other recordsets keep the value only.
  int UpdateOptions() const;
  void SetUpdateOptions(int options);

  // Optimistic batch (lock type 5 on a data source): Update and Delete change the copy only and
  // keep the write. UpdateBatch sends them in the order made (TYPE kUpdateBatch: all of them;
  // kUpdateCurrentRecord: the current row's), BatchSize at a time as one unit on the server when
  // no transaction is open (a write refused outright undoes its unit, whose writes then go one
  // by one). Update(kUpdateBatch or kUpdateCurrentRecord) does the same after saving a pending
  // edit. A row another user changed or deleted since it was read is not written: its write stays
  // kept, BatchCollisions lists its bookmark, and after the others are sent kDataChanged is
  // raised (a write refused outright: kept and listed too, the server's error raised). FORCE writes such rows by key alone (over the other
  // user's change). CancelBatch drops every kept write and reads the server's rows again (as
  // Requery). A recordset and its clones keep one batch: a write made through any of them is
  // sent, or dropped, by any of them. Other recordsets: kNotForThisObject.
  void UpdateBatch(int type = kUpdateBatch, bool force = false);
  void CancelBatch();
  std::int64_t BatchCollisionCount() const;
  Variant BatchCollisions() const;  // an array of bookmarks (Empty when none)

  // The fields of the current record (names and definitions are there without a record).
  std::shared_ptr<RecordsetFields> Fields();
  // Built-in properties; "Bookmark" and "LastModified" read (and Bookmark writes) as above.
  std::shared_ptr<jet::Properties> Properties();

  // For the opening code: the name the recordset reports.
  void NameAs(const std::string& name);

 private:
  friend class RecordsetField;
  friend class RecordsetFields;
  RecordsetState& State() const;  // kObjectClosed when closed
  std::unique_ptr<RecordsetState> state_;
};

// One field of a recordset: its definition and its value in the current record (or in the
// pending edit).
class RecordsetField {
 public:
  RecordsetField(std::weak_ptr<Recordset> recordset, int index)
      : recordset_(std::move(recordset)), seen_(recordset_.lock().get()), index_(index) {}

  std::string Name() const;
  int Type() const;
  int Size() const;  // Text: its size; Memo, Long Binary: 0; fixed types their byte size
  std::int32_t Attributes() const;  // width and AutoNumber bits, plus dbUpdatableField
  bool Required() const;
  int OrdinalPosition() const;
  std::string SourceTable() const;  // "" for a computed field
  std::string SourceField() const;
  bool DataUpdatable() const;
  // The value in the pending edit or the current record. Raises kNoCurrentRecord without one,
  // kRecordDeleted on a deleted record. The reference stays valid until the recordset moves,
  // changes the edit buffer or closes: copy the value to keep it longer.
  const Variant& Value() const;
  // Sets the value in the pending edit: kUpdateWithoutEdit without one, kFieldIsExpression for a
  // computed field of an updatable recordset, kFieldNotUpdatable for another field that cannot
  // change (AutoNumber, a consistent join's link field), the conversion errors for a value the
  // type cannot hold.
  void SetValue(const Variant& value);
  // The length in bytes of a Memo or Long Binary value (-1 for Null, as Jet reports it).
  std::int64_t FieldSize() const;
  // AppendChunk: the first call after Edit/AddNew replaces the value, later ones append.
  // GetChunk: BYTES bytes from OFFSET (fewer at the end). Memo and Long Binary only
  // (kInvalidOperation for others).
  void AppendChunk(const Variant& data);
  Variant GetChunk(std::int64_t offset, std::int64_t bytes) const;

 private:
  std::shared_ptr<Recordset> Open() const;
  std::weak_ptr<Recordset> recordset_;
  Recordset* const seen_;  // what RECORDSET_ pointed to; used only while it has not expired
  const int index_;
};

class RecordsetFields {
 public:
  explicit RecordsetFields(std::shared_ptr<Recordset> recordset) : recordset_(std::move(recordset)) {}
  int Count() const;
  // The field at INDEX (0-based) or named NAME (case ignored); kItemNotFound when none.
  std::shared_ptr<RecordsetField> Item(int index) const;
  std::shared_ptr<RecordsetField> Item(std::string_view name) const;

 private:
  std::shared_ptr<Recordset> recordset_;  // constant after construction
};

}  // namespace qb::jet
