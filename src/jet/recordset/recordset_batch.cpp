// jet/recordset/recordset_batch: optimistic batches on data-source dynasets: the writes kept in
// the copy (one per row, merged as the row changes again), sent by UpdateBatch in the order
// made, the rows another user changed meanwhile named by bookmark, CancelBatch.
#include <algorithm>
#include <exception>
#include <optional>

#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_state.h"
#include "jet/recordset/stored_value.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

constexpr int kCriteriaKey = 1;

bool Batched(const RecordsetState& s) { return s.mirror && s.mirror->Batched(); }

void RequireBatched(const RecordsetState& s, const char* what) {
  if (!Batched(s)) RaiseNotForThisKind(what);
}

// The copy's rows holding kept writes (an add or an edit) go to the mirror, which leaves them
// alone when it reads the server's rows again.
void TellUnsent(RecordsetState& s) {
  std::set<std::int64_t> rowids;
  for (const BatchWrite& write : s.batch->writes) {
    if (write.mode != kBatchDelete) rowids.insert(write.rowid);
  }
  s.mirror->SetUnsent(std::move(rowids));
}

// The server's values for an added row (its key, its defaults) into the copy's row ROWID.
void WriteBack(RecordsetState& s, std::int64_t rowid, const std::vector<Variant>& values, const std::vector<bool>& changed) {
  std::string assignments;
  std::vector<const Variant*> bound;
  for (std::size_t i = 0; i < s.plan.columns.size(); ++i) {
    if (!changed[i] || s.plan.columns[i].base_column.empty()) continue;
    assignments += (bound.empty() ? "" : ", ") + sql::QuoteSqliteName(s.plan.columns[i].base_column) + " = ?" +
                   std::to_string(bound.size() + 1);
    bound.push_back(&values[i]);
  }
  if (bound.empty()) return;
  Connection& connection = s.Open();
  Statement update = connection.Prepare("UPDATE " + sql::QuoteSqliteName(s.plan.base_table) + " SET " + assignments +
                                        " WHERE rowid = ?" + std::to_string(bound.size() + 1));
  ResetOnExit reset(update);
  for (std::size_t i = 0; i < bound.size(); ++i) BindStoredValue(update.Handle(), static_cast<int>(i + 1), *bound[i]);
  update.Bind(static_cast<int>(bound.size() + 1), rowid);
  update.Step();
}

// The engine error number of FAILURE, 0 for anything else.
int ErrorNumber(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const EOleException& e) {
    return e.ErrorCode();
  } catch (...) {
    return 0;
  }
}

constexpr std::size_t kDefaultBatchSize = 15;

// What became of one kept write at a send.
struct Outcome {
  enum State { kNotSent, kSent, kConflict, kFailed } state = kNotSent;
  std::vector<Variant> values;  // sent add: the row as the server keeps it
  std::vector<bool> changed;
  std::exception_ptr failure;   // failed
};

// Sends WRITE to the server. Another user's change or deletion of the row is an outcome (no
// statement failed, so a unit around it goes on); other failures are raised.
Outcome SendOne(RecordsetState& s, const BatchWrite& write, int criteria, bool force) {
  try {
    if (write.mode == kEditAdd) {
      Outcome sent{Outcome::kSent, write.values, write.changed, nullptr};
      s.mirror->Insert(s.plan.columns, sent.values, sent.changed);
      return sent;
    }
    if (write.mode == kEditInProgress) {
      s.mirror->Update(s.plan.columns, write.original, write.values, write.changed, criteria);
    } else {
      try {
        s.mirror->Delete(s.plan.columns, write.original);
      } catch (const EOleException& e) {
        if (!force || e.ErrorCode() != err::kRecordDeleted) throw;  // forced: gone is what was asked
      }
    }
    return Outcome{Outcome::kSent, {}, {}, nullptr};
  } catch (...) {
    const std::exception_ptr failure = std::current_exception();
    const int number = ErrorNumber(failure);
    if (number != err::kDataChanged && number != err::kRecordDeleted) throw;
    return Outcome{Outcome::kConflict, {}, {}, failure};
  }
}

}  // namespace

void KeepBatchWrite(RecordsetState& s, BatchWrite write) {
  // Matched by position: the copy may give a new row the rowid of one deleted before.
  auto same = std::find_if(s.batch->writes.begin(), s.batch->writes.end(),
                           [&](const BatchWrite& kept) { return kept.pos == write.pos && kept.mode != kBatchDelete; });
  if (same == s.batch->writes.end()) {
    s.batch->writes.push_back(std::move(write));
  } else if (write.mode == kBatchDelete) {
    if (same->mode == kEditAdd) {
      s.batch->writes.erase(same);  // never on the server: nothing to send
    } else {
      same->mode = kBatchDelete;  // the server's row as first read is the one to delete
      same->values.clear();
      same->changed.clear();
    }
  } else {
    // A row changed again: one write with the first read and the latest values.
    for (std::size_t i = 0; i < write.values.size(); ++i) {
      if (write.changed[i]) same->values[i] = write.values[i];
      if (write.changed[i]) same->changed[i] = true;
    }
  }
  TellUnsent(s);
}

void Recordset::UpdateBatch(int type, bool force) {
  RecordsetState& s = State();
  RequireBatched(s, "UpdateBatch");
  if (type != kUpdateBatch && type != kUpdateCurrentRecord) {
    RaiseJetError(err::kInvalidArgument, "UpdateBatch takes the batch (4) or the current record (2).");
  }
  std::optional<std::int64_t> only;
  if (type == kUpdateCurrentRecord) {
    if (s.place != Place::kAt && s.place != Place::kGap) RaiseJetError(err::kNoCurrentRecord);
    only = s.pos;
  }
  s.Open();
  DropEdit(s);
  // A row found changed is written by key alone when forced (over the other user's change).
  const int criteria = force ? kCriteriaKey : s.update_options;
  std::vector<std::size_t> chosen;
  for (std::size_t i = 0; i < s.batch->writes.size(); ++i) {
    if (!only || s.batch->writes[i].pos == *only) chosen.push_back(i);
  }
  std::vector<Outcome> outcomes(s.batch->writes.size());
  const std::size_t group = s.batch_size > 0 ? static_cast<std::size_t>(s.batch_size) : kDefaultBatchSize;
  for (std::size_t first = 0; first < chosen.size(); first += group) {
    const std::size_t end = std::min(chosen.size(), first + group);
    // BatchSize writes at a time as one unit on the server; when one fails outright the unit is
    // undone and its writes go one by one, so each of the others is still written.
    bool sent = false;
    try {
      sent = s.mirror->SendAsUnit([&] {
        for (std::size_t n = first; n < end; ++n) outcomes[chosen[n]] = SendOne(s, s.batch->writes[chosen[n]], criteria, force);
      });
    } catch (...) {
      sent = false;
    }
    if (sent) continue;
    for (std::size_t n = first; n < end; ++n) {
      try {
        outcomes[chosen[n]] = SendOne(s, s.batch->writes[chosen[n]], criteria, force);
      } catch (...) {
        outcomes[chosen[n]] = Outcome{Outcome::kFailed, {}, {}, std::current_exception()};
      }
    }
  }
  std::vector<BatchWrite> kept;
  std::vector<Variant> collisions;
  std::exception_ptr other_failure;
  int conflicts = 0;
  for (std::size_t i = 0; i < s.batch->writes.size(); ++i) {
    BatchWrite& write = s.batch->writes[i];
    Outcome& outcome = outcomes[i];
    if (outcome.state == Outcome::kSent) {
      if (write.mode == kEditAdd) WriteBack(s, write.rowid, outcome.values, outcome.changed);
      continue;
    }
    if (outcome.state == Outcome::kConflict) ++conflicts;
    if (outcome.state == Outcome::kFailed && !other_failure) other_failure = outcome.failure;
    // Not written (or not chosen): the write stays kept, for a forced send or CancelBatch.
    if (outcome.state != Outcome::kNotSent) collisions.push_back(BookmarkOf(s, write.pos));
    kept.push_back(std::move(write));
  }
  s.batch->writes = std::move(kept);
  s.batch->collisions = std::move(collisions);
  TellUnsent(s);
  if (other_failure) std::rethrow_exception(other_failure);
  if (conflicts > 0) {
    RaiseJetError(err::kDataChanged,
                  std::to_string(conflicts) + (conflicts == 1 ? " row was" : " rows were") +
                      " changed or deleted on the server by another user since it was read; the other rows were "
                      "saved. BatchCollisions names the rows not saved.");
  }
}

void Recordset::CancelBatch() {
  RecordsetState& s = State();
  RequireBatched(s, "CancelBatch");
  s.batch->writes.clear();
  s.batch->collisions.clear();
  TellUnsent(s);
  Requery();
}

std::int64_t Recordset::BatchCollisionCount() const {
  const RecordsetState& s = State();
  RequireBatched(s, "BatchCollisionCount");
  return static_cast<std::int64_t>(s.batch->collisions.size());
}

Variant Recordset::BatchCollisions() const {
  const RecordsetState& s = State();
  RequireBatched(s, "BatchCollisions");
  if (s.batch->collisions.empty()) return Variant();
  return Variant::FromArray(s.batch->collisions);
}

}  // namespace qb::jet
