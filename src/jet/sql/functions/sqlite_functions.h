// jet/sql/functions/sqlite_functions: makes the expression functions callable from SQLite: registers
// every catalog function and operator (jet_left, jet_add, jet_like, ...) on a connection.
// Converts values at the boundary only; owns no connection.
#pragma once
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace qb::jet::sql {

// Registers every jet_* function on DB, the aggregates of sqlite_aggregates.h included (UTF-8, deterministic where the function is). Values
// cross as: NULL = Null, INTEGER = Int32 (Double beyond 32 bits), REAL = Double, TEXT =
// String, BLOB = byte array; a value carrying the subtype a jet_* function gives its Date,
// Boolean or Currency results comes back as that kind (see translator.h). A function that
// fails makes the statement fail with a message DecodeFunctionError (sqlite/function_error.h)
// reads back.
// Returns false when SQLite refuses a registration (out of memory). REQUIRES: DB is open.
bool RegisterJetFunctions(sqlite3* db);

}  // namespace qb::jet::sql
