// jet/sql/functions/fn_strings: string functions. Character positions are UTF-8 code points; case
// mapping and folding go through ICU's root locale.
#include "jet/sql/functions/fn_strings.h"

#include <unicode/uchar.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "core/number_text.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

// Byte offsets of each character's start, plus the text's size at the end.
std::vector<std::size_t> CharStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  int32_t i = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  while (i < length) {
    starts.push_back(static_cast<std::size_t>(i));
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    (void)c;
  }
  starts.push_back(text.size());
  return starts;
}

std::vector<UChar32> CodePoints(std::string_view text, bool fold) {
  std::vector<UChar32> out;
  int32_t i = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  while (i < length) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) c = 0xFFFD;
    out.push_back(fold ? u_foldCase(c, U_FOLD_CASE_DEFAULT) : c);
  }
  return out;
}

std::string EncodeUtf8(UChar32 c) {
  char buffer[4];
  int32_t n = 0;
  UBool error = false;
  U8_APPEND(reinterpret_cast<uint8_t*>(buffer), n, 4, c, error);
  if (error) return "\xEF\xBF\xBD";
  return std::string(buffer, static_cast<std::size_t>(n));
}

// A count or position argument: a whole number (rounded), 94 for Null, 5 when negative.
std::int64_t CountArg(const Variant& v) {
  std::int32_t n = ToLong(v);
  if (n < 0) RaiseInvalidProcedureCall();
  return n;
}

// Compare mode of InStr and StrComp: 0 binary, 1 text (default); 5 otherwise.
bool TextCompare(Args args, std::size_t index) {
  if (args.size() <= index) return true;
  std::int32_t mode = ToLong(args[index]);
  if (mode != 0 && mode != 1 && mode != 2) RaiseInvalidProcedureCall();
  return mode != 0;
}

std::string Substring(const std::string& text, std::int64_t first, std::int64_t count) {
  std::vector<std::size_t> starts = CharStarts(text);
  auto chars = static_cast<std::int64_t>(starts.size() - 1);
  if (first >= chars || count <= 0) return std::string();
  std::int64_t last = std::min(chars, first + count);
  return text.substr(starts[first], starts[last] - starts[first]);
}

}  // namespace

Variant FnLeft(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::int64_t n = CountArg(args[1]);
  return Variant(Substring(ToText(args[0]), 0, n));
}

Variant FnRight(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::int64_t n = CountArg(args[1]);
  std::string text = ToText(args[0]);
  auto chars = static_cast<std::int64_t>(CharStarts(text).size() - 1);
  return Variant(Substring(text, std::max<std::int64_t>(0, chars - n), n));
}

Variant FnMid(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::int64_t start = ToLong(args[1]);
  if (start < 1) RaiseInvalidProcedureCall();
  std::int64_t length = args.size() > 2 && !args[2].IsEmpty() ? CountArg(args[2]) : INT32_MAX;
  return Variant(Substring(ToText(args[0]), start - 1, length));
}

Variant FnLen(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  return IntegerResult(static_cast<std::int64_t>(CharStarts(ToText(args[0])).size() - 1));
}

Variant FnInStr(Args args) {
  std::int64_t start = 1;
  std::size_t at = 0;
  if (args.size() >= 3 || IsNumeric(args[0])) {
    if (args.size() < 3) RaiseTypeMismatch();
    if (args[0].IsNull()) RaiseInvalidUseOfNull();
    start = ToLong(args[0]);
    if (start < 1) RaiseInvalidProcedureCall();
    at = 1;
  }
  if (args[at].IsNull() || args[at + 1].IsNull()) return Variant::Null();
  bool text = TextCompare(args, at + 2);
  std::vector<UChar32> hay = CodePoints(ToText(args[at]), text);
  std::vector<UChar32> needle = CodePoints(ToText(args[at + 1]), text);
  if (start > static_cast<std::int64_t>(hay.size())) return Variant(0);
  if (needle.empty()) return IntegerResult(start);
  for (std::size_t i = static_cast<std::size_t>(start - 1); i + needle.size() <= hay.size(); ++i) {
    if (std::equal(needle.begin(), needle.end(), hay.begin() + static_cast<std::ptrdiff_t>(i))) {
      return IntegerResult(static_cast<std::int64_t>(i) + 1);
    }
  }
  return Variant(0);
}

Variant FnUCase(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::string out;
  icu::UnicodeString::fromUTF8(ToText(args[0])).toUpper(icu::Locale::getRoot()).toUTF8String(out);
  return Variant(out);
}

Variant FnLCase(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::string out;
  icu::UnicodeString::fromUTF8(ToText(args[0])).toLower(icu::Locale::getRoot()).toUTF8String(out);
  return Variant(out);
}

Variant FnTrim(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::string text = ToText(args[0]);
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return Variant("");
  return Variant(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

Variant FnLTrim(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::string text = ToText(args[0]);
  std::size_t first = text.find_first_not_of(' ');
  return Variant(first == std::string::npos ? std::string() : text.substr(first));
}

Variant FnRTrim(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::string text = ToText(args[0]);
  std::size_t last = text.find_last_not_of(' ');
  return Variant(last == std::string::npos ? std::string() : text.substr(0, last + 1));
}

// Longest text Space and String build: they must not exhaust memory on a typo.
constexpr std::int64_t kMaxBuiltText = 1 << 24;

Variant FnSpace(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  std::int64_t n = CountArg(args[0]);
  if (n > kMaxBuiltText) RaiseSqlError(err::kOutOfMemory, "Out of memory.");
  return Variant(std::string(static_cast<std::size_t>(n), ' '));
}

Variant FnString(Args args) {
  if (args[0].IsNull() || args[1].IsNull()) return Variant::Null();
  std::int64_t n = CountArg(args[0]);
  std::string unit;
  if (args[1].Type() == VarType::String) {
    std::string text = args[1].ToString();
    if (text.empty()) RaiseInvalidProcedureCall();
    unit = text.substr(0, CharStarts(text)[1]);
  } else {
    std::int32_t code = ToLong(args[1]);
    unit = EncodeUtf8(static_cast<UChar32>(((code % 256) + 256) % 256));
  }
  if (n * static_cast<std::int64_t>(unit.size()) > kMaxBuiltText) {
    RaiseSqlError(err::kOutOfMemory, "Out of memory.");
  }
  std::string out;
  out.reserve(static_cast<std::size_t>(n) * unit.size());
  for (std::int64_t i = 0; i < n; ++i) out += unit;
  return Variant(out);
}

Variant FnAsc(Args args) {
  if (args[0].IsNull()) RaiseInvalidUseOfNull();
  std::vector<UChar32> chars = CodePoints(ToText(args[0]), false);
  if (chars.empty()) RaiseInvalidProcedureCall();
  return IntegerResult(chars[0]);
}

Variant FnChr(Args args) {
  if (args[0].IsNull()) RaiseInvalidUseOfNull();
  std::int32_t code = ToLong(args[0]);
  if (code < 0 || code > 255) RaiseInvalidProcedureCall();
  return Variant(EncodeUtf8(code));
}

Variant FnStrComp(Args args) {
  if (args[0].IsNull() || args[1].IsNull()) return Variant::Null();
  bool text = TextCompare(args, 2);
  std::vector<UChar32> a = CodePoints(ToText(args[0]), text);
  std::vector<UChar32> b = CodePoints(ToText(args[1]), text);
  int result = a < b ? -1 : (b < a ? 1 : 0);
  return Variant(result);
}

Variant FnStr(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  double value = 0;
  if (args[0].Type() == VarType::Currency) {
    std::string text = args[0].ToCurrency().ToText(FormatSettings::Default());
    return Variant(text[0] == '-' ? text : " " + text);
  }
  value = ToNumber(args[0]);
  int digits = args[0].Type() == VarType::Single ? 7 : 15;
  std::string text = NumberText(value, digits);
  return Variant(value < 0 ? text : " " + text);
}

Variant FnVal(Args args) {
  if (args[0].IsNull()) RaiseInvalidUseOfNull();
  std::string text = ToText(args[0]);
  // Blanks (space, tab, line feed) are skipped everywhere, as VBA's Val does.
  std::string compact;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') compact += c;
  }
  if (compact.size() >= 2 && compact[0] == '&') {
    int radix = (compact[1] == 'H' || compact[1] == 'h') ? 16
                : (compact[1] == 'O' || compact[1] == 'o') ? 8 : 0;
    if (radix != 0) {
      std::uint64_t value = 0;
      std::size_t i = 2, digits = 0;
      for (; i < compact.size(); ++i) {
        char c = compact[i];
        int d = (c >= '0' && c <= '9') ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
        if (d >= radix || value > 0xFFFFFFFFu) break;
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
        ++digits;
      }
      if (value > 0xFFFFFFFFu) return Variant(static_cast<double>(value));
      if (radix == 16 ? digits <= 4 : value <= 0xFFFF) {
        return Variant(static_cast<double>(static_cast<std::int16_t>(value)));
      }
      return Variant(static_cast<double>(static_cast<std::int32_t>(value)));
    }
  }
  // [sign] digits [. digits] [E|D [sign] digits]
  std::string number;
  std::size_t i = 0;
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) number += compact[i++];
  bool any = false;
  while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) {
    number += compact[i++];
    any = true;
  }
  if (i < compact.size() && compact[i] == '.') {
    number += compact[i++];
    while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) {
      number += compact[i++];
      any = true;
    }
  }
  if (!any) return Variant(0.0);
  if (i < compact.size() && (compact[i] == 'e' || compact[i] == 'E' || compact[i] == 'd' ||
                             compact[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) exponent += compact[j++];
    bool digits = false;
    while (j < compact.size() && std::isdigit(static_cast<unsigned char>(compact[j]))) {
      exponent += compact[j++];
      digits = true;
    }
    if (digits) number += exponent;
  }
  if (number[0] == '+') number.erase(0, 1);
  const double value = TextToDouble(number).value_or(0.0);  // "." whatever the locale
  if (!std::isfinite(value)) RaiseOverflow();
  return Variant(value);
}

}  // namespace qb::jet::sql
