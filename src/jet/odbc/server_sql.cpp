// jet/odbc/server_sql: Jet SELECT queries as the server's SQL (see server_sql.h).
#include "jet/odbc/server_sql.h"

#include <cctype>
#include <cstdio>
#include <unordered_map>

#include "core/date_serial.h"

namespace qb::jet::odbc {

using namespace qb::jet::sql;

const std::string& NameSpellings::Spell(const std::string& name) {
  return spellings_.try_emplace(name, name).first->second;
}

std::string QuoteServerName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

namespace {

// Longest operand text written more than once (Round's half-to-even test): nested calls would
// otherwise multiply the text at every level.
constexpr std::size_t kMaxRepeatedText = 4000;

// Text with a backslash is written in the escape form, which reads the same whatever the
// server's standard_conforming_strings says: a backslash can never end the literal early.
std::string TextLiteral(const std::string& text) {
  const bool escaped = text.find('\\') != std::string::npos;
  std::string quoted = escaped ? "E'" : "'";
  for (char c : text) {
    if (c == '\'' || (escaped && c == '\\')) quoted += c;
    quoted += c;
  }
  return quoted + "'";
}

std::string DateLiteral(double serial) {
  const DateTimeParts parts = DecodeDateTime(serial);
  char text[64];
  if (parts.hour == 0 && parts.minute == 0 && parts.second == 0 && parts.millisecond == 0) {
    std::snprintf(text, sizeof text, "DATE '%04d-%02d-%02d'", parts.year, parts.month, parts.day);
  } else {
    std::snprintf(text, sizeof text, "TIMESTAMP '%04d-%02d-%02d %02d:%02d:%02d'", parts.year, parts.month, parts.day,
                  parts.hour, parts.minute, parts.second);
  }
  return text;
}

// A Jet Like pattern as a case-blind server match of SUBJECT: ILIKE when it uses only * and ?,
// else an anchored regular expression (for # and [character lists]).
std::string LikeMatch(const std::string& subject, const std::string& pattern, bool negated) {
  if (pattern.find_first_of("#[") == std::string::npos) {
    std::string like;
    for (char c : pattern) {
      if (c == '*') like += '%';
      else if (c == '?') like += '_';
      else if (c == '%' || c == '_' || c == '\\') like += std::string("\\") + c;
      else like += c;
    }
    return "(" + subject + (negated ? " NOT ILIKE " : " ILIKE ") + TextLiteral(like) + ")";
  }
  std::string regex = "^";
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '*') {
      regex += ".*";
    } else if (c == '?') {
      regex += '.';
    } else if (c == '#') {
      regex += "[0-9]";
    } else if (c == '[') {
      const std::size_t end = pattern.find(']', i + 1);
      if (end == std::string::npos || end == i + 1) throw NotExpressible("a Like pattern with an unclosed or empty [list]");
      std::string list = pattern.substr(i + 1, end - i - 1);
      std::string out = "[";
      std::size_t k = 0;
      if (list[0] == '!' && list.size() > 1) {
        out += '^';
        k = 1;
      }
      for (; k < list.size(); ++k) {
        const char l = list[k];
        if (l == '\\' || l == '^' || l == '[' || l == ']') out += '\\';
        out += l;
      }
      regex += out + "]";
      i = end;
    } else {
      if (std::string_view(".^$|()+{}\\]").find(c) != std::string_view::npos) regex += '\\';
      regex += c;
    }
  }
  regex += "$";
  return "(" + subject + (negated ? " !~* " : " ~* ") + TextLiteral(regex) + ")";
}

bool IsTextValue(const ParsedExpr& expr) {
  if (expr.kind == ParsedExprKind::kLiteral) return static_cast<const ParsedLiteral&>(expr).type == ParsedLiteral::Type::kString;
  return expr.kind == ParsedExprKind::kBinary && static_cast<const ParsedBinary&>(expr).op == ParsedOp::kConcat;
}

std::string FunctionKey(std::string name) {
  if (!name.empty() && name.back() == '$') name.pop_back();
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

class Emitter {
 public:
  explicit Emitter(NameSpellings& names) : names_(names) {}

  std::string Query(const ParsedQuery& query) {
    if (!query.IsUnion()) return Block(query.parts[0]);
    std::string sql;
    for (std::size_t i = 0; i < query.parts.size(); ++i) {
      const ParsedSelect& part = query.parts[i];
      if (i > 0) sql += query.union_all[i - 1] ? " UNION ALL " : " UNION ";
      const bool own_clauses = part.top || !part.order_by.empty();
      sql += own_clauses ? "(" + Block(part) + ")" : Block(part);
    }
    return sql + OrderBy(query.order_by);
  }

  std::vector<std::string> sources;

 private:
  std::string Name(const std::string& name) { return QuoteServerName(names_.Spell(name)); }

  std::string Block(const ParsedSelect& select) {
    if (!select.into.empty()) throw NotExpressible("it makes a table (SELECT ... INTO)");
    if (select.top_percent) throw NotExpressible("TOP n PERCENT has no server form");
    if (select.predicate == ParsedSelect::Predicate::kDistinctRow &&
        (select.from.size() != 1 || select.from[0]->kind != ParsedSource::Kind::kTable)) {
      throw NotExpressible("DISTINCTROW over more than one table has no server form");
    }
    // FROM first: its aliases get their spelling before the select list uses them.
    std::string from;
    for (const auto& source : select.from) from += (from.empty() ? "" : ", ") + Source(*source);
    std::string sql = select.predicate == ParsedSelect::Predicate::kDistinct ? "SELECT DISTINCT " : "SELECT ";
    int expr_number = 1000;  // unnamed values are named as the engine names them
    for (std::size_t i = 0; i < select.items.size(); ++i) {
      const ParsedSelectItem& item = select.items[i];
      if (i > 0) sql += ", ";
      sql += Expr(*item.expr);
      if (!item.alias.empty()) {
        sql += " AS " + Name(item.alias);
      } else if (item.expr->kind != ParsedExprKind::kName && item.expr->kind != ParsedExprKind::kStar) {
        sql += " AS " + QuoteServerName("Expr" + std::to_string(expr_number++));
      }
    }
    if (!from.empty()) sql += " FROM " + from;
    if (select.where) sql += " WHERE " + Expr(*select.where);
    for (std::size_t i = 0; i < select.group_by.size(); ++i) sql += (i ? ", " : " GROUP BY ") + Expr(*select.group_by[i]);
    if (select.having) sql += " HAVING " + Expr(*select.having);
    sql += OrderBy(select.order_by);
    if (select.top) {
      // Jet's TOP keeps the rows tied with the last one on the sort keys.
      const std::string n = std::to_string(static_cast<long long>(*select.top));
      sql += select.order_by.empty() ? " LIMIT " + n : " FETCH FIRST " + n + " ROWS WITH TIES";
    }
    return sql;
  }

  // Jet sorts Null below every value.
  std::string OrderBy(const std::vector<ParsedOrderItem>& order) {
    std::string sql;
    for (std::size_t i = 0; i < order.size(); ++i) {
      sql += (i ? ", " : " ORDER BY ") + Expr(*order[i].expr) +
             (order[i].descending ? " DESC NULLS LAST" : " NULLS FIRST");
    }
    return sql;
  }

  std::string Source(const ParsedSource& source) {
    switch (source.kind) {
      case ParsedSource::Kind::kTable: {
        sources.push_back(source.name);
        std::string sql = Name(source.name);
        if (!source.alias.empty()) sql += " AS " + Name(source.alias);
        return sql;
      }
      case ParsedSource::Kind::kSubquery: {
        const std::string alias = source.alias.empty() ? "Derived" + std::to_string(++derived_) : source.alias;
        return "(" + Query(*source.subquery) + ") AS " + Name(alias);
      }
      case ParsedSource::Kind::kJoin: {
        const char* join = source.join == ParsedSource::Join::kInner  ? " INNER JOIN "
                           : source.join == ParsedSource::Join::kLeft ? " LEFT JOIN "
                                                                      : " RIGHT JOIN ";
        std::string left = Source(*source.left);
        std::string right = Source(*source.right);
        return "(" + left + join + right + " ON " + Expr(*source.on) + ")";
      }
    }
    return {};
  }

  std::string Expr(const ParsedExpr& expr) {
    switch (expr.kind) {
      case ParsedExprKind::kLiteral: return Literal(static_cast<const ParsedLiteral&>(expr));
      case ParsedExprKind::kName: {
        const auto& name = static_cast<const ParsedName&>(expr);
        std::string sql;
        for (const std::string& part : name.parts) sql += (sql.empty() ? "" : ".") + Name(part);
        return sql;
      }
      case ParsedExprKind::kStar: {
        const auto& star = static_cast<const ParsedStar&>(expr);
        std::string sql;
        for (const std::string& part : star.qualifier) sql += Name(part) + ".";
        return sql + "*";
      }
      case ParsedExprKind::kUnary: {
        const auto& unary = static_cast<const ParsedUnary&>(expr);
        if (unary.op == ParsedOp::kNot) return "(NOT " + Expr(*unary.operand) + ")";
        if (unary.op == ParsedOp::kNegate) return "(-" + Expr(*unary.operand) + ")";
        return Expr(*unary.operand);
      }
      case ParsedExprKind::kBinary: return Binary(static_cast<const ParsedBinary&>(expr));
      case ParsedExprKind::kBetween: {
        // Jet takes the bounds in either order.
        const auto& between = static_cast<const ParsedBetween&>(expr);
        const bool text = IsTextValue(*between.low) || IsTextValue(*between.high);
        return "(" + Cased(*between.value, text) + (between.negated ? " NOT" : "") + " BETWEEN SYMMETRIC " +
               Cased(*between.low, text) + " AND " + Cased(*between.high, text) + ")";
      }
      case ParsedExprKind::kIn: {
        const auto& in = static_cast<const ParsedIn&>(expr);
        bool text = false;
        for (const auto& item : in.items) text = text || IsTextValue(*item);
        std::string sql = "(" + Cased(*in.value, text) + (in.negated ? " NOT IN (" : " IN (");
        for (std::size_t i = 0; i < in.items.size(); ++i) sql += (i ? ", " : "") + Cased(*in.items[i], text);
        return sql + "))";
      }
      case ParsedExprKind::kIsNull: {
        const auto& is_null = static_cast<const ParsedIsNull&>(expr);
        return "(" + Expr(*is_null.value) + (is_null.negated ? " IS NOT NULL)" : " IS NULL)");
      }
      case ParsedExprKind::kCall: return Call(static_cast<const ParsedCall&>(expr));
      case ParsedExprKind::kSubquery: return Subquery(static_cast<const ParsedSubquery&>(expr));
    }
    return {};
  }

  std::string Literal(const ParsedLiteral& literal) {
    switch (literal.type) {
      case ParsedLiteral::Type::kNull: return "NULL";
      case ParsedLiteral::Type::kBoolean: return literal.boolean ? "TRUE" : "FALSE";
      case ParsedLiteral::Type::kInteger: return std::to_string(literal.integer);
      case ParsedLiteral::Type::kReal: return literal.text;
      case ParsedLiteral::Type::kString: return TextLiteral(literal.text);
      case ParsedLiteral::Type::kDate: return DateLiteral(literal.real);
    }
    return {};
  }

  // Jet compares text without regard to case; the server does not, so text compared with text
  // is folded on both sides.
  std::string Cased(const ParsedExpr& expr, bool text) { return text ? "LOWER(" + Expr(expr) + ")" : Expr(expr); }

  static const char* Comparison(ParsedOp op) {
    switch (op) {
      case ParsedOp::kEqual: return " = ";
      case ParsedOp::kNotEqual: return " <> ";
      case ParsedOp::kLess: return " < ";
      case ParsedOp::kGreater: return " > ";
      case ParsedOp::kLessEqual: return " <= ";
      case ParsedOp::kGreaterEqual: return " >= ";
      default: return nullptr;
    }
  }

  std::string Binary(const ParsedBinary& binary) {
    if (const char* op = Comparison(binary.op)) {
      const bool text = IsTextValue(*binary.left) || IsTextValue(*binary.right);
      return "(" + Cased(*binary.left, text) + op + Cased(*binary.right, text) + ")";
    }
    if (binary.op == ParsedOp::kLike) {
      if (binary.right->kind != ParsedExprKind::kLiteral ||
          static_cast<const ParsedLiteral&>(*binary.right).type != ParsedLiteral::Type::kString) {
        throw NotExpressible("a Like pattern that is not a text literal");
      }
      return LikeMatch(Expr(*binary.left), static_cast<const ParsedLiteral&>(*binary.right).text, binary.negated);
    }
    const std::string left = Expr(*binary.left), right = Expr(*binary.right);
    switch (binary.op) {
      case ParsedOp::kPower: return "POWER(" + left + ", " + right + ")";
      case ParsedOp::kMultiply: return "(" + left + " * " + right + ")";
      case ParsedOp::kAdd: return "(" + left + " + " + right + ")";
      case ParsedOp::kSubtract: return "(" + left + " - " + right + ")";
      // Jet's / always divides as floating point; \ and Mod take whole numbers (rounded).
      case ParsedOp::kDivide: return "(CAST(" + left + " AS double precision) / " + right + ")";
      case ParsedOp::kIntDivide: return "(CAST(" + left + " AS bigint) / CAST(" + right + " AS bigint))";
      case ParsedOp::kMod: return "(CAST(" + left + " AS bigint) % CAST(" + right + " AS bigint))";
      // & reads Null as empty text.
      case ParsedOp::kConcat: return "CONCAT(" + left + ", " + right + ")";
      case ParsedOp::kAnd: return "(" + left + " AND " + right + ")";
      case ParsedOp::kOr: return "(" + left + " OR " + right + ")";
      case ParsedOp::kXor: return "(" + left + " <> " + right + ")";
      case ParsedOp::kEqv: return "(" + left + " = " + right + ")";
      case ParsedOp::kImp: return "((NOT " + left + ") OR " + right + ")";
      default: throw NotExpressible(std::string("the operator ") + ParsedOpText(binary.op));
    }
  }

  std::string Subquery(const ParsedSubquery& subquery) {
    const std::string query = Query(*subquery.query);
    switch (subquery.form) {
      case ParsedSubquery::Form::kScalar: return "(" + query + ")";
      case ParsedSubquery::Form::kExists: return std::string(subquery.negated ? "(NOT " : "(") + "EXISTS (" + query + "))";
      case ParsedSubquery::Form::kIn:
        return "(" + Expr(*subquery.value) + (subquery.negated ? " NOT IN (" : " IN (") + query + "))";
      case ParsedSubquery::Form::kAny:
      case ParsedSubquery::Form::kAll: {
        const char* op = Comparison(subquery.op);
        if (!op) throw NotExpressible("a quantified comparison the server has no form for");
        return "(" + Expr(*subquery.value) + op + (subquery.form == ParsedSubquery::Form::kAny ? "ANY (" : "ALL (") +
               query + "))";
      }
    }
    return {};
  }

  std::string Args(const ParsedCall& call) {
    std::string sql;
    for (std::size_t i = 0; i < call.args.size(); ++i) sql += (i ? ", " : "") + Expr(*call.args[i]);
    return sql;
  }

  // Jet's Round rounds halves to even; the server's to the next number away from zero.
  std::string Round(const ParsedCall& call) {
    int places = 0;
    if (call.args.size() == 2) {
      const ParsedExpr& arg = *call.args[1];
      const auto* literal = arg.kind == ParsedExprKind::kLiteral ? static_cast<const ParsedLiteral*>(&arg) : nullptr;
      if (!literal || literal->type != ParsedLiteral::Type::kInteger || literal->integer < 0 || literal->integer > 15) {
        throw NotExpressible("Round with places that are not a whole number 0 to 15");
      }
      places = static_cast<int>(literal->integer);
    }
    std::string scaled = "CAST(" + Expr(*call.args[0]) + " AS numeric)";
    const std::string scale = "1" + std::string(static_cast<std::size_t>(places), '0');
    if (places > 0) scaled = "(" + scaled + " * " + scale + ")";
    if (scaled.size() > kMaxRepeatedText) throw NotExpressible("Round of an expression too long to write twice");
    std::string sql = "(CASE WHEN MOD(ABS(" + scaled + "), 1) = 0.5 THEN 2 * ROUND(" + scaled + " / 2) ELSE ROUND(" +
                      scaled + ") END)";
    return places > 0 ? "(" + sql + " / " + scale + ")" : sql;
  }

  std::string Call(const ParsedCall& call) {
    const std::string key = FunctionKey(call.function);
    const std::size_t n = call.args.size();
    auto wants = [&](std::size_t low, std::size_t high) {
      if (n < low || n > high) throw NotExpressible("the function " + call.function + " with " + std::to_string(n) + " arguments");
    };
    auto arg = [&](std::size_t i) { return Expr(*call.args[i]); };
    static const std::unordered_map<std::string, std::string> kSame = {
        {"count", "COUNT"}, {"sum", "SUM"}, {"avg", "AVG"}, {"min", "MIN"}, {"max", "MAX"},
        {"stdev", "STDDEV_SAMP"}, {"stdevp", "STDDEV_POP"}, {"var", "VAR_SAMP"}, {"varp", "VAR_POP"},
        {"ucase", "UPPER"}, {"lcase", "LOWER"}, {"trim", "BTRIM"}, {"ltrim", "LTRIM"}, {"rtrim", "RTRIM"},
        {"len", "LENGTH"}, {"abs", "ABS"}, {"int", "FLOOR"}, {"fix", "TRUNC"}, {"sgn", "SIGN"}, {"sqr", "SQRT"}};
    static const std::unordered_map<std::string, std::string> kParts = {
        {"year", "YEAR"}, {"month", "MONTH"}, {"day", "DAY"}, {"hour", "HOUR"}, {"minute", "MINUTE"}, {"second", "SECOND"}};
    static const std::unordered_map<std::string, std::string> kCasts = {
        {"cdbl", "double precision"}, {"clng", "integer"}, {"cint", "smallint"}, {"ccur", "numeric(19,4)"}};
    if (auto same = kSame.find(key); same != kSame.end()) {
      wants(1, 1);
      return same->second + "(" + Args(call) + ")";
    }
    if (auto part = kParts.find(key); part != kParts.end()) {
      wants(1, 1);
      return "CAST(FLOOR(EXTRACT(" + part->second + " FROM " + arg(0) + ")) AS integer)";
    }
    if (auto cast = kCasts.find(key); cast != kCasts.end()) {
      wants(1, 1);
      return "CAST(" + arg(0) + " AS " + cast->second + ")";
    }
    if (key == "iif") {
      wants(3, 3);
      return "(CASE WHEN " + arg(0) + " THEN " + arg(1) + " ELSE " + arg(2) + " END)";
    }
    if (key == "nz") {
      // Nz alone gives 0 or "" by what the caller wants, which only Jet knows.
      if (n != 2) throw NotExpressible("Nz without its value-if-Null argument");
      return "COALESCE(" + Args(call) + ")";
    }
    if (key == "left" || key == "right") {
      wants(2, 2);
      return (key == "left" ? "LEFT(" : "RIGHT(") + Args(call) + ")";
    }
    if (key == "mid") {
      wants(2, 3);
      return "SUBSTRING(" + arg(0) + " FROM " + arg(1) + (n == 3 ? " FOR " + arg(2) : "") + ")";
    }
    if (key == "round") {
      wants(1, 2);
      return Round(call);
    }
    if (key == "date" || key == "now") {
      wants(0, 0);
      return key == "date" ? "CURRENT_DATE" : "LOCALTIMESTAMP(0)";
    }
    throw NotExpressible("the function " + call.function + " has no server form here");
  }

  NameSpellings& names_;
  int derived_ = 0;
};

}  // namespace

ServerSelect ServerSelectSql(const ParsedQuery& query, NameSpellings& names) {
  Emitter emitter(names);
  ServerSelect result;
  result.sql = emitter.Query(query);
  result.sources = std::move(emitter.sources);
  return result;
}

}  // namespace qb::jet::odbc
