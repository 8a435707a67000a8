// jet/sql/functions/fn_format: the Format function. Numbers are rounded on their decimal digits (half
// away from zero, as Format does) so that binary noise never shows.
#include "jet/sql/functions/fn_format.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

#include "core/convert_error.h"
#include "core/date_serial.h"
#include "core/format_settings.h"
#include "jet/sql/functions/fn_dates.h"
#include "jet/sql/functions/fn_format_text.h"

namespace qb::jet::sql {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// |VALUE| rounded half away from zero to DECIMALS places, as integer and fraction digit strings.
// Raises 6 (overflow) for a value beyond the Double range (a percent of a huge number).
void RoundDecimal(double value, int decimals, std::string& int_digits, std::string& frac_digits) {
  if (!std::isfinite(value)) RaiseOverflow();
  char buffer[64];  // 15 significant digits, "d.dddddddddddddde+x" whatever the locale
  *std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value), std::chars_format::scientific, 14).ptr = '\0';
  std::string digits;
  digits += buffer[0];
  digits += std::string(buffer + 2, 14);
  int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
  // Place the digits: the decimal point comes after exponent + 1 of them.
  int point = exponent + 1;
  if (point < 0) {
    digits.insert(0, static_cast<std::size_t>(-point), '0');
    point = 0;
  }
  if (static_cast<int>(digits.size()) < point + decimals + 1) {
    digits.append(static_cast<std::size_t>(point + decimals + 1) - digits.size(), '0');
  }
  std::string kept = digits.substr(0, static_cast<std::size_t>(point + decimals));
  bool round_up = digits[static_cast<std::size_t>(point + decimals)] >= '5';
  if (round_up) {
    int i = static_cast<int>(kept.size()) - 1;
    for (; i >= 0; --i) {
      if (kept[static_cast<std::size_t>(i)] == '9') {
        kept[static_cast<std::size_t>(i)] = '0';
      } else {
        ++kept[static_cast<std::size_t>(i)];
        break;
      }
    }
    if (i < 0) {
      kept.insert(0, 1, '1');
      ++point;
    }
  }
  int_digits = kept.substr(0, static_cast<std::size_t>(point));
  frac_digits = kept.substr(static_cast<std::size_t>(point));
  std::size_t nonzero = int_digits.find_first_not_of('0');
  int_digits = nonzero == std::string::npos ? std::string() : int_digits.substr(nonzero);
}

// Splits PATTERN at ";" outside quotes and escapes.
std::vector<std::string> Sections(std::string_view pattern) {
  std::vector<std::string> sections(1);
  bool quoted = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '"') quoted = !quoted;
    if (c == '\\' && !quoted && i + 1 < pattern.size()) {
      sections.back() += c;
      sections.back() += pattern[++i];
      continue;
    }
    if (c == ';' && !quoted) {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

std::string Group(const std::string& digits, const std::string& separator) {
  std::string out;
  int count = 0;
  for (std::size_t i = digits.size(); i > 0; --i) {
    if (count > 0 && count % 3 == 0) out.insert(0, separator);
    out.insert(out.begin(), digits[i - 1]);
    ++count;
  }
  return out;
}

// One numeric section applied to |VALUE| (the sign is the caller's).
std::string FormatNumberSection(const std::string& section, double value,
                                const FormatSettings& settings) {
  // Survey the placeholders.
  int int_zeros = 0, int_places = 0, frac_zeros = 0, frac_places = 0, exp_zeros = 0;
  bool seen_point = false, grouping = false, percent = false, scientific = false;
  int scale_commas = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (quoted) { if (c == '"') quoted = false; continue; }
    if (c == '"') { quoted = true; continue; }
    if (c == '\\') { ++i; continue; }
    if (scientific) { if (c == '0' || c == '#') ++exp_zeros; continue; }
    if (c == '0' || c == '#') {
      if (seen_point) { ++frac_places; if (c == '0') ++frac_zeros; }
      else { ++int_places; if (c == '0') ++int_zeros; if (scale_commas) { grouping = true; scale_commas = 0; } }
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else if (c == ',' && !seen_point && int_places > 0) {
      ++scale_commas;
    } else if (c == '%') {
      percent = true;
    } else if ((c == 'E' || c == 'e') && i + 1 < section.size() &&
               (section[i + 1] == '+' || section[i + 1] == '-') && int_places + frac_places > 0) {
      scientific = true;
      ++i;
    }
  }
  if (int_places + frac_places == 0) {
    // No digit placeholder: the section is literal text.
    std::string out;
    for (std::size_t i = 0; i < section.size(); ++i) {
      if (section[i] == '"') continue;
      if (section[i] == '\\' && i + 1 < section.size()) ++i;
      out += section[i];
    }
    return out;
  }
  for (int i = 0; i < scale_commas; ++i) value /= 1000;
  if (percent) value *= 100;
  if (!std::isfinite(value)) RaiseOverflow();
  int exponent = 0;
  if (scientific && value != 0) {
    exponent = static_cast<int>(std::floor(std::log10(value))) - (std::max(int_places, 1) - 1);
    value /= std::pow(10.0, exponent);
    std::string i_d, f_d;
    RoundDecimal(value, frac_places, i_d, f_d);
    if (static_cast<int>(i_d.size()) > std::max(int_places, 1)) {
      ++exponent;
      value /= 10;
    }
  }
  std::string int_digits, frac_digits;
  RoundDecimal(value, frac_places, int_digits, frac_digits);
  if (static_cast<int>(int_digits.size()) < int_zeros) {
    int_digits.insert(0, static_cast<std::size_t>(int_zeros) - int_digits.size(), '0');
  }
  while (static_cast<int>(frac_digits.size()) > frac_zeros && !frac_digits.empty() &&
         frac_digits.back() == '0') {
    frac_digits.pop_back();
  }
  if (grouping) int_digits = Group(int_digits, settings.ThousandSeparator);

  std::string out;
  bool int_done = false, in_fraction = false, exp_done = false;
  std::size_t frac_index = 0;
  quoted = false;
  for (std::size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (quoted) { if (c == '"') quoted = false; else out += c; continue; }
    if (c == '"') { quoted = true; continue; }
    if (c == '\\') { if (i + 1 < section.size()) out += section[++i]; continue; }
    if ((c == '0' || c == '#') && !exp_done) {
      if (!in_fraction) {
        if (!int_done) out += int_digits;
        int_done = true;
      } else if (frac_index < frac_digits.size()) {
        out += frac_digits[frac_index++];
      }
      continue;
    }
    if (c == '.' && !in_fraction && !exp_done) {
      if (!int_done) { out += int_digits; int_done = true; }
      in_fraction = true;
      if (!frac_digits.empty()) out += settings.DecimalSeparator;
      continue;
    }
    if (c == ',' && !in_fraction) continue;  // grouping or scaling, already applied
    if (scientific && !exp_done && (c == 'E' || c == 'e') && i + 1 < section.size() &&
        (section[i + 1] == '+' || section[i + 1] == '-')) {
      char sign = section[++i];
      out += c;
      if (exponent < 0) out += '-';
      else if (sign == '+') out += '+';
      std::string digits = std::to_string(std::abs(exponent));
      if (static_cast<int>(digits.size()) < exp_zeros) {
        digits.insert(0, static_cast<std::size_t>(exp_zeros) - digits.size(), '0');
      }
      out += digits;
      exp_done = true;
      while (i + 1 < section.size() && (section[i + 1] == '0' || section[i + 1] == '#')) ++i;
      continue;
    }
    out += c;
  }
  return out;
}

bool IsZeroAfterRounding(const std::string& section, double value) {
  std::size_t point = section.find('.');
  int decimals = 0;
  if (point != std::string::npos) {
    for (std::size_t i = point + 1; i < section.size() && (section[i] == '0' || section[i] == '#');
         ++i) {
      ++decimals;
    }
  }
  std::string i_d, f_d;
  RoundDecimal(value, decimals, i_d, f_d);
  return i_d.empty() && f_d.find_first_not_of('0') == std::string::npos;
}

std::string FormatNumber(double value, std::string_view pattern, const FormatSettings& settings) {
  std::vector<std::string> sections = Sections(pattern);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
    return FormatNumberSection(sections[2], 0, settings);
  }
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
    return FormatNumberSection(sections[1], -value, settings);
  }
  std::string text = FormatNumberSection(sections[0], std::fabs(value), settings);
  if (value < 0 && !IsZeroAfterRounding(sections[0], std::fabs(value))) text = "-" + text;
  return text;
}

// True when PATTERN holds date or time letters and no digit placeholders.
bool IsDatePattern(std::string_view pattern) {
  bool quoted = false, date = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
    if (quoted) { if (c == '"') quoted = false; continue; }
    if (c == '"') { quoted = true; continue; }
    if (c == '\\') { ++i; continue; }
    if (c == '0' || c == '#') return false;
    if (std::string_view("dmyhnswqc").find(c) != std::string_view::npos) date = true;
  }
  return date;
}

// The date pattern with the letters core does not know (w ww q y) replaced by their values as
// quoted literals, and \c escapes turned into quoted literals.
std::string ExpandDateLetters(std::string_view pattern, double serial, int fdow, int fwoy) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '"' || c == '\'') {
      std::size_t end = pattern.find(c, i + 1);
      if (end == std::string_view::npos) end = pattern.size() - 1;
      out += pattern.substr(i, end - i + 1);
      if (end == pattern.size() - 1 && pattern.back() != c) out += c;
      i = end + 1;
      continue;
    }
    if (c == '\\') {
      if (i + 1 < pattern.size()) out += "\"" + std::string(1, pattern[i + 1]) + "\"";
      i += 2;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() &&
           std::tolower(static_cast<unsigned char>(pattern[i + run])) == lower) {
      ++run;
    }
    auto part = [&](const char* interval) {
      Variant args[4] = {Variant(interval), Variant::FromDate(serial), Variant(fdow), Variant(fwoy)};
      return "\"" + FnDatePart(Args(args, 4)).ToString() + "\"";
    };
    if (lower == 'w' && run <= 2) {
      out += part(run == 1 ? "w" : "ww");
    } else if (lower == 'q' && run == 1) {
      out += part("q");
    } else if (lower == 'y' && (run == 1 || run == 3)) {
      out += part("y");  // "yyy" reads as y after yy in VBA; taken as day of year here
    } else {
      out += pattern.substr(i, run);
    }
    i += run;
  }
  return out;
}

std::string FormatDate(double serial, std::string_view pattern, int fdow, int fwoy,
                       const FormatSettings& settings) {
  try {
    return FormatDateTime(ExpandDateLetters(pattern, serial, fdow, fwoy), serial, settings);
  } catch (const EConvertError&) {
    RaiseInvalidProcedureCall();
  }
}

std::string CurrencyText(double value, const FormatSettings& settings) {
  std::string decimals(static_cast<std::size_t>(std::max(0, settings.CurrencyDecimals)), '0');
  std::string number = FormatNumber(std::fabs(value), "#,##0" + (decimals.empty() ? "" : "." + decimals), settings);
  // Placement of the symbol as the settings say (see FormatSettings).
  static const char* const kPositive[] = {"$1", "1$", "$ 1", "1 $"};
  static const char* const kNegative[] = {"($1)", "-$1", "$-1", "$1-", "(1$)", "-1$", "1-$", "1$-",
                                          "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)",
                                          "(1 $)"};
  std::string layout = value < 0 ? kNegative[std::clamp(settings.NegCurrFormat, 0, 15)]
                                 : kPositive[std::clamp(settings.CurrencyFormat, 0, 3)];
  std::string out;
  for (char c : layout) {
    if (c == '$') out += settings.CurrencyString;
    else if (c == '1') out += number;
    else out += c;
  }
  return out;
}

}  // namespace

Variant FormatValue(const Variant& value, std::string_view format, int fdow, int fwoy) {
  const FormatSettings& settings = CurrentFormatSettings();
  std::string name = Lower(format);
  if (IsTextFormat(format)) return FormatText(value, format);
  if (value.IsNull()) {
    std::vector<std::string> sections = Sections(format);
    if (sections.size() >= 4) return Variant(FormatNumberSection(sections[3], 0, settings));
    return Variant::Null();
  }
  if (value.IsEmpty() && format.empty()) return Variant("");
  if (format.empty()) {
    if (value.Type() == VarType::Double) return Variant(NumberText(value.ToDouble()));
    if (value.Type() == VarType::Single) return Variant(NumberText(value.ToDouble(), 7));
    return Variant(ToText(value));
  }
  bool is_date = value.Type() == VarType::Date;
  bool is_text = value.Type() == VarType::String;
  auto serial = [&] { return ToSerial(value); };
  auto number = [&] { return ToNumber(value); };

  if (name == "general date") {
    try {
      return Variant(DateTimeToText(serial(), settings));
    } catch (const EConvertError&) {
      RaiseInvalidProcedureCall();
    }
  }
  if (name == "long date") return Variant(FormatDate(serial(), settings.LongDateFormat, fdow, fwoy, settings));
  if (name == "medium date") return Variant(FormatDate(serial(), "dd-mmm-yy", fdow, fwoy, settings));
  if (name == "short date") return Variant(FormatDate(serial(), settings.ShortDateFormat, fdow, fwoy, settings));
  if (name == "long time") return Variant(FormatDate(serial(), settings.LongTimeFormat, fdow, fwoy, settings));
  if (name == "medium time") return Variant(FormatDate(serial(), "hh:nn AMPM", fdow, fwoy, settings));
  if (name == "short time") return Variant(FormatDate(serial(), "hh:nn", fdow, fwoy, settings));
  if (name == "general number") return Variant(NumberText(number()));
  if (name == "currency") return Variant(CurrencyText(number(), settings));
  if (name == "fixed") return Variant(FormatNumber(number(), "0.00", settings));
  if (name == "standard") return Variant(FormatNumber(number(), "#,##0.00", settings));
  if (name == "percent") return Variant(FormatNumber(number(), "0.00%", settings));
  if (name == "scientific") return Variant(FormatNumber(number(), "0.00E+00", settings));
  if (name == "yes/no") return Variant(number() != 0 ? "Yes" : "No");
  if (name == "true/false") return Variant(number() != 0 ? "True" : "False");
  if (name == "on/off") return Variant(number() != 0 ? "On" : "Off");

  if (IsDatePattern(format)) return Variant(FormatDate(serial(), format, fdow, fwoy, settings));
  if (is_text) {
    // Text that is not a number is shown as it is; numeric text takes the number pattern.
    try {
      (void)value.ToDouble();
    } catch (const EVariantError&) {
      return value;
    }
  }
  (void)is_date;
  return Variant(FormatNumber(number(), format, settings));
}

Variant FnFormat(Args args) {
  std::string format = args.size() > 1 && !args[1].IsNull() ? ToText(args[1]) : std::string();
  int fdow = 1, fwoy = 1;
  if (args.size() > 2 && !args[2].IsNull()) fdow = ToLong(args[2]);
  if (args.size() > 3 && !args[3].IsNull()) fwoy = ToLong(args[3]);
  if (fdow == 0) fdow = 1;
  if (fwoy == 0) fwoy = 1;
  if (fdow < 1 || fdow > 7 || fwoy < 1 || fwoy > 3) RaiseInvalidProcedureCall();
  return FormatValue(args[0], format, fdow, fwoy);
}

}  // namespace qb::jet::sql
