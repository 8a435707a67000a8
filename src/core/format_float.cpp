// core/format_float: picture formatting of numbers. A value becomes a decimal digit string
// with an exponent first (15 significant digits for a double, every digit for a currency),
// so rounding happens once, on decimal digits, half away from zero.
#include "core/format_float.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/format.h"

namespace qb {

namespace {

// VALUE = 0.DIGITS x 10^EXP; DIGITS has no leading or trailing zeros; empty: zero.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exp = 0;
  bool IsZero() const { return digits.empty(); }
};

void Normalize(Decimal& d) {
  size_t lead = d.digits.find_first_not_of('0');
  if (lead == std::string::npos) {
    d.digits.clear();
    d.exp = 0;
    return;
  }
  d.digits.erase(0, lead);
  d.exp -= static_cast<int>(lead);
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
}

Decimal FromDouble(double value) {
  Decimal d;
  d.negative = std::signbit(value) && value != 0;
  if (value == 0) return d;
  char text[40];
  std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
  std::string s(text);  // "d.dddddddddddddde+XX"
  size_t e = s.find('e');
  d.digits = s.substr(0, 1) + s.substr(2, e - 2);
  d.exp = std::stoi(s.substr(e + 1)) + 1;
  Normalize(d);
  return d;
}

// VALUE x 10^-SCALE.
Decimal FromScaled(std::int64_t value, int scale) {
  Decimal d;
  d.negative = value < 0;
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value);
  d.digits = std::to_string(magnitude);
  d.exp = static_cast<int>(d.digits.size()) - scale;
  Normalize(d);
  return d;
}

Decimal FromCurrency(Currency value) { return FromScaled(value.Scaled(), 4); }

// Keeps KEEP leading digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
  if (d.IsZero() || keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.exp = 0;
    return;
  }
  bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    int i = keep - 1;
    for (; i >= 0; --i) {
      char& c = d.digits[static_cast<size_t>(i)];
      if (c == '9') {
        c = '0';
      } else {
        ++c;
        break;
      }
    }
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exp;
    }
  }
  Normalize(d);
}

// What one section of a pattern asks for.
struct Picture {
  std::string text;       // the section
  int int_places = 0;     // 0 and # before the decimal point
  int min_int = 0;        // placeholders from the first 0 before the point
  int frac_places = 0;    // 0 and # after the point
  int min_frac = 0;       // up to the last 0 after the point
  bool grouped = false;
  bool point = false;
  bool scientific = false;
};

Picture Parse(std::string_view section) {
  Picture p;
  p.text = section;
  char quote = 0;
  int first_zero = -1;
  for (size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == 'E' || c == 'e') && i + 1 < section.size() &&
               (section[i + 1] == '+' || section[i + 1] == '-')) {
      p.scientific = true;
      break;  // the exponent's digits are not mantissa placeholders
    } else if (c == '0' || c == '#') {
      if (p.point) {
        ++p.frac_places;
        if (c == '0') p.min_frac = p.frac_places;
      } else {
        if (c == '0' && first_zero < 0) first_zero = p.int_places;
        ++p.int_places;
      }
    } else if (c == '.') {
      p.point = true;
    } else if (c == ',' && !p.point) {
      p.grouped = true;
    }
  }
  if (first_zero >= 0) p.min_int = p.int_places - first_zero;
  return p;
}

std::vector<std::string_view> Sections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  char quote = 0;
  size_t start = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';' && sections.size() < 2) {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(pattern.substr(start));
  return sections;
}

// The rounded value as the section will write it.
Decimal RoundFor(const Picture& p, Decimal d) {
  if (p.scientific)
    RoundDigits(d, std::max(1, p.int_places) + p.frac_places);
  else
    RoundDigits(d, d.exp + p.frac_places);
  return d;
}

char DigitAt(const Decimal& d, int index) {
  return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(index)] : '0';
}

std::string Render(const Picture& p, const Decimal& d, bool minus, const FormatSettings& settings) {
  std::string int_digits;
  std::string frac_digits;
  int exponent = 0;
  if (p.scientific) {
    int lead = std::max(1, p.int_places);
    exponent = d.IsZero() ? 0 : d.exp - lead;
    for (int i = 0; i < lead; ++i) int_digits += DigitAt(d, i);
    for (int i = 0; i < p.frac_places; ++i) frac_digits += DigitAt(d, lead + i);
  } else {
    for (int i = 0; i < d.exp; ++i) int_digits += DigitAt(d, i);
    for (int i = 0; i < p.frac_places; ++i) frac_digits += DigitAt(d, d.exp + i);
    if (static_cast<int>(int_digits.size()) < p.min_int)
      int_digits.insert(0, static_cast<size_t>(p.min_int) - int_digits.size(), '0');
  }
  while (static_cast<int>(frac_digits.size()) > p.min_frac && frac_digits.back() == '0')
    frac_digits.pop_back();

  std::string out = minus ? "-" : "";
  const int len = static_cast<int>(int_digits.size());
  auto put_int_digit = [&](int i) {
    out += int_digits[static_cast<size_t>(i)];
    int remaining = len - 1 - i;
    if (p.grouped && !p.scientific && remaining > 0 && remaining % 3 == 0)
      out += settings.ThousandSeparator;
  };
  int int_seen = 0;
  int frac_seen = 0;
  bool in_fraction = false;
  // A pattern without integer placeholders still shows the integer digits, once.
  bool ints_written = p.int_places > 0;
  auto flush_ints = [&] {
    if (ints_written) return;
    ints_written = true;
    for (int i = 0; i < len; ++i) put_int_digit(i);
  };
  char quote = 0;
  const std::string& text = p.text;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        out += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == 'E' || c == 'e') && i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-') &&
               p.scientific) {
      flush_ints();
      bool always_sign = text[i + 1] == '+';
      out += c;
      if (exponent < 0)
        out += '-';
      else if (always_sign)
        out += '+';
      i += 2;
      int min_digits = 0;
      while (i < text.size() && text[i] == '0') {
        ++min_digits;
        ++i;
      }
      std::string exp_text = std::to_string(exponent < 0 ? -exponent : exponent);
      if (static_cast<int>(exp_text.size()) < min_digits)
        exp_text.insert(0, static_cast<size_t>(min_digits) - exp_text.size(), '0');
      out += exp_text;
      --i;
      // Placeholders after the exponent write nothing; other characters stay literal.
      in_fraction = true;
      frac_seen = p.frac_places;
    } else if ((c == '0' || c == '#') && !in_fraction) {
      // Placeholder INT_SEEN of INT_PLACES; the first one takes any surplus digits.
      int index = len - (p.int_places - int_seen);
      if (int_seen == 0)
        for (int k = 0; k <= index && k < len; ++k) put_int_digit(k);
      else if (index >= 0)
        put_int_digit(index);
      ++int_seen;
    } else if ((c == '0' || c == '#') && in_fraction) {
      if (frac_seen < static_cast<int>(frac_digits.size())) out += frac_digits[static_cast<size_t>(frac_seen)];
      ++frac_seen;
    } else if (c == '.' && !in_fraction) {
      flush_ints();
      in_fraction = true;
      if (!frac_digits.empty()) out += settings.DecimalSeparator;
    } else if (c == ',' && !in_fraction) {
      // grouping is already decided
    } else {
      out += c;
    }
  }
  flush_ints();
  return out;
}

std::string FormatDecimal(std::string_view pattern, const Decimal& value, const FormatSettings& settings) {
  std::vector<std::string_view> sections = Sections(pattern);
  auto section = [&](size_t i) -> std::string_view {
    return i < sections.size() && !sections[i].empty() ? sections[i] : sections[0];
  };
  bool has_zero_section = sections.size() > 2 && !sections[2].empty();
  if (value.IsZero()) {
    Picture p = Parse(section(2));
    return Render(p, value, false, settings);
  }
  bool own_negative = value.negative && sections.size() > 1 && !sections[1].empty();
  Picture p = Parse(value.negative ? section(1) : section(0));
  Decimal rounded = RoundFor(p, value);
  if (rounded.IsZero()) {
    // Rounds to zero: written as zero, without a sign.
    Picture zero = Parse(has_zero_section ? sections[2] : sections[0]);
    return Render(zero, Decimal{}, false, settings);
  }
  return Render(p, rounded, value.negative && !own_negative, settings);
}

}  // namespace

std::string FormatFloat(std::string_view pattern, double value, const FormatSettings& settings) {
  if (pattern.empty() || !std::isfinite(value)) return FloatToText(value, 15, settings);
  return FormatDecimal(pattern, FromDouble(value), settings);
}

std::string FormatCurr(std::string_view pattern, Currency value, const FormatSettings& settings) {
  if (pattern.empty()) return value.ToText(settings);
  return FormatDecimal(pattern, FromCurrency(value), settings);
}

std::string FormatInteger(std::string_view pattern, std::int64_t value, const FormatSettings& settings) {
  if (pattern.empty()) return std::to_string(value);
  return FormatDecimal(pattern, FromScaled(value, 0), settings);
}

std::string MoneyText(Currency value, int digits, const FormatSettings& settings) {
  digits = std::clamp(digits, 0, 15);
  std::string pattern = "#,##0";
  if (digits > 0) pattern += "." + std::string(static_cast<size_t>(digits), '0');
  Decimal d = FromCurrency(value);
  bool negative = d.negative;
  d.negative = false;
  Decimal rounded = d;
  RoundDigits(rounded, rounded.exp + digits);
  if (rounded.IsZero()) negative = false;  // rounds to zero: no sign
  std::string number = FormatDecimal(pattern, d, settings);
  const std::string& sym = settings.CurrencyString;
  if (!negative) {
    switch (settings.CurrencyFormat) {
      case 1: return number + sym;
      case 2: return sym + " " + number;
      case 3: return number + " " + sym;
      default: return sym + number;
    }
  }
  switch (settings.NegCurrFormat) {
    case 1: return "-" + sym + number;
    case 2: return sym + "-" + number;
    case 3: return sym + number + "-";
    case 4: return "(" + number + sym + ")";
    case 5: return "-" + number + sym;
    case 6: return number + "-" + sym;
    case 7: return number + sym + "-";
    case 8: return "-" + number + " " + sym;
    case 9: return "-" + sym + " " + number;
    case 10: return number + " " + sym + "-";
    case 11: return sym + " " + number + "-";
    case 12: return sym + " -" + number;
    case 13: return number + "- " + sym;
    case 14: return "(" + sym + " " + number + ")";
    case 15: return "(" + number + " " + sym + ")";
    default: return "(" + sym + number + ")";
  }
}

}  // namespace qb
