// jet/recordset/join_write: writing the buffer of a dynaset over a join back to its tables
// (join_plan.h). Internal to the recordset folder.
#pragma once
#include <cstdint>
#include <optional>

namespace qb::jet {

struct PendingEdit;
struct RecordsetState;

// Writes the changed fields of EDIT, table by table, for the joined record KEY (nullopt: EDIT is
// an AddNew, whose root row is inserted). A table whose fields changed but that has no row
// joined to this one (an AddNew, an outer join that found none) gets the row its link field
// names when there is one, else a new row; the many side's link field then names it.
// With a kept one side (JoinPlan::anchor), a record gets a root row only when a field outside
// the anchor's tables is set: then the new root row's link names the anchor's row. AddNew adds
// the anchor's row itself (a key already taken fails as the insert does) and no root row
// unless such a field is set.
// A consistent dynaset keeps every inner link matched: raises 3100 when a link field becomes
// Null and 3101 when it names no row of the one side. Also raises what the writes raise.
// Returns the record's key afterwards (JoinPlan keys: a record of the kept side alone that got
// a root row is keyed by that row now). REQUIRES: S.plan.join, inside the caller's savepoint (a
// failure leaves partial writes for it to undo).
std::int64_t WriteJoinRow(RecordsetState& s, const PendingEdit& edit, std::optional<std::int64_t> key);

}  // namespace qb::jet
