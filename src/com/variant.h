// com/variant: the automation value type: Empty, Null, numbers, currency, dates, text, booleans
// and one-dimensional arrays of bytes or variants with a lower bound, and the conversions
// between them. Values only: knows nothing of the engine or of fields.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/currency.h"
#include "core/exception.h"

namespace qb {

// Kind codes as automation numbers them; the array kinds carry the array flag 0x2000.
enum class VarType : std::uint16_t {
  Empty = 0,
  Null = 1,
  Int16 = 2,
  Int32 = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Boolean = 11,
  Byte = 17,
  ByteArray = 0x2011,
  VariantArray = 0x200C,
};

// Readable name of a kind ("Int32", "ByteArray"), for messages.
const char* VarTypeName(VarType type);

// A variant that does not convert to the kind asked for, or an array access out of bounds.
class EVariantError : public Exception {
 public:
  [[gnu::always_inline]] explicit EVariantError(std::string message, int help_context = 0)
      : Exception(std::move(message), help_context) {}
  const char* ClassName() const override { return "EVariantError"; }
};

// Conversion rules, shared by every To...() below:
// - Empty converts to 0, 0.0, "", false, a zero currency and date serial 0.
// - Null raises EVariantError on every conversion (ToStringOrEmpty() gives "" instead);
//   the engine's Null must never silently become a value.
// - Arrays raise EVariantError on every scalar conversion.
// - Boolean true is -1 as a number, false 0; any non-zero number is true.
// - Converting to an integer kind rounds half to even (2.5 -> 2, 3.5 -> 4) and raises
//   EVariantError when the result is outside the target range.
// - Text converts by the current format settings: numbers with the decimal separator, dates by
//   TextToDateTime, booleans from "True"/"False" (any case) or a number; text that does not
//   parse raises EVariantError naming the text.
// - ToString gives integers in decimal, Single with 7 and Double with 15 significant digits,
//   currency as exact decimal text, dates by DateTimeToText, booleans as "True"/"False".
class Variant {
 public:
  Variant() = default;  // Empty
  static Variant Null();

  Variant(bool value);
  Variant(std::uint8_t value);
  Variant(std::int16_t value);
  Variant(int value);  // Int32 (std::int32_t is int here)
  Variant(float value);
  Variant(double value);
  Variant(Currency value);
  Variant(std::string value);
  Variant(const char* value);  // nullptr gives the empty text
  Variant(std::string_view value);
  // Other integer widths have no kind: convert explicitly.
  Variant(long) = delete;
  Variant(long long) = delete;
  Variant(unsigned) = delete;
  Variant(unsigned long) = delete;
  Variant(unsigned long long) = delete;

  static Variant FromDate(double serial);
  // One-dimensional arrays indexed LOW_BOUND .. LOW_BOUND + size - 1. Raise EVariantError when
  // the upper bound would not fit in 32 bits.
  static Variant FromBytes(std::vector<std::uint8_t> bytes, std::int32_t low_bound = 0);
  static Variant FromArray(std::vector<Variant> items, std::int32_t low_bound = 0);

  VarType Type() const { return type_; }
  bool IsEmpty() const { return type_ == VarType::Empty; }
  bool IsNull() const { return type_ == VarType::Null; }
  bool IsArray() const { return type_ == VarType::ByteArray || type_ == VarType::VariantArray; }

  // Conversions (rules above). Each raises EVariantError when the value does not convert.
  std::string ToString() const;
  std::string ToStringOrEmpty() const;  // "" for Null, else ToString()
  bool ToBool() const;
  std::uint8_t ToByte() const;
  std::int16_t ToInt16() const;
  std::int32_t ToInt32() const;
  std::int64_t ToInt64() const;
  float ToSingle() const;
  double ToDouble() const;
  Currency ToCurrency() const;
  double ToDate() const;  // the date serial

  // Array access. Each raises EVariantError when the variant is not that kind of array
  // (LowBound/HighBound: not an array); ByteAt/ItemAt also when INDEX is outside the bounds.
  // References stay valid while the variant is alive and unchanged.
  const std::vector<std::uint8_t>& Bytes() const;
  const std::vector<Variant>& Items() const;
  std::int32_t LowBound() const;
  std::int32_t HighBound() const;  // LowBound() - 1 for an empty array
  std::uint8_t ByteAt(std::int32_t index) const;
  const Variant& ItemAt(std::int32_t index) const;

  // Same kind and equal value (arrays: same bounds and elements). Empty equals Empty, Null
  // equals Null; Int16 2 does not equal Int32 2.
  bool operator==(const Variant& other) const;

 private:
  struct Bytes_ {
    std::vector<std::uint8_t> data;
    std::int32_t low = 0;
    bool operator==(const Bytes_&) const = default;
  };
  struct Array_ {
    std::vector<Variant> items;
    std::int32_t low = 0;
    bool operator==(const Array_&) const = default;
  };
  using Storage = std::variant<std::monostate, bool, std::int64_t, double, Currency, std::string,
                               Bytes_, Array_>;

  Variant(VarType type, Storage value) : type_(type), value_(std::move(value)) {}
  [[noreturn]] void RaiseCannotConvert(const char* target) const;
  double NumberForConversion(const char* target) const;
  std::int64_t IntegerInRange(std::int64_t low, std::int64_t high, const char* target) const;

  VarType type_ = VarType::Empty;
  Storage value_;
};

}  // namespace qb
