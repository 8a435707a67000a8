// jet/recordset/stored_value: the storage rules here match what the schema layer declares for
// each type (schema_sql.cpp), what parameter binding writes and what column_value.cpp reads.
#include "jet/recordset/stored_value.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>
#include <limits>
#include <string>

#include "jet/errors.h"
#include "jet/schema_model.h"
#include "jet/sql/currency_sql.h"
#include "jet/sql/jet_types.h"

namespace qb::jet {
namespace {

namespace t = sql::dao_type;

[[noreturn]] void Overflow() { RaiseJetError(err::kNumericOverflow, "The value is too large for the field's type."); }

[[noreturn]] void CannotConvert(const Variant& value, const char* type) {
  RaiseJetError(err::kConversion, std::string("A value of kind ") + VarTypeName(value.Type()) +
                                      " cannot be stored in a field of type " + type + ".");
}

double NumberOf(const Variant& value, const char* type) {
  try {
    return value.ToDouble();
  } catch (const EVariantError&) {
    CannotConvert(value, type);
  }
}

std::int64_t WholeIn(const Variant& value, double low, double high, const char* type) {
  const double number = std::nearbyint(NumberOf(value, type));
  if (number < low || number > high) Overflow();
  return static_cast<std::int64_t>(number);
}

}  // namespace

Variant ToFieldValue(const Variant& value, int dao_type) {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  if (value.Type() == VarType::VariantArray) CannotConvert(value, "of this kind");
  try {
    switch (dao_type) {
      case t::kBoolean:
        return Variant(value.ToBool());
      case t::kByte:
        return Variant(static_cast<std::uint8_t>(WholeIn(value, 0, 255, "Byte")));
      case t::kInteger:
        return Variant(static_cast<std::int16_t>(WholeIn(value, -32768, 32767, "Integer")));
      case t::kLong:
        return Variant(static_cast<int>(WholeIn(value, -2147483648.0, 2147483647.0, "Long")));
      case t::kCurrency:
        return Variant(Currency::FromScaled(sql::StoredCurrency(value)));
      case t::kSingle: {
        const double number = NumberOf(value, "Single");
        if (std::fabs(number) > std::numeric_limits<float>::max()) Overflow();
        return Variant(static_cast<float>(number));
      }
      case t::kDouble:
        return Variant(NumberOf(value, "Double"));
      case t::kDate:
        return Variant::FromDate(value.ToDate());
      case t::kBinary:
      case t::kLongBinary:
        if (value.Type() == VarType::ByteArray) return Variant::FromBytes(value.Bytes());
        {
          const std::string text = value.ToString();
          return Variant::FromBytes(std::vector<std::uint8_t>(text.begin(), text.end()));
        }
      default:
        if (value.Type() == VarType::ByteArray) {
          const auto& bytes = value.Bytes();
          return Variant(std::string(bytes.begin(), bytes.end()));
        }
        return Variant(value.ToString());
    }
  } catch (const EVariantError&) {
    CannotConvert(value, "this type");
  }
}

void BindStoredValue(sqlite3_stmt* stmt, int index, const Variant& value) {
  int rc = SQLITE_OK;
  switch (value.Type()) {
    case VarType::Null:
    case VarType::Empty:
      rc = sqlite3_bind_null(stmt, index);
      break;
    case VarType::Boolean:
      rc = sqlite3_bind_int(stmt, index, value.ToBool() ? -1 : 0);
      break;
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Int32:
      rc = sqlite3_bind_int64(stmt, index, value.ToInt64());
      break;
    case VarType::Currency:
      rc = sqlite3_bind_int64(stmt, index, value.ToCurrency().Scaled());  // ten-thousandths
      break;
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      rc = sqlite3_bind_double(stmt, index, value.ToDouble());
      break;
    case VarType::ByteArray: {
      const auto& bytes = value.Bytes();
      rc = sqlite3_bind_blob64(stmt, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
      break;
    }
    default: {
      const std::string text = value.ToString();
      rc = sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
      break;
    }
  }
  if (rc != SQLITE_OK) RaiseJetError(err::kResourceExceeded, "The value could not be passed to the database.");
}

std::int64_t StoredLength(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return 0;
  if (value.Type() == VarType::ByteArray) return static_cast<std::int64_t>(value.Bytes().size());
  return static_cast<std::int64_t>(value.ToString().size());
}

}  // namespace qb::jet
