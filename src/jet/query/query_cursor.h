// jet/query/query_cursor: the rows of one row-returning Jet statement read one at a time, as Variants
// of the result columns' Jet types, for tools that pass a result on (an export) rather than
// keep it. Unlike a recordset it holds its statement, and so one read snapshot of the file,
// from construction until it is destroyed: the rows it gives are one consistent state.
#pragma once
#include <memory>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sqlite/statement.h"

namespace qb::jet {

class DatabaseFile;

class QueryCursor {
 public:
  // Compiles the row-returning statement JET_SQL with parameter VALUES (declared parameters
  // first). Raises the translator's errors, kTooFewParameters (3061) for missing values,
  // kInvalidOperation (3219) for an action or DDL statement, and the file's errors.
  // DATABASE must stay open while the cursor lives.
  QueryCursor(DatabaseFile& database, std::string_view jet_sql, const std::vector<Variant>& values);
  QueryCursor(const QueryCursor&) = delete;
  QueryCursor& operator=(const QueryCursor&) = delete;

  // The result columns: names and Jet types, in order.
  const std::vector<sql::TranslatedColumn>& Columns() const { return query_->columns; }

  // Moves to the next row and puts its values into ROW (resized to the columns' count); false,
  // with ROW untouched, once the rows are done. Raises the file's errors.
  bool Next(std::vector<Variant>& row);

 private:
  std::shared_ptr<const sql::TranslatedQuery> query_;  // constant after construction
  Statement statement_;                                // owned, runs until the cursor ends
  int width_ = 0;                                      // columns the statement gives
  bool done_ = false;
};

}  // namespace qb::jet
