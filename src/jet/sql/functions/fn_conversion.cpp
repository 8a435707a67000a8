// jet/sql/functions/fn_conversion: conversion functions, built on Variant's conversions with Jet's error
// numbers in place of the variant's own errors.
#include "jet/sql/functions/fn_conversion.h"

#include <cmath>

#include "core/convert_error.h"
#include "core/rounding.h"

namespace qb::jet::sql {
namespace {

double RoundedInRange(const Variant& v, double low, double high) {
  double value = RoundHalfEven(ToNumber(v));
  if (!(value >= low && value <= high)) RaiseOverflow();
  return value;
}

}  // namespace

Variant FnCStr(Args args) { return Variant(ToText(args[0])); }

Variant FnCInt(Args args) {
  return Variant(static_cast<std::int16_t>(RoundedInRange(args[0], -32768, 32767)));
}

Variant FnCLng(Args args) {
  return Variant(static_cast<int>(RoundedInRange(args[0], -2147483648.0, 2147483647.0)));
}

Variant FnCByte(Args args) {
  return Variant(static_cast<std::uint8_t>(RoundedInRange(args[0], 0, 255)));
}

Variant FnCSng(Args args) {
  double value = ToNumber(args[0]);
  if (std::fabs(value) > 3.402823466e38) RaiseOverflow();
  return Variant(static_cast<float>(value));
}

Variant FnCDbl(Args args) { return DoubleResult(ToNumber(args[0])); }

Variant FnCCur(Args args) {
  if (args[0].IsNull()) RaiseInvalidUseOfNull();
  try {
    if (args[0].Type() == VarType::String) return Variant(args[0].ToCurrency());
    return Variant(Currency::FromDouble(ToNumber(args[0])));
  } catch (const EConvertError&) {
    RaiseOverflow();
  } catch (const EVariantError&) {
    RaiseTypeMismatch();
  }
}

Variant FnCDate(Args args) { return Variant::FromDate(ToSerial(args[0])); }

Variant FnCBool(Args args) {
  if (args[0].IsNull()) RaiseInvalidUseOfNull();
  try {
    return Variant(args[0].ToBool());
  } catch (const EVariantError&) {
    RaiseTypeMismatch();
  }
}

}  // namespace qb::jet::sql
