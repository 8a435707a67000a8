// jet/locks/statement_locks: a look at the table's marks first (lock-file queries), then, only when
// someone edits (or keeps) a record of the table, at the record byte of every row.
#include "jet/locks/statement_locks.h"

#include "jet/locks/lock_ranges.h"
#include "jet/locks/record_lock.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"
#include "jet/locks/transaction_locks.h"

namespace qb::jet {

std::vector<std::int64_t> RowsLockedAgainst(const std::shared_ptr<LockRanges>& ranges, TransactionLocks& kept,
                                            Connection& connection, const std::string& table,
                                            OthersKept others_kept) {
  std::vector<std::int64_t> locked;
  if (!ranges || table.empty()) return locked;
  kept.UnmarkIdle();  // an edit that took a kept lock up and ended leaves no mark behind
  const off_t mark = TableEditByte(table);
  const bool here = ranges->HeldHere(mark);
  const bool elsewhere = ranges->HeldElsewhere(mark) ||
                         (others_kept == OthersKept::kCount && ranges->HeldElsewhere(TableKeptByte(table)));
  if (!here && !elsewhere) return locked;
  Statement rows = connection.Prepare("SELECT rowid FROM " + sql::QuoteSqliteName(table) + " ORDER BY rowid");
  while (rows.Step()) {
    const std::int64_t rowid = rows.ColumnInt(0);
    const off_t byte = RecordLockByte(table, rowid);
    // This open's kept records are free to its statements; another open's count as its marks
    // say (a kept record of an open that also edits the table counts either way).
    if ((ranges->HeldHere(byte) && !kept.KeptIdle(byte)) || (elsewhere && ranges->HeldElsewhere(byte))) {
      locked.push_back(rowid);
    }
  }
  return locked;
}

}  // namespace qb::jet
