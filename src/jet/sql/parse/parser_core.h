// jet/sql/parse/parser_core: the recursive-descent parser's machinery shared by the expression and
// statement grammars: the token cursor, clause-aware syntax errors and the nesting guard.
// Internal to jet/sql; callers use parser.h.
#pragma once
#include <deque>
#include <string>
#include <string_view>

#include "jet/sql/parse/lexer.h"
#include "jet/sql/parse/parsed_expr.h"

namespace qb::jet::sql {

// The statement part being read: decides the number and wording of a syntax error.
struct SqlClause {
  int error_number;
  const char* name;  // "CREATE TABLE statement", "query expression", ...
};

class Parser {
 public:
  // REQUIRES: TEXT outlives the parser.
  Parser(std::string_view text, SqlClause clause);

  // Token cursor. Tokens are read on demand, so a token that cannot be read fails in the
  // clause that reaches it.
  const Token& Peek(std::size_t ahead = 0);
  Token Take();
  bool AcceptKeyword(const char* keyword);   // KEYWORD in upper case
  void ExpectKeyword(const char* keyword);
  bool AcceptPunct(char c);
  void ExpectPunct(char c);
  // A plain word that is not a reserved word, or a [quoted] name; WHAT names it in the error
  // ("a table name").
  std::string ExpectName(const char* what);
  // Optional ";", then the end of the text (3142 otherwise).
  void ExpectEndOfStatement();

  // Raise the current clause's syntax error at the next token (or at POS).
  [[noreturn]] void Fail(std::string_view detail);
  [[noreturn]] void FailAt(const SourcePos& pos, std::string_view detail);
  // "expected WHAT but found <next token>".
  [[noreturn]] void FailExpected(std::string_view what);

  // Switches the clause for the lifetime of the scope.
  class ClauseScope {
   public:
    ClauseScope(Parser& parser, SqlClause clause) : parser_(parser), saved_(parser.clause_) {
      parser.clause_ = clause;
    }
    ~ClauseScope() { parser_.clause_ = saved_; }
    ClauseScope(const ClauseScope&) = delete;
    ClauseScope& operator=(const ClauseScope&) = delete;

   private:
    Parser& parser_;
    SqlClause saved_;
  };

  // A whole expression, Imp being the loosest operator. The tree's height and the parser's
  // recursion stay within kMaxExpressionDepth (3071 otherwise).
  ParsedExprPtr ParseExpr();

  // From now on a comparison written without its left operand ("> 0", "Like 'A*'", "Is Null")
  // compares the field NAME: the form of a field's validation rule. "" turns it off.
  void ImplyLeftOperand(std::string name) { implied_operand_ = std::move(name); }

  // The statement text between two byte offsets (a clause kept as written).
  std::string_view SourceText(std::size_t from, std::size_t to) const {
    return text_.substr(from, to > from ? to - from : 0);
  }

  // True for words that cannot stand as a plain name (operators, statement keywords).
  static bool IsReservedWord(const Token& token);

  // A query inside parentheses whose "(" is taken and whose SELECT is next; reads the ")".
  // Defined by the query grammar (query_parser.cpp).
  ParsedQueryPtr ParseSubquery();

  // Counts one level of recursion shared by expressions, subqueries and nested joins; fails
  // with 3071 beyond kMaxExpressionDepth.
  class DepthGuard {
   public:
    explicit DepthGuard(Parser& parser);
    ~DepthGuard() { --parser_.depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

   private:
    Parser& parser_;
  };

 private:
  ParsedExprPtr ParseImp();
  ParsedExprPtr ParseEqv();
  ParsedExprPtr ParseXor();
  ParsedExprPtr ParseOr();
  ParsedExprPtr ParseAnd();
  ParsedExprPtr ParseNot();
  ParsedExprPtr ParseComparison();
  // True when the next tokens start a comparison whose left operand is left out.
  bool AtImpliedComparison();
  ParsedExprPtr ParseConcat();
  ParsedExprPtr ParseAdditive();
  ParsedExprPtr ParseMod();
  ParsedExprPtr ParseIntDivide();
  ParsedExprPtr ParseMultiplicative();
  ParsedExprPtr ParseUnary();
  ParsedExprPtr ParsePower();
  ParsedExprPtr ParsePowerOperand();
  ParsedExprPtr ParsePrimary();
  ParsedExprPtr ParseNameOrCall();
  ParsedExprPtr ParseInList(ParsedExprPtr value, bool negated, const SourcePos& pos);
  ParsedExprPtr MakeBinary(const SourcePos& pos, ParsedOp op, ParsedExprPtr left,
                           ParsedExprPtr right);
  ParsedExprPtr MakeUnary(const SourcePos& pos, ParsedOp op, ParsedExprPtr operand);
  void CheckHeight(ParsedExpr& node, int child_height);

  std::string_view text_;  // constant after construction
  Lexer lexer_;
  std::deque<Token> lookahead_;
  SqlClause clause_;
  int depth_ = 0;  // recursion depth of the expression grammar
  std::string implied_operand_;  // see ImplyLeftOperand
};

}  // namespace qb::jet::sql
