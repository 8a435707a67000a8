// jet/unicode_text: the engine's character-level view of UTF-8 text: validity, length in
// characters and case folding (ICU). Pure functions; no engine objects.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qb::jet {

// Number of characters (code points) in TEXT, or nullopt when TEXT is not valid UTF-8.
std::optional<std::size_t> CharacterCount(std::string_view text);

// TEXT with case folded (full Unicode folding), for comparisons that ignore case.
// REQUIRES: TEXT is valid UTF-8 (invalid sequences fold to U+FFFD).
std::string FoldCase(std::string_view text);

}  // namespace qb::jet
