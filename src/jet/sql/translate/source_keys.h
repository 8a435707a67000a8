// jet/sql/translate/source_keys: the hidden rowid columns a plain select over a join returns for its
// dynaset (QueryTranslateOptions::with_row_key): each source that is a stored table gives its
// rowid, so the rows can be found again and written back table by table.
// Internal to jet/sql.
#pragma once
#include "jet/sql/translate/query_context.h"

namespace qb::jet::sql {

// Fills BLOCK.row_key_sql, row_key_table and fetch_from when BLOCK is a plain select (no
// grouping, aggregate or DISTINCT) over one source whose rows are one table's: the table itself,
// or a saved query or derived table keyed by that table's rowids. Leaves them empty otherwise.
void NoteRowKey(const Scope& scope, bool aggregated, BlockSql& block);

// Fills BLOCK.source_keys when BLOCK is a plain select over two or more sources, every one a
// stored table: no grouping, aggregate, DISTINCT or DISTINCTROW grouping (ROWS_GROUPED). Leaves
// it empty otherwise.
void NoteSourceKeys(const Scope& scope, bool aggregated, bool rows_grouped, BlockSql& block);

// Puts BLOCK's hidden rowid columns (kSourceKeyPrefix + 1, 2, ...) before its select list and
// names their sources in RESULT. REQUIRES: BLOCK.source_keys is not empty.
void PrependSourceKeys(BlockSql& block, SelectSql& result);

}  // namespace qb::jet::sql
