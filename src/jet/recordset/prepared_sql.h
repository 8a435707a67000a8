// jet/recordset/prepared_sql: the data stamp a recordset reads through its kept "PRAGMA data_version"
// statement (see jet/sqlite/statement.h for the statement wrapper and ResetOnExit).
#pragma once
#include <cstdint>

#include "jet/sqlite/statement.h"

namespace qb::jet {

class Connection;

// What has changed in a file as seen from one connection: a change by another connection
// (PRAGMA data_version) or by this one (its total change count) gives a different stamp.
struct DataStamp {
  std::int64_t others = -1;
  std::int64_t own = -1;
  bool operator==(const DataStamp&) const = default;
};

// Reads the stamp with PRAGMA_SQL, compiled on CONNECTION as "PRAGMA data_version" on first use.
DataStamp ReadDataStamp(Connection& connection, Statement& pragma_sql);

}  // namespace qb::jet
