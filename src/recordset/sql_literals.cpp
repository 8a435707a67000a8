// recordset/sql_literals: Jet SQL literals for parameter values and search keys.
#include "recordset/sql_literals.h"

#include <charconv>
#include <cmath>

#include "core/currency.h"
#include "core/date_serial.h"
#include "core/format_settings.h"

namespace qb {

std::string SqlTextLiteral(const std::string& text) {
  std::string literal = "'";
  for (char c : text) {
    if (c == '\'') literal += '\'';
    literal += c;
  }
  return literal + "'";
}

std::string SqlDateLiteral(double serial) {
  // The engine reads "/" and ":" in a date literal, whatever the user's separators are.
  return FormatDateTime("\"#\"mm\"/\"dd\"/\"yyyy hh\":\"nn\":\"ss\"#\"", serial, FormatSettings::Default());
}

namespace {

std::string DoubleText(double value) {
  if (!std::isfinite(value)) throw EVariantError("The value " + std::to_string(value) + " has no SQL literal.");
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  std::string literal(text, result.ptr);
  // The engine's number literals write the exponent with its sign: 1E+20.
  const size_t e = literal.find('e');
  if (e != std::string::npos) {
    literal[e] = 'E';
    if (e + 1 < literal.size() && literal[e + 1] != '-' && literal[e + 1] != '+') literal.insert(e + 1, "+");
  }
  return literal;
}

}  // namespace

std::string SqlNumberLiteral(const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null: return "0";
    case VarType::Boolean: return value.ToBool() ? "-1" : "0";
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Int32: return std::to_string(value.ToInt32());
    case VarType::Currency: return value.ToCurrency().ToText(FormatSettings::Default());
    case VarType::Single:
    case VarType::Double:
    case VarType::Date: return DoubleText(value.ToDouble());
    default: break;
  }
  // Text and anything else: as the number it converts to (raises when it is none).
  const double number = value.ToDouble();
  if (std::trunc(number) == number && std::fabs(number) < 9.0e15) return std::to_string(static_cast<long long>(number));
  return DoubleText(number);
}

std::string SqlLiteral(TFieldType type, const Variant& value) {
  const bool null = value.IsNull() || value.IsEmpty();
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString: return SqlTextLiteral(null ? std::string() : value.ToString());
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return null ? "0" : std::to_string(value.ToInt64());
    case ftBoolean: return null ? "0" : (value.ToBool() ? "-1" : "0");
    case ftFloat:
    case ftCurrency:
    case ftBCD:
      if (null) return "0";
      return type == ftFloat ? DoubleText(value.ToDouble()) : value.ToCurrency().ToText(FormatSettings::Default());
    case ftDate:
    case ftTime:
    case ftDateTime: return SqlDateLiteral(null ? 0.0 : value.ToDate());
    default: return {};
  }
}

}  // namespace qb
