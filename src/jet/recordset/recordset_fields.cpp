// jet/recordset/recordset_fields: the Fields of a recordset (definitions from its source, values
// from the current record or the pending edit) and long-value chunks. Its Properties are the
// object model's (dao/recordset_objects.cpp).
#include <algorithm>

#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_state.h"
#include "jet/recordset/stored_value.h"
#include "jet/catalog/schema_model.h"
#include "jet/base/jet_types.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

namespace t = sql::dao_type;

bool IsLongValue(int type) { return type == t::kMemo || type == t::kLongBinary; }

bool ColumnUpdatable(const RecordsetState& s, const RecordsetColumn& column) {
  return s.updatable && !column.base_column.empty() && !column.read_only && !(column.attributes & kAutoIncrField);
}

}  // namespace

std::shared_ptr<Recordset> RecordsetField::Open() const {
  auto recordset = recordset_.lock();
  if (!recordset || !recordset->IsOpen()) RaiseJetError(err::kObjectClosed, "The recordset of this field is closed.");
  return recordset;
}

#define QB_COLUMN(rs) (rs->State().plan.columns[static_cast<std::size_t>(index_)])

std::string RecordsetField::Name() const { return QB_COLUMN(Open()).name; }
int RecordsetField::Type() const { return QB_COLUMN(Open()).type; }
int RecordsetField::Size() const { return QB_COLUMN(Open()).size; }
bool RecordsetField::Required() const { return QB_COLUMN(Open()).required; }
int RecordsetField::OrdinalPosition() const { return index_; }
std::string RecordsetField::SourceTable() const { return QB_COLUMN(Open()).source_table; }
std::string RecordsetField::SourceField() const { return QB_COLUMN(Open()).source_field; }

std::int32_t RecordsetField::Attributes() const {
  auto rs = Open();
  const RecordsetColumn& column = QB_COLUMN(rs);
  return column.attributes | (ColumnUpdatable(rs->State(), column) ? kUpdatableField : 0);
}

bool RecordsetField::DataUpdatable() const {
  auto rs = Open();
  return ColumnUpdatable(rs->State(), QB_COLUMN(rs));
}

const Variant& RecordsetField::Value() const {
  // The common case, reading the current record while nothing is pending, checks the recordset
  // and its database without taking references to them (one thread per engine).
  if (!recordset_.expired() && seen_->state_) {
    const RecordsetState& s = *seen_->state_;
    const bool held = s.place == Place::kAt && !s.edit && s.current &&
                      (s.key_only || s.current_generation == s.Keys().Generation()) &&
                      (!s.mirror || s.mirror->Rewrites() == s.mirror_rewrites);
    if (held && s.LiveDatabase()) return (*s.current)[static_cast<std::size_t>(index_)];
  }
  auto rs = Open();
  RecordsetState& s = rs->State();
  const auto i = static_cast<std::size_t>(index_);
  if (s.edit) return s.edit->values[i];
  return CurrentValues(s)[i];
}

void RecordsetField::SetValue(const Variant& value) {
  auto rs = Open();
  RecordsetState& s = rs->State();
  const RecordsetColumn& column = QB_COLUMN(rs);
  if (!s.edit) RaiseJetError(err::kUpdateWithoutEdit, "The field '" + column.name + "' can only be set after Edit or AddNew.");
  if (column.computed && s.updatable) {
    RaiseJetError(err::kFieldIsExpression,
                  "Field '" + column.name + "' is based on an expression and cannot be edited.");
  }
  // A new row of a join's kept one side may be given its key, which no other row follows yet.
  const bool new_key = s.edit->mode == kEditAdd && column.settable_on_add && s.updatable;
  if (!ColumnUpdatable(s, column) && !new_key) {
    RaiseJetError(err::kFieldNotUpdatable, "The field '" + column.name + "' cannot be updated.");
  }
  const auto i = static_cast<std::size_t>(index_);
  s.edit->values[i] = ToFieldValue(value, column.type);
  s.edit->changed[i] = true;
}

std::int64_t RecordsetField::FieldSize() const { return StoredLength(Value()); }

void RecordsetField::AppendChunk(const Variant& data) {
  auto rs = Open();
  RecordsetState& s = rs->State();
  const RecordsetColumn& column = QB_COLUMN(rs);
  if (!IsLongValue(column.type)) {
    RaiseJetError(err::kInvalidOperation, "AppendChunk works on Memo and Long Binary fields only.");
  }
  if (!s.edit) RaiseJetError(err::kUpdateWithoutEdit, "AppendChunk needs Edit or AddNew first.");
  const auto i = static_cast<std::size_t>(index_);
  const Variant chunk = ToFieldValue(data, column.type);
  Variant combined = chunk;
  const Variant& before = s.edit->values[i];
  if (s.edit->chunked[i] && !before.IsNull() && !chunk.IsNull()) {
    if (column.type == t::kMemo) {
      combined = Variant(before.ToString() + chunk.ToString());
    } else {
      std::vector<std::uint8_t> bytes = before.Bytes();
      bytes.insert(bytes.end(), chunk.Bytes().begin(), chunk.Bytes().end());
      combined = Variant::FromBytes(std::move(bytes));
    }
  } else if (s.edit->chunked[i] && chunk.IsNull()) {
    combined = before;
  }
  SetValue(combined);
  s.edit->chunked[i] = true;
}

Variant RecordsetField::GetChunk(std::int64_t offset, std::int64_t bytes) const {
  auto rs = Open();
  const RecordsetColumn& column = QB_COLUMN(rs);
  if (!IsLongValue(column.type)) RaiseJetError(err::kInvalidOperation, "GetChunk works on Memo and Long Binary fields only.");
  if (offset < 0 || bytes < 0) RaiseJetError(err::kInvalidArgument, "GetChunk needs a non-negative offset and length.");
  const Variant value = Value();
  if (value.IsNull()) return Variant::Null();
  if (column.type == t::kMemo) {
    const std::string text = value.ToString();
    const auto from = std::min<std::size_t>(static_cast<std::size_t>(offset), text.size());
    return Variant(text.substr(from, static_cast<std::size_t>(bytes)));
  }
  const auto& all = value.Bytes();
  const auto from = std::min<std::size_t>(static_cast<std::size_t>(offset), all.size());
  const auto to = std::min<std::size_t>(all.size(), from + static_cast<std::size_t>(bytes));
  return Variant::FromBytes(std::vector<std::uint8_t>(all.begin() + static_cast<long>(from), all.begin() + static_cast<long>(to)));
}

#undef QB_COLUMN

int RecordsetFields::Count() const { return static_cast<int>(recordset_->State().plan.columns.size()); }

std::shared_ptr<RecordsetField> RecordsetFields::Item(int index) const {
  if (index < 0 || index >= Count()) RaiseJetError(err::kItemNotFound, "Item not found in this collection.");
  return std::make_shared<RecordsetField>(recordset_, index);
}

std::shared_ptr<RecordsetField> RecordsetFields::Item(std::string_view name) const {
  const auto& columns = recordset_->State().plan.columns;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (SameName(columns[i].name, name)) return std::make_shared<RecordsetField>(recordset_, static_cast<int>(i));
  }
  RaiseJetError(err::kItemNotFound, "The field '" + std::string(name) + "' is not in this recordset.");
}

std::shared_ptr<RecordsetFields> Recordset::Fields() {
  State();
  return std::make_shared<RecordsetFields>(shared_from_this());
}

}  // namespace qb::jet
