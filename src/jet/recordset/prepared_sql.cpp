// jet/recordset/prepared_sql: the data stamp through the connection's change counters.
#include "jet/recordset/prepared_sql.h"

#include <sqlcipher/sqlite3.h>

#include "jet/sqlite/connection.h"

namespace qb::jet {

DataStamp ReadDataStamp(Connection& connection, Statement& pragma_sql) {
  if (!pragma_sql.IsPrepared()) pragma_sql = connection.Prepare("PRAGMA data_version");
  ResetOnExit reset(pragma_sql);
  DataStamp stamp;
  if (pragma_sql.Step()) stamp.others = pragma_sql.ColumnInt(0);
  stamp.own = sqlite3_total_changes(connection.Handle());
  return stamp;
}

}  // namespace qb::jet
