// jet/recordset/edit_lock: how the edit cycle locks records. Pessimistic (LockEdits true): Edit
// locks the record and the pending edit keeps the lock until Update, CancelUpdate or the edit
// is dropped (a move, Close, the recordset's end). Optimistic (LockEdits false): Update locks
// the record only while it writes, and first checks that nobody changed the record since Edit.
// Delete locks the record while it removes it. Inside a transaction of the database, the lock of
// every record written is kept until the outermost transaction ends (KeepUntilTransactionEnds).
// Internal to the recordset folder.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"

namespace qb::jet {

class RecordLock;
struct PendingEdit;
struct RecordsetState;

// The lock on base row KEY of S's table, held while the result lives. Raises kRecordLocked
// (3260) when another recordset or user holds it (after the engine's retries), kObjectClosed
// when the database has closed. A lock the database's transaction keeps and no edit uses is
// handed out again.
std::shared_ptr<RecordLock> LockRecord(RecordsetState& s, std::int64_t key);
// The same for row KEY of TABLE (another table of a join).
std::shared_ptr<RecordLock> LockRecord(RecordsetState& s, const std::string& table, std::int64_t key);

// After a write under LOCK has saved: inside a transaction of S's database, the database keeps
// LOCK until its outermost CommitTrans or Rollback (or its Close); otherwise nothing happens and
// the lock goes with its last holder. LOCK may be null.
void KeepUntilTransactionEnds(RecordsetState& s, std::shared_ptr<RecordLock> lock);
// Inside a transaction of S's database, LockRecord(S, KEY) (for a record just added); else null.
std::shared_ptr<RecordLock> LockIfInTransaction(RecordsetState& s, std::int64_t key);

// Puts the stored values of base row KEY into VALUES (the current record's values), so that
// Edit starts from the record as it is now; computed fields keep theirs. Raises kRecordDeleted
// when the row is gone.
void ReadForEdit(RecordsetState& s, std::int64_t key, std::vector<Variant>& values);

// For an edit without a lock of its own (optimistic): raises kDataChanged (3197) when any stored
// field of the record differs from what Edit read, kRecordDeleted when it is gone. An edit that
// holds its lock since Edit passes.
void CheckUnchangedSinceEdit(RecordsetState& s, const PendingEdit& edit);

}  // namespace qb::jet
