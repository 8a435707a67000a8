// jet/locks/transaction_locks: the record locks a Database keeps from the write that took them until
// its outermost transaction ends, so that no other user edits a record whose change may still
// be undone. Kept locks hold their records and their tables' kept marks only: they let their
// tables' edit marks go (see record_lock.h), and any recordset of the same Database may take
// them up again.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace qb::jet {

class LockRanges;
class RecordLock;

class TransactionLocks {
 public:
  // The lock on record ROWID of TABLE through RANGES: a kept lock that no edit uses (marked
  // again), else a new one, raising as RecordLock's constructor does (at once when an edit of
  // the same open uses the kept lock).
  std::shared_ptr<RecordLock> Lock(std::shared_ptr<LockRanges> ranges, const std::string& table, std::int64_t rowid);
  // Keeps LOCK (its edit mark let go, its kept mark taken) until Clear; a lock that holds
  // nothing is not kept.
  void Keep(std::shared_ptr<RecordLock> lock);
  // Is BYTE held by a kept lock that no edit uses? A statement of the same Database may then
  // write the record.
  bool KeptIdle(off_t byte) const;
  // Lets the marks of kept locks that an edit took up and dropped since go again.
  void UnmarkIdle();
  bool Empty() const { return kept_.empty(); }
  // Lets every kept lock go (those an edit still uses stay with it).
  void Clear() { kept_.clear(); }

 private:
  std::map<off_t, std::shared_ptr<RecordLock>> kept_;  // by lock-file byte
};

}  // namespace qb::jet
