// jet/recordset/recordset_table: the moves of a table-type recordset. It keeps no positions: it
// moves by key through its KeyWindow, so it holds the same few rows whatever the table's size,
// and looks at the file before each move that reads it (a table-type recordset sees every
// change at once). The Recordset members hand over to these for table-type recordsets; their
// contracts are the members' (recordset.h). Internal to the recordset folder.
#pragma once
#include <cstdint>

#include "com/variant.h"

namespace qb::jet {

struct RecordsetState;

void TableMoveFirst(RecordsetState& s);
void TableMoveLast(RecordsetState& s);
void TableMoveNext(RecordsetState& s);
void TableMovePrevious(RecordsetState& s);
void TableMove(RecordsetState& s, std::int64_t rows, const Variant& start_bookmark);
void TableSetBookmark(RecordsetState& s, const Variant& bookmark);
// The current record's ordinal in the order (the rows before its key, counted now); -1 without
// a current record.
std::int64_t TableOrdinal(RecordsetState& s);
// Moves to the record at 0-based ORDINAL in the order; nothing when there is none.
void TableMoveToOrdinal(RecordsetState& s, std::int64_t ordinal);
// The rows of the table now (counted again only when the file changed since).
std::int64_t TableRowCount(RecordsetState& s);
// True when the order holds no rows now.
bool TableEmpty(RecordsetState& s);

}  // namespace qb::jet
