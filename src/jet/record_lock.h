// jet/record_lock: the lock on one record of a table while it is being changed, as a byte of the
// database's lock file (from 1 MiB on), so that it holds between processes and between Database
// objects of one process, and vanishes at once when its holder dies.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "jet/lock_ranges.h"

namespace qb::jet {

namespace err {
inline constexpr int kRecordLocked = 3260;
}  // namespace err

// The lock-file byte of record ROWID of TABLE (its name's case does not matter). Distinct
// records may share a byte: that only makes one look locked while the other is.
off_t RecordLockByte(const std::string& table, std::int64_t rowid);

class RecordLock {
 public:
  // Takes the lock on record ROWID of TABLE through RANGES (null: there is no lock file, and
  // nothing is locked). When another open holds it, asks again as RANGES' retry setting says;
  // raises kRecordLocked when it is still held then, or at once when another recordset of the
  // same open holds it.
  RecordLock(std::shared_ptr<LockRanges> ranges, const std::string& table, std::int64_t rowid);
  ~RecordLock();  // releases the lock
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;

 private:
  std::shared_ptr<LockRanges> ranges_;  // null when nothing is held
  off_t byte_ = 0;
};

}  // namespace qb::jet
