// jet/sql/functions/like: the pattern compiler and the matcher. Iterative matching with one backtrack
// point per "*", so no pattern can make it recurse or take exponential time.
#include "jet/sql/functions/like.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <vector>

#include "jet/sql/functions/fn_support.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

struct Element {
  enum Kind { kChar, kAny, kDigit, kStar, kSet };
  explicit Element(Kind k) : kind(k) {}
  Kind kind;
  UChar32 c = 0;                                // kChar (folded)
  std::vector<std::pair<UChar32, UChar32>> ranges;  // kSet (folded)
  bool negated = false;                         // kSet
};

std::vector<UChar32> Decode(std::string_view text) {
  std::vector<UChar32> out;
  out.reserve(text.size());
  int32_t i = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  while (i < length) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    out.push_back(c < 0 ? 0xFFFD : c);
  }
  return out;
}

UChar32 Fold(UChar32 c) { return u_foldCase(c, U_FOLD_CASE_DEFAULT); }

[[noreturn]] void RaiseBadPattern(std::string_view pattern) {
  RaiseSqlError(err::kInvalidPattern,
                "Invalid pattern string '" + std::string(pattern) + "' in Like.");
}

std::vector<Element> Compile(std::string_view pattern) {
  std::vector<UChar32> p = Decode(pattern);
  std::vector<Element> elements;
  for (std::size_t i = 0; i < p.size(); ++i) {
    UChar32 c = p[i];
    if (c == '*') {
      if (elements.empty() || elements.back().kind != Element::kStar) {
        elements.emplace_back(Element::kStar);
      }
    } else if (c == '?') {
      elements.emplace_back(Element::kAny);
    } else if (c == '#') {
      elements.emplace_back(Element::kDigit);
    } else if (c == '[') {
      std::size_t close = i + 1;
      while (close < p.size() && p[close] != ']') ++close;
      if (close >= p.size()) RaiseBadPattern(pattern);
      Element set(Element::kSet);
      std::size_t j = i + 1;
      if (j < close && p[j] == '!') {
        set.negated = true;
        ++j;
      }
      if (j == close && !set.negated) {  // "[]" matches nothing at all: it is left out
        i = close;
        continue;
      }
      for (; j < close; ++j) {
        UChar32 low = p[j];
        if (j + 2 < close && p[j + 1] == '-') {
          UChar32 high = p[j + 2];
          if (high < low) RaiseBadPattern(pattern);
          set.ranges.emplace_back(low, high);
          j += 2;
        } else {
          set.ranges.emplace_back(low, low);
        }
      }
      elements.push_back(std::move(set));
      i = close;
    } else {
      Element ch(Element::kChar);
      ch.c = Fold(c);
      elements.push_back(ch);
    }
  }
  return elements;
}

bool InSet(const Element& set, UChar32 c) {
  UChar32 folded = Fold(c);
  for (const auto& [low, high] : set.ranges) {
    if ((c >= low && c <= high) || (folded >= Fold(low) && folded <= Fold(high))) return true;
  }
  return false;
}

bool MatchOne(const Element& e, UChar32 c) {
  switch (e.kind) {
    case Element::kChar: return Fold(c) == e.c;
    case Element::kAny: return true;
    case Element::kDigit: return c >= '0' && c <= '9';
    case Element::kSet: return InSet(e, c) != e.negated;
    case Element::kStar: return false;
  }
  return false;
}

}  // namespace

bool LikeMatch(std::string_view text, std::string_view pattern) {
  std::vector<Element> elements = Compile(pattern);
  std::vector<UChar32> t = Decode(text);
  std::size_t ti = 0, pi = 0;
  std::size_t star_p = SIZE_MAX, star_t = 0;
  while (ti < t.size()) {
    if (pi < elements.size() && elements[pi].kind == Element::kStar) {
      star_p = pi++;
      star_t = ti;
    } else if (pi < elements.size() && MatchOne(elements[pi], t[ti])) {
      ++pi;
      ++ti;
    } else if (star_p != SIZE_MAX) {
      pi = star_p + 1;
      ti = ++star_t;
    } else {
      return false;
    }
  }
  while (pi < elements.size() && elements[pi].kind == Element::kStar) ++pi;
  return pi == elements.size();
}

Variant Like(const Variant& value, const Variant& pattern) {
  if (value.IsNull() || pattern.IsNull()) return Variant::Null();
  return Variant(LikeMatch(ToText(value), ToText(pattern)));
}

}  // namespace qb::jet::sql
