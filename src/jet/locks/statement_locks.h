// jet/locks/statement_locks: the rows an UPDATE or DELETE must leave alone because their records are
// locked: by another open of the file (another Database object, another process) or by an edit
// under way in a recordset of the same Database. A record that the Database's own transaction
// keeps locked (transaction_locks.h) and no edit uses is free to its statements.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qb::jet {

class Connection;
class Database;

// Whether the records another open's transaction keeps locked count. That transaction holds
// the file's write lock until it ends, so they stand in a statement's way only until it has
// the write lock itself: afterwards what others kept is on its way out (kIgnore).
enum class OthersKept { kCount, kIgnore };

// The rowids of TABLE on CONNECTION (DATABASE's) whose records are locked against DATABASE's
// statements, in rowid order. Empty at once, without reading TABLE, when nobody edits (or, with
// kCount, keeps) a record of it. Raises kObjectClosed when DATABASE is closed, and what reading
// TABLE raises.
std::vector<std::int64_t> RowsLockedAgainst(Database& database, Connection& connection, const std::string& table,
                                            OthersKept others_kept);

}  // namespace qb::jet
