// core/format: printf-style formatting of messages and numbers with the user's decimal
// separator. Formats only; never reads or writes files, never changes format settings.
#pragma once
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/convert_error.h"
#include "core/format_settings.h"

namespace qb {

// One argument of Format: an integer (with its signedness and width), a floating-point number,
// a text or a pointer. Holds a view of text arguments: keep them alive while formatting.
class FormatArg {
 public:
  enum class Kind { Integer, Float, Text, Pointer };

  template <std::integral T>
    requires(!std::same_as<T, bool>)
  FormatArg(T value)  // NOLINT: implicit on purpose, Format(...) relies on it
      : kind_(Kind::Integer),
        is_signed_(std::is_signed_v<T>),
        bits_(static_cast<int>(sizeof(T) * 8)),
        int_(static_cast<std::uint64_t>(static_cast<std::conditional_t<
                 std::is_signed_v<T>, std::int64_t, std::uint64_t>>(value))) {}
  FormatArg(bool) = delete;  // a truth value has no directive; say what is meant
  FormatArg(double value) : kind_(Kind::Float), float_(value) {}
  FormatArg(float value) : kind_(Kind::Float), float_(value) {}
  FormatArg(long double value) : kind_(Kind::Float), float_(static_cast<double>(value)) {}
  FormatArg(const char* text) : kind_(Kind::Text), text_(text ? text : "") {}
  FormatArg(const std::string& text) : kind_(Kind::Text), text_(text) {}
  FormatArg(std::string_view text) : kind_(Kind::Text), text_(text) {}
  FormatArg(const void* pointer) : kind_(Kind::Pointer), pointer_(pointer) {}
  FormatArg(std::nullptr_t) : kind_(Kind::Pointer), pointer_(nullptr) {}

  Kind GetKind() const { return kind_; }
  bool IsSigned() const { return is_signed_; }
  int Bits() const { return bits_; }
  // Signed value (REQUIRES: Integer; an unsigned 64-bit value above INT64_MAX wraps).
  std::int64_t AsSigned() const { return static_cast<std::int64_t>(int_); }
  // The value's bit pattern at its own width as unsigned (REQUIRES: Integer).
  std::uint64_t AsUnsigned() const;
  double AsFloat() const { return float_; }
  std::string_view AsText() const { return text_; }
  const void* AsPointer() const { return pointer_; }

 private:
  Kind kind_;
  bool is_signed_ = false;
  int bits_ = 0;
  std::uint64_t int_ = 0;
  double float_ = 0;
  std::string_view text_;
  const void* pointer_ = nullptr;
};

// FMT with its directives replaced by ARGS in order; "%%" gives "%". Directive syntax:
//   % [index ":"] ["-"] [width] ["." precision] type
// index picks the argument (0-based) and continues from there; width and precision may be "*"
// (taken from the next argument, which must be an integer; a negative width left-justifies).
// Types: d (signed decimal; precision = minimum digits), u (unsigned decimal; negative values
// wrap at their own width), x / X (hexadecimal, lower / upper case; precision = minimum digits),
// s (text; precision = maximum characters), f (fixed, precision decimals, default 2),
// e (scientific "d.dddE+ddd", precision significant digits, default 15), g (shortest general
// form, precision significant digits, default 15), p (pointer: low 32 bits as eight upper-case
// hex digits, nil as 00000000). Width and precision of %s count UTF-8 characters; the decimal
// separator of f, e and g is SETTINGS.DecimalSeparator. Arguments left over are ignored.
// Raises EConvertError for an unknown or incomplete directive, an argument of the wrong kind
// for its directive, or too few arguments.
std::string FormatArgs(std::string_view fmt, std::span<const FormatArg> args,
                       const FormatSettings& settings);
// The same with CurrentFormatSettings().
std::string FormatArgs(std::string_view fmt, std::span<const FormatArg> args);

template <class... Args>
std::string Format(std::string_view fmt, const Args&... args) {
  const std::array<FormatArg, sizeof...(Args)> packed{FormatArg(args)...};
  return FormatArgs(fmt, std::span<const FormatArg>(packed));
}

// VALUE in the shortest general form with at most PRECISION significant digits (1..18):
// "12.5", "3", "1E20", "-1.5E-7"; "NAN", "INF", "-INF" for non-finite values. The same form
// as the %g directive without width.
std::string FloatToText(double value, int precision = 15,
                        const FormatSettings& settings = CurrentFormatSettings());

}  // namespace qb
