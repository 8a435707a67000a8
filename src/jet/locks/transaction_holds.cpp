// jet/locks/transaction_holds: kept holds go from the connection's commit and rollback hooks, so
// that a transaction ended by any means (DAO, a statement of the application's own, an error
// that made SQLite undo it) lets them go at once.
#include "jet/locks/transaction_holds.h"

#include <sqlcipher/sqlite3.h>

#include "jet/locks/lock_ranges.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

void LetKeptGo(void* ranges) {
  // Letting go only unlocks bytes and cannot fail in a way SQLite could be told of.
  static_cast<LockRanges*>(ranges)->ReleaseKept();
}

int OnCommit(void* ranges) {
  LetKeptGo(ranges);
  return 0;  // the commit goes on
}

}  // namespace

StatementTableHold::StatementTableHold(const std::shared_ptr<LockRanges>& ranges, Connection& connection,
                                       const std::string& table)
    : ranges_(ranges), connection_(connection) {
  if (!ranges_ || table.empty()) return;
  if (!connection_.InTransaction()) {
    if (ranges_->AnyKept()) ranges_->ReleaseKept();
  } else if (TableHold::KeptForWriting(*ranges_, table)) {
    return;
  }
  hold_.emplace(ranges_, table, TableHoldRequest{.writes = true});
}

void StatementTableHold::Wrote() {
  if (!hold_ || !connection_.InTransaction()) return;
  // The ranges outlive the connection (the file closes its connection before its lock file),
  // so the hooks never see them gone. Set on every keep: another user of the connection may
  // have replaced them.
  sqlite3_commit_hook(connection_.Handle(), &OnCommit, ranges_.get());
  sqlite3_rollback_hook(connection_.Handle(), &LetKeptGo, ranges_.get());
  hold_->Keep();
}

}  // namespace qb::jet
