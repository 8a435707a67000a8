// jet tests: the full-disk VFS: a thin wrapper over the default VFS whose files forward every
// call to the real file, except the writes and index growths a full disk refuses.
#include "full_disk_vfs.h"

#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace qb::jet::test {
namespace {

struct State {
  sqlite3_vfs* real = nullptr;
  sqlite3_vfs vfs{};
  sqlite3_io_methods methods{};
  bool writes_limited = false;
  std::int64_t budget = 0;
  bool index_growth_fails = false;
  bool failed_last = false;  // the last failure was ours: the system error is last_errno
  int last_errno = ENOSPC;
  int failures = 0;
  int operations = 0;  // writes, syncs and truncates since the last FailOperation
  int fail_at = 0;     // the operation that fails (0: none)
  FullDiskVfs::Fault fault = FullDiskVfs::Fault::kFull;
};
State state;

struct File {
  sqlite3_file base;     // must come first: SQLite sees a File as a sqlite3_file
  sqlite3_file* real;    // the real VFS's file, stored right after this struct
  std::string* shm;      // owned: the -shm path of a main database file, else null
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

int Fail(int code, int system_error = ENOSPC) {
  state.failed_last = true;
  state.last_errno = system_error;
  ++state.failures;
  return code;
}

// Counts a write, sync or truncate; SQLITE_OK unless it is the chosen one, which fails with
// the disk-full code or IO_CODE.
int ChosenFailure(int io_code) {
  ++state.operations;
  if (state.fail_at == 0 || state.operations != state.fail_at) return SQLITE_OK;
  if (state.fault == FullDiskVfs::Fault::kFull) return Fail(SQLITE_FULL);
  return Fail(io_code, EIO);
}

int Close(sqlite3_file* file) {
  File* wrapped = reinterpret_cast<File*>(file);
  delete wrapped->shm;
  wrapped->shm = nullptr;
  return wrapped->real->pMethods->xClose(wrapped->real);
}
int Read(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset) {
  return Real(f)->pMethods->xRead(Real(f), out, amount, offset);
}
int Write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
  if (int rc = ChosenFailure(SQLITE_IOERR_WRITE); rc != SQLITE_OK) return rc;
  if (state.writes_limited) {
    if (amount > state.budget) return Fail(SQLITE_FULL);
    state.budget -= amount;
  }
  state.failed_last = false;
  return Real(f)->pMethods->xWrite(Real(f), data, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
  if (int rc = ChosenFailure(SQLITE_IOERR_TRUNCATE); rc != SQLITE_OK) return rc;
  state.failed_last = false;
  return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) {
  if (int rc = ChosenFailure(SQLITE_IOERR_FSYNC); rc != SQLITE_OK) return rc;
  state.failed_last = false;
  return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); }
int Lock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int Unlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); }
int FileControl(sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); }
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int page, int page_size, int extend, void volatile** out) {
  File* wrapped = reinterpret_cast<File*>(f);
  if (state.index_growth_fails && extend && wrapped->shm) {
    struct stat info {};
    const std::int64_t needed = static_cast<std::int64_t>(page + 1) * page_size;
    if (::stat(wrapped->shm->c_str(), &info) != 0 || info.st_size < needed) return Fail(SQLITE_IOERR_SHMSIZE);
  }
  state.failed_last = false;
  return Real(f)->pMethods->xShmMap(Real(f), page, page_size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags); }
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int remove) { return Real(f)->pMethods->xShmUnmap(Real(f), remove); }
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
  return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) { return Real(f)->pMethods->xUnfetch(Real(f), offset, page); }

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  File* wrapped = reinterpret_cast<File*>(file);
  wrapped->base.pMethods = nullptr;
  wrapped->real = reinterpret_cast<sqlite3_file*>(wrapped + 1);
  wrapped->shm = nullptr;
  const int rc = state.real->xOpen(state.real, name, wrapped->real, flags, out_flags);
  if (wrapped->real->pMethods == nullptr) return rc;
  if (name && (flags & SQLITE_OPEN_MAIN_DB)) wrapped->shm = new std::string(std::string(name) + "-shm");
  state.methods.iVersion = wrapped->real->pMethods->iVersion;
  wrapped->base.pMethods = &state.methods;
  return rc;
}
int Delete(sqlite3_vfs*, const char* name, int sync) { return state.real->xDelete(state.real, name, sync); }
int Access(sqlite3_vfs*, const char* name, int flags, int* out) { return state.real->xAccess(state.real, name, flags, out); }
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return state.real->xFullPathname(state.real, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) { return state.real->xDlOpen(state.real, name); }
void DlError(sqlite3_vfs*, int size, char* out) { state.real->xDlError(state.real, size, out); }
void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) { return state.real->xDlSym(state.real, handle, symbol); }
void DlClose(sqlite3_vfs*, void* handle) { state.real->xDlClose(state.real, handle); }
int Randomness(sqlite3_vfs*, int size, char* out) { return state.real->xRandomness(state.real, size, out); }
int Sleep(sqlite3_vfs*, int micros) { return state.real->xSleep(state.real, micros); }
int CurrentTime(sqlite3_vfs*, double* now) { return state.real->xCurrentTime(state.real, now); }
int GetLastError(sqlite3_vfs*, int size, char* out) {
  if (state.failed_last) return state.last_errno;
  return state.real->xGetLastError ? state.real->xGetLastError(state.real, size, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) { return state.real->xCurrentTimeInt64(state.real, now); }

}  // namespace

FullDiskVfs::FullDiskVfs() {
  if (state.real) throw std::logic_error("one full-disk VFS at a time");
  sqlite3_initialize();
  state = State();
  state.real = sqlite3_vfs_find(nullptr);
  sqlite3_vfs& vfs = state.vfs;
  vfs.iVersion = 2;
  vfs.szOsFile = static_cast<int>(sizeof(File)) + state.real->szOsFile;
  vfs.mxPathname = state.real->mxPathname;
  vfs.zName = "qb-full-disk";
  vfs.xOpen = Open;
  vfs.xDelete = Delete;
  vfs.xAccess = Access;
  vfs.xFullPathname = FullPathname;
  vfs.xDlOpen = DlOpen;
  vfs.xDlError = DlError;
  vfs.xDlSym = DlSym;
  vfs.xDlClose = DlClose;
  vfs.xRandomness = Randomness;
  vfs.xSleep = Sleep;
  vfs.xCurrentTime = CurrentTime;
  vfs.xGetLastError = GetLastError;
  vfs.xCurrentTimeInt64 = CurrentTimeInt64;
  sqlite3_io_methods& m = state.methods;
  m.iVersion = 3;
  m.xClose = Close;
  m.xRead = Read;
  m.xWrite = Write;
  m.xTruncate = Truncate;
  m.xSync = Sync;
  m.xFileSize = FileSize;
  m.xLock = Lock;
  m.xUnlock = Unlock;
  m.xCheckReservedLock = CheckReservedLock;
  m.xFileControl = FileControl;
  m.xSectorSize = SectorSize;
  m.xDeviceCharacteristics = DeviceCharacteristics;
  m.xShmMap = ShmMap;
  m.xShmLock = ShmLock;
  m.xShmBarrier = ShmBarrier;
  m.xShmUnmap = ShmUnmap;
  m.xFetch = Fetch;
  m.xUnfetch = Unfetch;
  if (sqlite3_vfs_register(&vfs, 1) != SQLITE_OK) throw std::runtime_error("cannot register the full-disk VFS");
}

FullDiskVfs::~FullDiskVfs() {
  sqlite3_vfs_unregister(&state.vfs);  // the VFS that was the default before is again
  state = State();
}

void FullDiskVfs::FillAfter(std::int64_t bytes) {
  state.writes_limited = true;
  state.budget = bytes;
}

void FullDiskVfs::FillIndexGrowth() { state.index_growth_fails = true; }

void FullDiskVfs::Free() {
  state.writes_limited = false;
  state.index_growth_fails = false;
}

int FullDiskVfs::Failures() const { return state.failures; }

void FullDiskVfs::FailOperation(int n, Fault fault) {
  state.operations = 0;
  state.fail_at = n;
  state.fault = fault;
}

int FullDiskVfs::Operations() const { return state.operations; }

}  // namespace qb::jet::test
