// jet/sql/functions/fn_format_text: text patterns of Format, laid out character by character (UTF-8 code
// points); case goes through ICU's root locale as UCase and LCase do.
#include "jet/sql/functions/fn_format_text.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <string>
#include <vector>

#include "jet/sql/functions/fn_support.h"

namespace qb::jet::sql {
namespace {

// One element of a pattern: a placeholder or literal text.
struct Piece {
  char placeholder = 0;  // '@' or '&'; 0 for literal text
  std::string text;      // the literal
};

struct TextPattern {
  std::vector<Piece> pieces;
  char case_change = 0;  // '<', '>' or 0
  bool from_left = false;
  int placeholders = 0;
};

// Splits PATTERN at ";" outside quotes and escapes.
std::vector<std::string_view> TextSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '"') quoted = !quoted;
    if (pattern[i] == '\\' && !quoted) {
      ++i;
    } else if (pattern[i] == ';' && !quoted) {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(pattern.substr(start));
  return sections;
}

TextPattern ReadPattern(std::string_view section) {
  TextPattern pattern;
  auto literal = [&](std::string_view text) {
    if (pattern.pieces.empty() || pattern.pieces.back().placeholder != 0) pattern.pieces.emplace_back();
    pattern.pieces.back().text += text;
  };
  for (std::size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (c == '@' || c == '&') {
      pattern.pieces.push_back({c, std::string()});
      ++pattern.placeholders;
    } else if (c == '<' || c == '>') {
      pattern.case_change = c;
    } else if (c == '!') {
      pattern.from_left = true;
    } else if (c == '"') {
      const std::size_t end = section.find('"', i + 1);
      const std::size_t stop = end == std::string_view::npos ? section.size() : end;
      literal(section.substr(i + 1, stop - i - 1));
      i = stop;
    } else if (c == '\\' && i + 1 < section.size()) {
      // The escaped character whole, even when it takes several bytes.
      std::size_t next = i + 1;
      int32_t at = static_cast<int32_t>(next);
      UChar32 ignored;
      U8_NEXT(section.data(), at, static_cast<int32_t>(section.size()), ignored);
      (void)ignored;
      literal(section.substr(next, static_cast<std::size_t>(at) - next));
      i = static_cast<std::size_t>(at) - 1;
    } else {
      literal(section.substr(i, 1));
    }
  }
  return pattern;
}

std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  int32_t at = 0;
  const auto length = static_cast<int32_t>(text.size());
  while (at < length) {
    const int32_t start = at;
    UChar32 ignored;
    U8_NEXT(text.data(), at, length, ignored);
    (void)ignored;
    characters.push_back(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start)));
  }
  return characters;
}

std::string Apply(const TextPattern& pattern, std::string text) {
  if (pattern.case_change != 0) {
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    if (pattern.case_change == '>') {
      unicode.toUpper(icu::Locale::getRoot());
    } else {
      unicode.toLower(icu::Locale::getRoot());
    }
    text.clear();
    unicode.toUTF8String(text);
  }
  if (pattern.placeholders == 0) {
    std::string out;
    for (const Piece& piece : pattern.pieces) out += piece.text;
    return out + text;
  }
  const std::vector<std::string> characters = Characters(text);
  const std::size_t count = characters.size();
  const auto slots = static_cast<std::size_t>(pattern.placeholders);
  const std::size_t extra = count > slots ? count - slots : 0;
  // Placeholder number K (from 0, left to right) takes character FIRST + K when that exists.
  // From the right, the last placeholder takes the last character.
  const long first = pattern.from_left ? 0L : static_cast<long>(count) - static_cast<long>(slots);
  std::string out;
  std::size_t k = 0;
  for (const Piece& piece : pattern.pieces) {
    if (piece.placeholder == 0) {
      out += piece.text;
      continue;
    }
    if (k == 0 && !pattern.from_left) {
      for (std::size_t i = 0; i < extra; ++i) out += characters[i];
    }
    const long index = first + static_cast<long>(k);
    if (index >= 0 && index < static_cast<long>(count)) {
      out += characters[static_cast<std::size_t>(index)];
    } else if (piece.placeholder == '@') {
      out += ' ';
    }
    ++k;
    if (k == slots && pattern.from_left) {
      for (std::size_t i = slots; i < count; ++i) out += characters[i];
    }
  }
  return out;
}

}  // namespace

bool IsTextFormat(std::string_view format) {
  bool quoted = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '\\') {
      ++i;
    } else if (!quoted && (c == '@' || c == '&' || c == '<' || c == '>' || c == '!')) {
      return true;
    }
  }
  return false;
}

Variant FormatText(const Variant& value, std::string_view format) {
  const std::vector<std::string_view> sections = TextSections(format);
  const bool empty = value.IsNull() || (value.Type() == VarType::String && value.ToString().empty());
  if (empty && sections.size() >= 2) return Variant(Apply(ReadPattern(sections[1]), std::string()));
  if (value.IsNull()) return Variant::Null();
  return Variant(Apply(ReadPattern(sections[0]), ToText(value)));
}

}  // namespace qb::jet::sql
