// jet/recordset/get_rows: GetRows, the records from the current one on copied out field by field.
// It moves as Move 1 does, so every kind reads its rows its own way, and a dynaset reads each row
// as the file holds it now (a row another user deleted ends the copy).
#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_state.h"

namespace qb::jet {

Variant Recordset::GetRows(std::int64_t rows) {
  RecordsetState& s = State();
  if (rows < 0) RaiseJetError(err::kInvalidArgument, "GetRows needs a number of rows of 0 or more.");
  if (s.place != Place::kAt) RaiseJetError(err::kNoCurrentRecord, "GetRows needs a current record.");
  std::vector<std::vector<Variant>> fields(s.plan.columns.size());
  for (std::int64_t row = 0; row < rows && s.place == Place::kAt; ++row) {
    const std::vector<Variant>* values = nullptr;
    try {
      values = &CurrentValues(s);
    } catch (const EOleException& e) {
      // A record another user deleted ends the rows read; it stays current.
      if (e.ErrorCode() != err::kRecordDeleted) throw;
      break;
    }
    for (std::size_t f = 0; f < fields.size(); ++f) fields[f].push_back((*values)[f]);
    Move(1);
  }
  std::vector<Variant> result;
  result.reserve(fields.size());
  for (std::vector<Variant>& values : fields) result.push_back(Variant::FromArray(std::move(values)));
  return Variant::FromArray(std::move(result));
}

}  // namespace qb::jet
