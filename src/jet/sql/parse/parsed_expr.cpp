// jet/sql/parse/parsed_expr: operator spellings and the tree printer used by messages and tests.
#include "jet/sql/parse/parsed_expr.h"

#include "core/number_text.h"

namespace qb::jet::sql {

const char* ParsedOpText(ParsedOp op) {
  switch (op) {
    case ParsedOp::kPower: return "^";
    case ParsedOp::kNegate: return "-";
    case ParsedOp::kPlusSign: return "+";
    case ParsedOp::kMultiply: return "*";
    case ParsedOp::kDivide: return "/";
    case ParsedOp::kIntDivide: return "\\";
    case ParsedOp::kMod: return "Mod";
    case ParsedOp::kAdd: return "+";
    case ParsedOp::kSubtract: return "-";
    case ParsedOp::kConcat: return "&";
    case ParsedOp::kEqual: return "=";
    case ParsedOp::kNotEqual: return "<>";
    case ParsedOp::kLess: return "<";
    case ParsedOp::kGreater: return ">";
    case ParsedOp::kLessEqual: return "<=";
    case ParsedOp::kGreaterEqual: return ">=";
    case ParsedOp::kLike: return "Like";
    case ParsedOp::kNot: return "Not";
    case ParsedOp::kAnd: return "And";
    case ParsedOp::kOr: return "Or";
    case ParsedOp::kXor: return "Xor";
    case ParsedOp::kEqv: return "Eqv";
    case ParsedOp::kImp: return "Imp";
  }
  return "?";
}

namespace {

std::string Quote(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    out += c;
    if (c == quote) out += c;
  }
  out += quote;
  return out;
}

std::string NameText(const std::vector<std::string>& parts, const std::vector<bool>& bang) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += (i - 1 < bang.size() && bang[i - 1]) ? "!" : ".";
    out += "[" + parts[i] + "]";
  }
  return out;
}

}  // namespace

std::string ToJetText(const ParsedExpr& expr) {
  switch (expr.kind) {
    case ParsedExprKind::kLiteral: {
      const auto& lit = static_cast<const ParsedLiteral&>(expr);
      switch (lit.type) {
        case ParsedLiteral::Type::kNull: return "Null";
        case ParsedLiteral::Type::kBoolean: return lit.boolean ? "True" : "False";
        case ParsedLiteral::Type::kInteger: return std::to_string(lit.integer);
        case ParsedLiteral::Type::kReal: return DoubleToText(lit.real);
        case ParsedLiteral::Type::kDate: return "#" + DoubleToText(lit.real) + "#";
        case ParsedLiteral::Type::kString: return Quote(lit.text, '\'');
      }
      return "?";
    }
    case ParsedExprKind::kName: {
      const auto& name = static_cast<const ParsedName&>(expr);
      return NameText(name.parts, name.bang);
    }
    case ParsedExprKind::kStar: {
      const auto& star = static_cast<const ParsedStar&>(expr);
      return star.qualifier.empty() ? "*" : NameText(star.qualifier, {}) + ".*";
    }
    case ParsedExprKind::kUnary: {
      const auto& unary = static_cast<const ParsedUnary&>(expr);
      std::string op = ParsedOpText(unary.op);
      if (unary.op == ParsedOp::kNot) op += ' ';
      return "(" + op + ToJetText(*unary.operand) + ")";
    }
    case ParsedExprKind::kBinary: {
      const auto& binary = static_cast<const ParsedBinary&>(expr);
      std::string op = ParsedOpText(binary.op);
      if (binary.negated) op = "Not " + op;
      return "(" + ToJetText(*binary.left) + " " + op + " " + ToJetText(*binary.right) + ")";
    }
    case ParsedExprKind::kBetween: {
      const auto& between = static_cast<const ParsedBetween&>(expr);
      return "(" + ToJetText(*between.value) + (between.negated ? " Not" : "") + " Between " +
             ToJetText(*between.low) + " And " + ToJetText(*between.high) + ")";
    }
    case ParsedExprKind::kIn: {
      const auto& in = static_cast<const ParsedIn&>(expr);
      std::string out = "(" + ToJetText(*in.value) + (in.negated ? " Not" : "") + " In (";
      for (std::size_t i = 0; i < in.items.size(); ++i) {
        if (i > 0) out += ", ";
        out += ToJetText(*in.items[i]);
      }
      return out + "))";
    }
    case ParsedExprKind::kIsNull: {
      const auto& is = static_cast<const ParsedIsNull&>(expr);
      return "(" + ToJetText(*is.value) + (is.negated ? " Is Not Null)" : " Is Null)");
    }
    case ParsedExprKind::kCall: {
      const auto& call = static_cast<const ParsedCall&>(expr);
      std::string out = call.function + "(";
      for (std::size_t i = 0; i < call.args.size(); ++i) {
        if (i > 0) out += ", ";
        out += ToJetText(*call.args[i]);
      }
      return out + ")";
    }
    case ParsedExprKind::kSubquery: {
      const auto& sub = static_cast<const ParsedSubquery&>(expr);
      switch (sub.form) {
        case ParsedSubquery::Form::kScalar: return "(SELECT ...)";
        case ParsedSubquery::Form::kExists:
          return sub.negated ? "(Not Exists (SELECT ...))" : "Exists (SELECT ...)";
        case ParsedSubquery::Form::kIn:
          return "(" + ToJetText(*sub.value) + (sub.negated ? " Not" : "") + " In (SELECT ...))";
        case ParsedSubquery::Form::kAny:
        case ParsedSubquery::Form::kAll:
          return "(" + ToJetText(*sub.value) + " " + ParsedOpText(sub.op) +
                 (sub.form == ParsedSubquery::Form::kAny ? " Any" : " All") + " (SELECT ...))";
      }
      return "?";
    }
  }
  return "?";
}

}  // namespace qb::jet::sql
