// jet/odbc/source_recordset: recordsets on an ODBC data source. The rows of the server's
// statement are read into the connection's local copy (local_copy.h) and the engine's recordset
// runs over them, so moves, Find, bookmarks and RecordCount behave as on a database file.
// Requery reads the server's rows again.
//
// Kinds: forward-only (also type 0, and a snapshot with dbForwardOnly) reads the server's rows
// as it moves, without copying them (source_stream.h): MoveNext only, read-only. Snapshot
// reads the rows into the copy once; dynaset and dynamic are
// dynasets over the copy that write through to the server when their rows are one table's with
// a primary key among the columns (a table name, or "SELECT ... FROM table [WHERE ...]
// [ORDER BY ...]"); otherwise they are read-only. Table-type is for database files.
//
// A forward-only recordset's CacheSize is the count of rows it reads from the server at a time
// (and holds), from the next read on (0: 256). The other kinds hold their rows in the copy.
//
// Cursor drivers (the workspace's DefaultCursorDriver when the connection was opened):
//   dbUseDefaultCursor (-1), dbUseODBCCursor (1), dbUseClientBatchCursor (3): the kinds above;
//     the rows of snapshots and dynasets are held on this side (a client cursor).
//   dbUseNoCursor (4): every recordset is a forward-only, read-only stream, whatever its type
//     (no rows are held on this side).
//   dbUseServerCursor (2): snapshots and dynasets move on the driver's scrollable cursor
//     (source_cursor.h): rows are fetched by position as they are reached and only a window of
//     them is held; the count comes from the cursor. They cannot open recordsets of their own
//     (Filter, Sort). A dynaset whose rows are one keyed table's writes through to it by key as
//     below (rows it adds follow the cursor's last); optimistic batch and append-only dynasets,
//     and forward-only recordsets, are opened as with the default.
//
// Writes go to the server first, by key: AddNew inserts and reads the row back as the server
// keeps it (its defaults, and a key it numbered: in the same statement where the server can,
// else by the key given or the server's last generated value), Update changes only the fields
// edited, Delete deletes. An Update whose row another connection changed since it was read raises
// kDataChanged (3197) and changes nothing; a row gone raises kRecordDeleted (3167). What counts
// as changed is the recordset's UpdateOptions (row_mirror.h; the edited fields by default).
// Lock types: optimistic, optimistic value and the default all work as optimistic; pessimistic
// does too (the server's row is not held between Edit and Update); read-only makes the
// recordset read-only; optimistic batch keeps the writes in the copy until UpdateBatch
// (recordset.h). After a Rollback on the connection the copies of writable dynasets are matched
// to the server's rows again (a row the transaction added goes, one it changed reads as before);
// snapshots and read-only dynasets read the server's rows anew and stay on the row with the
// current row's primary key (the first row when the rows are not one keyed table's or it is gone).
// MaxRecords given at Requery with a QueryDef is the limit from then on.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"

namespace qb::jet {
class Recordset;
}

namespace qb::jet::odbc {

class DataSource;

// Opens SOURCE (a table name or a statement passed to the server as written, its "?" markers
// bound to PARAMETERS) on the open data source as a recordset of TYPE with OPTIONS and
// LOCK_TYPE. MAX_RECORDS (when not 0): at most that many rows are read. Raises
// kInvalidArgument for table-type and unknown types, kReadOnly for writes on a read-only
// connection, the server's errors as err::kCallFailed.
std::shared_ptr<Recordset> OpenSourceRecordset(const std::shared_ptr<DataSource>& source, const std::string& name,
                                               int type, int options, int lock_type,
                                               const std::vector<Variant>& parameters, int query_timeout,
                                               std::int64_t max_records = 0);

}  // namespace qb::jet::odbc
