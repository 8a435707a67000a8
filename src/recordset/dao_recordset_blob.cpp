// recordset/dao_recordset_blob: the blob streams of the recordset's long binary and memo fields.
// The values stay with the engine: a stream works on the engine field of the record the dataset
// shows, and only whether there is a value is kept in the record buffer.
#include "engine/dao_errors.h"
#include "framework/data/field.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"
#include "recordset/dao_field_hooks.h"

namespace qb {

std::unique_ptr<TBlobStream> TDAOBaseRecordset::OpenBlobStream(TField* field, TBlobStreamMode mode) {
  const DAOBlobStreamFactory make = InstalledDAOBlobStreamFactory();
  if (make == nullptr) return TDataSet::OpenBlobStream(field, mode);
  const TDataSetState state = State();
  // The engine's field values are those of its cursor's record: put it on the record shown.
  if ((state == dsBrowse || state == dsEdit) && ActiveBuffer() != nullptr) {
    MoveToRecordOf(ActiveBuffer());
    InvalidateCursorPosition();
  }
  std::shared_ptr<jet::RecordsetField> engine_field;
  const int number = field->FieldNo();
  if ((state == dsBrowse || state == dsEdit || state == dsInsert) && JetFields() != nullptr && number >= 1 &&
      number <= jet_field_count_) {
    engine_field = CallEngine(this, "OpenBlobStream", [&] { return JetField(number - 1); });
  }
  return make(*this, field, mode, std::move(engine_field));
}

void TDAOBaseRecordset::BlobValueWritten(TField* field) {
  TRecordBuffer buffer = StateBuffer();
  const int number = field->FieldNo();
  if (buffer == nullptr || !recordset_ || FieldDataSize(field) != 0 || number < 1 || number > jet_field_count_) return;
  const std::int64_t length =
      CallEngine(this, "BlobValueWritten", [&] { return JetField(number - 1)->FieldSize(); });
  buffer[field->Offset()] = length > 0 ? 1 : 0;
  const TDataSetState state = State();
  if (state != dsCalcFields && state != dsFilter && state != dsNewValue) NotifyDataChange(deFieldChange, field);
}

}  // namespace qb
