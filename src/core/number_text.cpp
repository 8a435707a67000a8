// core/number_text: locale-free number text through std::to_chars / std::from_chars.
#include "core/number_text.h"

#include <cctype>
#include <charconv>
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

std::optional<std::int64_t> TextToInt64(std::string_view text) {
  const std::optional<std::string_view> plain = WithoutPlus(Trim(text));
  if (!plain || plain->empty()) return std::nullopt;
  std::int64_t value = 0;
  const auto result = std::from_chars(plain->data(), plain->data() + plain->size(), value);
  if (result.ec != std::errc() || result.ptr != plain->data() + plain->size()) return std::nullopt;
  return value;
}

}  // namespace qb
