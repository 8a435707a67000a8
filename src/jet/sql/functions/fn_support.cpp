// jet/sql/functions/fn_support: conversions shared by the expression functions; raises only Jet's
// runtime errors through sql_errors.
#include "jet/sql/functions/fn_support.h"

#include <cmath>

#include "core/convert_error.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "jet/sql/parse/date_literal.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {

void RaiseTypeMismatch() { RaiseSqlError(err::kTypeMismatch, "Type mismatch."); }
void RaiseInvalidUseOfNull() { RaiseSqlError(err::kInvalidUseOfNull, "Invalid use of Null."); }
void RaiseOverflow() { RaiseSqlError(err::kOverflow, "Overflow."); }
void RaiseInvalidProcedureCall() {
  RaiseSqlError(err::kInvalidProcedureCall, "Invalid procedure call or argument.");
}

bool IsNumeric(const Variant& value) {
  switch (value.Type()) {
    case VarType::Byte: case VarType::Int16: case VarType::Int32: case VarType::Single:
    case VarType::Double: case VarType::Currency: case VarType::Boolean: case VarType::Date:
      return true;
    default:
      return false;
  }
}

bool IsIntegral(const Variant& value) {
  switch (value.Type()) {
    case VarType::Byte: case VarType::Int16: case VarType::Int32: case VarType::Boolean:
      return true;
    default:
      return false;
  }
}

double ToNumber(const Variant& value) {
  if (value.IsNull()) RaiseInvalidUseOfNull();
  if (value.Type() == VarType::Date) return value.ToDate();
  try {
    return value.ToDouble();
  } catch (const Exception&) {
    RaiseTypeMismatch();
  }
}

std::string ToText(const Variant& value) {
  if (value.IsNull()) RaiseInvalidUseOfNull();
  try {
    return value.ToString();
  } catch (const Exception&) {
    RaiseTypeMismatch();
  }
}

std::int32_t ToLong(const Variant& value) {
  double number = RoundHalfEven(ToNumber(value));
  if (!(number >= -2147483648.0 && number <= 2147483647.0)) RaiseOverflow();
  return static_cast<std::int32_t>(number);
}

double ToSerial(const Variant& value) {
  if (value.IsNull()) RaiseInvalidUseOfNull();
  double serial = 0;
  if (value.Type() == VarType::String) {
    const std::optional<double> date = ParseDateText(value.ToString());
    if (!date) RaiseTypeMismatch();
    serial = *date;
  } else {
    try {
      serial = value.ToDate();
    } catch (const Exception&) {
      RaiseTypeMismatch();
    }
  }
  if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0) RaiseOverflow();
  return serial;
}

Variant IntegerResult(std::int64_t value) {
  if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int>(value));
  return Variant(static_cast<double>(value));
}

std::string NumberText(double value, int digits) {
  if (value == 0) return "0";
  std::string text = DoubleToText(value, digits, true);
  std::size_t e = text.find('E');
  std::string mantissa = e == std::string::npos ? text : text.substr(0, e);
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  if (e == std::string::npos) return mantissa;
  // "1E+020" style exponents become VBA's "1E+20".
  std::string exponent = text.substr(e + 1);
  char sign = exponent[0];
  exponent.erase(0, 1);
  while (exponent.size() > 2 && exponent[0] == '0') exponent.erase(0, 1);
  return mantissa + "E" + sign + exponent;
}

Variant DoubleResult(double value) {
  if (!std::isfinite(value)) RaiseOverflow();
  return Variant(value);
}

bool AnyNull(Args args) {
  for (const Variant& arg : args) {
    if (arg.IsNull()) return true;
  }
  return false;
}

}  // namespace qb::jet::sql
