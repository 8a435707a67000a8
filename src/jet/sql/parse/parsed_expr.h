// jet/sql/parse/parsed_expr: the parse tree of a Jet SQL expression, exactly as written (names not
// resolved, functions not looked up). Built by the parser; read by the translator.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/sql/parse/token.h"

namespace qb::jet::sql {

enum class ParsedExprKind {
  kLiteral,  // ParsedLiteral
  kName,     // ParsedName: a column, a parameter or anything else the resolver decides
  kStar,     // ParsedStar: "*" or "t.*" (select lists, Count(*))
  kUnary,    // ParsedUnary: - + Not
  kBinary,   // ParsedBinary: arithmetic, &, comparisons, Like, logical operators
  kBetween,  // ParsedBetween
  kIn,       // ParsedIn: a value list (subqueries come with the query parser)
  kIsNull,   // ParsedIsNull
  kCall,     // ParsedCall: a function call
  kSubquery, // ParsedSubquery: (SELECT ...), Exists, In (SELECT ...), op Any/All (SELECT ...)
};

enum class ParsedOp {
  // arithmetic and text
  kPower, kNegate, kPlusSign, kMultiply, kDivide, kIntDivide, kMod, kAdd, kSubtract, kConcat,
  // comparison
  kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual, kLike,
  // logical
  kNot, kAnd, kOr, kXor, kEqv, kImp,
};

// Jet SQL spelling of OP ("Mod", "<>").
const char* ParsedOpText(ParsedOp op);

struct ParsedExpr {
  explicit ParsedExpr(ParsedExprKind k, SourcePos p) : kind(k), pos(p) {}
  virtual ~ParsedExpr() = default;
  ParsedExpr(const ParsedExpr&) = delete;
  ParsedExpr& operator=(const ParsedExpr&) = delete;

  const ParsedExprKind kind;
  const SourcePos pos;  // where the expression starts (operators: where the operator stands)
  int height = 1;       // 1 for a leaf; the parser bounds it, so walking the tree is safe
};

using ParsedExprPtr = std::unique_ptr<ParsedExpr>;

struct ParsedLiteral : ParsedExpr {
  enum class Type { kNull, kBoolean, kInteger, kReal, kString, kDate };
  explicit ParsedLiteral(SourcePos p) : ParsedExpr(ParsedExprKind::kLiteral, p) {}
  Type type = Type::kNull;
  bool boolean = false;
  std::int64_t integer = 0;  // kInteger (fits in 32 bits)
  double real = 0;           // kReal, and kDate's serial
  std::string text;          // kString; kReal: its spelling as written
};

// A name with its qualifiers: [Orders].[Date] has parts {"Orders", "Date"}. BANG[i] tells that
// the separator before part i + 1 was "!" rather than ".".
struct ParsedName : ParsedExpr {
  explicit ParsedName(SourcePos p) : ParsedExpr(ParsedExprKind::kName, p) {}
  std::vector<std::string> parts;
  std::vector<bool> bang;
  bool quoted_last = false;  // the last part was [bracketed]: never a keyword or a function
};

struct ParsedStar : ParsedExpr {
  explicit ParsedStar(SourcePos p) : ParsedExpr(ParsedExprKind::kStar, p) {}
  std::vector<std::string> qualifier;  // empty for a bare "*"
};

struct ParsedUnary : ParsedExpr {
  ParsedUnary(SourcePos p, ParsedOp o, ParsedExprPtr e)
      : ParsedExpr(ParsedExprKind::kUnary, p), op(o), operand(std::move(e)) {}
  ParsedOp op;  // kNegate, kPlusSign or kNot
  ParsedExprPtr operand;
};

struct ParsedBinary : ParsedExpr {
  ParsedBinary(SourcePos p, ParsedOp o, ParsedExprPtr l, ParsedExprPtr r)
      : ParsedExpr(ParsedExprKind::kBinary, p), op(o), left(std::move(l)), right(std::move(r)) {}
  ParsedOp op;
  bool negated = false;  // "Not Like"
  ParsedExprPtr left, right;
};

struct ParsedBetween : ParsedExpr {
  explicit ParsedBetween(SourcePos p) : ParsedExpr(ParsedExprKind::kBetween, p) {}
  bool negated = false;
  ParsedExprPtr value, low, high;
};

struct ParsedIn : ParsedExpr {
  explicit ParsedIn(SourcePos p) : ParsedExpr(ParsedExprKind::kIn, p) {}
  bool negated = false;
  ParsedExprPtr value;
  std::vector<ParsedExprPtr> items;
};

struct ParsedIsNull : ParsedExpr {
  explicit ParsedIsNull(SourcePos p) : ParsedExpr(ParsedExprKind::kIsNull, p) {}
  bool negated = false;  // Is Not Null
  ParsedExprPtr value;
};

struct ParsedCall : ParsedExpr {
  explicit ParsedCall(SourcePos p) : ParsedExpr(ParsedExprKind::kCall, p) {}
  std::string function;  // as written, "$" suffix included ("Left$")
  std::vector<ParsedExprPtr> args;
};

struct ParsedQuery;  // parsed_query.h
// Owns a query tree; its deleter lives beside ParsedQuery so this header stays independent.
struct ParsedQueryDeleter {
  void operator()(ParsedQuery* query) const;
};
using ParsedQueryPtr = std::unique_ptr<ParsedQuery, ParsedQueryDeleter>;

// A subquery inside an expression. VALUE is the left operand of In and of the quantified
// comparisons; OP the comparison of kAny / kAll ("Some" reads as kAny).
struct ParsedSubquery : ParsedExpr {
  enum class Form { kScalar, kExists, kIn, kAny, kAll };
  explicit ParsedSubquery(SourcePos p) : ParsedExpr(ParsedExprKind::kSubquery, p) {}
  Form form = Form::kScalar;
  bool negated = false;  // Not In, Not Exists
  ParsedOp op = ParsedOp::kEqual;
  ParsedExprPtr value;
  ParsedQueryPtr query;
};

// The expression back as Jet SQL text, fully parenthesised ("((a + 1) = 2)"): for messages and
// tests. REQUIRES: EXPR's height bounded as the parser leaves it.
std::string ToJetText(const ParsedExpr& expr);

}  // namespace qb::jet::sql
