// jet/locks/record_lock: the lock on one record of a table while it is being changed, as a byte of the
// database's lock file (from 1 MiB on), so that it holds between processes and between Database
// objects of one process, and vanishes at once when its holder dies.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "jet/locks/lock_ranges.h"
#include "jet/base/errors.h"

namespace qb::jet {

// The lock-file byte of record ROWID of TABLE (its name's case does not matter). Distinct
// records may share a byte: that only makes one look locked while the other is.
off_t RecordLockByte(const std::string& table, std::int64_t rowid);

// The lock-file byte marking TABLE as having records locked by edits under way: every such
// record lock holds it shared. A statement writing TABLE looks at single records only while
// someone holds it. Tables may share a byte: that only costs a statement the closer look.
off_t TableEditByte(const std::string& table);

// The lock-file byte marking TABLE as having records that a transaction keeps locked (see
// transaction_locks.h): every kept lock holds it shared until it goes. The transaction holds
// the file's write lock too, so only a statement that has not got that lock yet needs to look
// at single records for it. Tables may share a byte, as for TableEditByte.
off_t TableKeptByte(const std::string& table);

class RecordLock {
 public:
  // Takes the lock on record ROWID of TABLE through RANGES (null: there is no lock file, and
  // nothing is locked). When another open holds it, asks again as RANGES' retry setting says;
  // raises kRecordLocked when it is still held then, or at once when another recordset of the
  // same open holds it. The lock marks its table (TableEditByte) until Unmark.
  RecordLock(std::shared_ptr<LockRanges> ranges, const std::string& table, std::int64_t rowid);
  ~RecordLock();  // releases the lock and the mark
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;

  bool Holds() const { return ranges_ != nullptr; }  // false: nothing was locked
  off_t Byte() const { return byte_; }                 // REQUIRES: Holds()
  // A lock no edit uses any more (kept by a transaction after its write) lets its table's mark
  // go; Mark takes it again for a new edit. Both do nothing when already so.
  void Unmark();
  void Mark();
  // Marks the table as having this record kept by a transaction (TableKeptByte) until the lock
  // goes. Does nothing when already so.
  void MarkKept();

 private:
  std::shared_ptr<LockRanges> ranges_;  // null when nothing is held
  off_t byte_ = 0;
  off_t table_byte_ = 0;
  off_t kept_byte_ = 0;
  bool marked_ = false;
  bool marked_kept_ = false;
};

}  // namespace qb::jet
