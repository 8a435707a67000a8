// jet/base/sort_orders: the sort orders a database may be created with (their numbers, names and
// the ICU locale behind each) and the locale texts that name them. Pure lookups; no files.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::jet {

inline constexpr int kSortGeneral = 1033;
inline constexpr int kSortUndefined = -1;  // "the default": General

struct SortOrder {
  std::string_view name;        // "Swedish / Finnish"
  int number;                   // 1053
  std::string_view icu_locale;  // "sv"
};

// The 25 sort orders in their catalogue order (names may share a number).
const std::vector<SortOrder>& SortOrders();

// The name shown for NUMBER: the first entry with that number that is not a Paradox variant
// ("General" for 1033); nullopt for a number the engine does not know.
std::optional<std::string_view> SortOrderName(int number);

// The ICU locale of NUMBER. REQUIRES: a known number (kSortUndefined counts as General).
std::string_view SortOrderLocale(int number);

// What a locale text (CreateDatabase's and CompactDatabase's locale arguments) asks for.
struct LocaleText {
  std::optional<int> sort_order;     // absent: none named (keep the default or the source's)
  std::optional<std::string> password;  // absent: no ";pwd="; present and empty: ";pwd=" alone
};

// Reads TEXT: a sort order number ("1033", "-1"), or ";LANGID=0x0409;CP=1252;COUNTRY=0" style
// keys, optionally followed by ";pwd=" and a password that runs to the end of the text (so a
// password may hold ";"). -1 becomes General. Keywords ignore case. Raises kInvalidArgument for
// an unknown sort order or a text it cannot read (the message never repeats a password).
LocaleText ParseLocaleText(std::string_view text);

// The password of a connect text (";pwd=secret"): the text after the first "pwd=" keyword
// (ASCII case ignored) to the end; nullopt when there is no such keyword.
std::optional<std::string> ConnectPassword(std::string_view connect);

}  // namespace qb::jet
