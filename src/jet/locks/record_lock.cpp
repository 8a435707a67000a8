// jet/locks/record_lock: record bytes by a hash of the table's folded name and the rowid, so that
// every process of this engine finds the same byte for a record.
#include "jet/locks/record_lock.h"

#include <chrono>
#include <thread>

#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

constexpr off_t kFirstRecordByte = off_t{1} << 20;
constexpr std::uint64_t kRecordBytes = std::uint64_t{1} << 32;
constexpr off_t kFirstTableEditByte = kFirstRecordByte + static_cast<off_t>(kRecordBytes);
constexpr std::uint64_t kTableEditBytes = std::uint64_t{1} << 17;
constexpr off_t kFirstTableKeptByte = kFirstTableEditByte + static_cast<off_t>(kTableEditBytes);

// FNV-1a: fixed by its definition, unlike std::hash, so all processes agree.
std::uint64_t Mix(std::uint64_t hash, unsigned char byte) { return (hash ^ byte) * 1099511628211ull; }

std::uint64_t NameHash(const std::string& table) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : FoldCase(table)) hash = Mix(hash, c);
  return hash;
}

}  // namespace

off_t RecordLockByte(const std::string& table, std::int64_t rowid) {
  std::uint64_t hash = Mix(NameHash(table), 0);
  const auto key = static_cast<std::uint64_t>(rowid);
  for (int shift = 0; shift < 64; shift += 8) hash = Mix(hash, static_cast<unsigned char>(key >> shift));
  return kFirstRecordByte + static_cast<off_t>(hash % kRecordBytes);
}

off_t TableEditByte(const std::string& table) {
  return kFirstTableEditByte + static_cast<off_t>(NameHash(table) % kTableEditBytes);
}

off_t TableKeptByte(const std::string& table) {
  return kFirstTableKeptByte + static_cast<off_t>(NameHash(table) % kTableEditBytes);
}

RecordLock::RecordLock(std::shared_ptr<LockRanges> ranges, const std::string& table, std::int64_t rowid) {
  if (!ranges) return;
  const off_t byte = RecordLockByte(table, rowid);
  const LockRetry& retry = ranges->Retry();
  LockTry outcome = ranges->TryExclusive(byte);
  // Only another open can let go meanwhile: this one runs a single thread.
  for (int attempt = 0; outcome == LockTry::kHeldElsewhere && attempt < retry.count; ++attempt) {
    if (retry.delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(retry.delay_ms));
    outcome = ranges->TryExclusive(byte);
  }
  if (outcome != LockTry::kTaken) {
    RaiseJetError(err::kRecordLocked, "The record in table '" + table +
                                          "' is locked by another user who is changing it; it cannot be changed now. "
                                          "Try again once the other change is saved or cancelled.");
  }
  ranges_ = std::move(ranges);
  byte_ = byte;
  table_byte_ = TableEditByte(table);
  kept_byte_ = TableKeptByte(table);
  try {
    Mark();
  } catch (...) {
    ranges_->Release(byte_);
    throw;
  }
}

RecordLock::~RecordLock() {
  if (!ranges_) return;
  Unmark();
  if (marked_kept_) ranges_->Release(kept_byte_);
  ranges_->Release(byte_);
}

void RecordLock::Mark() {
  // Nobody holds a mark exclusively, so it is refused only by a misbehaving lock file; a lock
  // without its mark still holds its record against edits.
  if (ranges_ && !marked_) marked_ = ranges_->TryShared(table_byte_) == LockTry::kTaken;
}

void RecordLock::MarkKept() {
  // As for Mark: refused only by a misbehaving lock file, and the record stays held anyway.
  if (ranges_ && !marked_kept_) marked_kept_ = ranges_->TryShared(kept_byte_) == LockTry::kTaken;
}

void RecordLock::Unmark() {
  if (ranges_ && marked_) ranges_->Release(table_byte_);
  marked_ = false;
}

}  // namespace qb::jet
