// jet/base/unicode_text: the engine's character-level view of UTF-8 text: validity, length in
// characters, case folding (ICU) and the one comparison of object names. Pure functions; no
// engine objects.
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

// Whether A and B name the same object: tables, queries, fields, indexes, relations, parameters,
// properties, accounts. Case is ignored by full Unicode folding ("Äpfel" is "äpfel", "Straße" is
// "STRASSE"); everything else counts. Every name lookup in the engine, the SQL translator
// included, compares with this, so a name that finds an object in one place finds it everywhere.
bool SameName(std::string_view a, std::string_view b);

// An order of names consistent with SameName (names SameName calls equal are equivalent), for
// maps keyed by name.
struct NameLess {
  bool operator()(std::string_view a, std::string_view b) const;
};

}  // namespace qb::jet
