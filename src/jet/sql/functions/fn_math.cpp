// jet/sql/functions/fn_math: math functions.
#include "jet/sql/functions/fn_math.h"

#include <cmath>
#include <cstring>

#include "core/convert_error.h"
#include "core/rounding.h"

namespace qb::jet::sql {
namespace {

// Applies FN to a number, keeping Currency and integral kinds where the result is whole.
template <class Fn>
Variant KeepKind(const Variant& v, Fn fn) {
  if (IsIntegral(v) && v.Type() != VarType::Boolean) return v;
  if (v.Type() == VarType::Currency) {
    try {
      return Variant(Currency::FromDouble(fn(v.ToCurrency().ToDouble())));
    } catch (const EConvertError&) {
      RaiseOverflow();
    }
  }
  if (v.Type() == VarType::Single) return Variant(static_cast<float>(fn(ToNumber(v))));
  if (v.Type() == VarType::Date) return Variant::FromDate(fn(v.ToDate()));
  return DoubleResult(fn(ToNumber(v)));
}

}  // namespace

Variant FnAbs(Args args) {
  const Variant& v = args[0];
  if (v.IsNull()) return Variant::Null();
  if (IsIntegral(v) || v.IsEmpty()) {
    std::int64_t n = v.IsEmpty() ? 0 : v.ToInt64();
    return IntegerResult(n < 0 ? -n : n);
  }
  if (v.Type() == VarType::Currency) {
    Currency c = v.ToCurrency();
    return Variant(c < Currency() ? -c : c);
  }
  return DoubleResult(std::fabs(ToNumber(v)));
}

Variant FnInt(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  if (args[0].Type() == VarType::Boolean) return Variant(args[0].ToBool() ? -1 : 0);
  return KeepKind(args[0], [](double x) { return std::floor(x); });
}

Variant FnFix(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  if (args[0].Type() == VarType::Boolean) return Variant(args[0].ToBool() ? -1 : 0);
  return KeepKind(args[0], [](double x) { return std::trunc(x); });
}

Variant FnSgn(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  double x = ToNumber(args[0]);
  return Variant(static_cast<std::int16_t>(x > 0 ? 1 : (x < 0 ? -1 : 0)));
}

Variant FnSqr(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  double x = ToNumber(args[0]);
  if (x < 0) RaiseInvalidProcedureCall();
  return DoubleResult(std::sqrt(x));
}

Variant FnExp(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  return DoubleResult(std::exp(ToNumber(args[0])));
}

Variant FnLog(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  double x = ToNumber(args[0]);
  if (x <= 0) RaiseInvalidProcedureCall();
  return DoubleResult(std::log(x));
}

Variant FnRound(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  int places = 0;
  if (args.size() > 1 && !args[1].IsNull()) {
    std::int32_t p = ToLong(args[1]);
    if (p < 0 || p > 15) RaiseInvalidProcedureCall();
    places = p;
  }
  double scale = std::pow(10.0, places);
  return KeepKind(args[0], [&](double x) {
    double scaled = x * scale;
    if (!std::isfinite(scaled)) return x;
    return RoundHalfEven(scaled) / scale;
  });
}

namespace {
// The generator of VBA's Rnd: a 24-bit linear congruential sequence.
thread_local std::uint32_t rnd_state = 0x50000;
}  // namespace

Variant FnRnd(Args args) {
  double n = 1;
  if (!args.empty()) {
    if (args[0].IsNull()) RaiseInvalidUseOfNull();
    n = ToNumber(args[0]);
  }
  if (n < 0) {
    float f = static_cast<float>(n);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    rnd_state = (bits + (bits >> 24)) & 0xFFFFFF;
  } else if (n > 0) {
    rnd_state = (rnd_state * 1140671485u + 12820163u) & 0xFFFFFF;
  }
  if (n < 0) rnd_state = (rnd_state * 1140671485u + 12820163u) & 0xFFFFFF;
  return Variant(static_cast<float>(rnd_state) / 16777216.0f);
}

}  // namespace qb::jet::sql
