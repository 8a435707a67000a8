// jet/sql/parse/expr_parser: the expression grammar, one function per precedence level (loosest
// first: Imp, Eqv, Xor, Or, And, Not, comparisons, &, + -, Mod, \, * /, unary -, ^).
// Builds ParsedExpr trees; never resolves names or looks functions up.
#include <algorithm>

#include "jet/sql/parse/parser.h"
#include "jet/sql/parse/parser_core.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {

Parser::DepthGuard::DepthGuard(Parser& parser) : parser_(parser) {
  if (++parser_.depth_ > kMaxExpressionDepth) {
    const SourcePos pos = parser_.Peek().pos;
    --parser_.depth_;
    RaiseSqlError(err::kExpressionTooComplex,
                  "Expression too deeply nested at " + PositionText(pos) + " (more than " +
                      std::to_string(kMaxExpressionDepth) + " levels).");
  }
}

void Parser::CheckHeight(ParsedExpr& node, int child_height) {
  node.height = child_height + 1;
  if (node.height > kMaxExpressionDepth) {
    RaiseSqlError(err::kExpressionTooComplex,
                  "Expression too complex at " + PositionText(node.pos) + " (more than " +
                      std::to_string(kMaxExpressionDepth) + " nested operations).");
  }
}

ParsedExprPtr Parser::MakeBinary(const SourcePos& pos, ParsedOp op, ParsedExprPtr left,
                                 ParsedExprPtr right) {
  int child = std::max(left->height, right->height);
  auto node = std::make_unique<ParsedBinary>(pos, op, std::move(left), std::move(right));
  CheckHeight(*node, child);
  return node;
}

ParsedExprPtr Parser::MakeUnary(const SourcePos& pos, ParsedOp op, ParsedExprPtr operand) {
  int child = operand->height;
  auto node = std::make_unique<ParsedUnary>(pos, op, std::move(operand));
  CheckHeight(*node, child);
  return node;
}

ParsedExprPtr Parser::ParseExpr() {
  DepthGuard guard(*this);
  return ParseImp();
}

// The logical operators below Not share one shape: left-associative chains of one keyword.
#define QB_LOGICAL_LEVEL(Function, Next, Keyword, Op)              \
  ParsedExprPtr Parser::Function() {                               \
    ParsedExprPtr left = Next();                                   \
    while (Peek().IsKeyword(Keyword)) {                            \
      SourcePos pos = Take().pos;                                  \
      left = MakeBinary(pos, ParsedOp::Op, std::move(left), Next()); \
    }                                                              \
    return left;                                                   \
  }
QB_LOGICAL_LEVEL(ParseImp, ParseEqv, "IMP", kImp)
QB_LOGICAL_LEVEL(ParseEqv, ParseXor, "EQV", kEqv)
QB_LOGICAL_LEVEL(ParseXor, ParseOr, "XOR", kXor)
QB_LOGICAL_LEVEL(ParseOr, ParseAnd, "OR", kOr)
QB_LOGICAL_LEVEL(ParseAnd, ParseNot, "AND", kAnd)
QB_LOGICAL_LEVEL(ParseMod, ParseIntDivide, "MOD", kMod)
#undef QB_LOGICAL_LEVEL

ParsedExprPtr Parser::ParseNot() {
  if (Peek().IsKeyword("NOT") && !AtImpliedComparison()) {
    SourcePos pos = Take().pos;
    DepthGuard guard(*this);
    return MakeUnary(pos, ParsedOp::kNot, ParseNot());
  }
  return ParseComparison();
}

bool Parser::AtImpliedComparison() {
  if (implied_operand_.empty()) return false;
  const Token& token = Peek();
  if (token.kind == TokenKind::kOperator) {
    return token.text == "=" || token.text == "<>" || token.text == "<" || token.text == ">" ||
           token.text == "<=" || token.text == ">=";
  }
  if (token.IsKeyword("NOT")) {
    const Token& next = Peek(1);
    return next.IsKeyword("LIKE") || next.IsKeyword("BETWEEN") || next.IsKeyword("IN");
  }
  return token.IsKeyword("LIKE") || token.IsKeyword("BETWEEN") || token.IsKeyword("IN") ||
         token.IsKeyword("IS");
}

ParsedExprPtr Parser::ParseComparison() {
  ParsedExprPtr left;
  if (AtImpliedComparison()) {
    auto name = std::make_unique<ParsedName>(Peek().pos);
    name->parts.push_back(implied_operand_);
    name->quoted_last = true;
    left = std::move(name);
  } else {
    left = ParseConcat();
  }
  for (;;) {
    const Token& token = Peek();
    if (token.kind == TokenKind::kOperator) {
      ParsedOp op;
      if (token.text == "=") op = ParsedOp::kEqual;
      else if (token.text == "<>") op = ParsedOp::kNotEqual;
      else if (token.text == "<") op = ParsedOp::kLess;
      else if (token.text == ">") op = ParsedOp::kGreater;
      else if (token.text == "<=") op = ParsedOp::kLessEqual;
      else if (token.text == ">=") op = ParsedOp::kGreaterEqual;
      else return left;
      SourcePos pos = Take().pos;
      const Token& quantifier = Peek();
      bool any = quantifier.IsKeyword("ANY") || quantifier.IsKeyword("SOME");
      if ((any || quantifier.IsKeyword("ALL")) && Peek(1).IsPunct('(')) {
        Take();
        Take();
        if (!Peek().IsKeyword("SELECT")) FailExpected("SELECT");
        auto node = std::make_unique<ParsedSubquery>(pos);
        node->form = any ? ParsedSubquery::Form::kAny : ParsedSubquery::Form::kAll;
        node->op = op;
        int child = left->height;
        node->value = std::move(left);
        node->query = ParseSubquery();
        CheckHeight(*node, child);
        left = std::move(node);
        continue;
      }
      left = MakeBinary(pos, op, std::move(left), ParseConcat());
      continue;
    }
    bool negated = false;
    std::size_t at = 0;
    if (token.IsKeyword("NOT")) {
      const Token& next = Peek(1);
      if (!next.IsKeyword("LIKE") && !next.IsKeyword("BETWEEN") && !next.IsKeyword("IN")) {
        return left;
      }
      negated = true;
      at = 1;
    }
    const Token& word = Peek(at);
    SourcePos pos = Peek().pos;
    if (word.IsKeyword("LIKE")) {
      for (std::size_t i = 0; i <= at; ++i) Take();
      auto node = MakeBinary(pos, ParsedOp::kLike, std::move(left), ParseConcat());
      static_cast<ParsedBinary&>(*node).negated = negated;
      left = std::move(node);
    } else if (word.IsKeyword("BETWEEN")) {
      for (std::size_t i = 0; i <= at; ++i) Take();
      auto node = std::make_unique<ParsedBetween>(pos);
      node->negated = negated;
      node->value = std::move(left);
      node->low = ParseConcat();
      ExpectKeyword("AND");
      node->high = ParseConcat();
      CheckHeight(*node, std::max({node->value->height, node->low->height, node->high->height}));
      left = std::move(node);
    } else if (word.IsKeyword("IN")) {
      for (std::size_t i = 0; i <= at; ++i) Take();
      left = ParseInList(std::move(left), negated, pos);
    } else if (word.IsKeyword("IS")) {
      Take();
      auto node = std::make_unique<ParsedIsNull>(pos);
      node->negated = AcceptKeyword("NOT");
      ExpectKeyword("NULL");
      int child = left->height;
      node->value = std::move(left);
      CheckHeight(*node, child);
      left = std::move(node);
    } else {
      return left;
    }
  }
}

ParsedExprPtr Parser::ParseInList(ParsedExprPtr value, bool negated, const SourcePos& pos) {
  auto node = std::make_unique<ParsedIn>(pos);
  node->negated = negated;
  ExpectPunct('(');
  if (Peek().IsKeyword("SELECT")) {
    auto sub = std::make_unique<ParsedSubquery>(pos);
    sub->form = ParsedSubquery::Form::kIn;
    sub->negated = negated;
    int height = value->height;
    sub->value = std::move(value);
    sub->query = ParseSubquery();
    CheckHeight(*sub, height);
    return sub;
  }
  int child = value->height;
  node->value = std::move(value);
  do {
    node->items.push_back(ParseExpr());
    child = std::max(child, node->items.back()->height);
  } while (AcceptPunct(','));
  ExpectPunct(')');
  CheckHeight(*node, child);
  return node;
}

ParsedExprPtr Parser::ParseConcat() {
  ParsedExprPtr left = ParseAdditive();
  while (Peek().IsOperator("&")) {
    SourcePos pos = Take().pos;
    left = MakeBinary(pos, ParsedOp::kConcat, std::move(left), ParseAdditive());
  }
  return left;
}

ParsedExprPtr Parser::ParseAdditive() {
  ParsedExprPtr left = ParseMod();
  for (;;) {
    const Token& token = Peek();
    ParsedOp op;
    if (token.IsOperator("+")) op = ParsedOp::kAdd;
    else if (token.IsOperator("-")) op = ParsedOp::kSubtract;
    else return left;
    SourcePos pos = Take().pos;
    left = MakeBinary(pos, op, std::move(left), ParseMod());
  }
}

ParsedExprPtr Parser::ParseIntDivide() {
  ParsedExprPtr left = ParseMultiplicative();
  while (Peek().IsOperator("\\")) {
    SourcePos pos = Take().pos;
    left = MakeBinary(pos, ParsedOp::kIntDivide, std::move(left), ParseMultiplicative());
  }
  return left;
}

ParsedExprPtr Parser::ParseMultiplicative() {
  ParsedExprPtr left = ParseUnary();
  for (;;) {
    const Token& token = Peek();
    ParsedOp op;
    if (token.IsOperator("*")) op = ParsedOp::kMultiply;
    else if (token.IsOperator("/")) op = ParsedOp::kDivide;
    else return left;
    SourcePos pos = Take().pos;
    left = MakeBinary(pos, op, std::move(left), ParseUnary());
  }
}

ParsedExprPtr Parser::ParseUnary() {
  const Token& token = Peek();
  if (token.IsOperator("-") || token.IsOperator("+")) {
    ParsedOp op = token.text == "-" ? ParsedOp::kNegate : ParsedOp::kPlusSign;
    SourcePos pos = Take().pos;
    DepthGuard guard(*this);
    return MakeUnary(pos, op, ParseUnary());
  }
  return ParsePower();
}

ParsedExprPtr Parser::ParsePower() {
  ParsedExprPtr left = ParsePrimary();
  while (Peek().IsOperator("^")) {
    SourcePos pos = Take().pos;
    left = MakeBinary(pos, ParsedOp::kPower, std::move(left), ParsePowerOperand());
  }
  return left;
}

// The right operand of ^ may carry its own sign: 2 ^ -1.
ParsedExprPtr Parser::ParsePowerOperand() {
  const Token& token = Peek();
  if (token.IsOperator("-") || token.IsOperator("+")) {
    ParsedOp op = token.text == "-" ? ParsedOp::kNegate : ParsedOp::kPlusSign;
    SourcePos pos = Take().pos;
    DepthGuard guard(*this);
    return MakeUnary(pos, op, ParsePowerOperand());
  }
  return ParsePrimary();
}

ParsedExprPtr Parser::ParsePrimary() {
  const Token& token = Peek();
  switch (token.kind) {
    case TokenKind::kInteger: {
      auto node = std::make_unique<ParsedLiteral>(token.pos);
      node->type = ParsedLiteral::Type::kInteger;
      node->integer = Take().integer;
      return node;
    }
    case TokenKind::kReal: {
      auto node = std::make_unique<ParsedLiteral>(token.pos);
      node->type = ParsedLiteral::Type::kReal;
      node->text = token.text;  // the exact decimal spelling, for Currency
      node->real = Take().real;
      return node;
    }
    case TokenKind::kDate: {
      auto node = std::make_unique<ParsedLiteral>(token.pos);
      node->type = ParsedLiteral::Type::kDate;
      node->real = Take().real;
      return node;
    }
    case TokenKind::kString: {
      auto node = std::make_unique<ParsedLiteral>(token.pos);
      node->type = ParsedLiteral::Type::kString;
      node->text = Take().text;
      return node;
    }
    case TokenKind::kQuotedName:
      return ParseNameOrCall();
    case TokenKind::kPunct:
      if (token.IsPunct('(')) {
        SourcePos pos = Take().pos;
        if (Peek().IsKeyword("SELECT")) {
          auto sub = std::make_unique<ParsedSubquery>(pos);
          sub->query = ParseSubquery();
          return sub;
        }
        ParsedExprPtr inner = ParseExpr();
        ExpectPunct(')');
        return inner;
      }
      break;
    case TokenKind::kWord: {
      if (token.IsKeyword("NULL")) {
        auto node = std::make_unique<ParsedLiteral>(Take().pos);
        node->type = ParsedLiteral::Type::kNull;
        return node;
      }
      if (token.IsKeyword("TRUE") || token.IsKeyword("FALSE") || token.IsKeyword("YES") ||
          token.IsKeyword("NO")) {
        bool value = token.IsKeyword("TRUE") || token.IsKeyword("YES");
        auto node = std::make_unique<ParsedLiteral>(Take().pos);
        node->type = ParsedLiteral::Type::kBoolean;
        node->boolean = value;
        return node;
      }
      if (token.IsKeyword("EXISTS") && Peek(1).IsPunct('(')) {
        SourcePos pos = Take().pos;
        Take();
        if (!Peek().IsKeyword("SELECT")) FailExpected("SELECT");
        auto sub = std::make_unique<ParsedSubquery>(pos);
        sub->form = ParsedSubquery::Form::kExists;
        sub->query = ParseSubquery();
        return sub;
      }
      if (token.IsKeyword("NOT")) {
        // "a = Not b": Not as an operand takes what a Not at its own level would.
        DepthGuard guard(*this);
        return ParseNot();
      }
      // LEFT and RIGHT are join keywords, and functions when a "(" follows.
      bool function_word = (token.IsKeyword("LEFT") || token.IsKeyword("RIGHT")) &&
                           Peek(1).IsPunct('(');
      if (!IsReservedWord(token) || function_word) return ParseNameOrCall();
      break;
    }
    default:
      break;
  }
  FailExpected("an expression");
}

ParsedExprPtr Parser::ParseNameOrCall() {
  Token first = Take();
  if (first.kind == TokenKind::kWord && Peek().IsPunct('(')) {
    Take();
    auto call = std::make_unique<ParsedCall>(first.pos);
    call->function = first.text;
    int child = 0;
    if (!AcceptPunct(')')) {
      do {
        if (Peek().IsOperator("*") && Peek(1).IsPunct(')')) {
          call->args.push_back(std::make_unique<ParsedStar>(Take().pos));
        } else {
          call->args.push_back(ParseExpr());
        }
        child = std::max(child, call->args.back()->height);
      } while (AcceptPunct(','));
      ExpectPunct(')');
    }
    CheckHeight(*call, child);
    return call;
  }
  auto name = std::make_unique<ParsedName>(first.pos);
  name->parts.push_back(first.text);
  name->quoted_last = first.kind == TokenKind::kQuotedName;
  while (Peek().IsPunct('.') || Peek().IsPunct('!')) {
    const Token& next = Peek(1);
    bool is_bang = Peek().IsPunct('!');
    if (next.IsOperator("*") && !is_bang) {
      Take();
      auto star = std::make_unique<ParsedStar>(Take().pos);
      star->qualifier = std::move(name->parts);
      return star;
    }
    if (next.kind != TokenKind::kWord && next.kind != TokenKind::kQuotedName) {
      Take();
      FailExpected("a name");
    }
    Take();
    Token part = Take();
    name->bang.push_back(is_bang);
    name->parts.push_back(part.text);
    name->quoted_last = part.kind == TokenKind::kQuotedName;
    if (name->parts.size() > 8) FailAt(part.pos, "too many qualifiers in a name");
  }
  return name;
}

namespace {

ParsedExprPtr ParseWhole(std::string_view text, std::string implied_operand) {
  Parser parser(text, SqlClause{err::kSyntaxInExpression, "query expression"});
  parser.ImplyLeftOperand(std::move(implied_operand));
  ParsedExprPtr expr = parser.ParseExpr();
  if (parser.Peek().kind != TokenKind::kEnd) {
    parser.FailExpected("an operator or the end of the expression");
  }
  return expr;
}

}  // namespace

ParsedExprPtr ParseExpression(std::string_view text) { return ParseWhole(text, std::string()); }

ParsedExprPtr ParseFieldRule(std::string_view text, const std::string& field) {
  return ParseWhole(text, field);
}

}  // namespace qb::jet::sql
