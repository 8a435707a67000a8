// jet/sqlite/column_value: one result column of a running SQLite statement read as the Variant of its
// Jet type; the inverse of BindParameters (storage rules in ARCHITECTURE.md "Types"). Reads
// only; never steps or resets the statement.
#pragma once
#include "com/variant.h"

struct sqlite3_stmt;

namespace qb::jet {

// Column COLUMN (0-based) of STMT's current row as DAO type DAO_TYPE gives it: NULL as Null;
// Boolean as a boolean (any non-zero number is True); Byte, Integer, Long as their integer
// kinds; Currency exactly (INTEGER as ten-thousandths, REAL as an amount); Single, Double; Date as a date; Text, Memo and GUID
// as strings; Binary and Long Binary as byte arrays. A stored value that does not fit DAO_TYPE
// (SQLite keeps what it is given) and an unknown DAO_TYPE (0) give the value as stored: a
// Long (or a Double when out of Long's range), a Double, a string or a byte array. Never raises.
// REQUIRES: the last sqlite3_step of STMT returned a row; COLUMN is within it.
Variant ColumnValue(sqlite3_stmt* stmt, int column, int dao_type);

// The value as stored, whatever the column's Jet type (see above).
Variant StoredColumnValue(sqlite3_stmt* stmt, int column);

}  // namespace qb::jet
