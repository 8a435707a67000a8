// jet/locks/lock_file: the companion lock file ("name.ldb") through which opens of one database
// exclude each other: exclusive, deny-write, read-write and read-only holds as open-file-
// description byte-range locks, which conflict between processes and between the holds of one
// process, and vanish when their holder dies. Knows nothing of SQLite or the catalog.
//
// Byte layout of the lock file (it holds no data; only its locks mean anything):
//   byte 0  every hold: shared; an exclusive hold: exclusive
//   byte 1  writers: shared (a hold that may write)
//   byte 2  deny-writers: shared (a hold that refuses other writers)
//   byte 3  gate: taken exclusively, briefly, around every check-then-lock step and around the
//           removal of the file, so that checks and locks are one step for everyone
//   bytes from 512 KiB on: tables held by recordsets (locks/table_hold.h)
//   bytes from 1 MiB on: records being edited (record_lock.h)
//   bytes from 1 MiB + 4 GiB on: tables having records being edited (record_lock.h)
#pragma once
#include <memory>
#include <string>

#include "jet/locks/lock_ranges.h"

namespace qb::jet {

enum class ShareMode {
  kShared,     // others may open and write
  kDenyWrite,  // others may open read-only only
  kExclusive,  // nobody else may open
};

class LockFileHold {
 public:
  // Takes a hold on DATABASE_PATH's lock file (created when missing) for MODE; WRITABLE says
  // whether this open may write. Raises kFileInUse ("already in use") when another hold
  // conflicts: any hold against an exclusive request, an exclusive hold against any request,
  // a deny-write hold against a writer, a writer against a deny-write request. A read-only,
  // non-exclusive request proceeds without a lock file when the folder cannot hold one or the
  // lock file is not this user's to write. Other file system failures raise kCannotOpenFile.
  // A lock file this user creates gets the database file's read and write permissions, so
  // that everyone who may write the database may hold it.
  // RETRY: how record locks of this open ask again (see Ranges).
  LockFileHold(const std::string& database_path, ShareMode mode, bool writable, LockRetry retry = LockRetry());
  // Releases the hold; the last holder removes the lock file.
  ~LockFileHold();
  LockFileHold(const LockFileHold&) = delete;
  LockFileHold& operator=(const LockFileHold&) = delete;

  // The lock file's path for DATABASE_PATH ("x.mdb" gives "x.ldb"; other names get ".ldb" added).
  static std::string PathFor(const std::string& database_path);

  // The finer holds (tables, records) of this open; null when there is no lock file. It
  // outlives the hold only detached (its holds then went with the file's descriptor).
  std::shared_ptr<LockRanges> Ranges() const { return ranges_; }

 private:
  std::string path_;  // constant after construction
  int fd_ = -1;       // owned; -1 when the folder could not hold a lock file
  std::shared_ptr<LockRanges> ranges_;  // over fd_; detached before fd_ closes
};

}  // namespace qb::jet
