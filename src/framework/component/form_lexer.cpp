// framework/component/form_lexer: the token scanner of form text and its string quoting.
#include "framework/component/form_lexer.h"

#include <charconv>
#include <cstdint>

#include "framework/component/component_errors.h"

namespace qb {

namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

std::string Describe(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x20 || byte >= 0x7F) return "#" + std::to_string(byte);
  return std::string("'") + c + "'";
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

const FormToken& FormLexer::Peek() {
  if (!has_peeked_) {
    peeked_ = Scan();
    has_peeked_ = true;
  }
  return peeked_;
}

FormToken FormLexer::Next() {
  if (has_peeked_) {
    has_peeked_ = false;
    return std::move(peeked_);
  }
  return Scan();
}

FormToken FormLexer::Scan() {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == '\n') {
      ++line_;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      break;
    }
    ++pos_;
  }
  FormToken token;
  token.line = line_;
  if (pos_ >= text_.size()) return token;

  const char c = text_[pos_];
  if (IsIdentStart(c)) {
    token.kind = FormToken::Kind::Identifier;
    for (;;) {
      const size_t start = pos_;
      while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
      token.text.append(text_.substr(start, pos_ - start));
      if (pos_ < text_.size() && text_[pos_] == '.') {
        if (pos_ + 1 >= text_.size() || !IsIdentStart(text_[pos_ + 1])) {
          throw EReadError(line_, "Name expected after '.' in " + token.text);
        }
        token.text.push_back('.');
        ++pos_;
        continue;
      }
      return token;
    }
  }
  if (IsDigit(c) || c == '$' ||
      ((c == '-' || c == '+') && pos_ + 1 < text_.size() && (IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '$'))) {
    return ScanNumber();
  }
  if (c == '\'' || c == '#') return ScanString();
  switch (c) {
    case '=':
    case ':':
    case '[':
    case ']':
    case '(':
    case ')':
    case ',':
    case '+':
      token.kind = FormToken::Kind::Symbol;
      token.symbol = c;
      ++pos_;
      return token;
    default:
      throw EReadError(line_, "Invalid character " + Describe(c));
  }
}

FormToken FormLexer::ScanNumber() {
  FormToken token;
  token.line = line_;
  bool negative = false;
  if (text_[pos_] == '-' || text_[pos_] == '+') {
    negative = text_[pos_] == '-';
    ++pos_;
  }
  if (text_[pos_] == '$') {
    ++pos_;
    const size_t start = pos_;
    while (pos_ < text_.size() && IsHexDigit(text_[pos_])) ++pos_;
    uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(text_.data() + start, text_.data() + pos_, value, 16);
    if (start == pos_ || ec != std::errc() || value > static_cast<uint64_t>(INT64_MAX)) {
      throw EReadError(line_, "Invalid hexadecimal number");
    }
    (void)ptr;
    token.kind = FormToken::Kind::Integer;
    token.integer = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    if (pos_ < text_.size() && IsIdentChar(text_[pos_])) throw EReadError(line_, "Invalid number");
    return token;
  }
  const size_t start = pos_;
  bool is_double = false;
  while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '.') {
    is_double = true;
    ++pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
  }
  if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
    is_double = true;
    ++pos_;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
    if (pos_ >= text_.size() || !IsDigit(text_[pos_])) throw EReadError(line_, "Invalid number");
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
  }
  if (pos_ < text_.size() && (IsIdentChar(text_[pos_]) || text_[pos_] == '.')) {
    throw EReadError(line_, "Invalid number");
  }
  const char* first = text_.data() + start;
  const char* last = text_.data() + pos_;
  if (is_double) {
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) throw EReadError(line_, "Invalid number");
    token.kind = FormToken::Kind::Double;
    token.real = negative ? -value : value;
  } else {
    uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    const uint64_t limit = negative ? static_cast<uint64_t>(INT64_MAX) + 1 : static_cast<uint64_t>(INT64_MAX);
    if (ec != std::errc() || ptr != last || value > limit) throw EReadError(line_, "Number out of range");
    token.kind = FormToken::Kind::Integer;
    token.integer = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
  }
  return token;
}

FormToken FormLexer::ScanString() {
  FormToken token;
  token.kind = FormToken::Kind::String;
  token.line = line_;
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == '\'') {
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') {
          throw EReadError(line_, "Unterminated string");
        }
        if (text_[pos_] == '\'') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
            token.text.push_back('\'');
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        token.text.push_back(text_[pos_++]);
      }
    } else if (c == '#') {
      ++pos_;
      int base = 10;
      if (pos_ < text_.size() && text_[pos_] == '$') {
        base = 16;
        ++pos_;
      }
      const size_t start = pos_;
      while (pos_ < text_.size() && (base == 16 ? IsHexDigit(text_[pos_]) : IsDigit(text_[pos_]))) ++pos_;
      uint32_t code = 0;
      auto [ptr, ec] = std::from_chars(text_.data() + start, text_.data() + pos_, code, base);
      (void)ptr;
      if (start == pos_ || ec != std::errc() || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        throw EReadError(line_, "Invalid character code in string");
      }
      AppendUtf8(token.text, code);
    } else {
      break;
    }
  }
  return token;
}

std::string QuoteFormString(std::string_view text) {
  if (text.empty()) return "''";
  std::string out;
  bool quoted = false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      if (quoted) out.push_back('\'');
      quoted = false;
      out += "#" + std::to_string(byte);
      continue;
    }
    if (!quoted) out.push_back('\'');
    quoted = true;
    if (c == '\'') out.push_back('\'');
    out.push_back(c);
  }
  if (quoted) out.push_back('\'');
  return out;
}

}  // namespace qb
