// jet/recordset/edit_lock: record locks through the database's lock file, and the optimistic
// check that compares the whole stored record with what Edit read.
#include "jet/recordset/edit_lock.h"

#include "jet/query/database_file.h"
#include "jet/base/errors.h"
#include "jet/locks/record_lock.h"
#include "jet/locks/transaction_locks.h"
#include "jet/base/recordset_types.h"  // before recordset_state.h, which uses its kinds
#include "jet/recordset/recordset_state.h"

namespace qb::jet {
namespace {

std::vector<Variant> StoredRecord(RecordsetState& s, std::int64_t key) {
  std::vector<Variant> stored;
  if (!s.Source().Fetch(key, stored)) {
    RaiseJetError(err::kRecordDeleted, "The record has been deleted by another user since it was read.");
  }
  return stored;
}

}  // namespace

std::shared_ptr<RecordLock> LockRecord(RecordsetState& s, std::int64_t key) {
  return LockRecord(s, s.plan.base_table, key);
}

std::shared_ptr<RecordLock> LockRecord(RecordsetState& s, const std::string& table, std::int64_t key) {
  auto database = s.database.lock();
  if (!database) RaiseJetError(err::kObjectClosed, "The recordset's database is closed.");
  return database->KeptRecordLocks().Lock(database->LockFileRanges(), table, key);
}

namespace {

bool InTransaction(const std::shared_ptr<DatabaseFile>& database) {
  return database && database->IsOpen() && database->TransactionDepth() > 0;
}

}  // namespace

void KeepUntilTransactionEnds(RecordsetState& s, std::shared_ptr<RecordLock> lock) {
  auto database = s.database.lock();
  if (lock && InTransaction(database)) database->KeptRecordLocks().Keep(std::move(lock));
}

std::shared_ptr<RecordLock> LockIfInTransaction(RecordsetState& s, std::int64_t key) {
  return InTransaction(s.database.lock()) ? LockRecord(s, key) : nullptr;
}

void ReadForEdit(RecordsetState& s, std::int64_t key, std::vector<Variant>& values) {
  std::vector<Variant> stored = StoredRecord(s, key);
  const auto& columns = s.plan.columns;
  for (std::size_t i = 0; i < columns.size() && i < values.size(); ++i) {
    if (!columns[i].base_column.empty()) values[i] = std::move(stored[i]);
  }
}

void CheckUnchangedSinceEdit(RecordsetState& s, const PendingEdit& edit) {
  if (edit.lock) return;
  const std::vector<Variant> stored = StoredRecord(s, edit.key);
  const auto& columns = s.plan.columns;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].base_column.empty() || stored[i] == edit.original[i]) continue;
    RaiseJetError(err::kDataChanged,
                  "Another user changed the record since it was edited; the changes were not saved. Edit it again.");
  }
}

}  // namespace qb::jet
