// jet/query/query_execution: runs Jet action statements (INSERT, UPDATE, DELETE, SELECT ... INTO) and
// DDL on an open database file: the work behind Database.Execute. Statements arrive translated (DatabaseFile::Translate)
// and run as compiled statements the database keeps; this file never builds SQL of its own
// beyond choosing how failing rows are treated.
//
// Failing rows: Jet applies an action row by row. Without dbFailOnError a row that breaks a
// rule (a duplicate key, Required, AllowZeroLength, a size, a validation rule, a value of the
// wrong type, a relationship) or whose expressions fail on its values (division by zero, a
// conversion, an overflow) is skipped and the others are written; RecordsAffected counts those
// written. With dbFailOnError the first such row raises its error and the statement leaves
// nothing behind; the message names the rule and, for UPDATE and DELETE, the record's primary
// key. An append whose source is not stored tables (a grouping, a union, a saved query) cannot
// be taken row by row: an expression failing there fails the whole statement.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/base/recordset_types.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/base/errors.h"

namespace qb::jet {

class DatabaseFile;

// The rows an action statement skipped without dbFailOnError, for callers that tell their user.
struct SkippedRows {
  struct Reason {
    int number = 0;          // the Jet error number
    std::int64_t count = 0;  // rows skipped for it
    std::string message;     // the first such row's message, with its key where known
  };
  std::int64_t count = 0;       // rows skipped; with COUNT_KNOWN false, at least this many
  bool count_known = true;      // false when a statement skipped rows it cannot count (see below)
  std::vector<Reason> reasons;  // one per error number, in the order first met

  void Add(int number, const std::string& message, std::int64_t rows = 1);
};

// Execute takes the recordset option bits of recordset/recordset_types.h that suit a statement.
// Raises kInvalidArgument for bits Execute does not know and for dbConsistent with
// dbInconsistent, kNotForThisObject for the options of ODBC sources (pass-through, run async,
// exec direct). The others are accepted (dbDenyWrite: the statement holds the write lock while
// it runs anyway).
void CheckExecuteOptions(int options);

// Runs the translated action QUERY on DATABASE with parameter VALUES (declared parameters first,
// as QUERY.parameters lists them); returns the records written. SELECT ... INTO makes its table
// through the schema-change layer (catalog rows and field metadata as CREATE TABLE makes them)
// and raises kTableExists when the name is taken. Raises CheckExecuteOptions' errors,
// kSelectNotExecutable for a row-returning QUERY, kTooFewParameters (3061) for VALUES missing or
// Empty, kReadOnly on a read-only open, and with dbFailOnError the first failing row's error.
// SKIPPED, when given, receives the rows skipped without dbFailOnError: the statement then
// runs row by row once a row fails, to learn each one's reason (an append from a source that
// cannot be taken row by row skips what breaks a constraint without a count: COUNT_KNOWN false).
// REQUIRES: QUERY is not DDL (DDL runs from its text: ExecuteStatement).
int ExecuteAction(DatabaseFile& database, const sql::TranslatedQuery& query, const std::vector<Variant>& values,
                  int options, SkippedRows* skipped = nullptr);

// Runs the Jet statement JET_SQL (DDL or an action; also the bare name of a saved action query)
// with VALUES; returns the records written (0 for DDL). Raises as ExecuteAction, the parser's
// and translator's errors, and the schema errors of DDL.
int ExecuteStatement(DatabaseFile& database, std::string_view jet_sql, const std::vector<Variant>& values, int options,
                     SkippedRows* skipped = nullptr);

}  // namespace qb::jet
