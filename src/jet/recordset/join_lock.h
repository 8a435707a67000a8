// jet/recordset/join_lock: record locks through a dynaset over a join. An Update may write any
// table whose row the record shows, so an edit locks each of those rows (the root's, or the
// anchor's for a record without a root row, and the one sides' met through the links); a Delete
// removes one row and locks that row only. Internal to the recordset folder.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qb::jet {

class RecordLock;
struct PendingEdit;
struct RecordsetState;

// For Edit of joined record EDIT.key: notes each table's row in it (EDIT.join_rows) and, when S
// locks edits, takes the lock of every one of those rows (EDIT.lock and EDIT.join_locks; none
// is kept when one fails). Raises kRecordLocked (3260) when another recordset or user holds one,
// kRecordDeleted when the record is gone. REQUIRES: S.plan.join.
void LockJoinEdit(RecordsetState& s, PendingEdit& edit);

// For Update of joined record EDIT.key: raises kDataChanged (3197) when the record no longer
// shows the rows Edit saw (another user pointed a link elsewhere or removed a one-side row).
// An edit without locks of its own (optimistic) gets the locks of those rows for the write,
// returned; else returns none. Raises as LockJoinEdit. REQUIRES: S.plan.join.
std::vector<std::shared_ptr<RecordLock>> LockJoinUpdate(RecordsetState& s, const PendingEdit& edit);

// The row a Delete of the current record removes.
struct DeletedRow {
  std::string table;
  std::int64_t rowid = 0;
};
// For joined record KEY: the root's row, or for a record of a kept one side without one the
// anchor's row. Raises kDataChanged when that anchor row has since been joined by root rows
// (removing it would leave them naming nothing). REQUIRES: S.plan.join.
DeletedRow JoinDeletedRow(RecordsetState& s, std::int64_t key);

}  // namespace qb::jet
