// engine/text_scan: the small text routines the components and windows share: whole-word
// keyword search, cutting and replacing SQL clauses and connect-string fragments, splitting
// words, trimming, deleting, translating and padding characters. Pure functions on values;
// they know nothing of statements, components or the engine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qb {

// Conventions shared by every routine below.
//
// Text is UTF-8. The routines work on bytes: positions are 1-based byte indexes, and a
// "character" of a text is one byte, except in PadText, which counts whole characters.
//
// A separator set or character set is a text whose characters are its members. Only ASCII
// characters can be members: the bytes of a non-ASCII character in a set are ignored. So no
// routine ever splits, deletes or rewrites part of a multi-byte character, whatever the sets.
//
// Ignore-case folds only the letters a-z to A-Z; every other byte compares exactly.
//
// Positions are int. A position below 1 is taken as 1. A position past the end of the text finds
// nothing and yields empty words. REQUIRES: texts shorter than INT_MAX bytes.

// Searches KEYWORD in TEXT from byte position POS.
// Without WHOLE_WORD: the first occurrence at or after POS, anywhere.
// With WHOLE_WORD: POS first moves over separators; the match must start there or right after a
// separator (POS itself counts as the start of a word) and must be followed by a separator or
// the end of the text. So "WHERE" is not found inside "ELSEWHERE", and a keyword of several
// words ("GROUP BY") matches only with exactly the blanks it is written with.
// Returns true and sets POS to the match's position; returns false and leaves POS unchanged when
// there is no match, when KEYWORD is empty or longer than the rest of the text.
bool FindKeyword(std::string_view text, std::string_view keyword, int& pos,
                 std::string_view separators, bool ignore_case, bool whole_word);

// Runs a whole-word FindKeyword from POS for each non-empty keyword of KEYWORDS, in list order;
// the first keyword that is found wins, even when a later one of the list occurs earlier in the
// text. Returns true and sets POS to that keyword's position; false leaves POS unchanged (also
// for an empty list or a list of empty keywords).
bool FindFirstKeyword(std::string_view text, std::string_view separators,
                      const std::vector<std::string>& keywords, int& pos, bool ignore_case);

// The clause of TEXT that starts at the first start keyword found from position 1 (by
// FindFirstKeyword) and runs up to, not including, the first end keyword found from the start
// keyword's position, or to the end of the text when no end keyword is found. The start keyword
// is part of the result. Empty when no start keyword is found.
std::string ExtractClause(std::string_view text, std::string_view separators,
                          const std::vector<std::string>& start_keywords,
                          const std::vector<std::string>& end_keywords, bool ignore_case);

// TEXT with the clause that ExtractClause finds replaced by NEW_TEXT.
// - Clause present: it is deleted and NEW_TEXT (when not empty) takes its place; an empty
//   NEW_TEXT thus removes it.
// - Clause absent: NEW_TEXT is inserted in front of the first end keyword found from position 1
//   (FindFirstKeyword list order), or appended when there is none; an empty NEW_TEXT leaves the
//   text unchanged.
// NEW_TEXT is inserted as given: callers add their own keyword and trailing separator.
std::string ReplaceClause(std::string_view text, std::string_view separators,
                          std::string_view new_text,
                          const std::vector<std::string>& start_keywords,
                          const std::vector<std::string>& end_keywords, bool ignore_case);

// The word at POS. With SKIP_LEADING, POS first moves over separators. The word runs up to the
// next separator or the end of the text; it is empty when POS stands on a separator (without
// SKIP_LEADING) or past the end. POS ends after the word and after every separator that follows
// it, so a loop `while (pos <= size)` over NextWord always ends. A POS past the end is left as
// it is.
std::string NextWord(std::string_view text, int& pos, std::string_view separators,
                     bool skip_leading);

// NextWord from position 1 with leading separators skipped.
std::string FirstWord(std::string_view text, std::string_view separators);

// TEXT without its leading separators and its first word; the separators after that word stay.
std::string DropFirstWord(std::string_view text, std::string_view separators);

// TEXT without its leading separators, its first word and the separators after it.
std::string DropWord(std::string_view text, std::string_view separators);

// TEXT without leading and trailing characters of CHARS.
std::string TrimChars(std::string_view text, std::string_view chars);

// TEXT without trailing characters of CHARS.
std::string TrimRightChars(std::string_view text, std::string_view chars);

// TEXT with every character of CHARS removed, wherever it stands.
std::string DeleteChars(std::string_view text, std::string_view chars);

// TEXT with each character that occurs in FROM_SET at index i (its first occurrence there)
// replaced by the character at index i of TO_SET. When TO_SET has no (ASCII) character at that
// index, the character stays as it is: a shorter TO_SET never deletes anything.
std::string TranslateChars(std::string_view text, std::string_view from_set,
                           std::string_view to_set);

// 1-based byte position of the first occurrence of character CH (as UTF-8) in TEXT, or 0 when
// it does not occur or is not a valid code point.
int CharPos(char32_t ch, std::string_view text);

// TEXT cut to LENGTH characters, or extended to LENGTH characters with FILL. Characters are
// UTF-8 code points and are never split; a malformed byte counts as one character. LENGTH of 0
// or less gives the empty text. A FILL that is no valid code point is written as U+FFFD.
std::string PadText(std::string_view text, int length, char32_t fill);

// OPEN + TEXT + CLOSE; nothing inside is doubled or escaped. Invalid code points are written as
// U+FFFD.
std::string Enclose(std::string_view text, char32_t open, char32_t close);

// True when TEXT is not empty and its first character is one of "tT1wW".
bool IsTrueText(std::string_view text);

}  // namespace qb
