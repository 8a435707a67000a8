// jet/sql/translate/parameter_binding: puts parameter values into a prepared statement the translator
// made (placeholders ?1..?N). Converts values only; prepares and runs nothing.
#pragma once
#include <vector>

#include "com/variant.h"

struct sqlite3_stmt;

namespace qb::jet::sql {

struct TranslatedQuery;

// Raises EOleException 3061 "Too few parameters. Expected N." when parameters of QUERY have no
// value in VALUES (or an Empty one), followed by their names: a name the statement took as a
// parameter because no field has it is most often a misspelled field name.
void CheckParameterValues(const TranslatedQuery& query, const std::vector<Variant>& values);

// Binds VALUES[i] to placeholder ?(i + 1) of STMT as the engine stores values: dates as REAL
// serials, booleans as -1/0, currency as its amount (a REAL, or exact decimal text where a
// double would not give it back; never the stored ten-thousandths), byte arrays as BLOBs,
// Null as NULL, text as UTF-8 TEXT. Values beyond the statement's placeholders are ignored.
// Raises EOleException 3061 "Too few parameters. Expected N." when some placeholder has no
// value or an Empty one (N counts those), 3060 for a value that cannot be a parameter (an
// array of variants), 3035 when SQLite cannot take the value (out of memory).
// REQUIRES: STMT is prepared and not running (reset or never stepped).
void BindParameters(sqlite3_stmt* stmt, const std::vector<Variant>& values);

// Binds one parameter VALUE to placeholder INDEX as BindParameters does (no count check).
void BindParameterValue(sqlite3_stmt* stmt, int index, const Variant& value);

}  // namespace qb::jet::sql
