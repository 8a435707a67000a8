// jet/sql/parse/lexer: splits Jet SQL text into tokens on demand, keeping each token's position.
// Knows no grammar: keywords are plain words here and the parser gives them meaning.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "jet/sql/parse/token.h"

namespace qb::jet::sql {

// A token that cannot be read: what is wrong and where the bad token starts. The parser turns
// it into the syntax error of the clause it is reading.
struct LexError {
  SourcePos pos;
  std::string detail;   // "unterminated string", "invalid date literal '13/45/2000'", ...
  bool in_date = false;  // a malformed #date# (its own error wording)
};

// Reads tokens from a text that must outlive the lexer. Never reads past the text's end.
// Rules: blanks are space, tab, CR and LF; there are no comments; words are ASCII letters,
// digits, "_" and any non-ASCII byte, starting with a letter, "_" or non-ASCII byte, and may end
// with one "$"; NUL and other control characters start no token.
class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  // The next token; kEnd at the end of the text, and again on every later call.
  // Raises LexError (a plain struct, not an engine error) for a token that cannot be read.
  Token Next();

 private:
  char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  bool AtEnd(std::size_t ahead = 0) const { return pos_ + ahead >= text_.size(); }
  void Advance();  // one byte, keeping line and column
  void SkipBlanks();
  Token ReadQuotedName(const SourcePos& start, char close);
  Token ReadString(const SourcePos& start, char quote);
  Token ReadDate(const SourcePos& start);
  Token ReadNumber(const SourcePos& start);
  Token ReadRadixInteger(const SourcePos& start, int radix);
  Token ReadWord(const SourcePos& start);

  std::string_view text_;  // constant after construction
  std::size_t pos_ = 0;
  int line_ = 1;
  int column_ = 1;
  bool after_name_ = false;  // the last token was a name or ")": ".5" is a qualifier
};

// Every token of TEXT, the last one kEnd. Raises EOleException 3075 naming the position when a
// token cannot be read.
std::vector<Token> Lex(std::string_view text);

}  // namespace qb::jet::sql
