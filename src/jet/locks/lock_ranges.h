// jet/locks/lock_ranges: the byte locks one open of a lock file keeps for the engine's finer holds
// (tables held by recordsets, records being edited), beside the open's own hold on bytes 0-3.
// Open-file-description locks do not conflict within one description and merge there, so the
// holds of one open are counted here: a byte is unlocked only when its last hold of this open
// goes, and holds of this open conflict with each other by the counts. Other opens (other
// Database objects, other processes) are seen through the file's locks.
//
// Knows nothing of tables or records; record_lock.h and locks/table_hold.h lay out bytes.
#pragma once
#include <sys/types.h>

#include <map>
#include <set>

namespace qb::jet {

// How often and how long a record lock held by another open is asked for again.
struct LockRetry {
  int count = 20;       // asked again this many times after the first refusal
  int delay_ms = 100;   // waiting this long before each new try
};

// The outcome of a try for a byte.
enum class LockTry {
  kTaken,
  kHeldHere,       // another hold of this open has it (asking again cannot help)
  kHeldElsewhere,  // another open has it
};

class LockRanges {
 public:
  // The byte every check-then-lock step takes exclusively (see lock_file.h).
  static constexpr off_t kGateByte = 3;

  // FD: the lock file's descriptor, owned by the caller, which calls Detach before closing it.
  LockRanges(int fd, LockRetry retry) : fd_(fd), retry_(retry) {}
  LockRanges(const LockRanges&) = delete;
  LockRanges& operator=(const LockRanges&) = delete;

  // A shared hold on BYTE: refused only when an exclusive hold has it (here or elsewhere).
  LockTry TryShared(off_t byte);
  // An exclusive hold on BYTE: refused when anyone else has any hold on it.
  LockTry TryExclusive(off_t byte);
  // Drops one hold on BYTE taken by TryShared/TryExclusive.
  void Release(off_t byte);
  // TryShared on each of the COUNT bytes from FIRST, all or none, in one lock call when this
  // open holds none of them yet: kTaken, or the first refusal.
  LockTry TrySharedRange(off_t first, off_t count);
  // Release of each of the COUNT bytes from FIRST, in one unlock call when all of them go.
  void ReleaseRange(off_t first, off_t count);
  // Is BYTE held at all: by a hold of this open (taken through this object) or by a lock of
  // another open? Meant for checks made under the Gate before a hold is taken.
  bool Held(off_t byte);
  // The two halves of Held: a hold of this open, a lock of another open.
  bool HeldHere(off_t byte) const { return fd_ >= 0 && held_.count(byte) > 0; }
  bool HeldElsewhere(off_t byte);
  // Is any of the COUNT bytes from FIRST held, here or elsewhere (one question for all)?
  bool AnyHeld(off_t first, off_t count);

  // Holds kept past their taker until ReleaseKept: a writing statement's hold on its table stays
  // until the transaction it wrote in ends (transaction_holds.h). Keep takes over one hold of
  // this open on BYTE (dropping it when BYTE is kept already); Keeps asks whether BYTE is kept.
  void Keep(off_t byte);
  bool Keeps(off_t byte) const { return kept_.count(byte) > 0; }
  bool AnyKept() const { return !kept_.empty(); }
  void ReleaseKept();

  // The gate, held while alive: checks and locks made inside are one step for every open.
  class Gate {
   public:
    explicit Gate(LockRanges& ranges);
    ~Gate();
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

   private:
    LockRanges& ranges_;
  };

  // The descriptor is about to close and its locks go with it: from now on tries answer
  // kTaken, Held answers false and Release does nothing.
  void Detach() {
    fd_ = -1;
    kept_.clear();
  }
  bool Attached() const { return fd_ >= 0; }
  const LockRetry& Retry() const { return retry_; }

  // Raw open-file-description locks on FD (the lock file's own hold uses them too). The
  // file system failures raise kCannotOpenFile.
  static bool TryLock(int fd, short type, off_t start, off_t length = 1);  // false: conflicts
  static bool OthersLock(int fd, short type, off_t start, off_t length = 1);
  static void Unlock(int fd, off_t start, off_t length = 1);
  static void WaitForLock(int fd, short type, off_t start);  // blocks until taken

 private:
  struct Count {
    int shared = 0;
    bool exclusive = false;
  };
  int fd_;
  const LockRetry retry_;
  std::map<off_t, Count> held_;  // bytes this open holds
  std::set<off_t> kept_;         // bytes with one hold of held_ kept until ReleaseKept
};

}  // namespace qb::jet
