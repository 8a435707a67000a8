// framework/component/form_lexer: splits form text into tokens with their line numbers, and
// quotes texts the way the lexer reads them back. Knows no grammar and no components.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

struct FormToken {
  enum class Kind { End, Identifier, Integer, Double, String, Symbol };
  Kind kind = Kind::End;
  std::string text;  // Identifier (may hold dots: "A.B"), String (decoded bytes)
  int64_t integer = 0;
  double real = 0;
  char symbol = 0;  // one of = : [ ] ( ) , +
  int line = 1;     // line the token begins on, from 1
};

// Reads tokens from a text that must outlive the lexer. Tokens:
//   identifier  [A-Za-z_][A-Za-z0-9_]* with further ".name" parts;
//   integer     optional sign, decimal digits, or '$' and hexadecimal digits;
//   double      optional sign, digits, then a fraction and/or an exponent;
//   string      adjacent parts 'text' (a quote doubled inside) and #n (code point n, decimal,
//               or #$ and hexadecimal), joined into one UTF-8 text;
//   symbol      = : [ ] ( ) , +
// Blanks, tabs and line ends separate tokens. Anything else raises EReadError with its line.
class FormLexer {
 public:
  explicit FormLexer(std::string_view text) : text_(text) {}
  // The next token, or one of kind End at the end of the text; raises EReadError on a bad one.
  FormToken Next();
  // The token Next() will return, without consuming it.
  const FormToken& Peek();
  // The line the lexer has reached.
  int Line() const { return line_; }

 private:
  FormToken Scan();
  FormToken ScanNumber();
  FormToken ScanString();

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  bool has_peeked_ = false;
  FormToken peeked_;
};

// TEXT as a string token: quoted runs and #n for control characters; '' for an empty text.
std::string QuoteFormString(std::string_view text);

}  // namespace qb
