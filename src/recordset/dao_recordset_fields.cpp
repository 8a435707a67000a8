// recordset/dao_recordset_fields: field definitions from the engine's Fields, field numbers and
// offsets, the record-buffer layout, field access through the buffer of the current state, and
// the field classes made for default fields.
#include <cstring>

#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_errors.h"
#include "framework/data/field.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"
#include "recordset/dao_field_hooks.h"

namespace qb {

namespace {

constexpr std::int32_t kAutoIncrField = 16;

struct MappedType {
  TFieldType type = ftUnknown;
  int size = 0;
};

// The field type and size for an engine field of type CODE (ftUnknown: no field).
MappedType MapJetType(const jet::RecordsetField& field) {
  switch (field.Type()) {
    case 1: return {ftBoolean, 0};
    case 2:
    case 3: return {ftSmallint, 0};
    case 4: return {(field.Attributes() & kAutoIncrField) != 0 ? ftAutoInc : ftInteger, 0};
    case 5: return {ftCurrency, 0};
    case 6:
    case 7: return {ftFloat, 0};
    case 8: return {ftDateTime, 0};
    case 9: return {ftBytes, field.Size()};
    case 10: {
      const int size = field.Size();
      return {ftString, size == 0 ? 200 : size};
    }
    case 11: return {ftBlob, field.Size()};
    case 12: return {ftMemo, field.Size()};
    case 15: return {ftString, 50};
    case 17: return {ftVarBytes, field.Size()};
    case 18: {
      const int size = field.Size();
      return {ftString, size <= 1 ? 200 : size};
    }
    case 19:
    case 20:
    case 21: return {ftFloat, 0};
    case 22:
    case 23: return {ftDateTime, 0};
    default: return {};
  }
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

}  // namespace

std::shared_ptr<jet::RecordsetFields> TDAOBaseRecordset::JetFields() const {
  if (!recordset_) return nullptr;
  return CallEngine(this, "GetFields", [&] { return recordset_->Fields(); });
}

std::shared_ptr<jet::RecordsetField> TDAOBaseRecordset::JetField(int index) const {
  if (index >= 0 && static_cast<size_t>(index) < field_cache_.size() && field_cache_[static_cast<size_t>(index)])
    return field_cache_[static_cast<size_t>(index)];
  std::shared_ptr<jet::RecordsetField> field = recordset_->Fields()->Item(index);
  if (index >= 0 && static_cast<size_t>(index) < 4096) {
    if (field_cache_.size() <= static_cast<size_t>(index)) field_cache_.resize(static_cast<size_t>(index) + 1);
    field_cache_[static_cast<size_t>(index)] = field;
  }
  return field;
}

void TDAOBaseRecordset::InternalInitFieldDefs() {
  if (!recordset_) CreateCOMObj();
  std::shared_ptr<jet::RecordsetFields> fields = JetFields();
  if (!fields) RaiseDAOError(this, ResString(kResFieldDefsUnavailable), "InternalInitFieldDefs");
  FieldDefs().Clear();
  def_jet_index_.clear();
  const int count = fields->Count();
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<jet::RecordsetField> field = fields->Item(i);
    const MappedType mapped = MapJetType(*field);
    if (mapped.type == ftUnknown) continue;
    const std::string jet_name = field->Name();
    std::string name = jet_name;
    for (int j = 1; FieldDefs().Find(name) != nullptr; ++j) name = Format("%s_%d", jet_name, j);
    const bool required = HasOpt(options_, roRetrieveFieldRequiredAttributesOnOpen) && field->Required();
    FieldDefs().Add(name, mapped.type, mapped.size, required);
    def_jet_index_.push_back(i);
  }
}

void TDAOBaseRecordset::InitFieldOffsets() {
  std::shared_ptr<jet::RecordsetFields> fields = JetFields();
  if (!fields) RaiseDAOError(this, ResString(kResFieldOffsetsUnavailable), "InitFieldOffsets");
  jet_field_count_ = fields->Count();
  std::vector<std::string> jet_names;
  jet_names.reserve(static_cast<size_t>(jet_field_count_));
  for (int i = 0; i < jet_field_count_; ++i) jet_names.push_back(fields->Item(i)->Name());
  int extra = 0;
  int offset = 0;
  for (TField* field : Fields()) {
    int number = -1;
    if (field->FieldKind() == fkData) {
      // A definition renamed for a clash of names reads the engine field it was made from.
      const int def = FieldDefs().IndexOf(field->FieldName());
      if (def >= 0 && static_cast<size_t>(def) < def_jet_index_.size()) {
        number = def_jet_index_[static_cast<size_t>(def)] + 1;
      } else {
        for (int i = 0; i < jet_field_count_ && number < 0; ++i)
          if (EqualNoCase(jet_names[static_cast<size_t>(i)], field->FieldName())) number = i + 1;
      }
    } else if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
      number = jet_field_count_ + ++extra;
    }
    field->SetFieldNo(number);
    field->SetOffset(offset);
    offset += FieldDataSize(field) + 1;
  }
  modified_.assign(static_cast<size_t>(jet_field_count_ + extra), false);
}

int TDAOBaseRecordset::JetFieldNumber(const TField* field) const { return field->FieldNo(); }

int TDAOBaseRecordset::FieldDataSize(const TField* field) const {
  switch (field->DataType()) {
    case ftString:
    case ftFixedChar: return field->Size() + 1;
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor: return 0;
    default: return field->DataSize();
  }
}

void TDAOBaseRecordset::ComputeRecordSize() {
  int size = 0;
  for (const TField* field : Fields()) size += FieldDataSize(field) + 1;
  record_size_ = size;
  buffer_size_ = size + kRecordInfoSize;
}

void TDAOBaseRecordset::ClearModifiedFlags() { std::fill(modified_.begin(), modified_.end(), false); }

bool TDAOBaseRecordset::FieldModified(const TField* field) const {
  const int number = field->FieldNo();
  return number >= 1 && static_cast<size_t>(number) <= modified_.size() && modified_[static_cast<size_t>(number - 1)];
}

TRecordBuffer TDAOBaseRecordset::AllocateRecordBuffer() {
  if (buffer_size_ <= 0) return nullptr;
  auto* buffer = new std::uint8_t[static_cast<size_t>(buffer_size_)];
  std::memset(buffer, 0, static_cast<size_t>(buffer_size_));
  return buffer;
}

void TDAOBaseRecordset::ReleaseRecordBuffer(TRecordBuffer& buffer) {
  delete[] buffer;
  buffer = nullptr;
}

void TDAOBaseRecordset::ClearRecordBuffer(TRecordBuffer buffer) {
  if (buffer != nullptr) std::memset(buffer, 0, static_cast<size_t>(buffer_size_));
}

TRecordBuffer TDAOBaseRecordset::StateBuffer() {
  switch (State()) {
    case dsSetKey:
      // Lookup reads the found record into its own buffer; otherwise this is the search key.
      if (!looking_up_) return KeyBuffer();
      if (set_key_buffer_ == nullptr) set_key_buffer_ = AllocateRecordBuffer();
      return set_key_buffer_;
    case dsCalcFields: return CalcBuffer();
    default: return ActiveBuffer();
  }
}

bool TDAOBaseRecordset::ReadFieldValue(const TField* field, void* destination) {
  TRecordBuffer buffer = StateBuffer();
  if (buffer == nullptr) return false;
  const int size = FieldDataSize(field);
  const std::uint8_t* slot = buffer + field->Offset();
  if (slot[size] == 0) return false;
  if (destination != nullptr && size != 0 && field->FieldNo() >= 1) std::memcpy(destination, slot, static_cast<size_t>(size));
  return true;
}

void TDAOBaseRecordset::WriteFieldValue(TField* field, const void* source) {
  const int size = FieldDataSize(field);
  TRecordBuffer buffer = StateBuffer();
  if (size == 0 || buffer == nullptr) return;
  std::uint8_t* slot = buffer + field->Offset();
  if (source != nullptr) {
    if (field->DataType() == ftString || field->DataType() == ftFixedChar) {
      // The slot takes the zero-terminated text, never more than the field's size.
      std::memset(slot, 0, static_cast<size_t>(size));
      const auto* text = static_cast<const char*>(source);
      std::memcpy(slot, text, ::strnlen(text, static_cast<size_t>(size - 1)));
    } else {
      std::memcpy(slot, source, static_cast<size_t>(size));
    }
    slot[size] = 1;
  } else {
    // No value: the data is zeroed and the has-value byte cleared, so that posting sends Null.
    std::memset(slot, 0, static_cast<size_t>(size));
    slot[size] = 0;
  }
  const int number = field->FieldNo();
  if (number >= 1 && static_cast<size_t>(number) <= modified_.size()) modified_[static_cast<size_t>(number - 1)] = true;
  if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue) NotifyDataChange(deFieldChange, field);
}

TFieldFactory TDAOBaseRecordset::FieldClassFor(TFieldType type) const {
  switch (type) {
    case ftCurrency:
    case ftDateTime:
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftMemo:
    case ftGraphic: {
      // The fields layer's classes when it installed them.
      const DAOFieldClassHook hook = InstalledDAOFieldClassHook();
      const TFieldFactory make = hook != nullptr ? hook(type) : nullptr;
      return make != nullptr ? make : TDataSet::FieldClassFor(type);
    }
    case ftUnknown:
    case ftCursor:
    case ftWideString: return nullptr;
    default: return TDataSet::FieldClassFor(type);
  }
}

}  // namespace qb
