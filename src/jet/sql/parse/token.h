// jet/sql/parse/token: the tokens the Jet SQL lexer produces and their source positions.
// Plain data only; producing tokens is the lexer's job, giving them meaning the parser's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qb::jet::sql {

// Where a token starts in the statement text: 1-based line and column (columns count UTF-8
// characters) and the 0-based byte offset.
struct SourcePos {
  int line = 1;
  int column = 1;
  std::size_t offset = 0;
  bool operator==(const SourcePos&) const = default;
};

enum class TokenKind {
  kWord,        // plain name or keyword: letters, digits, "_"; may end in "$" (Left$)
  kQuotedName,  // [bracketed] or `backticked` name; text is the name without its quotes
  kString,      // 'text' or "text"; text is the value with doubled quotes undone
  kInteger,     // decimal or &H / &O integer; integer holds the value
  kReal,        // number with a fraction or an exponent; real holds the value
  kDate,        // #date#; text is what stood between the #s, real the date serial
  kOperator,    // & + - * / \ ^ = <> < > <= >=; text is the operator
  kPunct,       // ( ) , . ! ; and "*" is an operator; text is the character
  kEnd,         // end of the text (always the last token)
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;        // see TokenKind; the source spelling for words and operators
  std::int64_t integer = 0;
  double real = 0;
  SourcePos pos;

  bool IsOperator(const char* op) const { return kind == TokenKind::kOperator && text == op; }
  bool IsPunct(char c) const {
    return kind == TokenKind::kPunct && text.size() == 1 && text[0] == c;
  }
  // True for a plain word equal to KEYWORD ignoring ASCII case (KEYWORD in upper case).
  bool IsKeyword(const char* keyword) const;
};

// A short description of TOKEN for messages: "'FROM'", "end of statement", "string 'abc'".
std::string DescribeToken(const Token& token);

}  // namespace qb::jet::sql
