// jet/recordset/join_lock: the rows are found through the same join the record is read by
// (JoinRowIds), so the locks cover exactly what the record shows now.
#include "jet/recordset/join_lock.h"

#include <sqlcipher/sqlite3.h>

#include <set>

#include "jet/base/errors.h"
#include "jet/locks/record_lock.h"
#include "jet/recordset/edit_lock.h"
#include "jet/recordset/join_plan.h"
#include "jet/base/recordset_types.h"  // before recordset_state.h, which uses its kinds
#include "jet/recordset/recordset_state.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

using RowIds = std::vector<std::optional<std::int64_t>>;

[[noreturn]] void RaiseChanged() {
  RaiseJetError(err::kDataChanged,
                "Another user changed the record since it was edited; the changes were not saved. Edit it again.");
}

// The locks of every row in ROWIDS, the first table's first. Two rows whose lock bytes meet are
// one lock here: taking the byte twice would refuse this very edit.
std::vector<std::shared_ptr<RecordLock>> LockRows(RecordsetState& s, const RowIds& rowids) {
  const JoinPlan& plan = *s.plan.join;
  std::vector<std::shared_ptr<RecordLock>> locks;
  std::set<off_t> bytes;
  for (std::size_t t = 0; t < rowids.size(); ++t) {
    if (!rowids[t]) continue;
    const std::string& table = plan.tables[t].table.name;
    if (!bytes.insert(RecordLockByte(table, *rowids[t])).second) continue;
    locks.push_back(LockRecord(s, table, *rowids[t]));
  }
  return locks;
}

}  // namespace

void LockJoinEdit(RecordsetState& s, PendingEdit& edit) {
  edit.join_rows = JoinRowIds(s.Open(), *s.plan.join, edit.key);
  if (!s.lock_edits) return;
  std::vector<std::shared_ptr<RecordLock>> locks = LockRows(s, edit.join_rows);
  // The rows may have changed before the locks were taken: the edit starts from what they hold.
  const RowIds locked = edit.join_rows;
  edit.join_rows = JoinRowIds(s.Open(), *s.plan.join, edit.key);
  if (edit.join_rows != locked) {
    RaiseJetError(err::kRecordLocked, "Another user is changing the record; it cannot be edited now. Try again.");
  }
  if (locks.empty()) return;
  edit.lock = locks.front();
  edit.join_locks.assign(locks.begin() + 1, locks.end());
}

std::vector<std::shared_ptr<RecordLock>> LockJoinUpdate(RecordsetState& s, const PendingEdit& edit) {
  std::vector<std::shared_ptr<RecordLock>> locks;
  if (!edit.lock) locks = LockRows(s, edit.join_rows);
  if (JoinRowIds(s.Open(), *s.plan.join, edit.key) != edit.join_rows) RaiseChanged();
  return locks;
}

DeletedRow JoinDeletedRow(RecordsetState& s, std::int64_t key) {
  const JoinPlan& plan = *s.plan.join;
  if (plan.anchor < 0 || !IsAnchorKey(key)) return {plan.tables[0].table.name, key};
  const auto anchor = static_cast<std::size_t>(plan.anchor);
  const JoinTable& table = plan.tables[anchor];
  std::string on;
  for (std::size_t f = 0; f < table.fields.size(); ++f) {
    on += (f ? " AND " : "") + JoinAlias(0) + "." + sql::QuoteSqliteName(table.parent_fields[f]) + " = " +
          JoinAlias(anchor) + "." + sql::QuoteSqliteName(table.fields[f]);
  }
  Statement joined = s.Open().Prepare("SELECT 1 FROM " + sql::QuoteSqliteName(table.table.name) + " AS " + JoinAlias(anchor) +
                                   " JOIN " + sql::QuoteSqliteName(plan.tables[0].table.name) + " AS " + JoinAlias(0) +
                                   " ON " + on + " WHERE " + JoinAlias(anchor) + ".rowid = ?1 LIMIT 1");
  ResetOnExit reset(joined);
  joined.Bind(1, AnchorRowid(key));
  if (joined.Step()) RaiseChanged();
  return {table.table.name, AnchorRowid(key)};
}

}  // namespace qb::jet
