// A SQLite VFS for tests that makes the disk fill up on demand: it wraps the default VFS and,
// once told, fails writes past a byte budget with SQLITE_FULL and the growth of a -shm index
// as the system does on a full disk (SQLITE_IOERR_SHMSIZE, errno ENOSPC). Reads always work.
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
  // The disk has room again.
  void Free();
  // How many writes and index growths failed so far.
  int Failures() const;
};

}  // namespace qb::jet::test
