// jet/dao/database_statements: Jet statements run on a Database beyond the object model, for tools
// that run a user's statements: an action or DDL statement with the rows it skipped, a
// row-returning one read a row at a time or all at once, the parameters a statement declares,
// and what kind of statement a text is. The work is query/'s; these hand it the database's
// open file.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/dao/database.h"
#include "jet/query/query_cursor.h"
#include "jet/query/query_execution.h"
#include "jet/query/query_rows.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/query_translator.h"

namespace qb::jet {

// ExecuteStatement (query/query_execution.h) on DATABASE's file.
int ExecuteStatement(Database& database, std::string_view jet_sql, const std::vector<Variant>& values, int options,
                     SkippedRows* skipped = nullptr);

// A QueryCursor over the rows of JET_SQL on DATABASE (query/query_cursor.h). DATABASE must stay
// open while the cursor lives.
std::unique_ptr<QueryCursor> OpenQueryCursor(Database& database, std::string_view jet_sql,
                                             const std::vector<Variant>& values);

// ReadQueryRows (query/query_rows.h) on DATABASE's file.
QueryRows ReadQueryRows(Database& database, std::string_view jet_sql, const std::vector<Variant>& values,
                        int max_records = 0);

// The translation of JET_SQL against DATABASE's tables and saved queries (its parameters and
// result columns among it), cached as the database's own statements are. Raises as
// sql::TranslateQuery, kObjectClosed once DATABASE is closed.
std::shared_ptr<const sql::TranslatedQuery> TranslateStatement(Database& database, std::string_view jet_sql);

}  // namespace qb::jet
