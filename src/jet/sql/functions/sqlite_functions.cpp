// jet/sql/functions/sqlite_functions: the SQLite side of the expression functions. No exception ever
// crosses into SQLite: each call's failure becomes sqlite3_result_error.
#include "jet/sql/functions/sqlite_functions.h"

#include <sqlcipher/sqlite3.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <new>
#include <span>
#include <vector>

#include "com/ole_exception.h"
#include "core/convert_error.h"
#include "jet/sql/functions/currency_sql.h"
#include "jet/sql/functions/function_catalog.h"
#include "jet/sql/functions/like.h"
#include "jet/sql/parse/sql_errors.h"
#include "jet/sql/functions/sqlite_aggregates.h"
#include "jet/sqlite/function_error.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLite 3.15.2");

namespace qb::jet::sql {
namespace {

using sqlite3_func_t = void (*)(sqlite3_context*, int, sqlite3_value**);

// Subtypes marking the kinds SQLite has no type for.
constexpr unsigned kDateSubtype = 'D';
constexpr unsigned kBoolSubtype = 'B';

Variant FromSqlite(sqlite3_value* value) {
  unsigned subtype = sqlite3_value_subtype(value);
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      return Variant::Null();
    case SQLITE_INTEGER: {
      sqlite3_int64 n = sqlite3_value_int64(value);
      if (subtype == kBoolSubtype) return Variant(n != 0);
      if (subtype == kDateSubtype) return Variant::FromDate(static_cast<double>(n));
      if (subtype == kCurrencySubtype) return Variant(Currency::FromScaled(n));
      if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int>(n));
      return Variant(static_cast<double>(n));
    }
    case SQLITE_FLOAT: {
      double d = sqlite3_value_double(value);
      if (subtype == kDateSubtype) return Variant::FromDate(d);
      if (subtype == kCurrencySubtype) {
        try {
          return Variant(Currency::FromDouble(d));
        } catch (const EConvertError&) {
          return Variant(d);
        }
      }
      if (subtype == kBoolSubtype) return Variant(d != 0);
      return Variant(d);
    }
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
      return Variant(std::string(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(value))));
    }
    default: {
      const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_value_blob(value));
      auto size = static_cast<std::size_t>(sqlite3_value_bytes(value));
      return Variant::FromBytes(std::vector<std::uint8_t>(bytes, bytes + size));
    }
  }
}

void ToSqlite(sqlite3_context* context, const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
      sqlite3_result_null(context);
      return;
    case VarType::Boolean:
      sqlite3_result_int(context, value.ToBool() ? -1 : 0);
      sqlite3_result_subtype(context, kBoolSubtype);
      return;
    case VarType::Byte: case VarType::Int16: case VarType::Int32:
      sqlite3_result_int64(context, value.ToInt64());
      return;
    case VarType::Single: case VarType::Double:
      sqlite3_result_double(context, value.ToDouble());
      return;
    case VarType::Currency:
      sqlite3_result_int64(context, value.ToCurrency().Scaled());
      sqlite3_result_subtype(context, kCurrencySubtype);
      return;
    case VarType::Date:
      sqlite3_result_double(context, value.ToDate());
      sqlite3_result_subtype(context, kDateSubtype);
      return;
    case VarType::String: {
      std::string text = value.ToString();
      sqlite3_result_text64(context, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
      return;
    }
    case VarType::ByteArray: {
      const auto& bytes = value.Bytes();
      sqlite3_result_blob64(context, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
      return;
    }
    default:
      sqlite3_result_error(context, "[jet 13] Type mismatch.", -1);
      return;
  }
}

void ResultError(sqlite3_context* context, int number, const std::string& message) {
  const std::string text = FunctionErrorText(number, message);
  sqlite3_result_error(context, text.c_str(), static_cast<int>(text.size()));
}

void Call(sqlite3_context* context, int argc, sqlite3_value** argv) {
  const auto* info = static_cast<const JetFunctionInfo*>(sqlite3_user_data(context));
  try {
    if (argc < info->min_args || (info->max_args >= 0 && argc > info->max_args)) {
      ResultError(context, err::kInvalidProcedureCall,
                  std::string("Wrong number of arguments for ") + info->name + ".");
      return;
    }
    // Operators and most functions take few arguments: those sit on the stack, so a call
    // allocates nothing beyond what its values need.
    constexpr int kInPlace = 4;
    const auto count = static_cast<std::size_t>(argc);
    if (argc <= kInPlace) {
      std::array<Variant, kInPlace> in_place;
      for (std::size_t i = 0; i < count; ++i) in_place[i] = FromSqlite(argv[i]);
      ToSqlite(context, info->impl(std::span<const Variant>(in_place.data(), count)));
      return;
    }
    std::vector<Variant> args;
    args.reserve(count);
    for (int i = 0; i < argc; ++i) args.push_back(FromSqlite(argv[i]));
    ToSqlite(context, info->impl(args));
  } catch (const EOleException& e) {
    ResultError(context, e.ErrorCode(), e.Message());
  } catch (const EVariantError& e) {
    ResultError(context, err::kTypeMismatch, e.Message());
  } catch (const EConvertError& e) {
    ResultError(context, err::kTypeMismatch, e.Message());
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(context);
  } catch (const std::exception& e) {
    ResultError(context, err::kInternal, e.what());
  }
}

std::string_view TextOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return {text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(value))};
}

// Like on two texts matches their bytes in place; a constant pattern is compiled once per
// statement and kept with it. Other kinds of value take the general call.
void CallLike(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (argc != 2 || sqlite3_value_type(argv[0]) != SQLITE_TEXT ||
      sqlite3_value_type(argv[1]) != SQLITE_TEXT) {
    Call(context, argc, argv);
    return;
  }
  try {
    std::string_view text = TextOf(argv[0]);
    if (auto* kept = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 1))) {
      sqlite3_result_int(context, kept->Matches(text) ? -1 : 0);
    } else {
      auto pattern = std::make_unique<LikePattern>(TextOf(argv[1]));
      sqlite3_result_int(context, pattern->Matches(text) ? -1 : 0);
      sqlite3_set_auxdata(context, 1, pattern.release(),
                          [](void* p) { delete static_cast<LikePattern*>(p); });
    }
    sqlite3_result_subtype(context, kBoolSubtype);
  } catch (const EOleException& e) {
    ResultError(context, e.ErrorCode(), e.Message());
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(context);
  }
}

// A plain 32-bit integer: SQLite's integer with no subtype and in Long's range.
bool PlainLong(sqlite3_value* value, std::int64_t& out) {
  if (sqlite3_value_type(value) != SQLITE_INTEGER || sqlite3_value_subtype(value) != 0) return false;
  out = sqlite3_value_int64(value);
  return out >= INT32_MIN && out <= INT32_MAX;
}

enum class IntOp { kAdd, kSubtract, kMultiply, kIntDivide, kMod };

// + - * \ Mod on two plain Longs whose result stays a Long are worked here, with the general
// call's result; everything else (Null, other kinds, overflow, division by zero) takes it.
template <IntOp op>
void CallIntegerOperator(sqlite3_context* context, int argc, sqlite3_value** argv) {
  std::int64_t a = 0, b = 0;
  if (argc == 2 && PlainLong(argv[0], a) && PlainLong(argv[1], b) &&
      (b != 0 || op == IntOp::kAdd || op == IntOp::kSubtract || op == IntOp::kMultiply)) {
    std::int64_t result = 0;
    switch (op) {
      case IntOp::kAdd: result = a + b; break;
      case IntOp::kSubtract: result = a - b; break;
      case IntOp::kMultiply: result = a * b; break;  // both within 32 bits: no 64-bit overflow
      case IntOp::kIntDivide: result = a / b; break;
      case IntOp::kMod: result = a % b; break;
    }
    if (result >= INT32_MIN && result <= INT32_MAX) {
      sqlite3_result_int64(context, result);
      return;
    }
  }
  Call(context, argc, argv);
}

// & on texts (a Null side counts as empty) joins the bytes in place.
void CallConcat(sqlite3_context* context, int argc, sqlite3_value** argv) {
  const int left = argc == 2 ? sqlite3_value_type(argv[0]) : SQLITE_BLOB;
  const int right = argc == 2 ? sqlite3_value_type(argv[1]) : SQLITE_BLOB;
  const bool texts = (left == SQLITE_TEXT || left == SQLITE_NULL) &&
                     (right == SQLITE_TEXT || right == SQLITE_NULL) &&
                     !(left == SQLITE_NULL && right == SQLITE_NULL);
  if (!texts) {
    Call(context, argc, argv);
    return;
  }
  std::string_view a = left == SQLITE_TEXT ? TextOf(argv[0]) : std::string_view();
  std::string_view b = right == SQLITE_TEXT ? TextOf(argv[1]) : std::string_view();
  char* joined = static_cast<char*>(sqlite3_malloc64(a.size() + b.size() + 1));
  if (joined == nullptr) {
    sqlite3_result_error_nomem(context);
    return;
  }
  if (!a.empty()) std::memcpy(joined, a.data(), a.size());
  if (!b.empty()) std::memcpy(joined + a.size(), b.data(), b.size());
  joined[a.size() + b.size()] = '\0';
  sqlite3_result_text64(context, joined, a.size() + b.size(), sqlite3_free, SQLITE_UTF8);
}

sqlite3_func_t CallOf(std::string_view name) {
  if (name == "jet_like") return CallLike;
  if (name == "jet_concat") return CallConcat;
  if (name == "jet_add") return CallIntegerOperator<IntOp::kAdd>;
  if (name == "jet_sub") return CallIntegerOperator<IntOp::kSubtract>;
  if (name == "jet_mul") return CallIntegerOperator<IntOp::kMultiply>;
  if (name == "jet_idiv") return CallIntegerOperator<IntOp::kIntDivide>;
  if (name == "jet_mod") return CallIntegerOperator<IntOp::kMod>;
  return Call;
}

bool Register(sqlite3* db, const JetFunctionInfo& info) {
  int flags = SQLITE_UTF8 | (info.deterministic ? SQLITE_DETERMINISTIC : 0);
  int n_arg = info.min_args == info.max_args ? info.min_args : -1;
  sqlite3_func_t call = CallOf(info.sqlite_name);
  return sqlite3_create_function_v2(db, info.sqlite_name, n_arg, flags,
                                    const_cast<JetFunctionInfo*>(&info), call, nullptr, nullptr,
                                    nullptr) == SQLITE_OK;
}

}  // namespace

bool RegisterJetFunctions(sqlite3* db) {
  for (const JetFunctionInfo& info : JetFunctions()) {
    if (!Register(db, info)) return false;
  }
  for (const JetFunctionInfo& info : JetOperatorFunctions()) {
    if (!Register(db, info)) return false;
  }
  return RegisterCurrencyFunctions(db) && RegisterJetAggregates(db);
}

}  // namespace qb::jet::sql
