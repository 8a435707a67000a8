// jet/recordset/recordset_open: opening recordsets, for Database, TableDef and QueryDef
// and by the recordset members that rebuild their source (SetIndex). Internal to the engine.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"

namespace qb::jet {

class DatabaseFile;
class Indexes;
class Recordset;
class RowMirror;
struct RecordsetState;
struct TableModel;

// The Indexes of a table-type recordset's table (named by the argument), from the object model.
using TableIndexes = std::function<std::shared_ptr<Indexes>(const std::string& table)>;

// Opens SOURCE (a table name, a saved query name or a Jet statement) of FILE as a recordset
// of TYPE (0: table-type for a table name, dynaset otherwise) with OPTIONS and LOCK_TYPE (0:
// pessimistic); PARAMETERS are the values of the statement's parameters in order. Raises
// kInvalidArgument for a type, option or lock type Jet refuses here (ODBC-only ones included),
// 3078 for a name that is neither a table nor a query, kInvalidOperation for table-type on
// anything but a table and for action queries, 3061 for parameters without values, the
// translator's errors, and kTableLocked when a deny option conflicts with another recordset.
// MAX_RECORDS (when not 0) caps the rows. INDEXES serves the recordset's Indexes (table-type).
// MIRROR (row_mirror.h): SOURCE is a local copy of another store's rows, which takes the writes.
std::shared_ptr<Recordset> OpenRecordsetOn(const std::shared_ptr<DatabaseFile>& file, const std::string& source,
                                           int type, int options, int lock_type,
                                           const std::vector<Variant>& parameters, std::int64_t max_records = 0,
                                           TableIndexes indexes = {}, std::shared_ptr<RowMirror> mirror = nullptr);

// True when TEXT is a statement rather than the name of a table or saved query: statements
// start with a statement's first word (SELECT, TRANSFORM, PARAMETERS, INSERT, ...).
bool LooksLikeStatement(const std::string& text);

// A table-type recordset's ORDER BY over TABLE for the index INDEX_NAME ("" natural order),
// ending with rowid; *WHERE gets the filter of an IgnoreNulls index ("" for none). REVERSE: the
// same order backwards, every term's direction turned.
std::string TableOrderSql(const TableModel& table, const std::string& index_name, std::string* where,
                          bool reverse = false);
// Sets S.plan.select_sql for a table-type recordset in the order of S.index_name.
void BuildTableSource(RecordsetState& s);
// Takes the deny-write / deny-read marks S.options ask for; kTableLocked on conflict.
void ApplyDenyOptions(RecordsetState& s, DatabaseFile& file);

}  // namespace qb::jet
