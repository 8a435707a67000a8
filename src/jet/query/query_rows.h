// jet/query/query_rows: reads every row of a SELECT, UNION or TRANSFORM statement at once, as Variants
// of the result columns' Jet types. For tests and tools that need a query's rows before
// recordsets exist; no statement stays open after it returns.
#pragma once
#include <memory>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/sql/translate/query_translator.h"

namespace qb::jet {

class DatabaseFile;

struct QueryRows {
  std::vector<sql::TranslatedColumn> columns;  // names and Jet types, in order
  std::vector<std::vector<Variant>> rows;      // each as wide as COLUMNS
};

// The translation of JET_SQL ready to run with VALUES: DatabaseFile::Translate's, and for a
// crosstab without an IN list the statement with its columns fixed to the pivot values the
// data holds now (read with VALUES). Raises as DatabaseFile::Translate and the file's errors.
std::shared_ptr<const sql::TranslatedQuery> TranslateToRun(DatabaseFile& database, std::string_view jet_sql,
                                                           const std::vector<Variant>& values);

// The rows of the row-returning statement JET_SQL with parameter VALUES (declared parameters
// first); at most MAX_RECORDS rows when it is above 0. Raises the translator's errors,
// kTooFewParameters (3061) for missing values, kInvalidOperation (3219) for an action or DDL
// statement, and the file's errors.
QueryRows ReadQueryRows(DatabaseFile& database, std::string_view jet_sql, const std::vector<Variant>& values,
                        int max_records = 0);

}  // namespace qb::jet
