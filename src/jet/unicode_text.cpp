// jet/unicode_text: UTF-8 validity, character counts and case folding through ICU.
#include "jet/unicode_text.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

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

}  // namespace qb::jet
