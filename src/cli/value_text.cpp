// cli/value_text: value text and parameter parsing, by hand rather than through the locale-aware
// conversions of the foundation, so that quill's output is the same on every machine.
#include "cli/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "cli/command_line.h"
#include "core/currency.h"
#include "core/date_serial.h"
#include "jet/dao/engine_options.h"

namespace qb::cli {
namespace {

namespace dao_type = jet::sql::dao_type;

template <typename Number>
void AppendNumber(Number number, std::string& out) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  out.append(buffer, result.ptr);
}

// The shortest text that reads back to NUMBER, written out in full (1000000, 0.00015) from
// 0.00001 up to 15 digits before the point, where people read numbers without an exponent;
// beyond, with one (1e+20, 1.5e-07).
template <typename Real>
void AppendReal(Real number, std::string& out) {
  const Real magnitude = std::fabs(number);
  const bool plain = magnitude == 0 || (magnitude >= Real(1e-5) && magnitude < Real(1e15));
  char buffer[400];  // the longest plain form is well within this
  const auto result = plain ? std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed)
                            : std::to_chars(buffer, buffer + sizeof buffer, number);
  out.append(buffer, result.ptr);
}

void AppendTwoDigits(int number, std::string& out) {
  out += static_cast<char>('0' + number / 10);
  out += static_cast<char>('0' + number % 10);
}

void AppendCurrency(Currency amount, std::string& out) {
  const std::int64_t scaled = amount.Scaled();
  // The magnitude as unsigned, so the most negative amount has one too.
  const std::uint64_t magnitude = scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  if (scaled < 0) out += '-';
  AppendNumber(magnitude / Currency::kScale, out);
  std::uint64_t fraction = magnitude % Currency::kScale;
  if (fraction == 0) return;
  char digits[4];
  for (int i = 3; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  int length = 4;
  while (digits[length - 1] == '0') --length;
  out += '.';
  out.append(digits, static_cast<std::size_t>(length));
}

void AppendDate(double serial, std::string& out) {
  if (!std::isfinite(serial)) {
    AppendNumber(serial, out);
    return;
  }
  // Whole days toward zero; the fraction's magnitude is the time of day (see date_serial.h).
  double days = std::trunc(serial);
  long long seconds = std::llround(std::fabs(serial - days) * 86400.0);
  if (seconds >= 86400) {  // 23:59:59.6 and later round into the next calendar day
    seconds -= 86400;
    days += 1;
  }
  DateTimeParts date;
  try {
    date = DecodeDate(days);
  } catch (const EConvertError&) {
    AppendNumber(serial, out);
    return;
  }
  if (days != 0 || seconds == 0) {
    AppendNumber(date.year, out);
    out += '-';
    AppendTwoDigits(date.month, out);
    out += '-';
    AppendTwoDigits(date.day, out);
    if (seconds == 0) return;
    out += ' ';
  }
  AppendTwoDigits(static_cast<int>(seconds / 3600), out);
  out += ':';
  AppendTwoDigits(static_cast<int>(seconds / 60 % 60), out);
  out += ':';
  AppendTwoDigits(static_cast<int>(seconds % 60), out);
}

void AppendBytes(const std::vector<std::uint8_t>& bytes, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "0x";
  for (std::uint8_t byte : bytes) {
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
}

[[noreturn]] void RaiseBadParameter(std::string_view name, std::string_view text, std::string_view expected) {
  throw UsageError("the parameter '" + std::string(name) + "' takes " + std::string(expected) + ", not '" +
                   std::string(text) + "'");
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// TEXT as a whole number, without blanks; an optional leading '+' is allowed.
template <typename Number>
bool ParseWhole(std::string_view text, Number& number) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  }
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParseReal(std::string_view text, double& number) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') return false;
  }
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::general);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(number);
}

// DIGITS decimal digits at POS of TEXT (MIN .. MAX of them); advances POS.
bool TakeDigits(std::string_view text, std::size_t& pos, int min, int max, int& value) {
  value = 0;
  int count = 0;
  while (pos < text.size() && count < max && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos++] - '0');
    ++count;
  }
  return count >= min;
}

bool TakeChar(std::string_view text, std::size_t& pos, char expected) {
  if (pos >= text.size() || text[pos] != expected) return false;
  ++pos;
  return true;
}

// yyyy-mm-dd or yyyy-mm-dd hh:nn:ss as a date serial; false when TEXT is neither or names a
// date or time that does not exist.
bool ParseDate(std::string_view text, double& serial) {
  std::size_t pos = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!TakeDigits(text, pos, 4, 4, year) || !TakeChar(text, pos, '-') || !TakeDigits(text, pos, 1, 2, month) ||
      !TakeChar(text, pos, '-') || !TakeDigits(text, pos, 1, 2, day)) {
    return false;
  }
  if (pos < text.size()) {
    if (!TakeChar(text, pos, ' ') || !TakeDigits(text, pos, 1, 2, hour) || !TakeChar(text, pos, ':') ||
        !TakeDigits(text, pos, 2, 2, minute) || !TakeChar(text, pos, ':') || !TakeDigits(text, pos, 2, 2, second) ||
        pos != text.size()) {
      return false;
    }
  }
  if (!IsValidDate(year, month, day) || !IsValidTime(hour, minute, second, 0)) return false;
  serial = EncodeDateTime(year, month, day, hour, minute, second);
  return true;
}

bool ParseHex(std::string_view text, std::vector<std::uint8_t>& bytes) {
  if (text.size() < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X') || text.size() % 2 != 0) return false;
  const auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 2; i < text.size(); i += 2) {
    const int high = nibble(text[i]), low = nibble(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return true;
}

}  // namespace

void AppendValueText(const Variant& value, std::string& out) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
      return;
    case VarType::Boolean:
      out += value.ToBool() ? "True" : "False";
      return;
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Int32:
      AppendNumber(value.ToInt64(), out);
      return;
    case VarType::Single:
      AppendReal(value.ToSingle(), out);
      return;
    case VarType::Double:
      AppendReal(value.ToDouble(), out);
      return;
    case VarType::Currency:
      AppendCurrency(value.ToCurrency(), out);
      return;
    case VarType::Date:
      AppendDate(value.ToDate(), out);
      return;
    case VarType::String:
      out += value.ToString();
      return;
    case VarType::ByteArray:
      AppendBytes(value.Bytes(), out);
      return;
    case VarType::VariantArray: {
      bool first = true;
      for (const Variant& item : value.Items()) {
        if (!first) out += ", ";
        AppendValueText(item, out);
        first = false;
      }
      return;
    }
  }
}

std::string ValueText(const Variant& value) {
  std::string text;
  AppendValueText(value, text);
  return text;
}

Variant ParameterValue(std::string_view name, std::string_view text, int dao_type) {
  switch (dao_type) {
    case dao_type::kBoolean:
      if (EqualsIgnoringCase(text, "true") || EqualsIgnoringCase(text, "yes") || text == "-1") return Variant(true);
      if (EqualsIgnoringCase(text, "false") || EqualsIgnoringCase(text, "no") || text == "0") return Variant(false);
      RaiseBadParameter(name, text, "True, False, Yes, No, -1 or 0");
    case dao_type::kByte: {
      std::uint8_t number = 0;
      if (!ParseWhole(text, number)) RaiseBadParameter(name, text, "a whole number from 0 to 255");
      return Variant(number);
    }
    case dao_type::kInteger: {
      std::int16_t number = 0;
      if (!ParseWhole(text, number)) RaiseBadParameter(name, text, "a whole number from -32768 to 32767");
      return Variant(number);
    }
    case dao_type::kLong: {
      std::int32_t number = 0;
      if (!ParseWhole(text, number)) RaiseBadParameter(name, text, "a whole number from -2147483648 to 2147483647");
      return Variant(number);
    }
    case dao_type::kCurrency: {
      double number = 0;
      if (!ParseReal(text, number)) RaiseBadParameter(name, text, "an amount such as 12.34");
      try {
        return Variant(Currency::FromText(text, FormatSettings::Default()));
      } catch (const EConvertError&) {
        RaiseBadParameter(name, text, "an amount within the range of Currency");
      }
    }
    case dao_type::kSingle: {
      double number = 0;
      if (!ParseReal(text, number) || std::fabs(number) > std::numeric_limits<float>::max()) {
        RaiseBadParameter(name, text, "a number such as 1.5 within the range of Single");
      }
      return Variant(static_cast<float>(number));
    }
    case dao_type::kDouble: {
      double number = 0;
      if (!ParseReal(text, number)) RaiseBadParameter(name, text, "a number such as 1.5");
      return Variant(number);
    }
    case dao_type::kDate: {
      double serial = 0;
      if (!ParseDate(text, serial)) RaiseBadParameter(name, text, "a date as yyyy-mm-dd or yyyy-mm-dd hh:nn:ss");
      return Variant::FromDate(serial);
    }
    case dao_type::kBinary:
    case dao_type::kLongBinary: {
      std::vector<std::uint8_t> bytes;
      if (!ParseHex(text, bytes)) RaiseBadParameter(name, text, "bytes as 0x followed by pairs of hex digits");
      return Variant::FromBytes(std::move(bytes));
    }
    default:
      return Variant(text);
  }
}

}  // namespace qb::cli
