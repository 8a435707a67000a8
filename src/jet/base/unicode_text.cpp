// jet/base/unicode_text: UTF-8 validity, character counts and case folding through ICU.
#include "jet/base/unicode_text.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <vector>

namespace qb::jet {
namespace {

std::u16string ToUtf16(std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), 0xFFFD,
                       nullptr, &status);
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(wide.data(), length, nullptr, text.data(), static_cast<int32_t>(text.size()),
                       0xFFFD, nullptr, &status);
  return wide;
}

std::string ToUtf8(const std::u16string& wide) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strToUTF8(nullptr, 0, &length, wide.data(), static_cast<int32_t>(wide.size()), &status);
  std::string text(static_cast<std::size_t>(length), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8(text.data(), length, nullptr, wide.data(), static_cast<int32_t>(wide.size()), &status);
  return text;
}

}  // namespace

std::optional<std::size_t> CharacterCount(std::string_view text) {
  std::size_t count = 0;
  int32_t offset = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto size = static_cast<int32_t>(text.size());
  while (offset < size) {
    UChar32 c;
    U8_NEXT(bytes, offset, size, c);
    if (c < 0) return std::nullopt;
    ++count;
  }
  return count;
}

std::string FoldCase(std::string_view text) {
  std::u16string wide = ToUtf16(text);
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = u_strFoldCase(nullptr, 0, wide.data(), static_cast<int32_t>(wide.size()),
                                 U_FOLD_CASE_DEFAULT, &status);
  std::u16string folded(static_cast<std::size_t>(length), u'\0');
  status = U_ZERO_ERROR;
  u_strFoldCase(folded.data(), length, wide.data(), static_cast<int32_t>(wide.size()),
                U_FOLD_CASE_DEFAULT, &status);
  return ToUtf8(folded);
}

namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII text folds to its ASCII lower case, so names of plain letters skip ICU.
int CompareAscii(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = LowerAscii(a[i]), y = LowerAscii(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) return a.size() == b.size() && CompareAscii(a, b) == 0;
  return FoldCase(a) == FoldCase(b);
}

bool NameLess::operator()(std::string_view a, std::string_view b) const {
  if (IsAscii(a) && IsAscii(b)) return CompareAscii(a, b) < 0;
  return FoldCase(a) < FoldCase(b);
}

}  // namespace qb::jet
