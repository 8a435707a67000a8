// jet/base/sort_orders: the sort order table, its ICU locales, and the reading of locale and connect
// texts. Never echoes a password into a message.
#include "jet/base/sort_orders.h"

#include <cctype>
#include <cstdlib>

#include "jet/base/errors.h"

namespace qb::jet {
namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Where the "pwd" keyword of TEXT starts (at the start or after ";", followed by "=" after
// optional blanks), and where its value starts; npos when absent.
std::pair<std::size_t, std::size_t> FindPasswordClause(std::string_view text) {
  for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
    if (i > 0 && text[i - 1] != ';' && text[i - 1] != ' ') continue;
    if (!EqualsIgnoringAsciiCase(text.substr(i, 3), "pwd")) continue;
    std::size_t j = i + 3;
    while (j < text.size() && text[j] == ' ') ++j;
    if (j < text.size() && text[j] == '=') return {i, j + 1};
  }
  return {std::string_view::npos, std::string_view::npos};
}

std::optional<long> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  std::string copy(text);
  char* end = nullptr;
  long value = std::strtol(copy.c_str(), &end, 0);  // "0x0409" and "1033" alike
  if (end != copy.c_str() + copy.size()) return std::nullopt;
  return value;
}

int CheckedSortOrder(long number) {
  if (number == kSortUndefined) return kSortGeneral;
  for (const SortOrder& order : SortOrders()) {
    if (order.number == number) return static_cast<int>(number);
  }
  RaiseJetError(err::kInvalidArgument, "The sort order " + std::to_string(number) + " is not one this engine knows.");
}

}  // namespace

const std::vector<SortOrder>& SortOrders() {
  static const std::vector<SortOrder> kOrders = {
      {"Neutral", 1024, "root"},
      {"Arabic", 1025, "ar"},
      {"Cyrillic", 1049, "ru"},
      {"Czech", 1029, "cs"},
      {"Dutch", 1043, "nl"},
      {"General", 1033, "en"},
      {"Greek", 1032, "el"},
      {"Hebrew", 1037, "he"},
      {"Hungarian", 1038, "hu"},
      {"Icelandic", 1039, "is"},
      {"Norwegian / Danish", 1030, "da"},
      {"Paradox International", 1033, "en"},
      {"Paradox Norwegian / Danish", 1030, "da"},
      {"Paradox Swedish / Finnish", 1053, "sv"},
      {"Polish", 1045, "pl"},
      {"Spanish", 1034, "es@collation=traditional"},
      {"Swedish / Finnish", 1053, "sv"},
      {"Turkish", 1055, "tr"},
      {"Japanese", 1041, "ja"},
      {"Simplified Chinese", 2052, "zh@collation=pinyin"},
      {"Traditional Chinese", 1028, "zh@collation=stroke"},
      {"Korean", 1042, "ko"},
      {"Thai", 1054, "th"},
      {"Slovenian", 1060, "sl"},
      {"Undefined", kSortUndefined, "en"},
  };
  return kOrders;
}

std::optional<std::string_view> SortOrderName(int number) {
  for (const SortOrder& order : SortOrders()) {
    if (order.number == number && order.name.substr(0, 7) != "Paradox") return order.name;
  }
  return std::nullopt;
}

std::string_view SortOrderLocale(int number) {
  for (const SortOrder& order : SortOrders()) {
    if (order.number == number) return order.icu_locale;
  }
  return "en";
}

LocaleText ParseLocaleText(std::string_view text) {
  LocaleText result;
  auto [clause, value] = FindPasswordClause(text);
  if (clause != std::string_view::npos) {
    result.password = std::string(text.substr(value));
    text = text.substr(0, clause);
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view item = Trim(text.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    std::size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
      std::optional<long> number = ParseInteger(item);
      if (!number) RaiseJetError(err::kInvalidArgument, "The locale '" + std::string(item) + "' is not a sort order.");
      result.sort_order = CheckedSortOrder(*number);
      continue;
    }
    std::string_view key = Trim(item.substr(0, equals));
    std::string_view val = item.substr(equals + 1);
    if (EqualsIgnoringAsciiCase(key, "LANGID")) {
      std::optional<long> number = ParseInteger(val);
      if (!number) RaiseJetError(err::kInvalidArgument, "The LANGID '" + std::string(Trim(val)) + "' is not a number.");
      result.sort_order = CheckedSortOrder(*number);
    } else if (!EqualsIgnoringAsciiCase(key, "CP") && !EqualsIgnoringAsciiCase(key, "COUNTRY")) {
      RaiseJetError(err::kInvalidArgument, "The locale key '" + std::string(key) + "' is not known.");
    }
  }
  return result;
}

std::optional<std::string> ConnectPassword(std::string_view connect) {
  auto [clause, value] = FindPasswordClause(connect);
  if (clause == std::string_view::npos) return std::nullopt;
  return std::string(connect.substr(value));
}

}  // namespace qb::jet
