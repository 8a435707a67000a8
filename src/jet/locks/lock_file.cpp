// jet/locks/lock_file: takes and releases holds on a database's lock file with F_OFD_SETLK locks.
// Never touches the database file itself.
#include "jet/locks/lock_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "jet/base/errors.h"

namespace qb::jet {
namespace {

constexpr off_t kOpenByte = 0;
constexpr off_t kWriterByte = 1;
constexpr off_t kDenyWriteByte = 2;
constexpr off_t kGateByte = LockRanges::kGateByte;

bool TryLock(int fd, short type, off_t byte) { return LockRanges::TryLock(fd, type, byte); }
bool OthersHold(int fd, short type, off_t byte, off_t length = 1) {
  return LockRanges::OthersLock(fd, type, byte, length);
}
void TakeGate(int fd) { LockRanges::WaitForLock(fd, F_WRLCK, kGateByte); }
void Unlock(int fd, off_t byte, off_t length = 1) { LockRanges::Unlock(fd, byte, length); }

// Is FD still the file PATH names (not removed by a last holder meanwhile)?
bool StillNamed(int fd, const std::string& path) {
  struct stat held {}, named {};
  if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0) return false;
  return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// The lock file is shared by everyone who may use the database: it gets the database file's
// read and write permissions (the umask would take group and other write away), and its owner
// may always write it, even when the database is read-only to all.
mode_t SharedMode(const std::string& database_path) {
  struct stat info {};
  return ::stat(database_path.c_str(), &info) == 0 ? ((info.st_mode & 0666) | S_IRUSR | S_IWUSR) : 0644;
}

void FollowDatabaseMode(int fd, const std::string& database_path) {
  struct stat held {};
  const mode_t wanted = SharedMode(database_path);
  if (::fstat(fd, &held) == 0 && held.st_uid == ::geteuid() && (held.st_mode & 0777) != wanted) {
    (void)::fchmod(fd, wanted);  // only its owner may; a lock file of another owner stays as it is
  }
}

[[noreturn]] void RaiseInUse(const std::string& database_path, const char* why) {
  RaiseJetError(err::kFileInUse, "The database '" + database_path + "' is already in use: " + why);
}

}  // namespace

std::string LockFileHold::PathFor(const std::string& database_path) {
  const std::size_t slash = database_path.find_last_of('/');
  const std::size_t dot = database_path.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) {
    return database_path.substr(0, dot) + ".ldb";
  }
  return database_path + ".ldb";
}

LockFileHold::LockFileHold(const std::string& database_path, ShareMode mode, bool writable, LockRetry retry)
    : path_(PathFor(database_path)) {
  for (;;) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, SharedMode(database_path));
    if (fd_ < 0) {
      const int error = errno;
      if (!writable && mode != ShareMode::kExclusive && (error == EACCES || error == EROFS || error == EPERM)) {
        return;  // a read-only folder: nobody can write the database there either
      }
      RaiseJetError(err::kCannotOpenFile, "The lock file '" + path_ + "' could not be opened: " +
                                              std::strerror(error) + ".");
    }
    FollowDatabaseMode(fd_, database_path);
    try {
      TakeGate(fd_);
      if (StillNamed(fd_, path_)) break;
    } catch (...) {
      ::close(fd_);
      throw;
    }
    ::close(fd_);  // the last holder removed it meanwhile: start again with a new one
  }
  try {
    if (mode == ShareMode::kExclusive) {
      if (!TryLock(fd_, F_WRLCK, kOpenByte)) RaiseInUse(database_path, "others have it open, so it cannot be opened exclusively.");
    } else {
      if (!TryLock(fd_, F_RDLCK, kOpenByte)) RaiseInUse(database_path, "another user has it open exclusively.");
      if (writable) {
        if (OthersHold(fd_, F_WRLCK, kDenyWriteByte)) {
          RaiseInUse(database_path, "another user has it open and denies others writing; open it read-only.");
        }
        TryLock(fd_, F_RDLCK, kWriterByte);
      }
      if (mode == ShareMode::kDenyWrite) {
        if (OthersHold(fd_, F_WRLCK, kWriterByte)) RaiseInUse(database_path, "another user is writing to it, so writers cannot be denied.");
        TryLock(fd_, F_RDLCK, kDenyWriteByte);
      }
    }
    Unlock(fd_, kGateByte);
    ranges_ = std::make_shared<LockRanges>(fd_, retry);
  } catch (...) {
    ::close(fd_);  // releases every lock of this description, the gate included
    throw;
  }
}

LockFileHold::~LockFileHold() {
  if (fd_ < 0) return;
  ranges_->Detach();  // recordsets may keep it past this point
  try {
    TakeGate(fd_);
    Unlock(fd_, kOpenByte, 3);
    if (!OthersHold(fd_, F_WRLCK, kOpenByte, 3) && StillNamed(fd_, path_)) ::unlink(path_.c_str());
  } catch (...) {
    // Could not take the gate: leave the file; the next holders use it as it is.
  }
  // Every lock of this open, the gate included, goes now: close() alone keeps them while a
  // forked child still shares the descriptor.
  Unlock(fd_, 0, 0);
  ::close(fd_);
}

}  // namespace qb::jet
