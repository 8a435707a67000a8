// jet/sql/translate/source_keys: a join's rowids travel as extra leading columns, in FROM order, so the
// caller can tell from the names which column keys which table.
#include "jet/sql/translate/source_keys.h"

namespace qb::jet::sql {

void NoteSourceKeys(const Scope& scope, bool aggregated, bool rows_grouped, BlockSql& block) {
  block.source_keys.clear();
  if (aggregated || rows_grouped || block.distinct || scope.sources.size() < 2) return;
  std::vector<std::pair<std::string, SourceKey>> keys;
  for (const BoundSource& source : scope.sources) {
    // A saved query or derived table has no rowid of its own: its rows cannot be found again.
    if (source.table.empty()) return;
    keys.push_back({source.RowidSql(), SourceKey{source.name, source.table}});
  }
  block.source_keys = std::move(keys);
}

void PrependSourceKeys(BlockSql& block, SelectSql& result) {
  std::string list;
  for (std::size_t i = 0; i < block.source_keys.size(); ++i) {
    list += block.source_keys[i].first + " AS " + QuoteSqliteName(kSourceKeyPrefix + std::to_string(i + 1)) + ", ";
    result.source_keys.push_back(block.source_keys[i].second);
  }
  block.select_list = list + block.select_list;
}

}  // namespace qb::jet::sql
