// A SQLite VFS for tests that makes the disk fill up on demand: it wraps the default VFS and,
// once told, fails writes past a byte budget with SQLITE_FULL and the growth of a -shm index
// as the system does on a full disk (SQLITE_IOERR_SHMSIZE, errno ENOSPC). It can also fail one
// chosen write, sync or truncate (of any file: database, journal, log) as a full disk or a
// failing device does. Reads always work.
// While an object lives it is the default VFS of the process, so every connection the engine
// opens meanwhile goes through it. One at a time; every connection opened through it must be
// closed before it goes.
#pragma once
#include <cstdint>

namespace qb::jet::test {

class FullDiskVfs {
 public:
  FullDiskVfs();
  ~FullDiskVfs();
  FullDiskVfs(const FullDiskVfs&) = delete;
  FullDiskVfs& operator=(const FullDiskVfs&) = delete;

  // From now on BYTES more bytes can be written; every write beyond them fails whole.
  void FillAfter(std::int64_t bytes);
  // From now on a -shm index cannot grow beyond the size its file has (or cannot be made).
  void FillIndexGrowth();
  // The disk has room again (a chosen failure still to come stays armed).
  void Free();
  // How many writes, index growths and chosen operations failed so far.
  int Failures() const;

  // What a chosen failure says: the disk is full (SQLITE_FULL, errno ENOSPC) or the device
  // failed (the SQLITE_IOERR code of the operation, errno EIO).
  enum class Fault { kFull, kIo };
  // The Nth write, sync or truncate from now on (1: the next one) fails with FAULT; the ones
  // before and after it go through. 0 disarms it.
  void FailOperation(int n, Fault fault);
  // How many writes, syncs and truncates went to files since the last FailOperation (or since
  // the VFS was made), the failed one included.
  int Operations() const;
};

}  // namespace qb::jet::test
