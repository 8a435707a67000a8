// jet/locks/lock_ranges: counted byte holds of one lock-file open over F_OFD_SETLK locks.
#include "jet/locks/lock_ranges.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <string>

#include "jet/base/errors.h"

namespace qb::jet {
namespace {

struct flock Range(short type, off_t start, off_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  lock.l_pid = 0;  // required for open-file-description locks
  return lock;
}

[[noreturn]] void RaiseLockFailure(const char* what) {
  RaiseJetError(err::kCannotOpenFile, std::string("A lock file could not be ") + what + ": " + std::strerror(errno) + ".");
}

}  // namespace

bool LockRanges::TryLock(int fd, short type, off_t start, off_t length) {
  struct flock lock = Range(type, start, length);
  if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
  if (errno == EAGAIN || errno == EACCES) return false;
  RaiseLockFailure("locked");
}

bool LockRanges::OthersLock(int fd, short type, off_t start, off_t length) {
  struct flock lock = Range(type, start, length);
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) RaiseLockFailure("read");
  return lock.l_type != F_UNLCK;
}

void LockRanges::Unlock(int fd, off_t start, off_t length) {
  struct flock lock = Range(F_UNLCK, start, length);
  ::fcntl(fd, F_OFD_SETLK, &lock);
}

void LockRanges::WaitForLock(int fd, short type, off_t start) {
  struct flock lock = Range(type, start, 1);
  while (::fcntl(fd, F_OFD_SETLKW, &lock) != 0) {
    if (errno != EINTR) RaiseLockFailure("locked");
  }
}

LockTry LockRanges::TryShared(off_t byte) {
  if (fd_ < 0) return LockTry::kTaken;
  auto found = held_.find(byte);
  if (found != held_.end()) {
    if (found->second.exclusive) return LockTry::kHeldHere;
    ++found->second.shared;
    return LockTry::kTaken;
  }
  if (!TryLock(fd_, F_RDLCK, byte)) return LockTry::kHeldElsewhere;
  held_[byte].shared = 1;
  return LockTry::kTaken;
}

LockTry LockRanges::TryExclusive(off_t byte) {
  if (fd_ < 0) return LockTry::kTaken;
  if (held_.count(byte)) return LockTry::kHeldHere;
  if (!TryLock(fd_, F_WRLCK, byte)) return LockTry::kHeldElsewhere;
  held_[byte].exclusive = true;
  return LockTry::kTaken;
}

void LockRanges::Release(off_t byte) {
  if (fd_ < 0) return;
  auto found = held_.find(byte);
  if (found == held_.end()) return;
  if (!found->second.exclusive && --found->second.shared > 0) return;
  held_.erase(found);
  Unlock(fd_, byte);
}

LockTry LockRanges::TrySharedRange(off_t first, off_t count) {
  if (fd_ < 0) return LockTry::kTaken;
  bool any_here = false;
  for (off_t byte = first; byte < first + count; ++byte) any_here = any_here || held_.count(byte) > 0;
  if (!any_here) {
    if (!TryLock(fd_, F_RDLCK, first, count)) return LockTry::kHeldElsewhere;
    for (off_t byte = first; byte < first + count; ++byte) held_[byte].shared = 1;
    return LockTry::kTaken;
  }
  // Some are counted here already: byte by byte, undoing what was taken on a refusal.
  for (off_t byte = first; byte < first + count; ++byte) {
    const LockTry taken = TryShared(byte);
    if (taken != LockTry::kTaken) {
      for (off_t undo = first; undo < byte; ++undo) Release(undo);
      return taken;
    }
  }
  return LockTry::kTaken;
}

void LockRanges::ReleaseRange(off_t first, off_t count) {
  if (fd_ < 0) return;
  bool all_last = true;  // every byte's last hold, so that all of them go
  for (off_t byte = first; byte < first + count; ++byte) {
    auto found = held_.find(byte);
    all_last = all_last && found != held_.end() && (found->second.exclusive || found->second.shared == 1);
  }
  if (!all_last) {
    for (off_t byte = first; byte < first + count; ++byte) Release(byte);
    return;
  }
  for (off_t byte = first; byte < first + count; ++byte) held_.erase(byte);
  Unlock(fd_, first, count);
}

void LockRanges::Keep(off_t byte) {
  if (fd_ < 0) return;
  if (!kept_.insert(byte).second) Release(byte);  // one kept hold per byte is enough
}

void LockRanges::ReleaseKept() {
  const std::set<off_t> kept = std::move(kept_);
  kept_.clear();
  for (auto it = kept.begin(); it != kept.end(); ++it) {
    // A table's every-hold and writer bytes were kept together: one unlock for both.
    auto next = std::next(it);
    if (next != kept.end() && *next == *it + 1) {
      ReleaseRange(*it, 2);
      it = next;
    } else {
      Release(*it);
    }
  }
}

bool LockRanges::AnyHeld(off_t first, off_t count) {
  for (off_t byte = first; byte < first + count; ++byte) {
    if (HeldHere(byte)) return true;
  }
  return fd_ >= 0 && OthersLock(fd_, F_WRLCK, first, count);
}

bool LockRanges::Held(off_t byte) { return HeldHere(byte) || HeldElsewhere(byte); }

bool LockRanges::HeldElsewhere(off_t byte) {
  // A lock of this open description never conflicts with itself, so only others' show.
  return fd_ >= 0 && OthersLock(fd_, F_WRLCK, byte);
}

LockRanges::Gate::Gate(LockRanges& ranges) : ranges_(ranges) {
  if (ranges_.fd_ >= 0) WaitForLock(ranges_.fd_, F_WRLCK, kGateByte);
}

LockRanges::Gate::~Gate() {
  if (ranges_.fd_ >= 0) Unlock(ranges_.fd_, kGateByte);
}

}  // namespace qb::jet
