// jet/sql/functions/currency_sql: Currency's integer form. The SQLite functions here read and write
// sqlite3_values directly: a Variant would turn a large INTEGER into a Double and lose digits.
#include "jet/sql/functions/currency_sql.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>
#include <limits>

#include "com/ole_exception.h"
#include "core/convert_error.h"
#include "jet/sql/parse/sql_errors.h"
#include "jet/sqlite/function_error.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLite 3.15.2");

namespace qb::jet::sql {
namespace {

constexpr std::int64_t kScale = Currency::kScale;

[[noreturn]] void RaiseCurrencyOverflow() {
  RaiseSqlError(err::kNumericOverflow, "The value is outside the range of a Currency field "
                                  "(-922337203685477.5808 to 922337203685477.5807).");
}

// WHOLE * 10000 when it fits.
std::optional<std::int64_t> ScaleWhole(std::int64_t whole) {
  std::int64_t scaled = 0;
  if (__builtin_mul_overflow(whole, kScale, &scaled)) return std::nullopt;
  return scaled;
}

// A negation chain around a literal: the literal and whether it is negated.
const ParsedLiteral* SignedLiteral(const ParsedExpr& expr, bool& negated) {
  const ParsedExpr* e = &expr;
  negated = false;
  while (e->kind == ParsedExprKind::kUnary) {
    const auto& unary = static_cast<const ParsedUnary&>(*e);
    if (unary.op != ParsedOp::kNegate && unary.op != ParsedOp::kPlusSign) return nullptr;
    negated = negated != (unary.op == ParsedOp::kNegate);
    e = unary.operand.get();
  }
  if (e->kind != ParsedExprKind::kLiteral) return nullptr;
  return static_cast<const ParsedLiteral*>(e);
}

void ResultError(sqlite3_context* context, int number, const std::string& message) {
  const std::string text = FunctionErrorText(number, message);
  sqlite3_result_error(context, text.c_str(), static_cast<int>(text.size()));
}

void ResultCurrency(sqlite3_context* context, std::int64_t scaled) {
  sqlite3_result_int64(context, scaled);
  sqlite3_result_subtype(context, kCurrencySubtype);
}

std::string TextOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

// A SQLite value as the Variant a conversion reads: an untagged INTEGER is a whole number.
Variant VariantOf(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: {
      const sqlite3_int64 n = sqlite3_value_int64(value);
      if (sqlite3_value_subtype(value) == kCurrencySubtype) return Variant(Currency::FromScaled(n));
      if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()) {
        return Variant(static_cast<int>(n));
      }
      if (std::optional<std::int64_t> scaled = ScaleWhole(n)) return Variant(Currency::FromScaled(*scaled));
      return Variant(static_cast<double>(n));
    }
    case SQLITE_FLOAT: return Variant(sqlite3_value_double(value));
    case SQLITE_TEXT: return Variant(TextOf(value));
    case SQLITE_BLOB: return Variant::FromBytes({});
    default: return Variant::Null();
  }
}

// Runs BODY, turning the engine's errors into the statement's error.
template <typename Body>
void Guarded(sqlite3_context* context, Body body) {
  try {
    body();
  } catch (const EOleException& e) {
    ResultError(context, e.ErrorCode(), e.Message());
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(context);
  } catch (const std::exception& e) {
    ResultError(context, err::kInternal, e.what());
  }
}

void AsCurrency(sqlite3_context* context, int, sqlite3_value** argv) {
  sqlite3_value* x = argv[0];
  switch (sqlite3_value_type(x)) {
    case SQLITE_NULL: sqlite3_result_null(context); return;
    case SQLITE_INTEGER: ResultCurrency(context, sqlite3_value_int64(x)); return;
    default: Guarded(context, [&] { ResultCurrency(context, StoredCurrency(VariantOf(x))); });
  }
}

void ToCurrency(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  Guarded(context, [&] { ResultCurrency(context, StoredCurrency(VariantOf(argv[0]))); });
}

void CurrencyNumber(sqlite3_context* context, int, sqlite3_value** argv) {
  sqlite3_value* x = argv[0];
  if (sqlite3_value_type(x) == SQLITE_INTEGER && sqlite3_value_subtype(x) == kCurrencySubtype) {
    sqlite3_result_double(context, Currency::FromScaled(sqlite3_value_int64(x)).ToDouble());
    return;
  }
  sqlite3_result_value(context, x);
}

void Scaled(sqlite3_context* context, int, sqlite3_value** argv) {
  sqlite3_value* x = argv[0];
  switch (sqlite3_value_type(x)) {
    case SQLITE_INTEGER: {
      const sqlite3_int64 n = sqlite3_value_int64(x);
      if (sqlite3_value_subtype(x) == kCurrencySubtype) {
        sqlite3_result_int64(context, n);
      } else if (std::optional<std::int64_t> scaled = ScaleWhole(n)) {
        sqlite3_result_int64(context, *scaled);
      } else {
        sqlite3_result_double(context, static_cast<double>(n) * kScale);
      }
      return;
    }
    case SQLITE_FLOAT: sqlite3_result_double(context, sqlite3_value_double(x) * kScale); return;
    case SQLITE_TEXT: {
      // Numeric text compares as its number, exactly where it is within Currency's range.
      const Variant text(TextOf(x));
      try {
        sqlite3_result_int64(context, text.ToCurrency().Scaled());
        return;
      } catch (const EVariantError&) {
      }
      try {
        sqlite3_result_double(context, text.ToDouble() * kScale);
      } catch (const EVariantError&) {
        sqlite3_result_value(context, x);  // no number: compares as text, as SQLite does
      }
      return;
    }
    default: sqlite3_result_value(context, x); return;
  }
}

}  // namespace

std::int64_t StoredCurrency(const Variant& value) {
  switch (value.Type()) {
    case VarType::Currency: return value.ToCurrency().Scaled();
    case VarType::Boolean: return value.ToBool() ? -kScale : 0;
    case VarType::Byte: case VarType::Int16: case VarType::Int32: return value.ToInt64() * kScale;
    case VarType::Single: case VarType::Double: case VarType::Date: {
      const double number = value.ToDouble();
      if (!std::isfinite(number) || std::fabs(number) >= 1e15) RaiseCurrencyOverflow();
      try {
        return Currency::FromDouble(number).Scaled();
      } catch (const EConvertError&) {
        RaiseCurrencyOverflow();
      }
    }
    case VarType::String: {
      try {
        value.ToDouble();
      } catch (const EVariantError&) {
        RaiseSqlError(err::kConversion, "'" + value.ToString() + "' is not a number, so it cannot be a Currency value.");
      }
      try {
        return value.ToCurrency().Scaled();
      } catch (const EVariantError&) {
        RaiseCurrencyOverflow();
      }
    }
    default:
      RaiseSqlError(err::kConversion, std::string("A value of kind ") + VarTypeName(value.Type()) +
                                          " cannot be a Currency value.");
  }
}

std::optional<std::int64_t> ScaledLiteral(const ParsedExpr& expr, bool exact_only) {
  bool negated = false;
  const ParsedLiteral* literal = SignedLiteral(expr, negated);
  if (!literal) return std::nullopt;
  try {
    if (literal->type == ParsedLiteral::Type::kInteger) {
      const Currency amount = Currency::FromInteger(literal->integer);
      return (negated ? -amount : amount).Scaled();
    }
    if (literal->type != ParsedLiteral::Type::kReal) return std::nullopt;
    // The spelling is exact where the double is not (99999999999999.9999).
    const std::string spelling = literal->text.empty() ? std::string() : (negated ? "-" : "") + literal->text;
    if (spelling.empty()) return std::nullopt;
    if (exact_only) {
      const std::size_t point = spelling.find('.');
      const bool plain = spelling.find_first_of("eE") == std::string::npos;
      if (!plain || (point != std::string::npos && spelling.size() - point - 1 > 4)) return std::nullopt;
    }
    return Currency::FromText(spelling, FormatSettings::Default()).Scaled();
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

bool IsSignedNumberLiteral(const ParsedExpr& expr) {
  bool negated = false;
  const ParsedLiteral* literal = SignedLiteral(expr, negated);
  return literal && (literal->type == ParsedLiteral::Type::kInteger || literal->type == ParsedLiteral::Type::kReal);
}

std::string ScaledIntegerSql(std::int64_t scaled) {
  if (scaled == std::numeric_limits<std::int64_t>::min()) return "(-9223372036854775807 - 1)";
  return scaled < 0 ? "(" + std::to_string(scaled) + ")" : std::to_string(scaled);
}

bool RegisterCurrencyFunctions(sqlite3* db) {
  struct Entry {
    const char* name;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
  };
  constexpr Entry kEntries[] = {
      {"jet_ascurrency", AsCurrency}, {"jet_tocur", ToCurrency}, {"jet_curnum", CurrencyNumber}, {"jet_scaled", Scaled}};
  for (const Entry& entry : kEntries) {
    if (sqlite3_create_function_v2(db, entry.name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, entry.fn, nullptr,
                                   nullptr, nullptr) != SQLITE_OK) {
      return false;
    }
  }
  return true;
}

}  // namespace qb::jet::sql
