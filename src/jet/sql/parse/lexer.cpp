// jet/sql/parse/lexer: the Jet SQL tokenizer. Reads bytes; never allocates more than the tokens it
// returns and never looks past the end of the text.
#include "jet/sql/parse/lexer.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "core/number_text.h"
#include "jet/sql/parse/date_literal.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }
bool IsWordStart(char c) { return IsAsciiLetter(c) || c == '_' || IsHigh(c); }
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool Token::IsKeyword(const char* keyword) const {
  if (kind != TokenKind::kWord) return false;
  std::size_t i = 0;
  for (; keyword[i] != '\0'; ++i) {
    if (i >= text.size() || AsciiUpper(text[i]) != keyword[i]) return false;
  }
  return i == text.size();
}

std::string DescribeToken(const Token& token) {
  switch (token.kind) {
    case TokenKind::kEnd:
      return "end of statement";
    case TokenKind::kString:
      return "string '" + token.text + "'";
    case TokenKind::kQuotedName:
      return "name [" + token.text + "]";
    case TokenKind::kDate:
      return "date #" + token.text + "#";
    default:
      return "'" + token.text + "'";
  }
}

void Lexer::Advance() {
  if (AtEnd()) return;
  char c = text_[pos_++];
  if (c == '\n') {
    ++line_;
    column_ = 1;
  } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
    // Continuation bytes of a UTF-8 character do not start a column of their own; the column
    // moved when the lead byte was passed, so only lead and ASCII bytes count.
    ++column_;
  }
}

void Lexer::SkipBlanks() {
  while (!AtEnd() && IsBlank(Peek())) Advance();
}

Token Lexer::Next() {
  SkipBlanks();
  SourcePos start{line_, column_, pos_};
  Token token;
  token.pos = start;
  if (AtEnd()) return token;  // kEnd

  char c = Peek();
  if (c == '[') return ReadQuotedName(start, ']');
  if (c == '`') return ReadQuotedName(start, '`');
  if (c == '\'' || c == '"') return ReadString(start, c);
  if (c == '#') return ReadDate(start);
  if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)) && !after_name_)) return ReadNumber(start);
  if (c == '&' && (Peek(1) == 'H' || Peek(1) == 'h') && DigitValue(Peek(2)) < 16) {
    return ReadRadixInteger(start, 16);
  }
  if (c == '&' && (Peek(1) == 'O' || Peek(1) == 'o') && DigitValue(Peek(2)) < 8) {
    return ReadRadixInteger(start, 8);
  }
  if (IsWordStart(c)) return ReadWord(start);

  after_name_ = false;
  if (c == '<' && (Peek(1) == '>' || Peek(1) == '=')) {
    token.kind = TokenKind::kOperator;
    token.text = std::string{c, Peek(1)};
    Advance();
    Advance();
    return token;
  }
  if (c == '>' && Peek(1) == '=') {
    token.kind = TokenKind::kOperator;
    token.text = ">=";
    Advance();
    Advance();
    return token;
  }
  switch (c) {
    case '&': case '+': case '-': case '*': case '/': case '\\': case '^':
    case '=': case '<': case '>':
      token.kind = TokenKind::kOperator;
      break;
    case '(': case ',': case '!': case ';': case '.':
      token.kind = TokenKind::kPunct;
      break;
    case ')':
      token.kind = TokenKind::kPunct;
      after_name_ = true;  // "(a).5" is not a number
      break;
    default: {
      std::string shown;
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        shown = "control character " + std::to_string(static_cast<int>(c));
      } else {
        shown = std::string("character '") + c + "'";
      }
      throw LexError{start, "unexpected " + shown};
    }
  }
  token.text = std::string(1, c);
  Advance();
  return token;
}

Token Lexer::ReadQuotedName(const SourcePos& start, char close) {
  Advance();  // the opening bracket or backtick
  std::size_t begin = pos_;
  while (!AtEnd() && Peek() != close) {
    char c = Peek();
    if (c == '\0' || (close == ']' && c == '[')) {
      throw LexError{start, "invalid character inside a bracketed name"};
    }
    Advance();
  }
  if (AtEnd()) throw LexError{start, "missing closing bracket of name"};
  Token token;
  token.kind = TokenKind::kQuotedName;
  token.pos = start;
  token.text = std::string(text_.substr(begin, pos_ - begin));
  Advance();  // the closing character
  if (token.text.empty()) throw LexError{start, "empty bracketed name"};
  after_name_ = true;
  return token;
}

Token Lexer::ReadString(const SourcePos& start, char quote) {
  Advance();  // opening quote
  Token token;
  token.kind = TokenKind::kString;
  token.pos = start;
  for (;;) {
    if (AtEnd()) throw LexError{start, "unterminated string"};
    char c = Peek();
    if (c == '\0') throw LexError{start, "NUL character inside a string"};
    Advance();
    if (c == quote) {
      if (Peek() != quote || AtEnd()) break;
      Advance();  // a doubled quote stands for one
    }
    token.text += c;
  }
  after_name_ = false;
  return token;
}

Token Lexer::ReadDate(const SourcePos& start) {
  Advance();  // opening #
  std::size_t begin = pos_;
  while (!AtEnd() && Peek() != '#') {
    if (Peek() == '\0' || Peek() == '\n') break;
    Advance();
  }
  if (AtEnd() || Peek() != '#') throw LexError{start, "unterminated date literal", true};
  Token token;
  token.kind = TokenKind::kDate;
  token.pos = start;
  token.text = std::string(text_.substr(begin, pos_ - begin));
  Advance();  // closing #
  std::optional<double> serial = ParseDateLiteral(token.text);
  if (!serial) throw LexError{start, "invalid date #" + token.text + "#", true};
  token.real = *serial;
  after_name_ = false;
  return token;
}

Token Lexer::ReadNumber(const SourcePos& start) {
  std::size_t begin = pos_;
  bool is_real = false;
  while (IsDigit(Peek())) Advance();
  if (Peek() == '.' && IsDigit(Peek(1))) {
    is_real = true;
    Advance();
    while (IsDigit(Peek())) Advance();
  } else if (Peek() == '.' && !IsWordStart(Peek(1))) {
    is_real = true;  // "1." is one, as in VBA; "1.Field" is left to the parser
    Advance();
  }
  if (Peek() == 'e' || Peek() == 'E') {
    std::size_t ahead = 1;
    if (Peek(1) == '+' || Peek(1) == '-') ahead = 2;
    if (IsDigit(Peek(ahead))) {
      is_real = true;
      for (std::size_t i = 0; i < ahead; ++i) Advance();
      while (IsDigit(Peek())) Advance();
    }
  }
  if (IsWordChar(Peek())) throw LexError{start, "malformed number"};
  Token token;
  token.pos = start;
  token.text = std::string(text_.substr(begin, pos_ - begin));
  after_name_ = false;
  if (!is_real) {
    const std::optional<std::int64_t> value = TextToInt64(token.text);
    if (value && *value <= INT32_MAX) {
      token.kind = TokenKind::kInteger;
      token.integer = *value;
      return token;
    }
    // Too large for a Long: the literal is a Double.
  }
  const std::optional<double> value = TextToDouble(token.text);
  if (!value || !std::isfinite(*value)) throw LexError{start, "number out of range"};
  token.kind = TokenKind::kReal;
  token.real = *value;
  return token;
}

Token Lexer::ReadRadixInteger(const SourcePos& start, int radix) {
  std::size_t begin = pos_;
  Advance();  // &
  Advance();  // H or O
  std::uint64_t value = 0;
  int digits = 0;
  while (DigitValue(Peek()) < radix) {
    value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(DigitValue(Peek()));
    if (value > 0xFFFFFFFFu) throw LexError{start, "number out of range"};
    ++digits;
    Advance();
  }
  if (IsWordChar(Peek())) throw LexError{start, "malformed number"};
  Token token;
  token.kind = TokenKind::kInteger;
  token.pos = start;
  token.text = std::string(text_.substr(begin, pos_ - begin));
  // As in VBA, up to four hex (six octal) digits make an Integer and eight a Long, both read as
  // two's complement: &HFFFF is -1.
  bool short_form = radix == 16 ? digits <= 4 : value <= 0xFFFF;
  if (short_form) {
    token.integer = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  } else {
    token.integer = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  after_name_ = false;
  return token;
}

Token Lexer::ReadWord(const SourcePos& start) {
  std::size_t begin = pos_;
  while (IsWordChar(Peek())) Advance();
  if (Peek() == '$') Advance();
  Token token;
  token.kind = TokenKind::kWord;
  token.pos = start;
  token.text = std::string(text_.substr(begin, pos_ - begin));
  after_name_ = true;
  return token;
}

std::vector<Token> Lex(std::string_view text) {
  Lexer lexer(text);
  std::vector<Token> tokens;
  try {
    for (;;) {
      tokens.push_back(lexer.Next());
      if (tokens.back().kind == TokenKind::kEnd) break;
    }
  } catch (const LexError& e) {
    RaiseSyntaxError(err::kSyntaxInExpression, e.in_date ? "date" : "query expression", e.pos,
                     e.detail);
  }
  return tokens;
}

}  // namespace qb::jet::sql
