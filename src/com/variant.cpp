// com/variant: construction, the conversion table and checked array access of Variant.
// Every failure leaves as EVariantError; conversion errors from core are translated here.
#include "com/variant.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "core/number_text.h"
#include "core/date_serial.h"
#include "core/format.h"
#include "core/rounding.h"

namespace qb {
namespace {

constexpr double kTwoTo63 = 9223372036854775808.0;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// TEXT as a whole number ([sign]digits, blanks around); nullopt when it is not one or does
// not fit in 64 bits.
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  std::int64_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// TEXT as a number with the current decimal separator and an optional exponent; nullopt when
// it is not one. A Variant converts as the user typed it: only the regional separator, and a
// number beyond a double's range is no number (field conversion in the engine differs).
std::optional<double> ParseNumber(std::string_view text) {
  return RegionalTextToDouble(text, CurrentFormatSettings().DecimalSeparator, false, false);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

[[noreturn]] void RaiseOutOfRange(const std::string& value, const char* target) {
  throw EVariantError(Format("The value %s is out of range for %s", value, target));
}

[[noreturn]] void RaiseBadText(std::string_view text, const char* target) {
  throw EVariantError(Format("The text '%s' cannot be converted to %s", text, target));
}

std::int64_t RoundToInt64(double value, const char* target) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= -kTwoTo63 && rounded < kTwoTo63)) {
    RaiseOutOfRange(FloatToText(value, 15, FormatSettings::Default()), target);
  }
  return static_cast<std::int64_t>(rounded);
}

// Whole units of AMOUNT, rounded half to even (exact on the scaled integer).
std::int64_t RoundCurrency(Currency amount) {
  const std::int64_t scaled = amount.Scaled();
  std::int64_t whole = scaled / Currency::kScale;
  const std::int64_t rest = scaled % Currency::kScale;  // same sign as scaled
  const std::int64_t half = Currency::kScale / 2;
  if (rest > half || (rest == half && whole % 2 != 0)) ++whole;
  if (rest < -half || (rest == -half && whole % 2 != 0)) --whole;
  return whole;
}

}  // namespace

const char* VarTypeName(VarType type) {
  switch (type) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Int16: return "Int16";
    case VarType::Int32: return "Int32";
    case VarType::Single: return "Single";
    case VarType::Double: return "Double";
    case VarType::Currency: return "Currency";
    case VarType::Date: return "Date";
    case VarType::String: return "String";
    case VarType::Boolean: return "Boolean";
    case VarType::Byte: return "Byte";
    case VarType::ByteArray: return "ByteArray";
    case VarType::VariantArray: return "VariantArray";
  }
  return "Unknown";
}

Variant Variant::Null() { return Variant(VarType::Null, std::monostate{}); }
Variant::Variant(bool value) : type_(VarType::Boolean), value_(value) {}
Variant::Variant(std::uint8_t value) : type_(VarType::Byte), value_(std::int64_t{value}) {}
Variant::Variant(std::int16_t value) : type_(VarType::Int16), value_(std::int64_t{value}) {}
Variant::Variant(int value) : type_(VarType::Int32), value_(std::int64_t{value}) {}
Variant::Variant(float value) : type_(VarType::Single), value_(static_cast<double>(value)) {}
Variant::Variant(double value) : type_(VarType::Double), value_(value) {}
Variant::Variant(Currency value) : type_(VarType::Currency), value_(value) {}
Variant::Variant(std::string value) : type_(VarType::String), value_(std::move(value)) {}
Variant::Variant(const char* value)
    : type_(VarType::String), value_(std::string(value ? value : "")) {}
Variant::Variant(std::string_view value) : type_(VarType::String), value_(std::string(value)) {}

Variant Variant::FromDate(double serial) { return Variant(VarType::Date, serial); }

Variant Variant::FromBytes(std::vector<std::uint8_t> bytes, std::int32_t low_bound) {
  if (static_cast<std::int64_t>(low_bound) + static_cast<std::int64_t>(bytes.size()) - 1 >
      std::numeric_limits<std::int32_t>::max()) {
    throw EVariantError("The byte array's upper bound does not fit in 32 bits");
  }
  return Variant(VarType::ByteArray, Bytes_{std::move(bytes), low_bound});
}

Variant Variant::FromArray(std::vector<Variant> items, std::int32_t low_bound) {
  if (static_cast<std::int64_t>(low_bound) + static_cast<std::int64_t>(items.size()) - 1 >
      std::numeric_limits<std::int32_t>::max()) {
    throw EVariantError("The variant array's upper bound does not fit in 32 bits");
  }
  return Variant(VarType::VariantArray, Array_{std::move(items), low_bound});
}

void Variant::RaiseCannotConvert(const char* target) const {
  throw EVariantError(Format("A %s value cannot be converted to %s", VarTypeName(type_), target));
}

double Variant::NumberForConversion(const char* target) const {
  switch (type_) {
    case VarType::Empty: return 0;
    case VarType::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Int32: return static_cast<double>(std::get<std::int64_t>(value_));
    case VarType::Single:
    case VarType::Double:
    case VarType::Date: return std::get<double>(value_);
    case VarType::Currency: return std::get<Currency>(value_).ToDouble();
    case VarType::String: {
      const std::string& text = std::get<std::string>(value_);
      if (std::optional<double> number = ParseNumber(text)) return *number;
      RaiseBadText(text, target);
    }
    default: RaiseCannotConvert(target);
  }
}

std::int64_t Variant::IntegerInRange(std::int64_t low, std::int64_t high, const char* target) const {
  std::int64_t value = 0;
  switch (type_) {
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Int32: value = std::get<std::int64_t>(value_); break;
    case VarType::Currency: value = RoundCurrency(std::get<Currency>(value_)); break;
    case VarType::String: {
      const std::string& text = std::get<std::string>(value_);
      if (std::optional<std::int64_t> whole = ParseInteger(text)) {
        value = *whole;
      } else {
        value = RoundToInt64(NumberForConversion(target), target);
      }
      break;
    }
    default: {
      const double number = NumberForConversion(target);
      value = RoundToInt64(number, target);
      if (value < low || value > high) {
        RaiseOutOfRange(FloatToText(number, 15, FormatSettings::Default()), target);
      }
      return value;
    }
  }
  if (value < low || value > high) RaiseOutOfRange(std::to_string(value), target);
  return value;
}

std::string Variant::ToString() const {
  switch (type_) {
    case VarType::Empty: return "";
    case VarType::Boolean: return std::get<bool>(value_) ? "True" : "False";
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Int32: return std::to_string(std::get<std::int64_t>(value_));
    case VarType::Single: return FloatToText(std::get<double>(value_), 7);
    case VarType::Double: return FloatToText(std::get<double>(value_), 15);
    case VarType::Currency: return std::get<Currency>(value_).ToText();
    case VarType::Date:
      try {
        return DateTimeToText(std::get<double>(value_));
      } catch (const EConvertError& e) {
        throw EVariantError(e.Message());
      }
    case VarType::String: return std::get<std::string>(value_);
    default: RaiseCannotConvert("String");
  }
}

std::string Variant::ToStringOrEmpty() const { return IsNull() ? std::string() : ToString(); }

bool Variant::ToBool() const {
  switch (type_) {
    case VarType::Empty: return false;
    case VarType::Boolean: return std::get<bool>(value_);
    case VarType::Currency: return std::get<Currency>(value_).Scaled() != 0;
    case VarType::String: {
      const std::string_view text = Trim(std::get<std::string>(value_));
      if (EqualsNoCase(text, "True")) return true;
      if (EqualsNoCase(text, "False")) return false;
      return NumberForConversion("Boolean") != 0;
    }
    default: return NumberForConversion("Boolean") != 0;
  }
}

std::uint8_t Variant::ToByte() const { return static_cast<std::uint8_t>(IntegerInRange(0, 255, "Byte")); }

std::int16_t Variant::ToInt16() const {
  return static_cast<std::int16_t>(IntegerInRange(-32768, 32767, "Int16"));
}

std::int32_t Variant::ToInt32() const {
  return static_cast<std::int32_t>(IntegerInRange(std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max(),
                                                  "Int32"));
}

std::int64_t Variant::ToInt64() const {
  return IntegerInRange(std::numeric_limits<std::int64_t>::min(),
                        std::numeric_limits<std::int64_t>::max(), "Int64");
}

float Variant::ToSingle() const {
  const double value = NumberForConversion("Single");
  if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
    RaiseOutOfRange(FloatToText(value, 15, FormatSettings::Default()), "Single");
  }
  return static_cast<float>(value);
}

double Variant::ToDouble() const { return NumberForConversion("Double"); }

Currency Variant::ToCurrency() const {
  try {
    switch (type_) {
      case VarType::Currency: return std::get<Currency>(value_);
      case VarType::Byte:
      case VarType::Int16:
      case VarType::Int32: return Currency::FromInteger(std::get<std::int64_t>(value_));
      case VarType::String: {
        const std::string& text = std::get<std::string>(value_);
        try {
          return Currency::FromText(text);
        } catch (const EConvertError&) {
          if (!ParseNumber(text)) RaiseBadText(text, "Currency");
          throw;  // a number, but out of range
        }
      }
      default: return Currency::FromDouble(NumberForConversion("Currency"));
    }
  } catch (const EConvertError& e) {
    throw EVariantError(e.Message());
  }
}

double Variant::ToDate() const {
  if (type_ == VarType::String) {
    const std::string& text = std::get<std::string>(value_);
    try {
      return TextToDateTime(text);
    } catch (const EConvertError&) {
      RaiseBadText(text, "Date");
    }
  }
  return NumberForConversion("Date");
}

const std::vector<std::uint8_t>& Variant::Bytes() const {
  if (type_ != VarType::ByteArray) RaiseCannotConvert("ByteArray");
  return std::get<Bytes_>(value_).data;
}

const std::vector<Variant>& Variant::Items() const {
  if (type_ != VarType::VariantArray) RaiseCannotConvert("VariantArray");
  return std::get<Array_>(value_).items;
}

std::int32_t Variant::LowBound() const {
  if (type_ == VarType::ByteArray) return std::get<Bytes_>(value_).low;
  if (type_ == VarType::VariantArray) return std::get<Array_>(value_).low;
  throw EVariantError(Format("A %s value is not an array", VarTypeName(type_)));
}

std::int32_t Variant::HighBound() const {
  const std::int64_t size = type_ == VarType::ByteArray
                                ? static_cast<std::int64_t>(Bytes().size())
                                : static_cast<std::int64_t>(Items().size());
  return static_cast<std::int32_t>(LowBound() + size - 1);
}

std::uint8_t Variant::ByteAt(std::int32_t index) const {
  const std::vector<std::uint8_t>& bytes = Bytes();
  const std::int64_t offset = static_cast<std::int64_t>(index) - LowBound();
  if (offset < 0 || offset >= static_cast<std::int64_t>(bytes.size())) {
    throw EVariantError(Format("Index %d is outside the array bounds %d to %d", index, LowBound(),
                               HighBound()));
  }
  return bytes[static_cast<size_t>(offset)];
}

const Variant& Variant::ItemAt(std::int32_t index) const {
  const std::vector<Variant>& items = Items();
  const std::int64_t offset = static_cast<std::int64_t>(index) - LowBound();
  if (offset < 0 || offset >= static_cast<std::int64_t>(items.size())) {
    throw EVariantError(Format("Index %d is outside the array bounds %d to %d", index, LowBound(),
                               HighBound()));
  }
  return items[static_cast<size_t>(offset)];
}

bool Variant::operator==(const Variant& other) const {
  return type_ == other.type_ && value_ == other.value_;
}

}  // namespace qb
