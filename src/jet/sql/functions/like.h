// jet/sql/functions/like: Jet's Like operator: the wildcard pattern matcher (* ? # [list] [a-z] [!list])
// with case folding through ICU. Text in, verdict out; no collation, no SQLite.
#pragma once
#include <unicode/umachine.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/variant.h"

namespace qb::jet::sql {

// One compiled Like pattern, to be matched against many texts (a statement compiles its
// constant pattern once). Matching works on the UTF-8 bytes, decoding and folding a character
// only where it is not plain ASCII.
//   *  any run of characters      ?  one character      #  one digit 0-9
//   [abc] [a-z] one of the listed characters or ranges  [!...] one character not listed
//   [*] [?] [#] [[] the character itself; "-" first or last in a list is itself; "]" alone is
//   itself. Invalid UTF-8 bytes count as one character each. Case is ignored (Unicode simple
//   case folding).
class LikePattern {
 public:
  // Raises EOleException 93 for a pattern with an unclosed "[" or a descending range.
  explicit LikePattern(std::string_view pattern);

  // True when all of TEXT matches. Runs in time proportional to len(TEXT) * len(PATTERN) at
  // worst.
  bool Matches(std::string_view text) const;

  struct Element {
    enum Kind { kChar, kAny, kDigit, kStar, kSet };
    explicit Element(Kind k) : kind(k) {}
    Kind kind;
    UChar32 c = 0;                                         // kChar (folded)
    std::vector<std::pair<UChar32, UChar32>> ranges;       // kSet, as written
    std::vector<std::pair<UChar32, UChar32>> folded;       // kSet, each end folded
    bool negated = false;                                  // kSet
  };

 private:
  // Patterns of plain ASCII characters with "*" only at either end take a substring search.
  enum class Shape { kGeneral, kExact, kPrefix, kSuffix, kContains };

  bool MatchesGeneral(std::string_view text) const;
  bool MatchesLiteral(std::string_view text) const;

  std::vector<Element> elements_;
  Shape shape_ = Shape::kGeneral;
  std::string literal_;  // the ASCII literal of a non-general shape, lower case
};

// True when all of TEXT matches PATTERN (see LikePattern).
bool LikeMatch(std::string_view text, std::string_view pattern);

// Like on variants: Null when either is Null, else -1 (True) or 0 as a Boolean. Non-text
// values are compared as their text.
Variant Like(const Variant& value, const Variant& pattern);

}  // namespace qb::jet::sql
