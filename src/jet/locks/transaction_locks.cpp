// jet/locks/transaction_locks: kept locks by their lock-file byte. A kept lock is idle while the map
// holds its only reference; an edit taking it up holds another.
#include "jet/locks/transaction_locks.h"

#include "jet/locks/record_lock.h"

namespace qb::jet {

std::shared_ptr<RecordLock> TransactionLocks::Lock(std::shared_ptr<LockRanges> ranges, const std::string& table,
                                                   std::int64_t rowid) {
  if (ranges) {
    auto found = kept_.find(RecordLockByte(table, rowid));
    if (found != kept_.end() && found->second.use_count() == 1) {
      found->second->Mark();
      return found->second;
    }
  }
  return std::make_shared<RecordLock>(std::move(ranges), table, rowid);
}

void TransactionLocks::Keep(std::shared_ptr<RecordLock> lock) {
  if (!lock || !lock->Holds()) return;
  lock->Unmark();
  lock->MarkKept();
  kept_[lock->Byte()] = std::move(lock);
}

void TransactionLocks::UnmarkIdle() {
  for (auto& [byte, lock] : kept_) {
    if (lock.use_count() == 1) lock->Unmark();
  }
}

bool TransactionLocks::KeptIdle(off_t byte) const {
  auto found = kept_.find(byte);
  return found != kept_.end() && found->second.use_count() == 1;
}

}  // namespace qb::jet
