// core/number_text: locale-free number text through std::to_chars / std::from_chars.
#include "core/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <system_error>

namespace qb {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// TEXT without one leading "+" (from_chars takes "-" only); nullopt for "+" before another sign.
std::optional<std::string_view> WithoutPlus(std::string_view text) {
  if (text.empty() || text.front() != '+') return text;
  text.remove_prefix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt;
  return text;
}

}  // namespace

std::string DoubleToText(double value, int precision, bool upper) {
  if (precision < 1) precision = 1;
  if (precision > 17) precision = 17;
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  std::string text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  if (upper) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return text;
}

std::optional<double> TextToDouble(std::string_view text) {
  const std::optional<std::string_view> plain = WithoutPlus(Trim(text));
  if (!plain || plain->empty()) return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(plain->data(), plain->data() + plain->size(), value);
  if (result.ec != std::errc() || result.ptr != plain->data() + plain->size()) return std::nullopt;
  return value;
}

std::optional<double> RegionalTextToDouble(std::string_view text, std::string_view separator, bool dot_too,
                                           bool saturate) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string plain;  // the number as from_chars reads it
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    if (text[pos] == '-') plain += '-';
    ++pos;
  }
  bool any_digit = false;
  auto digits = [&] {
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      plain += text[pos++];
      any_digit = true;
    }
  };
  digits();
  if (dot_too && pos < text.size() && text[pos] == '.') {
    ++pos;
    plain += '.';
    digits();
  } else if (!separator.empty() && text.substr(pos, separator.size()) == separator) {
    pos += separator.size();
    plain += '.';
    digits();
  }
  if (!any_digit) return std::nullopt;
  bool tiny = false;  // a negative exponent: out of range means too small, not too large
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    plain += 'e';
    ++pos;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
      tiny = text[pos] == '-';
      plain += text[pos++];
    }
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return std::nullopt;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') plain += text[pos++];
  }
  if (pos != text.size()) return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (result.ptr != plain.data() + plain.size()) return std::nullopt;
  if (result.ec == std::errc::result_out_of_range && saturate) {
    if (tiny) return 0.0;
    return plain[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  if (result.ec != std::errc()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> TextToInt64(std::string_view text) {
  const std::optional<std::string_view> plain = WithoutPlus(Trim(text));
  if (!plain || plain->empty()) return std::nullopt;
  std::int64_t value = 0;
  const auto result = std::from_chars(plain->data(), plain->data() + plain->size(), value);
  if (result.ec != std::errc() || result.ptr != plain->data() + plain->size()) return std::nullopt;
  return value;
}

}  // namespace qb
