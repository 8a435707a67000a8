// jet/sql/functions/like: the pattern compiler and the matcher. Iterative matching with one backtrack
// point per "*", so no pattern can make it recurse or take exponential time.
#include "jet/sql/functions/like.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

#include "jet/sql/functions/fn_support.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

using Element = LikePattern::Element;

// The character at byte I of TEXT, moving I past it; an invalid byte is U+FFFD and one byte.
inline UChar32 NextChar(std::string_view text, std::size_t& i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (byte < 0x80) {
    ++i;
    return byte;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data() + i);
  const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size() - i, 4));
  int32_t used = 0;
  UChar32 c;
  U8_NEXT(bytes, used, length, c);
  i += static_cast<std::size_t>(used);
  return c < 0 ? 0xFFFD : c;
}

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

inline UChar32 Fold(UChar32 c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
  return u_foldCase(c, U_FOLD_CASE_DEFAULT);
}

std::vector<UChar32> Decode(std::string_view text) {
  std::vector<UChar32> out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out.push_back(NextChar(text, i));
  return out;
}

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
      for (const auto& [low, high] : set.ranges) set.folded.emplace_back(Fold(low), Fold(high));
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
  for (std::size_t k = 0; k < set.ranges.size(); ++k) {
    const auto& [low, high] = set.ranges[k];
    const auto& [folded_low, folded_high] = set.folded[k];
    if ((c >= low && c <= high) || (folded >= folded_low && folded <= folded_high)) return true;
  }
  return false;
}

inline bool MatchOne(const Element& e, UChar32 c) {
  switch (e.kind) {
    case Element::kChar: return Fold(c) == e.c;
    case Element::kAny: return true;
    case Element::kDigit: return c >= '0' && c <= '9';
    case Element::kSet: return InSet(e, c) != e.negated;
    case Element::kStar: return false;
  }
  return false;
}

// True when the ASCII TEXT at OFFSET equals the lower-case LITERAL, ignoring case.
inline bool SameAt(std::string_view text, std::size_t offset, const std::string& literal) {
  for (std::size_t k = 0; k < literal.size(); ++k) {
    if (LowerAscii(text[offset + k]) != literal[k]) return false;
  }
  return true;
}

}  // namespace

LikePattern::LikePattern(std::string_view pattern) : elements_(Compile(pattern)) {
  std::size_t first = 0, last = elements_.size();
  const bool leading = first < last && elements_[first].kind == Element::kStar;
  if (leading) ++first;
  const bool trailing = first < last && elements_[last - 1].kind == Element::kStar;
  if (trailing) --last;
  for (std::size_t k = first; k < last; ++k) {
    if (elements_[k].kind != Element::kChar || elements_[k].c >= 0x80) return;  // general
    literal_.push_back(static_cast<char>(elements_[k].c));
  }
  shape_ = leading ? (trailing ? Shape::kContains : Shape::kSuffix)
                   : (trailing ? Shape::kPrefix : Shape::kExact);
}

bool LikePattern::Matches(std::string_view text) const {
  return shape_ == Shape::kGeneral ? MatchesGeneral(text) : MatchesLiteral(text);
}

bool LikePattern::MatchesLiteral(std::string_view text) const {
  // A character outside ASCII may fold onto an ASCII one (the Kelvin sign onto "k"): such
  // text takes the general matcher.
  bool ascii = true;
  for (char c : text) ascii &= static_cast<unsigned char>(c) < 0x80;
  if (!ascii) return MatchesGeneral(text);
  const std::size_t n = text.size(), m = literal_.size();
  switch (shape_) {
    case Shape::kExact: return n == m && SameAt(text, 0, literal_);
    case Shape::kPrefix: return n >= m && SameAt(text, 0, literal_);
    case Shape::kSuffix: return n >= m && SameAt(text, n - m, literal_);
    case Shape::kContains:
      if (m == 0) return true;
      for (std::size_t i = 0; i + m <= n; ++i) {
        if (LowerAscii(text[i]) == literal_[0] && SameAt(text, i, literal_)) return true;
      }
      return false;
    case Shape::kGeneral: break;
  }
  return MatchesGeneral(text);
}

bool LikePattern::MatchesGeneral(std::string_view text) const {
  const std::size_t n = text.size(), m = elements_.size();
  std::size_t ti = 0, pi = 0;
  std::size_t star_p = SIZE_MAX, star_t = 0;
  while (ti < n) {
    if (pi < m && elements_[pi].kind == Element::kStar) {
      star_p = pi++;
      star_t = ti;
      continue;
    }
    std::size_t next = ti;
    const UChar32 c = NextChar(text, next);
    if (pi < m && MatchOne(elements_[pi], c)) {
      ++pi;
      ti = next;
    } else if (star_p != SIZE_MAX) {
      pi = star_p + 1;
      NextChar(text, star_t);
      ti = star_t;
    } else {
      return false;
    }
  }
  while (pi < m && elements_[pi].kind == Element::kStar) ++pi;
  return pi == m;
}

bool LikeMatch(std::string_view text, std::string_view pattern) {
  return LikePattern(pattern).Matches(text);
}

Variant Like(const Variant& value, const Variant& pattern) {
  if (value.IsNull() || pattern.IsNull()) return Variant::Null();
  return Variant(LikeMatch(ToText(value), ToText(pattern)));
}

}  // namespace qb::jet::sql
