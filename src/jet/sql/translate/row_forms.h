// jet/sql/translate/row_forms: the one-row-at-a-time forms of action statements (TranslatedQuery's
// row_keys_sql and row_sql), which Execute falls back to when it skips the rows that fail.
// Internal to jet/sql; never runs anything.
#pragma once
#include <string>

#include "jet/sql/translate/query_context.h"

namespace qb::jet::sql {

// The placeholder of the row key in CTX's statement: the one after every parameter.
// REQUIRES: the statement's parameters are all known (its translation is done).
std::string RowKeyPlaceholder(const QueryContext& ctx);

// A field an INSERT or SELECT ... INTO writes: jet_store's type and field name.
struct StoreTarget {
  int dao_type = 0;
  std::string name;
};

// SELECT's rows with each result column converted to its TARGETS' type (one target a column,
// in order), as the source of an INSERT: a WITH clause naming SELECT's columns by position, so
// that repeated or odd result names cannot get in the way.
std::string StoredSelectSql(const SelectSql& select, const std::vector<StoreTarget>& targets);

// Sets OUT's row forms for INSERT_HEAD ("INSERT INTO "t" ("a", "b")") followed by QUERY, when
// QUERY is one plain SELECT (no TOP, grouping, aggregate or DISTINCT) over one stored table or a
// join of stored tables; leaves them empty otherwise. A row is keyed by the rowid of each
// source, in FROM order (Null for the side of an outer join that found none): placeholders
// RowKeyPlaceholder and the ones after it. Translates QUERY's block a second time, which reuses
// the parameters the first translation made. Raises what that translation raises.
// Each value is converted to its TARGETS' type as StoredSelectSql does.
void SetInsertSelectRowForms(QueryContext& ctx, const ParsedQuery& query, const std::string& insert_head,
                             const std::vector<StoreTarget>& targets, TranslatedQuery& out);

}  // namespace qb::jet::sql
