// jet/sql/functions/field_conversion: the conversion table of values written into fields. Raises only the
// engine's errors (3421, 3349); text is read without the process locale.
#include "jet/sql/functions/field_conversion.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

#include "core/number_text.h"
#include "core/convert_error.h"
#include "core/format_settings.h"
#include "core/rounding.h"
#include "jet/base/errors.h"
#include "jet/sql/parse/date_literal.h"
#include "jet/base/jet_types.h"

namespace qb::jet::sql {
namespace {

namespace t = dao_type;

// Dates run from 1 January 100 to the last moment of 31 December 9999.
constexpr double kMinSerial = -657434.0;
constexpr double kMaxSerial = 2958466.0;  // exclusive

const char* TypeName(int dao_type) {
  switch (dao_type) {
    case t::kBoolean: return "Yes/No";
    case t::kByte: return "Byte";
    case t::kInteger: return "Integer";
    case t::kLong: return "Long";
    case t::kCurrency: return "Currency";
    case t::kSingle: return "Single";
    case t::kDouble: return "Double";
    case t::kDate: return "Date/Time";
    case t::kBinary: return "Binary";
    case t::kText: return "Text";
    case t::kLongBinary: return "Long Binary";
    case t::kMemo: return "Memo";
    case t::kGuid: return "GUID";
    default: return "this type";
  }
}

std::string FieldText(std::string_view field, int dao_type) {
  std::string text = field.empty() ? std::string("a field") : "the field '" + std::string(field) + "'";
  return text + " (" + TypeName(dao_type) + ")";
}

// A short quotation of VALUE for messages.
std::string Shown(const Variant& value) {
  if (value.Type() != VarType::String) return std::string("a value of kind ") + VarTypeName(value.Type());
  std::string text = value.ToString();
  if (text.size() > 40) text = text.substr(0, 40) + "...";
  return "the text '" + text + "'";
}

[[noreturn]] void Mismatch(const Variant& value, int dao_type, std::string_view field) {
  RaiseJetError(err::kConversion, "Data type conversion error: " + Shown(value) + " cannot be stored in " +
                                      FieldText(field, dao_type) + ".");
}

[[noreturn]] void Overflow(int dao_type, std::string_view field) {
  RaiseJetError(err::kNumericOverflow,
                "Numeric field overflow: the value is outside the range of " + FieldText(field, dao_type) + ".");
}

// VALUE as a number for a numeric or date field: dates give their serial, booleans -1 / 0.
double NumberOf(const Variant& value, int dao_type, std::string_view field) {
  switch (value.Type()) {
    case VarType::Boolean: case VarType::Byte: case VarType::Int16: case VarType::Int32:
    case VarType::Single: case VarType::Double: case VarType::Currency: case VarType::Date:
      return value.ToDouble();
    case VarType::String:
      if (std::optional<double> number = ParseNumberText(value.ToString())) return *number;
      break;
    default:
      break;
  }
  Mismatch(value, dao_type, field);
}

Variant Whole(const Variant& value, double low, double high, int dao_type, std::string_view field) {
  const double number = RoundHalfEven(NumberOf(value, dao_type, field));
  if (!(number >= low && number <= high)) Overflow(dao_type, field);
  switch (dao_type) {
    case t::kByte: return Variant(static_cast<std::uint8_t>(number));
    case t::kInteger: return Variant(static_cast<std::int16_t>(number));
    default: return Variant(static_cast<int>(number));
  }
}

Currency CurrencyOf(const Variant& value, std::string_view field) {
  try {
    switch (value.Type()) {
      case VarType::Currency: return value.ToCurrency();
      case VarType::Byte: case VarType::Int16: case VarType::Int32:
        return Currency::FromInteger(value.ToInt64());
      case VarType::String: {
        const std::string text = value.ToString();
        if (!ParseNumberText(text)) Mismatch(value, t::kCurrency, field);
        // Exact on the decimal text: "." first, then the user's separator.
        try {
          return Currency::FromText(text, FormatSettings::Default());
        } catch (const EConvertError&) {
          return Currency::FromText(text, CurrentFormatSettings());
        }
      }
      default:
        return Currency::FromDouble(NumberOf(value, t::kCurrency, field));
    }
  } catch (const EConvertError&) {
    Overflow(t::kCurrency, field);
  } catch (const EVariantError&) {
    Mismatch(value, t::kCurrency, field);
  }
}

double SerialOf(const Variant& value, std::string_view field) {
  double serial = 0;
  if (value.Type() == VarType::String) {
    const std::optional<double> date = ParseDateText(value.ToString());
    if (!date) Mismatch(value, t::kDate, field);
    serial = *date;
  } else {
    serial = NumberOf(value, t::kDate, field);
  }
  if (!(serial >= kMinSerial && serial < kMaxSerial)) Overflow(t::kDate, field);
  return serial;
}

bool BooleanOf(const Variant& value, std::string_view field) {
  if (value.Type() == VarType::String) {
    std::string text = value.ToString();
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t");
    std::string word = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word == "true") return true;
    if (word == "false") return false;
  }
  if (value.Type() == VarType::Currency) return value.ToCurrency().Scaled() != 0;
  return NumberOf(value, t::kBoolean, field) != 0;
}

// A GUID's text with braces; nullopt when TEXT is no GUID.
std::optional<std::string> GuidText(std::string text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  }
  return "{" + text + "}";
}

std::string TextOf(const Variant& value, int dao_type, std::string_view field) {
  if (value.Type() == VarType::ByteArray) {
    const auto& bytes = value.Bytes();
    return std::string(bytes.begin(), bytes.end());
  }
  try {
    return value.ToString();
  } catch (const EVariantError&) {
    Mismatch(value, dao_type, field);
  }
}

}  // namespace

// Fields take "." as well as the regional separator, since values reach them from SQL text and
// files as well as from people, and keep a number too large for a double as an infinity so that
// the range check reports a numeric overflow rather than a conversion error.
std::optional<double> ParseNumberText(std::string_view text) {
  return RegionalTextToDouble(text, CurrentFormatSettings().DecimalSeparator, true, true);
}

Variant ConvertToFieldType(const Variant& value, int dao_type, std::string_view field) {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  if (value.Type() == VarType::VariantArray) Mismatch(value, dao_type, field);
  switch (dao_type) {
    case t::kBoolean:
      return Variant(BooleanOf(value, field));
    case t::kByte:
      return Whole(value, 0, 255, dao_type, field);
    case t::kInteger:
      return Whole(value, -32768, 32767, dao_type, field);
    case t::kLong:
      return Whole(value, -2147483648.0, 2147483647.0, dao_type, field);
    case t::kCurrency:
      return Variant(CurrencyOf(value, field));  // stored as ten-thousandths (currency_sql.h)
    case t::kSingle: {
      const double number = NumberOf(value, dao_type, field);
      if (!(std::fabs(number) <= FLT_MAX)) Overflow(dao_type, field);
      return Variant(static_cast<float>(number));
    }
    case t::kDouble: {
      const double number = NumberOf(value, dao_type, field);
      if (!std::isfinite(number)) Overflow(dao_type, field);
      return Variant(number);
    }
    case t::kDate:
      return Variant::FromDate(SerialOf(value, field));
    case t::kBinary:
    case t::kLongBinary: {
      if (value.Type() == VarType::ByteArray) return Variant::FromBytes(value.Bytes());
      const std::string text = TextOf(value, dao_type, field);
      return Variant::FromBytes(std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    case t::kGuid: {
      if (value.Type() == VarType::String) {
        if (std::optional<std::string> guid = GuidText(value.ToString())) return Variant(*guid);
      }
      Mismatch(value, dao_type, field);
    }
    default:
      return Variant(TextOf(value, dao_type, field));
  }
}

}  // namespace qb::jet::sql
