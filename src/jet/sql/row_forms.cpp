// jet/sql/row_forms: one-row forms of INSERT ... SELECT and SELECT ... INTO. The select becomes
// a derived table carrying its source's rowid, so that a single row is found by its key (SQLite
// flattens the derived table and looks the row up by rowid).
#include "jet/sql/row_forms.h"

namespace qb::jet::sql {

std::string RowKeyPlaceholder(const QueryContext& ctx) { return "?" + std::to_string(ctx.parameters().size() + 1); }

void SetInsertSelectRowForms(QueryContext& ctx, const ParsedQuery& query, const std::string& insert_head,
                             TranslatedQuery& out) {
  if (query.IsUnion() || query.parts.front().top) return;
  Scope scope;
  BlockSql block = TranslateBlock(ctx, query.parts.front(), scope);
  if (block.row_key_sql.empty() || block.distinct) return;
  constexpr const char* kRow = "\"qb_row\"";
  std::string columns;
  for (const TranslatedColumn& column : block.columns) {
    if (!columns.empty()) columns += ", ";
    columns += "jet_rows." + QuoteSqliteName(column.name);
  }
  out.row_sql = insert_head + " SELECT " + columns + " FROM (SELECT " + block.row_key_sql + " AS " + kRow + ", " +
                block.select_list + block.rest + ") AS jet_rows WHERE jet_rows." + kRow + " = " +
                RowKeyPlaceholder(ctx);
  out.row_keys_sql = "SELECT rowid FROM " + QuoteSqliteName(block.row_key_table);
}

}  // namespace qb::jet::sql
