// recordset/dao_recordset_values: moving one field's value between the engine cursor's record
// (or its pending edit) and the field's slot in a record buffer, with the conversions between
// engine variants and the fields' native formats.
#include <algorithm>
#include <cstring>

#include "core/currency.h"
#include "engine/dao_errors.h"
#include "framework/data/field.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

namespace {

template <class T>
void Put(std::uint8_t* slot, T value) {
  std::memcpy(slot, &value, sizeof value);
}

template <class T>
T Get(const std::uint8_t* slot) {
  T value{};
  std::memcpy(&value, slot, sizeof value);
  return value;
}

bool IsNumber(VarType type) {
  switch (type) {
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Boolean: return true;
    default: return false;
  }
}

}  // namespace

void TDAOBaseRecordset::ReadJetField(const TField* field, TRecordBuffer buffer) {
  const int number = field->FieldNo();
  const int size = FieldDataSize(field);
  std::uint8_t* slot = buffer + field->Offset();
  std::memset(slot, 0, static_cast<size_t>(size) + 1);
  // Read for every field of every record fetched: the cached engine field is used in place.
  const auto index = static_cast<std::size_t>(number - 1);
  std::shared_ptr<jet::RecordsetField> fetched;
  if (index >= field_cache_.size() || !field_cache_[index])
    fetched = CallEngine(this, "ReadJetField", [&] { return JetField(number - 1); });
  const jet::RecordsetField* jet_field = fetched ? fetched.get() : field_cache_[index].get();
  if (size == 0) {
    // Blob and memo values stay with the engine; only whether there is one is kept.
    const std::int64_t length = CallEngine(this, "ReadJetField", [&] { return jet_field->FieldSize(); });
    slot[size] = length > 0 ? 1 : 0;
    return;
  }
  const Variant& value = CallEngine(this, "ReadJetField", [&]() -> const Variant& { return jet_field->Value(); });
  const VarType kind = value.Type();
  if (kind == VarType::Null || kind == VarType::Empty) return;
  // Numbers of a kind other than the field's own are converted, never read as zero: a value
  // shown as 0 would be written back as 0.
  switch (field->DataType()) {
    case ftString:
    case ftFixedChar: {
      if (value.IsArray()) return;
      const std::string text = value.ToString();
      std::memcpy(slot, text.data(), std::min(text.size(), static_cast<size_t>(size - 1)));
      break;
    }
    case ftSmallint:
      if (kind == VarType::Int16 || kind == VarType::Byte || IsNumber(kind)) Put<std::int16_t>(slot, value.ToInt16());
      break;
    case ftWord:
      if (IsNumber(kind)) Put<std::uint16_t>(slot, static_cast<std::uint16_t>(value.ToInt32() & 0xFFFF));
      break;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime:
      if (IsNumber(kind)) Put<std::int32_t>(slot, value.ToInt32());
      break;
    case ftBoolean:
      if (kind == VarType::Boolean || IsNumber(kind)) Put<std::int16_t>(slot, value.ToBool() ? -1 : 0);
      break;
    case ftFloat:
      if (IsNumber(kind)) Put<double>(slot, value.ToDouble());
      break;
    case ftCurrency:
    case ftBCD:
      if (IsNumber(kind)) Put<std::int64_t>(slot, value.ToCurrency().Scaled());
      break;
    case ftDateTime:
      if (kind == VarType::Date || IsNumber(kind)) Put<double>(slot, value.ToDate());
      break;
    case ftBytes:
    case ftVarBytes:
      if (kind == VarType::ByteArray) {
        const std::vector<std::uint8_t>& bytes = value.Bytes();
        const size_t room = static_cast<size_t>(field->Size());
        const size_t n = std::min(bytes.size(), room);
        if (field->DataType() == ftVarBytes) {
          Put<std::uint16_t>(slot, static_cast<std::uint16_t>(n));
          std::memcpy(slot + 2, bytes.data(), n);
        } else {
          std::memcpy(slot, bytes.data(), n);
        }
      }
      break;
    default: return;
  }
  slot[size] = 1;
}

void TDAOBaseRecordset::WriteJetField(const TField* field, TRecordBuffer buffer) {
  const int size = FieldDataSize(field);
  if (size == 0 || !recordset_) return;
  const std::uint8_t* slot = buffer + field->Offset();
  Variant value;
  if (slot[size] == 0) {
    // A field cleared by the user: the stored value goes too.
    value = Variant::Null();
  } else {
    switch (field->DataType()) {
      case ftString:
      case ftFixedChar: {
        const std::string text(reinterpret_cast<const char*>(slot), ::strnlen(reinterpret_cast<const char*>(slot),
                                                                              static_cast<size_t>(size)));
        value = text.empty() && HasOpt(options_, roSetEmptyStringsAsNULLValues) ? Variant::Null() : Variant(text);
        break;
      }
      case ftSmallint: value = Variant(static_cast<int>(Get<std::int16_t>(slot))); break;
      case ftWord: value = Variant(static_cast<int>(Get<std::uint16_t>(slot))); break;
      case ftInteger:
      case ftAutoInc:
      case ftDate:
      case ftTime: value = Variant(Get<std::int32_t>(slot)); break;
      case ftBoolean: value = Variant(Get<std::int16_t>(slot) != 0); break;
      case ftFloat: value = Variant(Get<double>(slot)); break;
      case ftCurrency:
      case ftBCD: value = Variant(Currency::FromScaled(Get<std::int64_t>(slot))); break;
      case ftDateTime: value = Variant::FromDate(Get<double>(slot)); break;
      case ftBytes: value = Variant::FromBytes(std::vector<std::uint8_t>(slot, slot + field->Size())); break;
      case ftVarBytes: {
        const size_t n = std::min<size_t>(Get<std::uint16_t>(slot), static_cast<size_t>(field->Size()));
        value = Variant::FromBytes(std::vector<std::uint8_t>(slot + 2, slot + 2 + n));
        break;
      }
      default: return;
    }
  }
  const int number = field->FieldNo();
  CallEngine(this, "WriteJetField", [&] { JetField(number - 1)->SetValue(value); });
}

}  // namespace qb
