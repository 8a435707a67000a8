// jet/sql/parse/parser_core: token cursor and syntax errors of the parser. No grammar here beyond
// the end-of-statement rule.
#include "jet/sql/parse/parser_core.h"

#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

// Words that never stand as a plain name: the operators and the statement keywords whose
// appearance as a name would make a statement ambiguous. Bracket them to use them as names.
constexpr const char* kReserved[] = {
    "AND", "OR", "NOT", "XOR", "EQV", "IMP", "MOD", "LIKE", "BETWEEN", "IN", "IS", "NULL",
    "SELECT", "FROM", "WHERE", "GROUP", "HAVING", "ORDER", "BY", "UNION", "INSERT", "UPDATE",
    "DELETE", "INTO", "VALUES", "SET", "CREATE", "ALTER", "DROP", "TABLE", "INDEX", "ON",
    "CONSTRAINT", "PRIMARY", "KEY", "UNIQUE", "REFERENCES", "FOREIGN", "WITH", "AS", "JOIN",
    "INNER", "LEFT", "RIGHT", "OUTER", "DISTINCT", "DISTINCTROW", "TOP", "PARAMETERS",
    "TRANSFORM", "PIVOT", "EXISTS", "ANY", "ALL", "SOME", "TRUE", "FALSE", "COLUMN", "ADD",
};

}  // namespace

Parser::Parser(std::string_view text, SqlClause clause) : text_(text), lexer_(text), clause_(clause) {}

bool Parser::IsReservedWord(const Token& token) {
  if (token.kind != TokenKind::kWord) return false;
  for (const char* word : kReserved) {
    if (token.IsKeyword(word)) return true;
  }
  return false;
}

const Token& Parser::Peek(std::size_t ahead) {
  while (lookahead_.size() <= ahead) {
    if (!lookahead_.empty() && lookahead_.back().kind == TokenKind::kEnd) {
      return lookahead_.back();  // everything past the end is the end
    }
    try {
      lookahead_.push_back(lexer_.Next());
    } catch (const LexError& e) {
      if (e.in_date) RaiseSyntaxError(err::kSyntaxInExpression, "date", e.pos, e.detail);
      FailAt(e.pos, e.detail);
    }
  }
  return lookahead_[ahead];
}

Token Parser::Take() {
  Peek();
  Token token = std::move(lookahead_.front());
  lookahead_.pop_front();
  if (token.kind == TokenKind::kEnd) lookahead_.push_front(token);  // the end stays
  return token;
}

bool Parser::AcceptKeyword(const char* keyword) {
  if (!Peek().IsKeyword(keyword)) return false;
  Take();
  return true;
}

void Parser::ExpectKeyword(const char* keyword) {
  if (!AcceptKeyword(keyword)) FailExpected(keyword);
}

bool Parser::AcceptPunct(char c) {
  if (!Peek().IsPunct(c)) return false;
  Take();
  return true;
}

void Parser::ExpectPunct(char c) {
  if (!AcceptPunct(c)) FailExpected(std::string("'") + c + "'");
}

std::string Parser::ExpectName(const char* what) {
  const Token& token = Peek();
  if (token.kind == TokenKind::kQuotedName ||
      (token.kind == TokenKind::kWord && !IsReservedWord(token))) {
    return Take().text;
  }
  FailExpected(what);
}

void Parser::ExpectEndOfStatement() {
  AcceptPunct(';');
  const Token& token = Peek();
  if (token.kind != TokenKind::kEnd) {
    RaiseSyntaxError(err::kAfterEnd, "statement", token.pos,
                     "characters found after the end of the statement, starting with " +
                         DescribeToken(token));
  }
}

void Parser::Fail(std::string_view detail) { FailAt(Peek().pos, detail); }

void Parser::FailAt(const SourcePos& pos, std::string_view detail) {
  RaiseSyntaxError(clause_.error_number, clause_.name, pos, detail);
}

void Parser::FailExpected(std::string_view what) {
  const Token& token = Peek();
  std::string detail = "expected ";
  detail += what;
  detail += " but found ";
  detail += DescribeToken(token);
  FailAt(token.pos, detail);
}

}  // namespace qb::jet::sql
