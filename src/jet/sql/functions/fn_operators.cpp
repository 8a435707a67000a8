// jet/sql/functions/fn_operators: the operator semantics. Raises Jet's runtime errors (13, 94, 6, 11, 5).
#include "jet/sql/functions/fn_operators.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/convert_error.h"
#include "core/rounding.h"
#include "jet/sql/functions/fn_support.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

bool IsText(const Variant& v) { return v.Type() == VarType::String; }
bool IsDate(const Variant& v) { return v.Type() == VarType::Date; }
bool IsCurrency(const Variant& v) { return v.Type() == VarType::Currency; }
bool IsFloat(const Variant& v) {
  return v.Type() == VarType::Double || v.Type() == VarType::Single;
}

// An operand of integer arithmetic: integral kinds and Empty stay exact.
bool IsExactInteger(const Variant& v) { return IsIntegral(v) || v.IsEmpty(); }

std::int64_t IntegerOf(const Variant& v) { return v.IsEmpty() ? 0 : v.ToInt64(); }

Variant CurrencyResult(double value) {
  try {
    return Variant(Currency::FromDouble(value));
  } catch (const EConvertError&) {
    RaiseOverflow();
  }
}

// An operand of Currency arithmetic, exact for Currency and whole numbers; nullopt for others
// (text, which goes through its number).
std::optional<Currency> ExactCurrency(const Variant& v) {
  if (IsCurrency(v)) return v.ToCurrency();
  if (!IsExactInteger(v)) return std::nullopt;
  return Currency::FromInteger(IntegerOf(v));
}

enum class CurrencyOp { kAdd, kSubtract, kMultiply };

// A op B with a Currency result: exact on Currency and whole operands (the product of two
// Currency values rounds half to even at the fourth decimal), through doubles otherwise.
Variant CurrencyArithmetic(const Variant& a, const Variant& b, CurrencyOp op) {
  const std::optional<Currency> x = ExactCurrency(a);
  const std::optional<Currency> y = ExactCurrency(b);
  if (!x || !y) {
    const double p = ToNumber(a), q = ToNumber(b);
    return CurrencyResult(op == CurrencyOp::kAdd ? p + q : op == CurrencyOp::kSubtract ? p - q : p * q);
  }
  try {
    if (op == CurrencyOp::kAdd) return Variant(*x + *y);
    if (op == CurrencyOp::kSubtract) return Variant(*x - *y);
  } catch (const EConvertError&) {
    RaiseOverflow();
  }
  // Scaled a * scaled b / 10000, in 128 bits.
  const __int128 product = static_cast<__int128>(x->Scaled()) * y->Scaled();
  __int128 quotient = product / Currency::kScale;
  const __int128 remainder = product % Currency::kScale;
  const __int128 twice = remainder < 0 ? -2 * remainder : 2 * remainder;
  if (twice > Currency::kScale || (twice == Currency::kScale && quotient % 2 != 0)) quotient += product < 0 ? -1 : 1;
  if (quotient > std::numeric_limits<std::int64_t>::max() || quotient < std::numeric_limits<std::int64_t>::min()) {
    RaiseOverflow();
  }
  return Variant(Currency::FromScaled(static_cast<std::int64_t>(quotient)));
}

Variant DateResult(double serial) {
  if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0) RaiseOverflow();
  return Variant::FromDate(serial);
}

// The kind of an arithmetic result: exact integers, currency, or double.
enum class Arith { kInteger, kCurrency, kDouble };

Arith ArithKind(const Variant& a, const Variant& b) {
  if (IsExactInteger(a) && IsExactInteger(b)) return Arith::kInteger;
  if ((IsCurrency(a) || IsCurrency(b)) && !IsFloat(a) && !IsFloat(b)) return Arith::kCurrency;
  return Arith::kDouble;
}

std::int64_t RoundedOperand(const Variant& v) {
  double number = RoundHalfEven(ToNumber(v));
  if (!(number >= -2147483648.0 && number <= 2147483647.0)) RaiseOverflow();
  return static_cast<std::int64_t>(number);
}

void RaiseDivisionByZero() { RaiseSqlError(err::kDivisionByZero, "Division by zero."); }

// A logical operand: Boolean or a 32-bit integer; nullopt for Null.
std::optional<std::int32_t> LogicalOperand(const Variant& v) {
  if (v.IsNull()) return std::nullopt;
  if (v.Type() == VarType::Boolean) return v.ToBool() ? -1 : 0;
  if (IsText(v)) {
    double number = 0;
    try {
      number = v.ToDouble();
    } catch (const EVariantError&) {
      try {
        return v.ToBool() ? -1 : 0;  // "True" / "False"
      } catch (const EVariantError&) {
        RaiseTypeMismatch();
      }
    }
    return ToLong(Variant(number));
  }
  return ToLong(v);
}

Variant LogicalResult(const Variant& a, const Variant& b, std::int32_t value) {
  bool booleans = a.Type() == VarType::Boolean && (b.IsEmpty() || b.Type() == VarType::Boolean);
  if (booleans) return Variant(value != 0);
  return Variant(static_cast<int>(value));
}

}  // namespace

Variant OpAdd(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (IsText(a) && IsText(b)) return Variant(a.ToString() + b.ToString());
  if (IsDate(a) || IsDate(b)) return DateResult(ToNumber(a) + ToNumber(b));
  switch (ArithKind(a, b)) {
    case Arith::kInteger: return IntegerResult(IntegerOf(a) + IntegerOf(b));
    case Arith::kCurrency: return CurrencyArithmetic(a, b, CurrencyOp::kAdd);
    case Arith::kDouble: break;
  }
  return DoubleResult(ToNumber(a) + ToNumber(b));
}

Variant OpSubtract(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (IsDate(a) && IsDate(b)) return DoubleResult(a.ToDate() - b.ToDate());
  if (IsDate(a) || IsDate(b)) return DateResult(ToNumber(a) - ToNumber(b));
  switch (ArithKind(a, b)) {
    case Arith::kInteger: return IntegerResult(IntegerOf(a) - IntegerOf(b));
    case Arith::kCurrency: return CurrencyArithmetic(a, b, CurrencyOp::kSubtract);
    case Arith::kDouble: break;
  }
  return DoubleResult(ToNumber(a) - ToNumber(b));
}

Variant OpMultiply(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  switch (ArithKind(a, b)) {
    case Arith::kInteger: return IntegerResult(IntegerOf(a) * IntegerOf(b));
    case Arith::kCurrency: return CurrencyArithmetic(a, b, CurrencyOp::kMultiply);
    case Arith::kDouble: break;
  }
  return DoubleResult(ToNumber(a) * ToNumber(b));
}

Variant OpDivide(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  double divisor = ToNumber(b);
  double dividend = ToNumber(a);
  if (divisor == 0) RaiseDivisionByZero();
  return DoubleResult(dividend / divisor);
}

Variant OpIntDivide(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  std::int64_t dividend = RoundedOperand(a);
  std::int64_t divisor = RoundedOperand(b);
  if (divisor == 0) RaiseDivisionByZero();
  return IntegerResult(dividend / divisor);
}

Variant OpMod(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  std::int64_t dividend = RoundedOperand(a);
  std::int64_t divisor = RoundedOperand(b);
  if (divisor == 0) RaiseDivisionByZero();
  return IntegerResult(dividend % divisor);
}

Variant OpPower(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  double base = ToNumber(a);
  double exponent = ToNumber(b);
  if (base < 0 && exponent != std::floor(exponent)) RaiseInvalidProcedureCall();
  if (base == 0 && exponent < 0) RaiseInvalidProcedureCall();
  return DoubleResult(std::pow(base, exponent));
}

Variant OpNegate(const Variant& a) {
  if (a.IsNull()) return Variant::Null();
  if (IsExactInteger(a)) return IntegerResult(-IntegerOf(a));
  if (IsCurrency(a)) return Variant(-a.ToCurrency());
  if (IsDate(a)) return DateResult(-a.ToDate());
  return DoubleResult(-ToNumber(a));
}

Variant OpConcat(const Variant& a, const Variant& b) {
  if (a.IsNull() && b.IsNull()) return Variant::Null();
  std::string left = a.IsNull() ? std::string() : ToText(a);
  std::string right = b.IsNull() ? std::string() : ToText(b);
  return Variant(left + right);
}

Variant OpNot(const Variant& a) {
  std::optional<std::int32_t> value = LogicalOperand(a);
  if (!value) return Variant::Null();
  return LogicalResult(a, Variant(), ~*value);
}

Variant OpAnd(const Variant& a, const Variant& b) {
  std::optional<std::int32_t> x = LogicalOperand(a), y = LogicalOperand(b);
  if (x && y) return LogicalResult(a, b, *x & *y);
  // Null And 0 is 0 (False); Null And anything else is Null.
  std::optional<std::int32_t> known = x ? x : y;
  if (known && *known == 0) return LogicalResult(x ? a : b, x ? a : b, 0);
  return Variant::Null();
}

Variant OpOr(const Variant& a, const Variant& b) {
  std::optional<std::int32_t> x = LogicalOperand(a), y = LogicalOperand(b);
  if (x && y) return LogicalResult(a, b, *x | *y);
  // Null Or -1 is -1 (True); Null Or anything else is Null.
  std::optional<std::int32_t> known = x ? x : y;
  if (known && *known == -1) return LogicalResult(x ? a : b, x ? a : b, -1);
  return Variant::Null();
}

Variant OpXor(const Variant& a, const Variant& b) {
  std::optional<std::int32_t> x = LogicalOperand(a), y = LogicalOperand(b);
  if (x && y) return LogicalResult(a, b, *x ^ *y);
  return Variant::Null();
}

Variant OpEqv(const Variant& a, const Variant& b) {
  std::optional<std::int32_t> x = LogicalOperand(a), y = LogicalOperand(b);
  if (x && y) return LogicalResult(a, b, ~(*x ^ *y));
  return Variant::Null();
}

Variant OpImp(const Variant& a, const Variant& b) {
  std::optional<std::int32_t> x = LogicalOperand(a), y = LogicalOperand(b);
  if (x && y) return LogicalResult(a, b, ~*x | *y);
  // False Imp Null and Null Imp True are True; the rest with Null is Null.
  if (x && *x == 0) return LogicalResult(a, a, -1);
  if (y && *y == -1) return LogicalResult(b, b, -1);
  return Variant::Null();
}

}  // namespace qb::jet::sql
