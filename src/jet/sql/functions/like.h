// jet/sql/functions/like: Jet's Like operator: the wildcard pattern matcher (* ? # [list] [a-z] [!list])
// with case folding through ICU. Text in, verdict out; no collation, no SQLite.
#pragma once
#include <string_view>

#include "com/variant.h"

namespace qb::jet::sql {

// True when all of TEXT matches PATTERN, ignoring case (Unicode simple case folding).
//   *  any run of characters      ?  one character      #  one digit 0-9
//   [abc] [a-z] one of the listed characters or ranges  [!...] one character not listed
//   [*] [?] [#] [[] the character itself; "-" first or last in a list is itself; "]" alone is
//   itself. Invalid UTF-8 bytes count as one character each.
// Raises EOleException 93 for a pattern with an unclosed "[" or a descending range. Runs in
// time proportional to len(TEXT) * len(PATTERN) at worst.
bool LikeMatch(std::string_view text, std::string_view pattern);

// Like on variants: Null when either is Null, else -1 (True) or 0 as a Boolean. Non-text
// values are compared as their text.
Variant Like(const Variant& value, const Variant& pattern);

}  // namespace qb::jet::sql
