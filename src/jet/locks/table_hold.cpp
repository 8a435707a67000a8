// jet/locks/table_hold: four bytes per table from 512 KiB on, found by a hash of the table's
// folded name. Tables whose names share a slot see each other's holds: that only makes a deny
// option refuse more often than it must, never less.
#include "jet/locks/table_hold.h"

#include <cstdint>

#include "jet/base/errors.h"
#include "jet/locks/lock_ranges.h"
#include "jet/base/recordset_types.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

constexpr off_t kFirstTableByte = off_t{512} << 10;
constexpr std::uint64_t kTableSlots = (off_t{512} << 10) / 4;  // up to the record bytes at 1 MiB

// The four bytes of a table's slot: every hold, writers, deny-writers, deny-readers.
enum Role { kReader = 0, kWriter = 1, kDenyWriter = 2, kDenyReader = 3 };

off_t SlotOf(const std::string& table) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a: every process computes the same
  for (unsigned char c : FoldCase(table)) hash = (hash ^ c) * 1099511628211ull;
  return kFirstTableByte + static_cast<off_t>(hash % kTableSlots) * 4;
}

[[noreturn]] void RaiseDesignChanging() {
  RaiseJetError(err::kTableLocked, "The table could not be held: its design is being changed.");
}

[[noreturn]] void RaiseHeld(const std::string& table, const char* why) {
  RaiseJetError(err::kTableLocked, "The table '" + table + "' is in use by another recordset or user that " + why + ".");
}

}  // namespace

TableHold::TableHold(std::shared_ptr<LockRanges> ranges, const std::string& table, const TableHoldRequest& request)
    : TableHold(std::move(ranges), std::vector<std::string>{table}, request) {}

TableHold::TableHold(std::shared_ptr<LockRanges> ranges, const std::vector<std::string>& tables,
                     const TableHoldRequest& request) {
  if (!ranges) return;
  ranges_ = std::move(ranges);
  if (request.deny_read || request.deny_write) ranges_->ReleaseKept();
  LockRanges::Gate gate(*ranges_);
  // Every check before any byte is taken, so a refusal on a later table leaves nothing held.
  for (const std::string& table : tables) {
    if (table.empty()) continue;
    const off_t slot = SlotOf(table);
    // Most requests meet no deny hold: one question for both deny bytes spares the checks.
    if (!request.deny_read && !request.deny_write && !ranges_->AnyHeld(slot + kDenyWriter, 2)) continue;
    if (ranges_->Held(slot + kDenyReader)) RaiseHeld(table, "does not let others open it");
    if (request.deny_read && ranges_->Held(slot + kReader)) RaiseHeld(table, "has it open, so it cannot be kept from others");
    if (request.writes && ranges_->Held(slot + kDenyWriter)) RaiseHeld(table, "does not let others change it");
    if (request.deny_write && ranges_->Held(slot + kWriter)) RaiseHeld(table, "may change it, so changes cannot be denied");
  }
  bytes_.reserve(tables.size() * 4);  // Take cannot then fail after its byte is taken
  try {
    for (const std::string& table : tables) {
      if (table.empty()) continue;
      const off_t slot = SlotOf(table);
      if (request.writes) {
        // The every-hold and writer bytes are neighbours: one lock for both.
        if (ranges_->TrySharedRange(slot + kReader, 2) != LockTry::kTaken) RaiseDesignChanging();
        bytes_.push_back(slot + kReader);
        bytes_.push_back(slot + kWriter);
      } else {
        Take(slot + kReader);
      }
      if (request.deny_write) Take(slot + kDenyWriter);
      if (request.deny_read) Take(slot + kDenyReader);
    }
  } catch (...) {
    for (off_t byte : bytes_) ranges_->Release(byte);
    throw;
  }
}

void TableHold::Take(off_t byte) {
  // Only a change of the table's design takes these bytes exclusively (TableDesignHold), and
  // the gate kept the other checks true.
  if (ranges_->TryShared(byte) != LockTry::kTaken) RaiseDesignChanging();
  bytes_.push_back(byte);
}

void TableHold::Keep() {
  for (off_t byte : bytes_) ranges_->Keep(byte);
  bytes_.clear();
}

bool TableHold::KeptForWriting(const LockRanges& ranges, const std::string& table) {
  const off_t slot = SlotOf(table);
  return ranges.Keeps(slot + kReader) && ranges.Keeps(slot + kWriter);
}

TableHold::~TableHold() {
  for (std::size_t i = 0; i < bytes_.size(); ++i) {
    if (i + 1 < bytes_.size() && bytes_[i + 1] == bytes_[i] + 1) {
      ranges_->ReleaseRange(bytes_[i], 2);  // taken together, most often let go together
      ++i;
    } else {
      ranges_->Release(bytes_[i]);
    }
  }
}

TableDesignHold::TableDesignHold(std::shared_ptr<LockRanges> ranges, const std::string& table) {
  if (!ranges || table.empty()) return;
  const off_t byte = SlotOf(table) + kReader;
  ranges->ReleaseKept();  // this open's own kept holds do not stand in its way
  LockRanges::Gate gate(*ranges);
  if (ranges->TryExclusive(byte) != LockTry::kTaken) {
    RaiseJetError(err::kTableInUse, "The table '" + table +
                                        "' could not be locked: it is already in use by another recordset, user or process.");
  }
  ranges_ = std::move(ranges);
  byte_ = byte;
}

TableDesignHold::~TableDesignHold() {
  if (ranges_) ranges_->Release(byte_);
}

}  // namespace qb::jet
