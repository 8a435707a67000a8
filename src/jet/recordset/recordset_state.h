// jet/recordset/recordset_state: what a Recordset keeps between calls, and the helpers its
// member files share. Internal to the recordset folder.
//
// Position (Cursor::place), one state machine:
//   kBof   before the first record (also the state of an empty recordset, with EOF true too)
//   kAt    on record POS (it may be a hole: a row deleted by others; its fields then raise
//          kRecordDeleted)
//   kGap   where record POS was deleted through this recordset: no current record; MoveNext
//          goes to the first record after it, MovePrevious to the last one before it
//   kEof   after the last record
// A table-type recordset has no positions: POS stays -1, KEY_ONLY is the current rowid (kAt),
// and its KeyWindow knows the current key, or where the deleted or vanished record stood (kGap).
// Moves (recordset.cpp) go kBof/kAt/kGap -> kAt or kBof/kEof; Delete (recordset_edit.cpp) kAt
// -> kGap; Requery -> kAt(first) or kBof+kEof; Seek/Find without a match leave no current
// record (kBof); a clone starts at kBof.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/recordset/bookmark_numbers.h"
#include "jet/recordset/key_window.h"
#include "jet/recordset/keyset.h"
#include "jet/recordset/prepared_sql.h"
#include "jet/base/recordset_types.h"
#include "jet/recordset/row_source.h"
#include "jet/recordset/row_mirror.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet {

class Connection;
class DatabaseFile;
class Indexes;
class RecordLock;
class TableHold;

// What a recordset's source is, kept to build it again (Requery, SetIndex, Clone).
struct SourcePlan {
  std::string name;               // the table, saved query or statement text
  std::vector<RecordsetColumn> columns;
  std::string select_sql;         // rows: the rowid first when BASE_TABLE is set
  std::string base_table;         // "" when rows are not one table's rows (a join: its root)
  std::string fetch_sql;          // rows with computed fields: read by key through this
  std::shared_ptr<const JoinPlan> join;  // rows of a join written back table by table; else null
  std::vector<Variant> parameters;
  bool append_only = false;       // shows only the rows it adds
  bool rowid_order = false;       // every row of BASE_TABLE, in rowid order (no filter, no sort)
  std::int64_t max_records = 0;   // at most this many rows (0: all)
  std::vector<std::string> tables_read;  // a statement's stored tables (held for deny options)
};

// The rows clones share: one source, one keyset, the positions deleted through any of them.
// A table-type recordset moves by key through its own WINDOW instead (its clones have their own).
struct SharedRows {
  std::unique_ptr<RowSource> source;
  std::unique_ptr<Keyset> keyset;
  std::unique_ptr<KeyWindow> window;  // table-type only
  std::set<std::int64_t> removed;  // positions deleted through these recordsets (skipped)
  BookmarkNumbers numbers{nullptr};  // the bookmarks of these rows (not table-type)
  // Rows copied from a data source and read anew by it: the rows that replaced these, for the
  // clones still over these to take too (so they share rows and bookmarks on).
  std::shared_ptr<SharedRows> successor;
  std::uint64_t mirror_reloads = 0;  // the mirror's Reloads when these rows were made
};

enum class Place { kBof, kAt, kGap, kEof };

struct PendingEdit {
  int mode = 0;                    // kEditInProgress or kEditAdd
  std::vector<Variant> values;     // the buffer
  std::vector<Variant> original;   // Edit: the record as it was read
  std::vector<bool> changed;
  std::vector<bool> chunked;       // AppendChunk has run on the field in this edit
  std::int64_t key = 0;            // Edit: the base rowid
  std::shared_ptr<RecordLock> lock;  // pessimistic Edit: the record's lock, kept with the edit
  // A join: each table's rowid in the record at Edit, and (pessimistic) the locks of those rows
  // after the first, which is LOCK.
  std::vector<std::optional<std::int64_t>> join_rows;
  std::vector<std::shared_ptr<RecordLock>> join_locks;
};

// One write of an optimistic batch, made in the copy and kept until UpdateBatch sends it.
struct BatchWrite {
  int mode = 0;                    // kEditAdd, kEditInProgress, or kBatchDelete
  std::int64_t rowid = 0;          // the copy's row (gone for a delete)
  std::int64_t pos = 0;            // its position, for its bookmark
  std::vector<Variant> original;   // the row as read (edit, delete)
  std::vector<Variant> values;     // the row as written (add, edit)
  std::vector<bool> changed;
};
inline constexpr int kBatchDelete = 3;

// An optimistic batch's kept writes, shared by a recordset and its clones: they show one set of
// rows, so a write made through any of them is sent (or dropped) once by any of them.
struct BatchKept {
  std::vector<BatchWrite> writes;     // not sent yet, in the order made
  std::vector<Variant> collisions;    // the bookmarks of the rows the last send could not write
};

struct RecordsetState {
  std::weak_ptr<DatabaseFile> database;
  Connection* connection = nullptr;  // the database's connection while it is open
  // Table-type: the Indexes of a table, from the object model that opened the recordset.
  std::function<std::shared_ptr<Indexes>(const std::string& table)> table_indexes;
  int type = 0;
  int options = 0;
  int lock_type = 0;
  bool updatable = false;
  bool lock_edits = true;
  int cache_size = 0, batch_size = 0, update_options = 0;
  Variant cache_start;  // dynasets: FillCache's start when given none (Empty: not set)
  // Where the bookmark numbers of this recordset and its clones come from.
  std::shared_ptr<BookmarkSpace> bookmark_space = std::make_shared<BookmarkSpace>();

  SourcePlan plan;
  TableModel table;                  // the base table (table-type, updatable dynasets)
  std::string index_name;            // table-type: the current index ("" natural order)
  std::shared_ptr<SharedRows> rows;
  std::shared_ptr<TableHold> hold;  // the table held open (deny options), shared by clones
  std::shared_ptr<RowMirror> mirror;  // rows copied from a data source: it takes the writes first
  std::shared_ptr<BatchKept> batch = std::make_shared<BatchKept>();  // optimistic batch
  std::uint64_t mirror_rewrites = 0;  // MIRROR's Rewrites when the rows held were read

  // Cursor.
  Place place = Place::kBof;
  std::int64_t pos = -1;
  std::int64_t reached = 0;          // positions reached so far (RecordCount of non-table kinds)
  DataStamp seen;                    // table-type: the file's stamp its run of rows was read at
  Statement stamp_sql;
  // Table-type: the rows counted, kept while the file's stamp stays the one they were counted
  // at (-1: not counted). TABLE_COUNT: the whole table (RecordCount); ORDER_COUNT: the rows of
  // the current index's order (SetIndex forgets it).
  std::int64_t table_count = -1;
  DataStamp table_count_seen;
  std::int64_t order_count = -1;
  DataStamp order_count_seen;
  std::map<std::string, Statement> seek_sql;  // table-type: Seek's statements by their text
  const std::vector<Variant>* current = nullptr;  // values of the current record; null: hole
  std::uint64_t current_generation = 0;           // keyset generation CURRENT belongs to

  // Table-type: the current record's rowid while one is current (CURRENT points into the
  // KeyWindow's run).
  std::optional<std::int64_t> key_only;

  std::optional<PendingEdit> edit;
  std::optional<Variant> last_modified;
  bool no_match = false;
  std::string filter, sort;  // for the next OpenRecordset from this recordset (filter_sort.cpp)

  Connection& Open() const;          // kObjectClosed when the database has closed
  // The database while it is open, else null. Takes no reference: one thread per engine, and a
  // database that still exists stays where DATABASE_SEEN points.
  DatabaseFile* LiveDatabase() const;
  mutable DatabaseFile* database_seen = nullptr;  // DATABASE, once looked at
  Keyset& Keys() const { return *rows->keyset; }
  KeyWindow& Window() const { return *rows->window; }  // REQUIRES: IsTable()
  RowSource& Source() const { return *rows->source; }
  bool Keyed() const { return rows->source->Keyed(); }
  bool IsTable() const { return type == kOpenTable; }
};

// Helpers shared by the recordset's member files (recordset.cpp).
// Brings a table-type recordset up to date with the file (others' changes: the rows held are
// dropped and the current record read again by its rowid; gone, it leaves a gap).
void SyncWithFile(RecordsetState& s);
// Makes POS (a known position) the current record and reads its values now. Not table-type.
void LandOn(RecordsetState& s, std::int64_t pos);
// Table-type: makes ROW (found by the KeyWindow, not null) the current record.
void ShowRow(RecordsetState& s, const KeyWindow::Row* row);
// The rowid a table-type bookmark names (kBadBookmark for anything that is not one).
std::int64_t RowidOfBookmark(const Variant& bookmark);
// The rowid of the current record. REQUIRES: a keyed source, place kAt or kGap.
std::int64_t CurrentKey(RecordsetState& s);
// The next / previous position that was not deleted through the recordset; nullopt past the end.
std::optional<std::int64_t> NextPosition(RecordsetState& s, std::int64_t from);
std::optional<std::int64_t> PreviousPosition(RecordsetState& s, std::int64_t from);
// Raises kNotForThisObject naming WHAT.
[[noreturn]] void RaiseNotForThisKind(const char* what);
// Raises kNoCurrentRecord for a move that finds no records at all (MoveFirst, MoveLast).
[[noreturn]] void RaiseNoRecords();
// Drops a pending edit (moves do this silently).
void DropEdit(RecordsetState& s);
// The values of the current record: kNoCurrentRecord without one, kRecordDeleted on a hole.
const std::vector<Variant>& CurrentValues(RecordsetState& s);
// The bookmark of position POS, and the position a bookmark names (kBadBookmark when none).
Variant BookmarkOf(RecordsetState& s, std::int64_t pos);
Variant BookmarkOfRowid(std::int64_t rowid);  // a table-type recordset's bookmark
std::int64_t PositionOfBookmark(RecordsetState& s, const Variant& bookmark);
// A new keyset over the source S.plan describes (Requery, SetIndex).
std::shared_ptr<SharedRows> MakeRows(RecordsetState& s);
// Requery: the source run again with PARAMETERS and at most MAX_RECORDS rows (0: all), the
// limit from now on; the first record becomes current.
void RequeryRows(RecordsetState& s, const std::vector<Variant>& parameters, std::int64_t max_records);
// Rows copied from a data source that the source has read anew (after a rollback): takes the
// new rows, staying on the current row's key where the source knows one (recordset.cpp).
void FollowMirrorReload(RecordsetState& s);
// Records that the file changed through this recordset (its own writes are not others').
void NoteOwnWrite(RecordsetState& s);
// Optimistic batch: keeps WRITE (made in the copy) for UpdateBatch, merged with the row's kept
// write when it has one (recordset_batch.cpp).
void KeepBatchWrite(RecordsetState& s, BatchWrite write);

}  // namespace qb::jet
