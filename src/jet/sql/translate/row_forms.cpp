// jet/sql/translate/row_forms: one-row forms of INSERT ... SELECT and SELECT ... INTO. The select becomes
// a derived table carrying the rowids of its sources, so that a single row is found by its keys
// (SQLite flattens the derived table and looks the rows up by rowid).
#include "jet/sql/translate/row_forms.h"

namespace qb::jet::sql {

std::string RowKeyPlaceholder(const QueryContext& ctx) { return "?" + std::to_string(ctx.parameters().size() + 1); }

std::string StoredSelectSql(const SelectSql& select, const std::vector<StoreTarget>& targets) {
  std::string names, values;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const std::string name = QuoteSqliteName("qb_v" + std::to_string(i + 1));
    names += (i ? ", " : "") + name;
    TranslatedExpr value{name, i < select.kinds.size() ? select.kinds[i] : SqlValueType::kUnknown};
    values += (i ? ", " : "") + StoredValueSql(nullptr, value, targets[i].dao_type, targets[i].name);
  }
  return "WITH \"jet_src\" (" + names + ") AS (" + select.sql + ") SELECT " + values + " FROM \"jet_src\"";
}

void SetInsertSelectRowForms(QueryContext& ctx, const ParsedQuery& query, const std::string& insert_head,
                             const std::vector<StoreTarget>& targets, TranslatedQuery& out) {
  if (query.IsUnion() || query.parts.front().top) return;
  const ParsedSelect& select = query.parts.front();
  Scope scope;
  BlockSql block = TranslateBlock(ctx, select, scope);
  if (block.distinct || block.keys_through_layer) return;  // a layer's keys are no rowids of its FROM
  // The rowid of each source as SQL: one table, or every table of a join.
  std::vector<std::string> keys;
  if (!block.row_key_sql.empty()) {
    keys.push_back(block.row_key_sql);
  } else {
    for (const auto& [sql, source] : block.source_keys) keys.push_back(sql);
  }
  if (keys.empty()) return;
  std::string columns;
  for (std::size_t i = 0; i < block.columns.size(); ++i) {
    if (!columns.empty()) columns += ", ";
    TranslatedExpr value{"jet_rows." + QuoteSqliteName(block.columns[i].name),
                         i < block.kinds.size() ? block.kinds[i] : SqlValueType::kUnknown};
    columns += i < targets.size() ? StoredValueSql(nullptr, value, targets[i].dao_type, targets[i].name) : value.sql;
  }
  std::string key_columns, match;
  const std::size_t first = ctx.parameters().size() + 1;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string name = QuoteSqliteName("qb_row" + std::to_string(i + 1));
    key_columns += keys[i] + " AS " + name + ", ";
    // IS: the side of an outer join that found no row has a Null key.
    match += (i ? " AND jet_rows." : "jet_rows.") + name + (keys.size() == 1 ? " = ?" : " IS ?") +
             std::to_string(first + i);
  }
  out.row_sql = insert_head + " SELECT " + columns + " FROM (SELECT " + key_columns + block.select_list + block.rest +
                ") AS jet_rows WHERE " + match;
  // The keys come from the sources alone: the WHERE clause may be what fails on some rows.
  Scope key_scope;
  const std::string from = BindFromList(ctx, select.from, key_scope);
  std::string key_list;
  for (const BoundSource& source : key_scope.sources) {
    key_list += (key_list.empty() ? "" : ", ") + source.RowidSql();
  }
  out.row_keys_sql = "SELECT " + key_list + " FROM " + from;
}

}  // namespace qb::jet::sql
