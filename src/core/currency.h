// core/currency: exact money amounts as 64-bit integers scaled by 10 000, with exact text
// conversion and round half to even. Amounts only; money display forms live with the fields.
#pragma once
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/convert_error.h"
#include "core/format_settings.h"

namespace qb {

class Currency {
 public:
  static constexpr std::int64_t kScale = 10000;

  constexpr Currency() = default;
  // The amount SCALED / 10 000 (exact).
  static constexpr Currency FromScaled(std::int64_t scaled) { return Currency(scaled); }
  // The whole amount VALUE (exact). Raises EConvertError when out of range.
  static Currency FromInteger(std::int64_t value);
  // VALUE rounded half to even at the fourth decimal of its shortest decimal form (0.00005 is
  // a tie and gives 0). Raises EConvertError when VALUE is not finite or the amount is outside
  // the range of Currency (about +-9.22E14).
  static Currency FromDouble(double value);
  // Parses [blanks][sign]digits[separator digits][e|E [sign] digits][blanks] with
  // SETTINGS.DecimalSeparator; digits beyond the fourth decimal round half to even, exactly on
  // the decimal text. No currency symbol or thousands separators. Raises EConvertError naming
  // TEXT when it is not a number or is out of range.
  static Currency FromText(std::string_view text,
                           const FormatSettings& settings = CurrentFormatSettings());

  constexpr std::int64_t Scaled() const { return scaled_; }
  // The nearest double (exact below 2^53 / 10 000 in magnitude).
  double ToDouble() const { return static_cast<double>(scaled_) / kScale; }
  // Shortest exact decimal text with SETTINGS.DecimalSeparator: "12.5", "3", "-0.0001".
  std::string ToText(const FormatSettings& settings = CurrentFormatSettings()) const;

  // Raise EConvertError on overflow.
  Currency operator+(Currency other) const;
  Currency operator-(Currency other) const;
  Currency operator-() const;
  Currency& operator+=(Currency other) { return *this = *this + other; }
  Currency& operator-=(Currency other) { return *this = *this - other; }

  constexpr auto operator<=>(const Currency&) const = default;

 private:
  constexpr explicit Currency(std::int64_t scaled) : scaled_(scaled) {}
  std::int64_t scaled_ = 0;
};

}  // namespace qb
