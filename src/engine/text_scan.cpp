// engine/text_scan: byte-wise scanning with 1-based positions. Works in 64-bit indexes
// internally so that no position arithmetic can overflow or read outside the text.
#include "engine/text_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace qb {
namespace {

using Index = std::int64_t;  // 1-based position inside a routine

// Membership test for a set given as text; only ASCII characters can be members.
class CharSet {
 public:
  explicit CharSet(std::string_view members) {
    for (char c : members) {
      auto b = static_cast<unsigned char>(c);
      if (b < 0x80) member_[b] = true;
    }
  }
  bool Has(char c) const {
    auto b = static_cast<unsigned char>(c);
    return b < 0x80 && member_[b];
  }

 private:
  std::array<bool, 128> member_{};
};

// Byte at 1-based position P. REQUIRES: 1 <= p <= text.size().
char At(std::string_view text, Index p) { return text[static_cast<std::size_t>(p - 1)]; }

Index Size(std::string_view text) { return static_cast<Index>(text.size()); }

Index SkipMembers(std::string_view text, Index p, const CharSet& set) {
  while (p <= Size(text) && set.Has(At(text, p))) ++p;
  return p;
}

Index SkipNonMembers(std::string_view text, Index p, const CharSet& set) {
  while (p <= Size(text) && !set.Has(At(text, p))) ++p;
  return p;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether KEYWORD stands in TEXT at P. REQUIRES: p + keyword.size() - 1 <= text.size().
bool MatchesAt(std::string_view text, Index p, std::string_view keyword, bool ignore_case) {
  std::string_view here = text.substr(static_cast<std::size_t>(p - 1), keyword.size());
  if (!ignore_case) return here == keyword;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    if (FoldAscii(here[i]) != FoldAscii(keyword[i])) return false;
  }
  return true;
}

// Number of bytes of the UTF-8 character starting at byte index I (0-based, i < size). A byte
// that does not start a well-formed sequence counts as a character of its own.
std::size_t CharLength(std::string_view text, std::size_t i) {
  auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  }
  if (length > text.size() - i) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    auto b = static_cast<unsigned char>(text[i + k]);
    if (b < 0x80 || b > 0xBF) return 1;
  }
  return length;
}

// UTF-8 form of CH; U+FFFD for surrogates and values beyond U+10FFFF. VALID (when given) tells
// whether CH was a valid code point.
std::string EncodeUtf8(char32_t ch, bool* valid = nullptr) {
  bool ok = ch <= 0x10FFFF && !(ch >= 0xD800 && ch <= 0xDFFF);
  if (valid) *valid = ok;
  if (!ok) ch = 0xFFFD;
  std::string out;
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
  return out;
}

// Position of the first keyword of the list found from FROM, or 0 when none is found.
Index FirstKeywordFrom(std::string_view text, std::string_view separators,
                       const std::vector<std::string>& keywords, Index from, bool ignore_case) {
  int pos = static_cast<int>(from);
  return FindFirstKeyword(text, separators, keywords, pos, ignore_case) ? pos : 0;
}

}  // namespace

bool FindKeyword(std::string_view text, std::string_view keyword, int& pos,
                 std::string_view separators, bool ignore_case, bool whole_word) {
  if (keyword.empty()) return false;
  const CharSet seps(separators);
  const Index n = Size(text);
  const Index k = Size(keyword);
  Index p = std::max<Index>(pos, 1);
  if (whole_word) p = SkipMembers(text, p, seps);
  while (p <= n - k + 1) {
    if (MatchesAt(text, p, keyword, ignore_case)) {
      const Index after = p + k;
      if (!whole_word || after > n || seps.Has(At(text, after))) {
        pos = static_cast<int>(p);
        return true;
      }
    }
    if (whole_word) {
      // On to the start of the next word: a keyword never matches inside one.
      p = SkipMembers(text, SkipNonMembers(text, p, seps), seps);
    } else {
      ++p;
    }
  }
  return false;
}

bool FindFirstKeyword(std::string_view text, std::string_view separators,
                      const std::vector<std::string>& keywords, int& pos, bool ignore_case) {
  for (const std::string& keyword : keywords) {
    if (keyword.empty()) continue;
    int found = pos;
    if (FindKeyword(text, keyword, found, separators, ignore_case, true)) {
      pos = found;
      return true;
    }
  }
  return false;
}

std::string ExtractClause(std::string_view text, std::string_view separators,
                          const std::vector<std::string>& start_keywords,
                          const std::vector<std::string>& end_keywords, bool ignore_case) {
  const Index start = FirstKeywordFrom(text, separators, start_keywords, 1, ignore_case);
  if (start == 0) return {};
  Index end = FirstKeywordFrom(text, separators, end_keywords, start, ignore_case);
  if (end == 0) end = Size(text) + 1;
  return std::string(text.substr(static_cast<std::size_t>(start - 1),
                                 static_cast<std::size_t>(end - start)));
}

std::string ReplaceClause(std::string_view text, std::string_view separators,
                          std::string_view new_text,
                          const std::vector<std::string>& start_keywords,
                          const std::vector<std::string>& end_keywords, bool ignore_case) {
  const Index n = Size(text);
  Index start = FirstKeywordFrom(text, separators, start_keywords, 1, ignore_case);
  // A present clause ends at the first end keyword after its start, exactly the stretch that
  // ExtractClause reports. Searching the end keywords from the top of the text instead would,
  // when one of them also stands before the clause (a subquery's ORDER BY in front of the
  // outer WHERE), leave the old clause in place and insert the new one at the wrong spot.
  // An absent clause goes in front of the first end keyword the text has.
  Index end = FirstKeywordFrom(text, separators, end_keywords, start == 0 ? 1 : start,
                               ignore_case);
  if (start == 0) start = n + 1;
  if (end == 0) end = n + 1;

  std::string result(text);
  if (start < end) {
    result.erase(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start));
  } else {
    start = end;
  }
  if (!new_text.empty()) result.insert(static_cast<std::size_t>(start - 1), new_text);
  return result;
}

std::string NextWord(std::string_view text, int& pos, std::string_view separators,
                     bool skip_leading) {
  const CharSet seps(separators);
  Index p = std::max<Index>(pos, 1);
  if (p > Size(text)) {
    pos = static_cast<int>(p);
    return {};
  }
  if (skip_leading) p = SkipMembers(text, p, seps);
  const Index word_start = p;
  p = SkipNonMembers(text, p, seps);
  std::string word(text.substr(static_cast<std::size_t>(word_start - 1),
                               static_cast<std::size_t>(p - word_start)));
  pos = static_cast<int>(SkipMembers(text, p, seps));
  return word;
}

std::string FirstWord(std::string_view text, std::string_view separators) {
  int pos = 1;
  return NextWord(text, pos, separators, true);
}

std::string DropFirstWord(std::string_view text, std::string_view separators) {
  const CharSet seps(separators);
  const Index p = SkipNonMembers(text, SkipMembers(text, 1, seps), seps);
  return std::string(text.substr(static_cast<std::size_t>(p - 1)));
}

std::string DropWord(std::string_view text, std::string_view separators) {
  const CharSet seps(separators);
  const Index p = SkipMembers(text, SkipNonMembers(text, SkipMembers(text, 1, seps), seps), seps);
  return std::string(text.substr(static_cast<std::size_t>(p - 1)));
}

std::string TrimChars(std::string_view text, std::string_view chars) {
  const CharSet set(chars);
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && set.Has(text[first])) ++first;
  while (last > first && set.Has(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

std::string TrimRightChars(std::string_view text, std::string_view chars) {
  const CharSet set(chars);
  std::size_t last = text.size();
  while (last > 0 && set.Has(text[last - 1])) --last;
  return std::string(text.substr(0, last));
}

std::string DeleteChars(std::string_view text, std::string_view chars) {
  const CharSet set(chars);
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (!set.Has(c)) result += c;
  }
  return result;
}

std::string TranslateChars(std::string_view text, std::string_view from_set,
                           std::string_view to_set) {
  // replacement[b] is what ASCII byte b becomes; bytes not listed map to themselves.
  std::array<char, 128> replacement{};
  std::array<bool, 128> listed{};
  for (std::size_t b = 0; b < replacement.size(); ++b) replacement[b] = static_cast<char>(b);
  for (std::size_t i = 0; i < from_set.size(); ++i) {
    auto from = static_cast<unsigned char>(from_set[i]);
    if (from >= 0x80 || listed[from]) continue;  // only the first occurrence gives the index
    listed[from] = true;
    if (i < to_set.size() && static_cast<unsigned char>(to_set[i]) < 0x80) {
      replacement[from] = to_set[i];
    }
  }
  std::string result(text);
  for (char& c : result) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x80) c = replacement[b];
  }
  return result;
}

int CharPos(char32_t ch, std::string_view text) {
  bool valid = false;
  const std::string needle = EncodeUtf8(ch, &valid);
  if (!valid) return 0;
  const std::size_t at = text.find(needle);
  return at == std::string_view::npos ? 0 : static_cast<int>(at + 1);
}

std::string PadText(std::string_view text, int length, char32_t fill) {
  if (length <= 0) return {};
  std::size_t end = 0;
  int count = 0;
  while (end < text.size() && count < length) {
    end += CharLength(text, end);
    ++count;
  }
  std::string result(text.substr(0, end));
  if (count < length) {
    const std::string filler = EncodeUtf8(fill);
    result.reserve(result.size() + filler.size() * static_cast<std::size_t>(length - count));
    for (; count < length; ++count) result += filler;
  }
  return result;
}

std::string Enclose(std::string_view text, char32_t open, char32_t close) {
  std::string result = EncodeUtf8(open);
  result += text;
  result += EncodeUtf8(close);
  return result;
}

bool IsTrueText(std::string_view text) {
  return !text.empty() && std::string_view("tT1wW").find(text.front()) != std::string_view::npos;
}

}  // namespace qb
