// jet/sql/functions/sqlite_functions: the SQLite side of the expression functions. No exception ever
// crosses into SQLite: each call's failure becomes sqlite3_result_error.
#include "jet/sql/functions/sqlite_functions.h"

#include <sqlcipher/sqlite3.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "com/ole_exception.h"
#include "core/convert_error.h"
#include "jet/sql/functions/currency_sql.h"
#include "jet/sql/functions/function_catalog.h"
#include "jet/sql/parse/sql_errors.h"
#include "jet/sql/functions/sqlite_aggregates.h"
#include "jet/sqlite/function_error.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLite 3.15.2");

namespace qb::jet::sql {
namespace {

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
    std::vector<Variant> args;
    args.reserve(static_cast<std::size_t>(argc));
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

bool Register(sqlite3* db, const JetFunctionInfo& info) {
  int flags = SQLITE_UTF8 | (info.deterministic ? SQLITE_DETERMINISTIC : 0);
  int n_arg = info.min_args == info.max_args ? info.min_args : -1;
  return sqlite3_create_function_v2(db, info.sqlite_name, n_arg, flags,
                                    const_cast<JetFunctionInfo*>(&info), Call, nullptr, nullptr,
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
