// jet/locks/statement_locks: the rows an UPDATE or DELETE must leave alone because their records are
// locked: by another open of the file (another Database object, another process) or by an edit
// under way in a recordset of the same Database. A record that the Database's own transaction
// keeps locked (transaction_locks.h) and no edit uses is free to its statements.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qb::jet {

class Connection;
class LockRanges;
class TransactionLocks;

// Whether the records another open's transaction keeps locked count. That transaction holds
// the file's write lock until it ends, so they stand in a statement's way only until it has
// the write lock itself: afterwards what others kept is on its way out (kIgnore).
enum class OthersKept { kCount, kIgnore };

// The rowids of TABLE on CONNECTION whose records are locked against the statements of the open
// whose lock-file holds are RANGES (null: no lock file) and whose transaction keeps KEPT, in
// rowid order. Empty at once, without reading TABLE, when nobody edits (or, with kCount, keeps)
// a record of it. Raises what reading TABLE raises.
std::vector<std::int64_t> RowsLockedAgainst(const std::shared_ptr<LockRanges>& ranges, TransactionLocks& kept,
                                            Connection& connection, const std::string& table,
                                            OthersKept others_kept);

}  // namespace qb::jet
