// core/currency: exact decimal text in and out of the scaled integer, and checked arithmetic.
// Text is converted digit by digit, never through a double.
#include "core/currency.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/format.h"

namespace qb {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

[[noreturn]] void RaiseOutOfRange(const std::string& what) {
  throw EConvertError(what + " is outside the range of a currency amount");
}

[[noreturn]] void RaiseNotAmount(std::string_view text) {
  throw EConvertError(Format("'%s' is not a valid currency amount", text));
}

}  // namespace

Currency Currency::FromInteger(std::int64_t value) {
  if (value > kMax / kScale || value < kMin / kScale) RaiseOutOfRange(std::to_string(value));
  return Currency(value * kScale);
}

Currency Currency::FromDouble(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e15) {
    RaiseOutOfRange(FloatToText(value, 15, FormatSettings::Default()));
  }
  // Most stored amounts have at most four decimals: VALUE * 10000 then lands within a tiny
  // fraction of a whole number, the same one the decimal rounding below gives (no tie is near),
  // without any text. Below 2^43 the product is exact to better than 0.002.
  const double scaled = value * static_cast<double>(kScale);
  if (std::fabs(scaled) < 8.796e12 && scaled == std::nearbyint(scaled)) {
    return Currency(static_cast<std::int64_t>(scaled));
  }
  // Round the shortest decimal that reads back as VALUE, so that 0.00005 is the tie it was
  // written as rather than the binary number just above it.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return FromText(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)),
                  FormatSettings::Default());
}

Currency Currency::FromText(std::string_view text, const FormatSettings& settings) {
  size_t pos = 0;
  auto blank = [&](size_t at) { return at < text.size() && (text[at] == ' ' || text[at] == '\t'); };
  auto digit = [&](size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
  while (blank(pos)) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  std::string digits;  // every mantissa digit, integer part then fraction
  std::int64_t fraction_digits = 0;
  bool any_digit = false;
  while (digit(pos)) {
    digits += text[pos++];
    any_digit = true;
  }
  const std::string& separator = settings.DecimalSeparator;
  if (!separator.empty() && text.substr(pos, separator.size()) == separator) {
    pos += separator.size();
    while (digit(pos)) {
      digits += text[pos++];
      ++fraction_digits;
      any_digit = true;
    }
  }
  if (!any_digit) RaiseNotAmount(text);
  std::int64_t exponent = 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    bool exp_negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) exp_negative = text[pos++] == '-';
    if (!digit(pos)) RaiseNotAmount(text);
    while (digit(pos)) {
      if (exponent < 100000) exponent = exponent * 10 + (text[pos] - '0');
      ++pos;
    }
    if (exp_negative) exponent = -exponent;
  }
  while (blank(pos)) ++pos;
  if (pos != text.size()) RaiseNotAmount(text);

  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return Currency();
  digits.erase(0, first);
  // scaled amount = digits x 10^shift
  const std::int64_t shift = exponent - fraction_digits + 4;
  const std::int64_t length = static_cast<std::int64_t>(digits.size());
  std::string whole;   // digits of the scaled amount before rounding
  std::string rest;    // digits dropped by the rounding
  if (shift >= 0) {
    if (length + shift > 19) RaiseOutOfRange(Format("'%s'", text));
    whole = digits + std::string(static_cast<size_t>(shift), '0');
  } else if (-shift > length) {
    return Currency();  // below half of the smallest unit
  } else {
    whole = digits.substr(0, static_cast<size_t>(length + shift));
    rest = digits.substr(static_cast<size_t>(length + shift));
  }
  if (whole.size() > 19) RaiseOutOfRange(Format("'%s'", text));
  std::uint64_t magnitude = 0;
  for (char c : whole) magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
  if (!rest.empty()) {
    const bool above_half = rest[0] > '5' ||
                            (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
    const bool tie = rest[0] == '5' && !above_half;
    if (above_half || (tie && magnitude % 2 == 1)) ++magnitude;
  }
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
  if (magnitude > limit) RaiseOutOfRange(Format("'%s'", text));
  return Currency(negative ? static_cast<std::int64_t>(0 - magnitude)
                           : static_cast<std::int64_t>(magnitude));
}

std::string Currency::ToText(const FormatSettings& settings) const {
  const bool negative = scaled_ < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(scaled_) : static_cast<std::uint64_t>(scaled_);
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / kScale);
  const std::uint64_t fraction = magnitude % kScale;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction);
    digits.insert(0, 4 - digits.size(), '0');
    digits.erase(digits.find_last_not_of('0') + 1);
    text += settings.DecimalSeparator + digits;
  }
  return text;
}

Currency Currency::operator+(Currency other) const {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(scaled_, other.scaled_, &sum)) RaiseOutOfRange("The sum");
  return Currency(sum);
}

Currency Currency::operator-(Currency other) const {
  std::int64_t difference = 0;
  if (__builtin_sub_overflow(scaled_, other.scaled_, &difference)) {
    RaiseOutOfRange("The difference");
  }
  return Currency(difference);
}

Currency Currency::operator-() const {
  if (scaled_ == kMin) RaiseOutOfRange("The negated amount");
  return Currency(-scaled_);
}

}  // namespace qb
