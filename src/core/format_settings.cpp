// core/format_settings: reads the user's conventions through a private locale object
// (newlocale / nl_langinfo_l), so the process locale is never touched.
#include "core/format_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <climits>
#include <cstring>
#include <string_view>

namespace qb {
namespace {

const FormatSettings* g_override = nullptr;  // innermost ScopedFormatSettings, if any

bool IsPlainCLocale(std::string_view name) {
  return name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.");
}

std::string Item(nl_item item, locale_t loc) {
  const char* text = nl_langinfo_l(item, loc);
  return text ? std::string(text) : std::string();
}

// First byte of a numeric monetary item; -1 when the locale leaves it unset (CHAR_MAX).
int CharItem(nl_item item, locale_t loc) {
  const char* text = nl_langinfo_l(item, loc);
  if (!text || static_cast<unsigned char>(text[0]) == CHAR_MAX) return -1;
  return static_cast<signed char>(text[0]);
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra;
    if (c < 0x80) {
      extra = 0;
    } else if ((c >> 5) == 0x6) {
      extra = 1;
    } else if ((c >> 4) == 0xE) {
      extra = 2;
    } else if ((c >> 3) == 0x1E) {
      extra = 3;
    } else {
      return false;
    }
    if (extra > text.size() - i - 1) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// Translates a strftime date or time format into a pattern of our letters. The first literal
// character between two fields becomes the date (or time) separator and is written as "/"
// (or ":"), so that a changed separator shows through.
std::string PatternFromStrftime(std::string_view fmt, bool time, std::string* separator) {
  std::string out;
  bool have_field = false;
  for (size_t i = 0; i < fmt.size(); ++i) {
    const char c = fmt[i];
    if (c != '%') {
      const bool is_letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      if (is_letter) {
        out += '"';
        out += c;
        out += '"';
      } else if (have_field && c != ' ' && separator->empty()) {
        *separator = std::string(1, c);
        out += time ? ':' : '/';
      } else if (have_field && !separator->empty() && std::string(1, c) == *separator) {
        out += time ? ':' : '/';
      } else {
        out += c;
      }
      continue;
    }
    if (++i >= fmt.size()) break;
    char d = fmt[i];
    while ((d == 'E' || d == 'O' || d == '-' || d == '_' || d == '0' || d == '^' || d == '#') &&
           i + 1 < fmt.size()) {
      d = fmt[++i];  // modifiers and glibc flags: the field itself follows
    }
    have_field = true;
    switch (d) {
      case 'd': out += "dd"; break;
      case 'e': out += "d"; break;
      case 'm': out += "mm"; break;
      case 'Y': out += "yyyy"; break;
      case 'y': out += "yy"; break;
      case 'b': case 'h': out += "mmm"; break;
      case 'B': out += "mmmm"; break;
      case 'a': out += "ddd"; break;
      case 'A': out += "dddd"; break;
      case 'H': out += "hh"; break;
      case 'k': out += "h"; break;
      case 'I': out += "hh"; break;  // 12-hour: the pattern carries AMPM from %p
      case 'l': out += "h"; break;
      case 'M': out += "nn"; break;
      case 'S': out += "ss"; break;
      case 'p': case 'P': out += "AMPM"; break;
      case 'D':
        out += "mm/dd/yy";
        if (separator->empty()) *separator = "/";
        break;
      case 'F':
        out += "yyyy/mm/dd";
        if (separator->empty()) *separator = "-";
        break;
      case 'T':
        out += "hh:nn:ss";
        if (separator->empty()) *separator = ":";
        break;
      case 'R':
        out += "hh:nn";
        if (separator->empty()) *separator = ":";
        break;
      case 'r':
        out += "hh:nn:ss AMPM";
        if (separator->empty()) *separator = ":";
        break;
      case 'n': case 't': out += ' '; break;
      case '%': out += '%'; break;
      default: break;  // time zone, week numbers, era: no counterpart, left out
    }
  }
  return out;
}

// The long time format without its seconds field: "h:nn:ss AMPM" -> "h:nn AMPM".
std::string WithoutSeconds(const std::string& pattern) {
  std::string out = pattern;
  for (const char* field : {":ss", ":s"}) {
    const size_t at = out.find(field);
    if (at != std::string::npos) return out.erase(at, std::strlen(field));
  }
  return out;
}

int NegativeCurrencyFormat(bool precedes, bool space, int sign_position) {
  static const int kTable[2][2][5] = {
      // [precedes][space][sign position 0..4]
      {{4, 5, 7, 6, 7}, {15, 8, 10, 13, 10}},
      {{0, 1, 3, 1, 2}, {14, 9, 11, 9, 12}},
  };
  if (sign_position < 0 || sign_position > 4) sign_position = 1;
  return kTable[precedes ? 1 : 0][space ? 1 : 0][sign_position];
}

void ReadNumeric(locale_t loc, FormatSettings& s) {
  const std::string radix = Item(RADIXCHAR, loc);
  if (!radix.empty() && IsValidUtf8(radix)) s.DecimalSeparator = radix;
  const std::string thousands = Item(THOUSEP, loc);
  if (IsValidUtf8(thousands)) s.ThousandSeparator = thousands;
}

void ReadMonetary(locale_t loc, FormatSettings& s) {
  const std::string symbol = Item(__CURRENCY_SYMBOL, loc);
  if (IsValidUtf8(symbol)) s.CurrencyString = symbol;
  const int frac = CharItem(__FRAC_DIGITS, loc);
  if (frac >= 0 && frac <= 4) s.CurrencyDecimals = frac;
  const int p_precedes = CharItem(__P_CS_PRECEDES, loc);
  const int p_space = CharItem(__P_SEP_BY_SPACE, loc);
  const int n_precedes = CharItem(__N_CS_PRECEDES, loc);
  const int n_space = CharItem(__N_SEP_BY_SPACE, loc);
  const int n_sign = CharItem(__N_SIGN_POSN, loc);
  s.CurrencyFormat = (p_precedes == 0 ? 1 : 0) + (p_space > 0 ? 2 : 0);
  s.NegCurrFormat = NegativeCurrencyFormat(n_precedes != 0, n_space > 0, n_sign);
}

void ReadTime(locale_t loc, FormatSettings& s) {
  const std::string date_fmt = Item(D_FMT, loc);
  const std::string time_fmt = Item(T_FMT, loc);
  if (!IsValidUtf8(date_fmt) || !IsValidUtf8(time_fmt) || date_fmt.empty() || time_fmt.empty()) {
    return;
  }
  std::string date_sep, time_sep;
  s.ShortDateFormat = PatternFromStrftime(date_fmt, false, &date_sep);
  s.LongTimeFormat = PatternFromStrftime(time_fmt, true, &time_sep);
  s.ShortTimeFormat = WithoutSeconds(s.LongTimeFormat);
  s.DateSeparator = date_sep.empty() ? "/" : date_sep;
  s.TimeSeparator = time_sep.empty() ? ":" : time_sep;
  // The locale names no long date form; build one in the order of the short form.
  const size_t day_at = s.ShortDateFormat.find('d');
  const size_t month_at = s.ShortDateFormat.find('m');
  const size_t year_at = s.ShortDateFormat.find('y');
  if (year_at < day_at && year_at < month_at) {
    s.LongDateFormat = "yyyy mmmm d, dddd";
  } else if (day_at < month_at) {
    s.LongDateFormat = "dddd d mmmm yyyy";
  } else {
    s.LongDateFormat = "dddd, mmmm d, yyyy";
  }
  const std::string am = Item(AM_STR, loc);
  const std::string pm = Item(PM_STR, loc);
  if (!am.empty() && !pm.empty() && IsValidUtf8(am) && IsValidUtf8(pm)) {
    s.TimeAMString = am;
    s.TimePMString = pm;
  }
  for (int i = 0; i < 12; ++i) {
    const std::string abbreviated = Item(ABMON_1 + i, loc);
    const std::string full = Item(MON_1 + i, loc);
    if (IsValidUtf8(abbreviated) && !abbreviated.empty()) s.ShortMonthNames[i] = abbreviated;
    if (IsValidUtf8(full) && !full.empty()) s.LongMonthNames[i] = full;
  }
  for (int i = 0; i < 7; ++i) {
    const std::string abbreviated = Item(ABDAY_1 + i, loc);
    const std::string full = Item(DAY_1 + i, loc);
    if (IsValidUtf8(abbreviated) && !abbreviated.empty()) s.ShortDayNames[i] = abbreviated;
    if (IsValidUtf8(full) && !full.empty()) s.LongDayNames[i] = full;
  }
}

}  // namespace

FormatSettings FormatSettings::FromLocale(const char* locale_name) {
  FormatSettings settings;
  locale_t loc = newlocale(LC_ALL_MASK, locale_name ? locale_name : "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) {
    // Some category names an uninstalled locale: take what can be had category by category.
    loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return settings;
    for (int mask : {LC_NUMERIC_MASK, LC_MONETARY_MASK, LC_TIME_MASK}) {
      locale_t next = newlocale(mask, locale_name ? locale_name : "", loc);
      if (next != static_cast<locale_t>(0)) loc = next;
    }
  }
  if (!IsPlainCLocale(Item(_NL_LOCALE_NAME(LC_NUMERIC), loc))) ReadNumeric(loc, settings);
  if (!IsPlainCLocale(Item(_NL_LOCALE_NAME(LC_MONETARY), loc))) ReadMonetary(loc, settings);
  if (!IsPlainCLocale(Item(_NL_LOCALE_NAME(LC_TIME), loc))) ReadTime(loc, settings);
  freelocale(loc);
  return settings;
}

const FormatSettings& CurrentFormatSettings() {
  if (g_override) return *g_override;
  static const FormatSettings user = FormatSettings::FromLocale("");
  return user;
}

ScopedFormatSettings::ScopedFormatSettings(FormatSettings settings)
    : settings_(std::move(settings)), previous_(g_override) {
  g_override = &settings_;
}

ScopedFormatSettings::~ScopedFormatSettings() { g_override = previous_; }

}  // namespace qb
