// framework/component/scrambler: the reversible keyed text scrambler that hides values such as
// passwords in form text. It hides them from a reader's eye; it is not encryption.
#pragma once
#include <string>
#include <string_view>

namespace qb {

// The key the components use for the values they store scrambled in form text.
inline constexpr std::string_view kFormScrambleKey = "Quillbase form text scrambler, key 1";

// Scrambles PLAIN (any bytes) with KEY into upper-case hexadecimal text that UnscrambleText
// with the same key turns back into PLAIN. The result is the same for the same PLAIN and KEY,
// is 16 characters plus twice PLAIN's length long, is empty for an empty PLAIN, and contains no
// run of three or more consecutive characters of PLAIN (ASCII case ignored) unless PLAIN is
// itself a long text made only of hexadecimal digits.
std::string ScrambleText(std::string_view plain, std::string_view key);

// The plain text of SCRAMBLED made by ScrambleText with KEY (hex digits of either case).
// Raises EConvertError when SCRAMBLED is not such a text or was made with another key.
std::string UnscrambleText(std::string_view scrambled, std::string_view key);

}  // namespace qb
