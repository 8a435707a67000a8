// jet/recordset/stored_value: the storage rules here match what the schema layer declares for
// each type (schema_sql.cpp), what parameter binding writes and what column_value.cpp reads.
#include "jet/recordset/stored_value.h"

#include <sqlcipher/sqlite3.h>

#include <string>

#include "jet/base/errors.h"
#include "jet/sql/functions/field_conversion.h"

namespace qb::jet {

Variant ToFieldValue(const Variant& value, int dao_type) { return sql::ConvertToFieldType(value, dao_type); }

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
