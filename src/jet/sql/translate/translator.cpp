// jet/sql/translate/translator: expression translation. One function per node kind; value and condition
// contexts differ only where SQLite's own operators can serve a condition directly.
#include "jet/sql/translate/translator.h"

#include "com/ole_exception.h"
#include "core/number_text.h"
#include "jet/sql/functions/currency_sql.h"
#include "jet/sql/parse/date_literal.h"
#include "jet/sql/functions/fn_support.h"
#include "jet/base/jet_types.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

using T = SqlValueType;

// Longest operand text a translation writes twice (Between with bounds in either order).
constexpr std::size_t kMaxRepeatedSql = 1000;

std::string RealLiteral(double value) {
  std::string text = DoubleToText(value);
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  return text;
}

class Translator {
 public:
  explicit Translator(const TranslateOptions& options) : options_(options) {}

  TranslatedExpr Value(const ParsedExpr& expr);
  std::string Condition(const ParsedExpr& expr);

 private:
  TranslatedExpr Literal(const ParsedLiteral& lit);
  TranslatedExpr Name(const ParsedName& name);
  TranslatedExpr Unary(const ParsedUnary& unary);
  TranslatedExpr Binary(const ParsedBinary& binary);
  TranslatedExpr Call(const ParsedCall& call);
  std::string Comparison(const ParsedBinary& binary);
  std::string BetweenCondition(const ParsedBetween& between);
  std::string InCondition(const ParsedIn& in);
  // EXPR as an argument of a jet_* function: tagged with its kind when the kind is known.
  std::string Arg(const ParsedExpr& expr);
  std::string Arg(const TranslatedExpr& value);
  std::string Collate(const TranslatedExpr& a, const TranslatedExpr& b) const;
  static bool IsBooleanKind(const ParsedExpr& expr);

  const TranslateOptions& options_;
};

// The DAO type a conversion function NAME gives (CInt: Integer, ...); 0 for other functions.
int ConversionType(std::string_view name) {
  static constexpr std::pair<std::string_view, int> kConversions[] = {
      {"CBool", dao_type::kBoolean}, {"CByte", dao_type::kByte},     {"CInt", dao_type::kInteger},
      {"CLng", dao_type::kLong},     {"CCur", dao_type::kCurrency},  {"CSng", dao_type::kSingle},
      {"CDbl", dao_type::kDouble},   {"CDate", dao_type::kDate},     {"CStr", dao_type::kText},
  };
  for (const auto& [function, type] : kConversions) {
    if (function == name) return type;
  }
  return 0;
}

bool IsIntegralType(int t) { return t == dao_type::kByte || t == dao_type::kInteger || t == dao_type::kLong; }

bool IsNumericType(int t) {
  return IsIntegralType(t) || t == dao_type::kCurrency || t == dao_type::kSingle || t == dao_type::kDouble;
}

// The DAO type of A OP B for + - * \ Mod on numbers of types A and B; 0 unless both are
// numeric. The result is the smallest type holding both (Byte < Integer < Long; Single with
// Long needs Double; Currency stays Currency with integers, becomes Double with floats); \ and
// Mod give an integer type, Long for other operands. A value outgrowing the type at run time
// widens, as Variant arithmetic does.
int ArithmeticType(ParsedOp op, int a, int b) {
  if (!IsNumericType(a) || !IsNumericType(b)) return 0;
  const int wider_integral = (a == dao_type::kLong || b == dao_type::kLong)         ? dao_type::kLong
                             : (a == dao_type::kInteger || b == dao_type::kInteger) ? dao_type::kInteger
                                                                                    : dao_type::kByte;
  const bool integral = IsIntegralType(a) && IsIntegralType(b);
  if (op == ParsedOp::kIntDivide || op == ParsedOp::kMod) return integral ? wider_integral : dao_type::kLong;
  if (integral) return wider_integral;
  auto either = [&](int t) { return a == t || b == t; };
  if (either(dao_type::kDouble)) return dao_type::kDouble;
  if (either(dao_type::kCurrency)) return either(dao_type::kSingle) ? dao_type::kDouble : dao_type::kCurrency;
  return either(dao_type::kLong) ? dao_type::kDouble : dao_type::kSingle;  // Single with Byte/Integer/Single
}

// The DAO type an arithmetic operand counts as: an integer literal that fits Integer is one (Qty
// * 2 stays Integer), a larger one Long; a Boolean counts as Integer.
int OperandType(const ParsedExpr& expr, const TranslatedExpr& value) {
  const ParsedExpr* e = &expr;
  bool negated = false;
  while (e->kind == ParsedExprKind::kUnary) {
    const auto& unary = static_cast<const ParsedUnary&>(*e);
    if (unary.op != ParsedOp::kNegate && unary.op != ParsedOp::kPlusSign) break;
    negated = negated != (unary.op == ParsedOp::kNegate);
    e = unary.operand.get();
  }
  if (e->kind == ParsedExprKind::kLiteral && static_cast<const ParsedLiteral&>(*e).type == ParsedLiteral::Type::kInteger) {
    const std::int64_t number = static_cast<const ParsedLiteral&>(*e).integer * (negated ? -1 : 1);
    return number >= -32768 && number <= 32767 ? dao_type::kInteger : dao_type::kLong;
  }
  if (value.dao_type == dao_type::kBoolean) return dao_type::kInteger;
  return value.dao_type;
}

bool IsNumericLiteral(const ParsedExpr& expr) {
  if (expr.kind != ParsedExprKind::kLiteral) return false;
  auto type = static_cast<const ParsedLiteral&>(expr).type;
  return type == ParsedLiteral::Type::kInteger || type == ParsedLiteral::Type::kReal ||
         type == ParsedLiteral::Type::kDate;
}

double LiteralNumber(const ParsedExpr& expr) {
  const auto& lit = static_cast<const ParsedLiteral&>(expr);
  return lit.type == ParsedLiteral::Type::kInteger ? static_cast<double>(lit.integer) : lit.real;
}

[[noreturn]] void RaiseAt(int number, const ParsedExpr& expr, const std::string& detail) {
  RaiseSqlError(number, detail + " at " + PositionText(expr.pos) + ".");
}

// A number written as a literal, signed or not (dates are not numbers here).
bool IsPlainNumber(const ParsedExpr& expr) {
  if (expr.kind == ParsedExprKind::kUnary) {
    const auto& unary = static_cast<const ParsedUnary&>(expr);
    return (unary.op == ParsedOp::kNegate || unary.op == ParsedOp::kPlusSign) && IsPlainNumber(*unary.operand);
  }
  return IsNumericLiteral(expr) && static_cast<const ParsedLiteral&>(expr).type != ParsedLiteral::Type::kDate;
}

bool IsTextNotDate(const ParsedExpr& expr) {
  if (expr.kind != ParsedExprKind::kLiteral) return false;
  const auto& lit = static_cast<const ParsedLiteral&>(expr);
  return lit.type == ParsedLiteral::Type::kString && !ParseDateText(lit.text);
}

bool IsTextNotNumber(const ParsedExpr& expr) {
  if (expr.kind != ParsedExprKind::kLiteral) return false;
  const auto& lit = static_cast<const ParsedLiteral&>(expr);
  if (lit.type != ParsedLiteral::Type::kString) return false;
  try {
    ToNumber(Variant(lit.text));
    return false;
  } catch (const EOleException&) {
    return true;
  }
}

// Jet does not convert between a field's type and a literal of the other kind: a Text or Memo
// field compared with a number, or a numeric field with text that reads as no number, is the
// criteria type mismatch. Other pairs (expressions, dates, parameters' values) convert at run
// time as their operators do.
void CheckComparable(const ParsedExpr& field_expr, const TranslatedExpr& field, const ParsedExpr& other) {
  if (field_expr.kind != ParsedExprKind::kName) return;
  const bool text = field.dao_type == dao_type::kText || field.dao_type == dao_type::kMemo;
  const bool number = field.dao_type >= dao_type::kByte && field.dao_type <= dao_type::kDouble;
  if ((text && IsPlainNumber(other)) || (number && IsTextNotNumber(other)) ||
      (field.dao_type == dao_type::kDate && IsTextNotDate(other))) {
    RaiseAt(err::kCriteriaMismatch, other, "Data type mismatch in criteria expression");
  }
}

// Text meeting a date is read as a date (jet_datecriterion), whether it is written in the
// statement, a parameter's value or a field's: compared as text it would never equal a date.
void ConvertTextMeetingDate(TranslatedExpr& a, TranslatedExpr& b) {
  auto may_be_text = [](const TranslatedExpr& e) { return e.type == T::kText || e.type == T::kUnknown; };
  auto convert = [](TranslatedExpr& e) {
    e = {"jet_datecriterion(" + e.sql + ")", T::kDate, true, dao_type::kDate};
  };
  if (a.type == T::kDate && may_be_text(b)) convert(b);
  else if (b.type == T::kDate && may_be_text(a)) convert(a);
}

void CheckComparable(const ParsedExpr& a_expr, const TranslatedExpr& a, const ParsedExpr& b_expr,
                     const TranslatedExpr& b) {
  CheckComparable(a_expr, a, b_expr);
  CheckComparable(b_expr, b, a_expr);
}

TranslatedExpr Translator::Literal(const ParsedLiteral& lit) {
  switch (lit.type) {
    case ParsedLiteral::Type::kNull: return {"NULL", T::kNull};
    case ParsedLiteral::Type::kBoolean:
      return {lit.boolean ? "-1" : "0", T::kBoolean, false, dao_type::kBoolean};
    case ParsedLiteral::Type::kInteger:
      return {std::to_string(lit.integer), T::kNumber, false, dao_type::kLong};
    case ParsedLiteral::Type::kReal:
      return {RealLiteral(lit.real), T::kNumber, false, dao_type::kDouble};
    case ParsedLiteral::Type::kDate:
      return {RealLiteral(lit.real), T::kDate, false, dao_type::kDate};
    case ParsedLiteral::Type::kString:
      return {QuoteSqliteString(lit.text), T::kText, false, dao_type::kText};
  }
  return {"NULL", T::kNull};
}

TranslatedExpr Translator::Name(const ParsedName& name) {
  if (options_.resolver) return options_.resolver->Resolve(name);
  std::string sql;
  for (std::size_t i = 0; i < name.parts.size(); ++i) {
    if (i > 0) sql += '.';
    sql += QuoteSqliteName(name.parts[i]);
  }
  return {sql, T::kUnknown};
}

bool Translator::IsBooleanKind(const ParsedExpr& expr) {
  switch (expr.kind) {
    case ParsedExprKind::kBetween: case ParsedExprKind::kIn: case ParsedExprKind::kIsNull:
      return true;
    case ParsedExprKind::kBinary: {
      auto op = static_cast<const ParsedBinary&>(expr).op;
      if (op >= ParsedOp::kEqual && op <= ParsedOp::kLike) return true;
      if (op >= ParsedOp::kAnd && op <= ParsedOp::kImp) {
        const auto& b = static_cast<const ParsedBinary&>(expr);
        return IsBooleanKind(*b.left) && IsBooleanKind(*b.right);
      }
      return false;
    }
    case ParsedExprKind::kUnary: {
      const auto& u = static_cast<const ParsedUnary&>(expr);
      return u.op == ParsedOp::kNot && IsBooleanKind(*u.operand);
    }
    case ParsedExprKind::kLiteral:
      return static_cast<const ParsedLiteral&>(expr).type == ParsedLiteral::Type::kBoolean;
    case ParsedExprKind::kSubquery:
      return static_cast<const ParsedSubquery&>(expr).form != ParsedSubquery::Form::kScalar;
    default:
      return false;
  }
}

std::string Translator::Arg(const TranslatedExpr& value) { return ArgumentSql(value); }

// VALUE (the translation of EXPR) on the ten-thousandths scale of a Currency value it is
// compared with.
std::string ScaledSide(const ParsedExpr& expr, const TranslatedExpr& value) {
  if (value.type == T::kCurrency || value.type == T::kNull) return value.sql;
  if (std::optional<std::int64_t> scaled = ScaledLiteral(expr, true)) return ScaledIntegerSql(*scaled);
  return "jet_scaled(" + ArgumentSql(value) + ")";
}

// VALUE as a plain number where it is compared with values of another kind.
std::string AmountSide(const TranslatedExpr& value) {
  return value.type == T::kCurrency ? "jet_curnum(" + ArgumentSql(value) + ")" : value.sql;
}

std::string Translator::Arg(const ParsedExpr& expr) { return Arg(Value(expr)); }

std::string Translator::Collate(const TranslatedExpr& a, const TranslatedExpr& b) const {
  auto numeric = [](T t) {
    return t == T::kNumber || t == T::kDate || t == T::kBoolean || t == T::kCurrency ||
           t == T::kNull;
  };
  if (numeric(a.type) || numeric(b.type) || options_.text_collation.empty()) return "";
  return " COLLATE " + QuoteSqliteName(options_.text_collation);
}

TranslatedExpr Translator::Unary(const ParsedUnary& unary) {
  switch (unary.op) {
    case ParsedOp::kPlusSign:
      return Value(*unary.operand);
    case ParsedOp::kNegate: {
      if (IsNumericLiteral(*unary.operand) &&
          static_cast<const ParsedLiteral&>(*unary.operand).type != ParsedLiteral::Type::kDate) {
        TranslatedExpr inner = Value(*unary.operand);
        return {"(-" + inner.sql + ")", T::kNumber, false, inner.dao_type};
      }
      TranslatedExpr inner = Value(*unary.operand);
      TranslatedExpr negated{"jet_neg(" + Arg(inner) + ")", inner.type == T::kDate ? T::kDate : T::kUnknown, true};
      // -Byte may not fit a Byte; a negated Boolean is an Integer.
      const int type = inner.dao_type == dao_type::kByte ? dao_type::kInteger : OperandType(*unary.operand, inner);
      if (IsNumericType(type)) {
        negated.dao_type = type;
        negated.type = KindOfDaoType(type);
      }
      return negated;
    }
    default: {  // Not
      bool boolean = IsBooleanKind(*unary.operand);
      return {"jet_not(" + Arg(*unary.operand) + ")", boolean ? T::kBoolean : T::kNumber,
              boolean};
    }
  }
}

std::string Translator::Comparison(const ParsedBinary& binary) {
  if (binary.op == ParsedOp::kLike) {
    std::string left = Arg(*binary.left);  // operands in text order (parameter numbering)
    std::string like = "jet_like(" + left + ", " + Arg(*binary.right) + ")";
    return binary.negated ? "(NOT " + like + ")" : like;
  }
  TranslatedExpr a = Value(*binary.left);
  TranslatedExpr b = Value(*binary.right);
  CheckComparable(*binary.left, a, *binary.right, b);
  ConvertTextMeetingDate(a, b);
  const char* op = SqliteComparisonOperator(binary.op);
  std::string left = a.sql, right = b.sql;
  if (a.type == T::kCurrency && b.type != T::kCurrency) right = ScaledSide(*binary.right, b);
  if (b.type == T::kCurrency && a.type != T::kCurrency) left = ScaledSide(*binary.left, a);
  return "(" + left + " " + op + " " + right + Collate(a, b) + ")";
}

TranslatedExpr Translator::Binary(const ParsedBinary& binary) {
  const char* function = nullptr;
  switch (binary.op) {
    case ParsedOp::kPower: function = "jet_pow"; break;
    case ParsedOp::kMultiply: function = "jet_mul"; break;
    case ParsedOp::kDivide: function = "jet_div"; break;
    case ParsedOp::kIntDivide: function = "jet_idiv"; break;
    case ParsedOp::kMod: function = "jet_mod"; break;
    case ParsedOp::kAdd: function = "jet_add"; break;
    case ParsedOp::kSubtract: function = "jet_sub"; break;
    case ParsedOp::kConcat: function = "jet_concat"; break;
    case ParsedOp::kAnd: function = "jet_and"; break;
    case ParsedOp::kOr: function = "jet_or"; break;
    case ParsedOp::kXor: function = "jet_xor"; break;
    case ParsedOp::kEqv: function = "jet_eqv"; break;
    case ParsedOp::kImp: function = "jet_imp"; break;
    default: {
      // Comparisons give -1 / 0 / Null as values.
      if (binary.op == ParsedOp::kLike) return {Comparison(binary), T::kBoolean, true};
      return {"(-" + Comparison(binary) + ")", T::kBoolean};
    }
  }
  TranslatedExpr a = Value(*binary.left);
  TranslatedExpr b = Value(*binary.right);
  T type = T::kUnknown;
  bool tagged = true;
  switch (binary.op) {
    case ParsedOp::kConcat: type = T::kText; break;
    case ParsedOp::kDivide: case ParsedOp::kPower:
      type = T::kNumber;
      break;
    case ParsedOp::kAdd:
      if ((a.type == T::kDate) != (b.type == T::kDate)) type = T::kDate;
      else if (a.type == T::kText && b.type == T::kText) type = T::kText;
      break;
    case ParsedOp::kSubtract:
      if (a.type == T::kDate && b.type != T::kDate) type = T::kDate;
      if (a.type == T::kDate && b.type == T::kDate) type = T::kNumber;  // days between: a Double
      break;
    case ParsedOp::kAnd: case ParsedOp::kOr: case ParsedOp::kXor: case ParsedOp::kEqv:
    case ParsedOp::kImp:
      type = IsBooleanKind(binary) ? T::kBoolean : T::kNumber;
      break;
    default: break;
  }
  TranslatedExpr result{std::string(function) + "(" + Arg(a) + ", " + Arg(b) + ")", type, tagged};
  if (type == T::kUnknown) {
    result.dao_type = ArithmeticType(binary.op, OperandType(*binary.left, a), OperandType(*binary.right, b));
    // \ and Mod give a whole number whatever the operands.
    if (result.dao_type == 0 && (binary.op == ParsedOp::kIntDivide || binary.op == ParsedOp::kMod)) {
      result.dao_type = dao_type::kLong;
    }
  }
  if (result.dao_type != 0) result.type = KindOfDaoType(result.dao_type);
  return result;
}

std::string Translator::BetweenCondition(const ParsedBetween& between) {
  TranslatedExpr value = Value(*between.value);
  TranslatedExpr low = Value(*between.low);
  TranslatedExpr high = Value(*between.high);
  CheckComparable(*between.value, value, *between.low, low);
  CheckComparable(*between.value, value, *between.high, high);
  ConvertTextMeetingDate(value, low);
  ConvertTextMeetingDate(value, high);
  std::string collate = Collate(value, low.type == T::kNull ? high : low);
  if (value.type == T::kCurrency) {
    low.sql = ScaledSide(*between.low, low);
    high.sql = ScaledSide(*between.high, high);
  } else {
    low.sql = AmountSide(low);
    high.sql = AmountSide(high);
  }
  std::string subject = value.sql + collate;
  std::string sql;
  if (IsNumericLiteral(*between.low) && IsNumericLiteral(*between.high)) {
    // Jet accepts the bounds in either order.
    if (LiteralNumber(*between.low) > LiteralNumber(*between.high)) std::swap(low, high);
    sql = "(" + subject + " BETWEEN " + low.sql + " AND " + high.sql + ")";
  } else if (subject.size() + low.sql.size() + high.sql.size() <= kMaxRepeatedSql) {
    sql = "(" + subject + " BETWEEN " + low.sql + " AND " + high.sql + " OR " + subject +
          " BETWEEN " + high.sql + " AND " + low.sql + ")";
  } else {
    // Writing long operands twice would let nested Betweens double the text at every level;
    // a one-row subquery names each operand once.
    sql = "(SELECT (\"jet_v\"" + collate +
          " BETWEEN \"jet_lo\" AND \"jet_hi\" OR \"jet_v\"" + collate +
          " BETWEEN \"jet_hi\" AND \"jet_lo\") FROM (SELECT " + value.sql + " AS \"jet_v\", " +
          low.sql + " AS \"jet_lo\", " + high.sql + " AS \"jet_hi\"))";
  }
  return between.negated ? "(NOT " + sql + ")" : sql;
}

std::string Translator::InCondition(const ParsedIn& in) {
  TranslatedExpr value = Value(*in.value);
  std::string list;
  TranslatedExpr first_item;
  for (std::size_t i = 0; i < in.items.size(); ++i) {
    TranslatedExpr item = Value(*in.items[i]);
    CheckComparable(*in.value, value, *in.items[i], item);
    ConvertTextMeetingDate(value, item);
    if (i == 0) first_item = item;
    if (i > 0) list += ", ";
    list += value.type == T::kCurrency ? ScaledSide(*in.items[i], item) : AmountSide(item);
  }
  return "(" + value.sql + Collate(value, first_item) + (in.negated ? " NOT IN (" : " IN (") +
         list + "))";
}

TranslatedExpr Translator::Call(const ParsedCall& call) {
  if (options_.resolver) {
    if (std::optional<TranslatedExpr> aggregate = options_.resolver->Aggregate(call)) {
      return *aggregate;
    }
  }
  const JetFunctionInfo* info = FindJetFunction(call.function);
  if (!info) {
    RaiseAt(err::kUndefinedFunction, call,
            "Undefined function '" + call.function + "' in expression");
  }
  const auto count = static_cast<int>(call.args.size());
  if (count < info->min_args || (info->max_args >= 0 && count > info->max_args)) {
    RaiseAt(err::kSyntaxInExpression, call,
            "Wrong number of arguments used with function '" + call.function + "'");
  }
  std::string name = info->name;
  bool strict = call.function.back() == '$';
  TranslatedExpr result;
  if (name == "IIf") {
    std::string condition = Condition(*call.args[0]);
    TranslatedExpr a = Value(*call.args[1]);
    TranslatedExpr b = Value(*call.args[2]);
    result.sql = "(CASE WHEN " + condition + " THEN " + Arg(a) + " ELSE " + Arg(b) + " END)";
    result.type = a.type == b.type ? a.type : (a.type == T::kNull ? b.type : (b.type == T::kNull ? a.type : T::kUnknown));
    result.tagged = true;
  } else if (name == "Switch") {
    if (count % 2 != 0) {
      RaiseAt(err::kSyntaxInExpression, call, "Switch needs pairs of conditions and values");
    }
    result.sql = "(CASE";
    for (int i = 0; i + 1 < count; i += 2) {
      std::string condition = Condition(*call.args[static_cast<std::size_t>(i)]);
      result.sql += " WHEN " + condition + " THEN " +
                    Arg(*call.args[static_cast<std::size_t>(i) + 1]);
    }
    result.sql += " END)";
    result.tagged = true;
  } else if (name == "Choose") {
    result.sql = "(CASE jet_fix(" + Arg(*call.args[0]) + ")";
    for (int i = 1; i < count; ++i) {
      result.sql += " WHEN " + std::to_string(i) + " THEN " +
                    Arg(*call.args[static_cast<std::size_t>(i)]);
    }
    result.sql += " END)";
    result.tagged = true;
  } else {
    result.sql = std::string(info->sqlite_name) + "(";
    for (int i = 0; i < count; ++i) {
      if (i > 0) result.sql += ", ";
      result.sql += Arg(*call.args[static_cast<std::size_t>(i)]);
    }
    result.sql += ")";
    result.type = info->result;
    result.tagged = true;
    result.dao_type = ConversionType(name);
  }
  if (strict) result.sql = "jet_strict(" + result.sql + ")";
  return result;
}

TranslatedExpr Translator::Value(const ParsedExpr& expr) {
  switch (expr.kind) {
    case ParsedExprKind::kLiteral: return Literal(static_cast<const ParsedLiteral&>(expr));
    case ParsedExprKind::kName: return Name(static_cast<const ParsedName&>(expr));
    case ParsedExprKind::kStar:
      RaiseAt(err::kSyntaxInExpression, expr, "'*' is not allowed in an expression");
    case ParsedExprKind::kUnary: return Unary(static_cast<const ParsedUnary&>(expr));
    case ParsedExprKind::kBinary: return Binary(static_cast<const ParsedBinary&>(expr));
    case ParsedExprKind::kBetween:
      return {"(-" + BetweenCondition(static_cast<const ParsedBetween&>(expr)) + ")",
              T::kBoolean};
    case ParsedExprKind::kIn:
      return {"(-" + InCondition(static_cast<const ParsedIn&>(expr)) + ")", T::kBoolean};
    case ParsedExprKind::kIsNull: {
      const auto& is = static_cast<const ParsedIsNull&>(expr);
      return {"(-(" + Value(*is.value).sql + (is.negated ? " IS NOT NULL))" : " IS NULL))"),
              T::kBoolean};
    }
    case ParsedExprKind::kCall: return Call(static_cast<const ParsedCall&>(expr));
    case ParsedExprKind::kSubquery: {
      const auto& sub = static_cast<const ParsedSubquery&>(expr);
      if (!options_.resolver) {
        RaiseAt(err::kNotForThisObject, expr, "A subquery is not allowed in this expression");
      }
      if (sub.form == ParsedSubquery::Form::kScalar) return options_.resolver->ScalarSubquery(sub);
      return {"(-" + options_.resolver->SubqueryCondition(sub) + ")", T::kBoolean};
    }
  }
  return {"NULL", T::kNull};
}

std::string Translator::Condition(const ParsedExpr& expr) {
  switch (expr.kind) {
    case ParsedExprKind::kBinary: {
      const auto& binary = static_cast<const ParsedBinary&>(expr);
      if (binary.op >= ParsedOp::kEqual && binary.op <= ParsedOp::kLike) return Comparison(binary);
      if ((binary.op == ParsedOp::kAnd || binary.op == ParsedOp::kOr) &&
          IsBooleanKind(*binary.left) && IsBooleanKind(*binary.right)) {
        // Three-valued AND / OR of true Booleans agree with Jet's; SQLite may then use indexes.
        std::string left = Condition(*binary.left);
        return "(" + left + (binary.op == ParsedOp::kAnd ? " AND " : " OR ") +
               Condition(*binary.right) + ")";
      }
      break;
    }
    case ParsedExprKind::kUnary: {
      const auto& unary = static_cast<const ParsedUnary&>(expr);
      if (unary.op == ParsedOp::kNot && IsBooleanKind(*unary.operand)) {
        return "(NOT " + Condition(*unary.operand) + ")";
      }
      break;
    }
    case ParsedExprKind::kBetween:
      return BetweenCondition(static_cast<const ParsedBetween&>(expr));
    case ParsedExprKind::kIn:
      return InCondition(static_cast<const ParsedIn&>(expr));
    case ParsedExprKind::kIsNull: {
      const auto& is = static_cast<const ParsedIsNull&>(expr);
      return "(" + Value(*is.value).sql + (is.negated ? " IS NOT NULL)" : " IS NULL)");
    }
    case ParsedExprKind::kSubquery: {
      const auto& sub = static_cast<const ParsedSubquery&>(expr);
      if (sub.form != ParsedSubquery::Form::kScalar && options_.resolver) {
        return options_.resolver->SubqueryCondition(sub);
      }
      break;
    }
    default:
      break;
  }
  // Any other value: true when it is a non-zero number (Null and 0 are false).
  return "(" + Value(expr).sql + " <> 0)";
}

}  // namespace

TranslatedExpr NameResolver::ScalarSubquery(const ParsedSubquery& expr) const {
  RaiseAt(err::kNotForThisObject, expr, "A subquery is not allowed in this expression");
}

std::string NameResolver::SubqueryCondition(const ParsedSubquery& expr) const {
  RaiseAt(err::kNotForThisObject, expr, "A subquery is not allowed in this expression");
}

std::optional<TranslatedExpr> NameResolver::Aggregate(const ParsedCall&) const {
  return std::nullopt;
}

std::string ArgumentSql(const TranslatedExpr& value) {
  if (value.tagged) return value.sql;
  switch (value.type) {
    case T::kDate: return "jet_asdate(" + value.sql + ")";
    case T::kBoolean: return "jet_asbool(" + value.sql + ")";
    case T::kCurrency: return "jet_ascurrency(" + value.sql + ")";
    default: return value.sql;
  }
}

std::string ResultValueSql(const TranslatedExpr& value) {
  if (value.type == T::kUnknown && value.tagged) return "jet_curnum(" + value.sql + ")";
  return value.sql;
}

int DaoTypeOfKind(SqlValueType type) {
  switch (type) {
    case T::kBoolean: return dao_type::kBoolean;
    case T::kNumber: return dao_type::kDouble;
    case T::kCurrency: return dao_type::kCurrency;
    case T::kDate: return dao_type::kDate;
    default: return dao_type::kText;
  }
}

SqlValueType KindOfDaoType(int dao) {
  switch (dao) {
    case dao_type::kBoolean: return T::kBoolean;
    case dao_type::kByte: case dao_type::kInteger: case dao_type::kLong: case dao_type::kSingle:
    case dao_type::kDouble:
      return T::kNumber;
    case dao_type::kCurrency: return T::kCurrency;
    case dao_type::kDate: return T::kDate;
    case dao_type::kText: case dao_type::kMemo: case dao_type::kGuid: return T::kText;
    default: return T::kUnknown;
  }
}

std::string QuoteSqliteName(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string QuoteSqliteString(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string StoredValueSql(const ParsedExpr* expr, const TranslatedExpr& value, int dao_type,
                           const std::string& field) {
  if (dao_type == dao_type::kCurrency) {
    // Already ten-thousandths, or a literal scaled exactly from its spelling.
    if (value.type == T::kCurrency || value.type == T::kNull) return value.sql;
    if (expr) {
      if (std::optional<std::int64_t> scaled = ScaledLiteral(*expr)) return ScaledIntegerSql(*scaled);
    }
  }
  return "jet_store(" + ArgumentSql(value) + ", " + std::to_string(dao_type) + ", " + QuoteSqliteString(field) + ")";
}

const char* SqliteComparisonOperator(ParsedOp op) {
  switch (op) {
    case ParsedOp::kNotEqual: return "<>";
    case ParsedOp::kLess: return "<";
    case ParsedOp::kGreater: return ">";
    case ParsedOp::kLessEqual: return "<=";
    case ParsedOp::kGreaterEqual: return ">=";
    default: return "=";
  }
}

TranslatedExpr TranslateExpression(const ParsedExpr& expr, const TranslateOptions& options) {
  return Translator(options).Value(expr);
}

std::string TranslateCondition(const ParsedExpr& expr, const TranslateOptions& options) {
  return Translator(options).Condition(expr);
}

}  // namespace qb::jet::sql
