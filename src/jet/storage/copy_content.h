// jet/storage/copy_content: copies a database file's tables, rows, indexes, triggers and views from one
// connection to another, for compact (strict: any failure stops it) and repair (salvage: every
// row that still reads is kept, table by table and rowid range by rowid range). Never writes
// to the source; makes no files of its own.
#pragma once
#include <cstdint>

namespace qb::jet {

class Connection;

enum class CopyMode { kStrict, kSalvage };

struct CopyReport {
  int tables = 0;
  std::int64_t rows = 0;        // rows copied
  int damaged_ranges = 0;       // rowid ranges skipped because they did not read (salvage)
  int objects_dropped = 0;      // indexes, triggers or views that could not be remade (salvage)
};

// Copies everything of SOURCE into DESTINATION, which holds only MSysDbInfo (its rows win over
// the source's) and has the text collation registered. Raises the engine error of the first
// failure in strict mode; in salvage mode raises only when the source's schema cannot be read
// or the destination cannot be written.
CopyReport CopyDatabaseContent(Connection& source, Connection& destination, CopyMode mode);

}  // namespace qb::jet
