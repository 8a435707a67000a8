// jet/sql/functions/function_catalog: the table of functions. Data only; behaviour lives in the fn_*
// family files.
#include "jet/sql/functions/function_catalog.h"

#include <cctype>

#include "jet/sql/parse/date_literal.h"
#include "jet/sql/functions/field_conversion.h"
#include "jet/sql/functions/fn_choice.h"
#include "jet/sql/functions/fn_conversion.h"
#include "jet/sql/functions/fn_dates.h"
#include "jet/sql/functions/fn_format.h"
#include "jet/sql/functions/fn_math.h"
#include "jet/sql/functions/fn_operators.h"
#include "jet/sql/functions/fn_strings.h"
#include "jet/sql/functions/like.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

using T = SqlValueType;

// Marker functions that only carry a kind across SQLite: the value passes unchanged and the
// registration tags it (see sqlite_functions.cpp; Currency's marker is in currency_sql.cpp).
Variant AsDate(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  return Variant::FromDate(ToSerial(args[0]));
}
Variant AsBool(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  return Variant(args[0].ToBool());
}
// jet_store(value, dao_type, field): VALUE as the field of that type stores it; statements wrap
// it around every value they write into a field.
Variant Store(Args args) {
  return ConvertToFieldType(args[0], static_cast<int>(args[1].ToInt32()), args.size() > 2 ? args[2].ToString() : "");
}
// jet_datecriterion(value): the other side of a comparison with a date: text becomes the date it
// reads as, and text that is no date is the criteria type mismatch rather than a false row.
Variant DateCriterion(Args args) {
  if (args[0].IsNull() || args[0].Type() != VarType::String) return args[0];
  const std::optional<double> serial = ParseDateText(args[0].ToString());
  if (!serial) {
    RaiseSqlError(err::kCriteriaMismatch, "Data type mismatch in criteria expression: the text '" +
                                                 args[0].ToString() + "' compared with a date is no date.");
  }
  return Variant::FromDate(*serial);
}
// Raises 94 when its argument is Null: the "$" forms (Left$ ...) wrap their call in it.
Variant Strict(Args args) {
  if (args[0].IsNull()) RaiseInvalidUseOfNull();
  return args[0];
}

Variant Add(Args a) { return OpAdd(a[0], a[1]); }
Variant Sub(Args a) { return OpSubtract(a[0], a[1]); }
Variant Mul(Args a) { return OpMultiply(a[0], a[1]); }
Variant Div(Args a) { return OpDivide(a[0], a[1]); }
Variant IDiv(Args a) { return OpIntDivide(a[0], a[1]); }
Variant ModF(Args a) { return OpMod(a[0], a[1]); }
Variant Pow(Args a) { return OpPower(a[0], a[1]); }
Variant Neg(Args a) { return OpNegate(a[0]); }
Variant Cat(Args a) { return OpConcat(a[0], a[1]); }
Variant NotF(Args a) { return OpNot(a[0]); }
Variant AndF(Args a) { return OpAnd(a[0], a[1]); }
Variant OrF(Args a) { return OpOr(a[0], a[1]); }
Variant XorF(Args a) { return OpXor(a[0], a[1]); }
Variant EqvF(Args a) { return OpEqv(a[0], a[1]); }
Variant ImpF(Args a) { return OpImp(a[0], a[1]); }
Variant LikeF(Args a) { return Like(a[0], a[1]); }

constexpr JetFunctionInfo kFunctions[] = {
    {"IIf", "jet_iif", 3, 3, T::kUnknown, true, FnIIf},
    {"Nz", "jet_nz", 1, 2, T::kUnknown, true, FnNz},
    {"IsNull", "jet_isnull", 1, 1, T::kBoolean, true, FnIsNull},
    {"Switch", "jet_switch", 2, -1, T::kUnknown, true, FnSwitch},
    {"Choose", "jet_choose", 2, -1, T::kUnknown, true, FnChoose},
    {"Left", "jet_left", 2, 2, T::kText, true, FnLeft},
    {"Right", "jet_right", 2, 2, T::kText, true, FnRight},
    {"Mid", "jet_mid", 2, 3, T::kText, true, FnMid},
    {"Len", "jet_len", 1, 1, T::kNumber, true, FnLen},
    {"InStr", "jet_instr", 2, 4, T::kNumber, true, FnInStr},
    {"UCase", "jet_ucase", 1, 1, T::kText, true, FnUCase},
    {"LCase", "jet_lcase", 1, 1, T::kText, true, FnLCase},
    {"Trim", "jet_trim", 1, 1, T::kText, true, FnTrim},
    {"LTrim", "jet_ltrim", 1, 1, T::kText, true, FnLTrim},
    {"RTrim", "jet_rtrim", 1, 1, T::kText, true, FnRTrim},
    {"Space", "jet_space", 1, 1, T::kText, true, FnSpace},
    {"String", "jet_string", 2, 2, T::kText, true, FnString},
    {"Asc", "jet_asc", 1, 1, T::kNumber, true, FnAsc},
    {"Chr", "jet_chr", 1, 1, T::kText, true, FnChr},
    {"StrComp", "jet_strcomp", 2, 3, T::kNumber, true, FnStrComp},
    {"Str", "jet_str", 1, 1, T::kText, true, FnStr},
    {"Val", "jet_val", 1, 1, T::kNumber, true, FnVal},
    {"Format", "jet_format", 1, 4, T::kText, true, FnFormat},
    {"CStr", "jet_cstr", 1, 1, T::kText, true, FnCStr},
    {"CInt", "jet_cint", 1, 1, T::kNumber, true, FnCInt},
    {"CLng", "jet_clng", 1, 1, T::kNumber, true, FnCLng},
    {"CSng", "jet_csng", 1, 1, T::kNumber, true, FnCSng},
    {"CDbl", "jet_cdbl", 1, 1, T::kNumber, true, FnCDbl},
    {"CCur", "jet_ccur", 1, 1, T::kCurrency, true, FnCCur},
    {"CDate", "jet_cdate", 1, 1, T::kDate, true, FnCDate},
    {"CVDate", "jet_cdate", 1, 1, T::kDate, true, FnCDate},
    {"CBool", "jet_cbool", 1, 1, T::kBoolean, true, FnCBool},
    {"CByte", "jet_cbyte", 1, 1, T::kNumber, true, FnCByte},
    {"Date", "jet_date_now", 0, 0, T::kDate, false, FnDate},
    {"Time", "jet_time_now", 0, 0, T::kDate, false, FnTime},
    {"Now", "jet_now", 0, 0, T::kDate, false, FnNow},
    {"Year", "jet_year", 1, 1, T::kNumber, true, FnYear},
    {"Month", "jet_month", 1, 1, T::kNumber, true, FnMonth},
    {"Day", "jet_day", 1, 1, T::kNumber, true, FnDay},
    {"Hour", "jet_hour", 1, 1, T::kNumber, true, FnHour},
    {"Minute", "jet_minute", 1, 1, T::kNumber, true, FnMinute},
    {"Second", "jet_second", 1, 1, T::kNumber, true, FnSecond},
    {"Weekday", "jet_weekday", 1, 2, T::kNumber, true, FnWeekday},
    {"DateAdd", "jet_dateadd", 3, 3, T::kDate, true, FnDateAdd},
    {"DateDiff", "jet_datediff", 3, 5, T::kNumber, true, FnDateDiff},
    {"DatePart", "jet_datepart", 2, 4, T::kNumber, true, FnDatePart},
    {"DateSerial", "jet_dateserial", 3, 3, T::kDate, true, FnDateSerial},
    {"TimeSerial", "jet_timeserial", 3, 3, T::kDate, true, FnTimeSerial},
    {"DateValue", "jet_datevalue", 1, 1, T::kDate, true, FnDateValue},
    {"TimeValue", "jet_timevalue", 1, 1, T::kDate, true, FnTimeValue},
    {"Abs", "jet_abs", 1, 1, T::kUnknown, true, FnAbs},
    {"Int", "jet_int", 1, 1, T::kUnknown, true, FnInt},
    {"Fix", "jet_fix", 1, 1, T::kUnknown, true, FnFix},
    {"Sgn", "jet_sgn", 1, 1, T::kNumber, true, FnSgn},
    {"Sqr", "jet_sqr", 1, 1, T::kNumber, true, FnSqr},
    {"Exp", "jet_exp", 1, 1, T::kNumber, true, FnExp},
    {"Log", "jet_log", 1, 1, T::kNumber, true, FnLog},
    {"Round", "jet_round", 1, 2, T::kUnknown, true, FnRound},
    {"Rnd", "jet_rnd", 0, 1, T::kNumber, false, FnRnd},
};

constexpr JetFunctionInfo kOperators[] = {
    {"+", "jet_add", 2, 2, T::kUnknown, true, Add},
    {"-", "jet_sub", 2, 2, T::kUnknown, true, Sub},
    {"*", "jet_mul", 2, 2, T::kUnknown, true, Mul},
    {"/", "jet_div", 2, 2, T::kNumber, true, Div},
    {"\\", "jet_idiv", 2, 2, T::kNumber, true, IDiv},
    {"Mod", "jet_mod", 2, 2, T::kNumber, true, ModF},
    {"^", "jet_pow", 2, 2, T::kNumber, true, Pow},
    {"neg", "jet_neg", 1, 1, T::kUnknown, true, Neg},
    {"&", "jet_concat", 2, 2, T::kText, true, Cat},
    {"Not", "jet_not", 1, 1, T::kUnknown, true, NotF},
    {"And", "jet_and", 2, 2, T::kUnknown, true, AndF},
    {"Or", "jet_or", 2, 2, T::kUnknown, true, OrF},
    {"Xor", "jet_xor", 2, 2, T::kUnknown, true, XorF},
    {"Eqv", "jet_eqv", 2, 2, T::kUnknown, true, EqvF},
    {"Imp", "jet_imp", 2, 2, T::kUnknown, true, ImpF},
    {"Like", "jet_like", 2, 2, T::kBoolean, true, LikeF},
    {"asdate", "jet_asdate", 1, 1, T::kDate, true, AsDate},
    {"asbool", "jet_asbool", 1, 1, T::kBoolean, true, AsBool},
    {"strict", "jet_strict", 1, 1, T::kUnknown, true, Strict},
    {"store", "jet_store", 2, 3, T::kUnknown, true, Store},
    {"datecriterion", "jet_datecriterion", 1, 1, T::kUnknown, true, DateCriterion},
};

bool SameName(std::string_view a, const char* b) {
  std::size_t i = 0;
  for (; b[i] != '\0'; ++i) {
    if (i >= a.size() || std::tolower(static_cast<unsigned char>(a[i])) !=
                             std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size();
}

}  // namespace

const JetFunctionInfo* FindJetFunction(std::string_view name) {
  if (!name.empty() && name.back() == '$') name.remove_suffix(1);
  for (const JetFunctionInfo& info : kFunctions) {
    if (SameName(name, info.name)) return &info;
  }
  return nullptr;
}

std::span<const JetFunctionInfo> JetFunctions() { return kFunctions; }
std::span<const JetFunctionInfo> JetOperatorFunctions() { return kOperators; }

}  // namespace qb::jet::sql
