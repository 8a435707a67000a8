// cli/db_options: flag handling and the translation of command options to engine arguments.
#include "cli/db_options.h"

#include <algorithm>

#include "com/variant.h"
#include "jet/dao/engine_options.h"
#include "jet/dao/error_numbers.h"

namespace qb::cli {

bool TakeFlag(std::vector<std::string>& words, const std::string& flag) {
  auto end = std::remove(words.begin(), words.end(), flag);
  const bool found = end != words.end();
  words.erase(end, words.end());
  return found;
}

std::size_t CountPositional(const std::vector<std::string>& words, const std::vector<std::string>& value_options) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i].rfind("--", 0) != 0) {
      ++count;
    } else if (words[i].find('=') == std::string::npos &&
               std::find(value_options.begin(), value_options.end(), words[i]) != value_options.end()) {
      ++i;  // its value
    }
  }
  return count;
}

std::string SourceConnect(const GlobalOptions& options) {
  if (options.db_password_env.empty()) return std::string();
  return ";pwd=" + PasswordFromEnvironment(options.db_password_env, "the database password");
}

int FormatVersionBits(const std::string& version) {
  if (version == "1.0") return 1;
  if (version == "1.1") return 8;
  if (version == "2.0") return 16;
  if (version == "3.0") return 32;
  throw UsageError("the format version '" + version + "' is not 1.0, 1.1, 2.0 or 3.0");
}

namespace {

// The numbers of the engine's sort orders, each once, in its catalogue order.
std::vector<std::string> SortOrderNumbers() {
  std::vector<std::string> numbers;
  for (const jet::SortOrder& order : jet::SortOrders()) {
    const std::string number = std::to_string(order.number);
    if (order.number == jet::kSortUndefined) continue;  // the default, General
    if (std::find(numbers.begin(), numbers.end(), number) == numbers.end()) numbers.push_back(number);
  }
  return numbers;
}

}  // namespace

int SortOrderNumber(const std::string& text) {
  try {
    std::size_t used = 0;
    const int number = std::stoi(text, &used);
    if (used == text.size() && (number == jet::kSortUndefined || jet::SortOrderName(number))) return number;
  } catch (const std::exception&) {
  }
  std::string numbers;
  for (const std::string& number : SortOrderNumbers()) numbers += (numbers.empty() ? "" : ", ") + number;
  throw UsageError("the sort order '" + text + "' is not one the engine knows (" + numbers +
                   "; see 'quill db --help')");
}

std::string SortOrderList() {
  std::string list = "\nSort orders (--sort-order N):\n";
  for (const std::string& number : SortOrderNumbers()) {
    list += "  " + number + std::string(number.size() < 6 ? 6 - number.size() : 1, ' ') +
            std::string(*jet::SortOrderName(std::stoi(number))) + "\n";
  }
  return list;
}

void RaiseNoSavedQuery(const std::string& name) {
  jet::RaiseJetError(jet::err::kItemNotFound, "The database has no saved query named '" + name + "'.");
}

std::shared_ptr<jet::Database> OpenForReading(jet::DBEngine& engine, const GlobalOptions& options,
                                              const std::string& path) {
  auto workspace = LogIn(engine, options);
  return workspace->OpenDatabase(path, Variant(false), true, SourceConnect(options));
}

}  // namespace qb::cli
