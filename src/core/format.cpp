// core/format: the directive parser and the number renderers behind Format and FloatToText.
// Numbers go through std::to_chars, so the process locale never changes the output.
#include "core/format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace qb {
namespace {

// Widths and precisions beyond this are refused rather than allocated.
constexpr std::int64_t kMaxWidth = 1 << 20;

size_t CharCount(std::string_view text) {
  size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// Bytes taken by the first MAX_CHARS UTF-8 characters of TEXT.
size_t PrefixBytes(std::string_view text, size_t max_chars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == max_chars) return i;
      ++chars;
    }
  }
  return text.size();
}

void ReplacePoint(std::string& text, const std::string& separator) {
  const size_t at = text.find('.');
  if (at != std::string::npos) text.replace(at, 1, separator);
}

std::string NonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

// Significant digits (PRECISION of them, rounded) and decimal exponent of |VALUE| != 0.
void Scientific(double value, int precision, std::string* digits, int* exponent) {
  char buffer[128];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, precision - 1);
  const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  const size_t e = text.find('e');
  digits->clear();
  for (char c : text.substr(0, e)) {
    if (c != '.') *digits += c;
  }
  *exponent = std::stoi(std::string(text.substr(e + 1)));
}

std::string FixedText(double value, int precision, const FormatSettings& settings) {
  if (!std::isfinite(value)) return NonFinite(value);
  std::string text(512, '\0');
  for (;;) {
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, precision);
    if (result.ec == std::errc()) {
      text.resize(static_cast<size_t>(result.ptr - text.data()));
      break;
    }
    text.resize(text.size() * 2);
  }
  if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
  ReplacePoint(text, settings.DecimalSeparator);
  return text;
}

std::string ExponentText(double value, int precision, const FormatSettings& settings) {
  if (!std::isfinite(value)) return NonFinite(value);
  std::string digits;
  int exponent = 0;
  if (value == 0) {
    digits.assign(static_cast<size_t>(precision), '0');
  } else {
    Scientific(value, precision, &digits, &exponent);
  }
  std::string text = value < 0 ? "-" : "";
  text += digits[0];
  if (digits.size() > 1) text += settings.DecimalSeparator + digits.substr(1);
  std::string exp_digits = std::to_string(std::abs(exponent));
  if (exp_digits.size() < 3) exp_digits.insert(0, 3 - exp_digits.size(), '0');
  text += (exponent < 0 ? "E-" : "E+") + exp_digits;
  return text;
}

std::string Pad(std::string text, std::int64_t width, bool left) {
  const size_t chars = CharCount(text);
  if (width > 0 && chars < static_cast<size_t>(width)) {
    const size_t fill = static_cast<size_t>(width) - chars;
    if (left) {
      text.append(fill, ' ');
    } else {
      text.insert(0, fill, ' ');
    }
  }
  return text;
}

std::string WithMinimumDigits(std::string digits, std::optional<std::int64_t> precision) {
  if (precision && digits.size() < static_cast<size_t>(*precision)) {
    digits.insert(0, static_cast<size_t>(*precision) - digits.size(), '0');
  }
  return digits;
}

const char* KindName(FormatArg::Kind kind) {
  switch (kind) {
    case FormatArg::Kind::Integer: return "an integer";
    case FormatArg::Kind::Float: return "a floating-point number";
    case FormatArg::Kind::Text: return "a text";
    case FormatArg::Kind::Pointer: return "a pointer";
  }
  return "an unknown value";
}

class Formatter {
 public:
  Formatter(std::string_view fmt, std::span<const FormatArg> args, const FormatSettings& settings)
      : fmt_(fmt), args_(args), settings_(settings) {}

  std::string Run() {
    std::string out;
    out.reserve(fmt_.size() + 16);
    while (pos_ < fmt_.size()) {
      const size_t percent = fmt_.find('%', pos_);
      if (percent == std::string_view::npos) {
        out.append(fmt_.substr(pos_));
        break;
      }
      out.append(fmt_.substr(pos_, percent - pos_));
      directive_start_ = percent;
      pos_ = percent + 1;
      if (pos_ < fmt_.size() && fmt_[pos_] == '%') {
        out += '%';
        ++pos_;
        continue;
      }
      out += Directive();
    }
    return out;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw EConvertError("Format text \"" + std::string(fmt_) + "\": " + why);
  }

  std::string CurrentDirective() const {
    return std::string(fmt_.substr(directive_start_, pos_ - directive_start_));
  }

  const FormatArg& Take() {
    if (next_arg_ >= args_.size()) {
      Fail("directive \"" + CurrentDirective() + "\" has no argument (" +
           std::to_string(args_.size()) + " given)");
    }
    return args_[next_arg_++];
  }

  void Expect(const FormatArg& arg, FormatArg::Kind kind) const {
    if (arg.GetKind() != kind) {
      Fail("directive \"" + CurrentDirective() + "\" cannot take " + KindName(arg.GetKind()) +
           " (argument " + std::to_string(next_arg_ - 1) + ")");
    }
  }

  // A number or "*" at the current position; nothing when neither is there.
  std::optional<std::int64_t> Number() {
    if (pos_ < fmt_.size() && fmt_[pos_] == '*') {
      ++pos_;
      const FormatArg& arg = Take();
      Expect(arg, FormatArg::Kind::Integer);
      const std::int64_t value = arg.IsSigned() ? arg.AsSigned()
                                                : static_cast<std::int64_t>(std::min<std::uint64_t>(
                                                      arg.AsUnsigned(), kMaxWidth + 1));
      if (value > kMaxWidth || value < -kMaxWidth) Fail("width or precision too large");
      return value;
    }
    if (pos_ >= fmt_.size() || fmt_[pos_] < '0' || fmt_[pos_] > '9') return std::nullopt;
    std::int64_t value = 0;
    while (pos_ < fmt_.size() && fmt_[pos_] >= '0' && fmt_[pos_] <= '9') {
      value = value * 10 + (fmt_[pos_++] - '0');
      if (value > kMaxWidth) Fail("width, precision or index too large");
    }
    return value;
  }

  std::string Directive() {
    bool left = false;
    std::optional<std::int64_t> width = Number();
    if (pos_ < fmt_.size() && fmt_[pos_] == ':') {
      ++pos_;
      if (!width || *width < 0) Fail("bad argument index in \"" + CurrentDirective() + "\"");
      next_arg_ = static_cast<size_t>(*width);
      width.reset();
    }
    if (!width && pos_ < fmt_.size() && fmt_[pos_] == '-') {
      left = true;
      ++pos_;
    }
    if (!width) width = Number();
    if (width && *width < 0) {
      left = true;
      width = -*width;
    }
    std::optional<std::int64_t> precision;
    if (pos_ < fmt_.size() && fmt_[pos_] == '.') {
      ++pos_;
      precision = Number();
      if (!precision) precision = 0;
      if (*precision < 0) precision.reset();
    }
    if (pos_ >= fmt_.size()) Fail("incomplete directive \"" + CurrentDirective() + "\"");
    const char type = fmt_[pos_++];
    const std::int64_t w = width.value_or(0);
    switch (type) {
      case 'd': case 'D': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Integer);
        const bool negative = arg.IsSigned() && arg.AsSigned() < 0;
        const std::uint64_t magnitude =
            negative ? 0 - static_cast<std::uint64_t>(arg.AsSigned()) : arg.AsUnsigned();
        std::string text = WithMinimumDigits(std::to_string(magnitude), precision);
        if (negative) text.insert(0, 1, '-');
        return Pad(std::move(text), w, left);
      }
      case 'u': case 'U': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Integer);
        return Pad(WithMinimumDigits(std::to_string(arg.AsUnsigned()), precision), w, left);
      }
      case 'x': case 'X': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Integer);
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, arg.AsUnsigned(), 16).ptr;
        std::string text(buffer, end);
        if (type == 'X') {
          for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return Pad(WithMinimumDigits(std::move(text), precision), w, left);
      }
      case 's': case 'S': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Text);
        std::string_view text = arg.AsText();
        if (precision) text = text.substr(0, PrefixBytes(text, static_cast<size_t>(*precision)));
        return Pad(std::string(text), w, left);
      }
      case 'f': case 'F': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Float);
        return Pad(FixedText(arg.AsFloat(), static_cast<int>(precision.value_or(2)), settings_),
                   w, left);
      }
      case 'e': case 'E': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Float);
        const int digits = static_cast<int>(std::clamp<std::int64_t>(precision.value_or(15), 1, 18));
        return Pad(ExponentText(arg.AsFloat(), digits, settings_), w, left);
      }
      case 'g': case 'G': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Float);
        const int digits = static_cast<int>(std::clamp<std::int64_t>(precision.value_or(15), 1, 18));
        return Pad(FloatToText(arg.AsFloat(), digits, settings_), w, left);
      }
      case 'p': case 'P': {
        const FormatArg& arg = Take();
        Expect(arg, FormatArg::Kind::Pointer);
        const auto low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(arg.AsPointer()));
        char buffer[16];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, low, 16).ptr;
        std::string text(buffer, end);
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        text.insert(0, 8 - text.size(), '0');
        return Pad(std::move(text), w, left);
      }
      default:
        Fail("unknown directive \"" + CurrentDirective() + "\"");
    }
  }

  std::string_view fmt_;
  std::span<const FormatArg> args_;
  const FormatSettings& settings_;
  size_t pos_ = 0;
  size_t directive_start_ = 0;
  size_t next_arg_ = 0;
};

}  // namespace

std::uint64_t FormatArg::AsUnsigned() const {
  if (bits_ >= 64) return int_;
  return int_ & ((std::uint64_t{1} << bits_) - 1);
}

std::string FormatArgs(std::string_view fmt, std::span<const FormatArg> args,
                       const FormatSettings& settings) {
  return Formatter(fmt, args, settings).Run();
}

std::string FormatArgs(std::string_view fmt, std::span<const FormatArg> args) {
  return FormatArgs(fmt, args, CurrentFormatSettings());
}

std::string FloatToText(double value, int precision, const FormatSettings& settings) {
  if (!std::isfinite(value)) return NonFinite(value);
  if (value == 0) return "0";
  precision = std::clamp(precision, 1, 18);
  std::string digits;
  int exponent = 0;
  Scientific(value, precision, &digits, &exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string text = value < 0 ? "-" : "";
  if (exponent >= precision || exponent < -4) {
    text += digits[0];
    if (digits.size() > 1) text += settings.DecimalSeparator + digits.substr(1);
    text += "E" + std::to_string(exponent);
    return text;
  }
  const int digit_count = static_cast<int>(digits.size());
  if (exponent < 0) {
    text += "0" + settings.DecimalSeparator;
    text.append(static_cast<size_t>(-exponent - 1), '0');
    text += digits;
  } else if (digit_count <= exponent + 1) {
    text += digits;
    text.append(static_cast<size_t>(exponent + 1 - digit_count), '0');
  } else {
    text += digits.substr(0, static_cast<size_t>(exponent + 1));
    text += settings.DecimalSeparator + digits.substr(static_cast<size_t>(exponent + 1));
  }
  return text;
}

}  // namespace qb
