// jet/sql/translate/source_keys: a join's rowids travel as extra leading columns, in FROM order, so the
// caller can tell from the names which column keys which table.
#include "jet/sql/translate/source_keys.h"

namespace qb::jet::sql {

void NoteRowKey(const Scope& scope, bool aggregated, BlockSql& block) {
  if (aggregated || block.distinct || scope.sources.size() != 1) return;
  const BoundSource& source = scope.sources[0];
  if (!source.table.empty()) {
    block.row_key_sql = source.RowidSql();
    block.row_key_table = source.table;
  } else if (!source.key_table.empty()) {
    block.row_key_sql = source.sql_name + "." + QuoteSqliteName(kRowKeyColumn);
    block.row_key_table = source.key_table;
  } else {
    return;
  }
  block.fetch_from = source.fetch_from;
}

void NoteSourceKeys(const Scope& scope, bool aggregated, bool rows_grouped, BlockSql& block) {
  block.source_keys.clear();
  block.keys_through_layer = false;
  if (aggregated || rows_grouped || block.distinct || scope.sources.empty()) return;
  std::vector<std::pair<std::string, SourceKey>> keys;
  if (scope.sources.size() == 1) {
    // A plain select over a keyed join layer: its rows are the join's rows, keyed by the
    // layer's hidden key columns, which pass through.
    const BoundSource& layer = scope.sources[0];
    for (std::size_t i = 0; i < layer.source_keys.size(); ++i) {
      keys.push_back({layer.sql_name + "." + QuoteSqliteName(kSourceKeyPrefix + std::to_string(i + 1)),
                      layer.source_keys[i]});
    }
    block.keys_through_layer = !keys.empty();
    block.source_keys = std::move(keys);
    return;
  }
  for (const BoundSource& source : scope.sources) {
    // A saved query or derived table has no rowid of its own: its rows cannot be found again.
    if (source.table.empty()) return;
    keys.push_back({source.RowidSql(), SourceKey{source.name, source.table, source.sql_name}});
  }
  block.source_keys = std::move(keys);
}

void PrependSourceKeys(BlockSql& block, SelectSql& result) {
  std::string list;
  for (std::size_t i = 0; i < block.source_keys.size(); ++i) {
    list += block.source_keys[i].first + " AS " + QuoteSqliteName(kSourceKeyPrefix + std::to_string(i + 1)) + ", ";
    result.source_keys.push_back(block.source_keys[i].second);
  }
  if (!block.keys_through_layer) result.column_sql = block.item_sql;
  block.select_list = list + block.select_list;
}

}  // namespace qb::jet::sql
