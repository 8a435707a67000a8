// jet/recordset/stored_value: how a value a caller gives a field reaches SQLite: converted to what
// a field of its type may hold, then bound as the engine stores it (reading is column_value.h).
// Values only; runs no statement.
#pragma once
#include <cstdint>

#include "com/variant.h"

struct sqlite3_stmt;

namespace qb::jet {

// VALUE as a field of DAO_TYPE holds it, by the rules every write path shares
// (sql::ConvertToFieldType): Null and Empty give Null. Raises EOleException 3421 (conversion
// error) for a value that does not convert (text that is no number or date, an array of
// variants), 3349 (numeric field overflow) for a number outside the type's range.
Variant ToFieldValue(const Variant& value, int dao_type);

// Binds VALUE (as ToFieldValue left it) to placeholder INDEX of STMT the way the engine stores
// it: booleans -1/0, currency as the INTEGER of ten-thousandths, dates as REAL, byte arrays as
// BLOBs, Null as NULL. Raises 3035 when SQLite cannot take it. Query parameters bind through
// sql::BindParameterValue instead (a Currency parameter there is an amount).
void BindStoredValue(sqlite3_stmt* stmt, int index, const Variant& value);

// The length in bytes a Memo or Long Binary value occupies (text as UTF-8); 0 for Null. For
// other kinds, the length of the value's text.
std::int64_t StoredLength(const Variant& value);

}  // namespace qb::jet
