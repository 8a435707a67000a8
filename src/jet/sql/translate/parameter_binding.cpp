// jet/sql/translate/parameter_binding: Variant to SQLite value conversion for parameters. The storage
// rules here must match what the engine writes for each type.
#include "jet/sql/translate/parameter_binding.h"

#include <sqlcipher/sqlite3.h>

#include "jet/sql/translate/query_translator.h"
#include "core/convert_error.h"
#include "jet/sql/parse/sql_errors.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLite 3.15.2");

namespace qb::jet::sql {
namespace {

int BindOne(sqlite3_stmt* stmt, int index, const Variant& value) {
  switch (value.Type()) {
    case VarType::Null:
      return sqlite3_bind_null(stmt, index);
    case VarType::Boolean:
      return sqlite3_bind_int(stmt, index, value.ToBool() ? -1 : 0);
    case VarType::Byte: case VarType::Int16: case VarType::Int32:
      return sqlite3_bind_int64(stmt, index, value.ToInt64());
    case VarType::Single: case VarType::Double:
      return sqlite3_bind_double(stmt, index, value.ToDouble());
    case VarType::Currency: {
      // An amount, as every other number: a REAL where the double gives the amount back, else
      // its exact decimal text (a Currency parameter reads either exactly).
      const Currency amount = value.ToCurrency();
      bool exact = false;
      try {
        exact = Currency::FromDouble(amount.ToDouble()) == amount;
      } catch (const EConvertError&) {
      }
      if (exact) return sqlite3_bind_double(stmt, index, amount.ToDouble());
      const std::string text = amount.ToText(FormatSettings::Default());
      return sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    case VarType::Date:
      return sqlite3_bind_double(stmt, index, value.ToDate());
    case VarType::String: {
      std::string text = value.ToString();
      return sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    }
    case VarType::ByteArray: {
      const auto& bytes = value.Bytes();
      return sqlite3_bind_blob64(stmt, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    }
    default:
      RaiseSqlError(err::kWrongParameterType, "Wrong data type for parameter " + std::to_string(index) +
                              ": an array cannot be a parameter value.");
  }
}

}  // namespace

void CheckParameterValues(const TranslatedQuery& query, const std::vector<Variant>& values) {
  std::size_t missing = 0, unknown_count = 0;
  std::string declared, unknown;
  for (std::size_t i = 0; i < query.parameters.size(); ++i) {
    if (i < values.size() && !values[i].IsEmpty()) continue;
    ++missing;
    if (!query.parameters[i].declared) ++unknown_count;
    std::string& names = query.parameters[i].declared ? declared : unknown;
    names += (names.empty() ? "[" : ", [") + query.parameters[i].name + "]";
  }
  if (missing == 0) return;
  std::string message = "Too few parameters. Expected " + std::to_string(missing) + ".";
  if (!declared.empty()) message += " No value was given for " + declared + ".";
  if (unknown_count == 1) {
    message += " Unknown name " + unknown +
               ": no field of the statement's tables has it, so it was taken as a parameter (check its spelling).";
  } else if (unknown_count > 1) {
    message += " Unknown names " + unknown +
               ": no field of the statement's tables has them, so they were taken as parameters (check their "
               "spelling).";
  }
  RaiseSqlError(err::kTooFewParameters, message);
}

void BindParameterValue(sqlite3_stmt* stmt, int index, const Variant& value) {
  if (BindOne(stmt, index, value) != SQLITE_OK) {
    RaiseSqlError(err::kResourceExceeded, "System resource exceeded while binding parameter " + std::to_string(index) + ".");
  }
}

void BindParameters(sqlite3_stmt* stmt, const std::vector<Variant>& values) {
  const int count = sqlite3_bind_parameter_count(stmt);
  int missing = 0;
  for (int i = 0; i < count; ++i) {
    const auto index = static_cast<std::size_t>(i);
    if (index >= values.size() || values[index].IsEmpty()) ++missing;
  }
  if (missing > 0) {
    RaiseSqlError(err::kTooFewParameters,
                  "Too few parameters. Expected " + std::to_string(missing) + ".");
  }
  for (int i = 0; i < count; ++i) {
    if (BindOne(stmt, i + 1, values[static_cast<std::size_t>(i)]) != SQLITE_OK) {
      RaiseSqlError(err::kResourceExceeded, "System resource exceeded while binding parameter " +
                              std::to_string(i + 1) + ".");
    }
  }
}

}  // namespace qb::jet::sql
