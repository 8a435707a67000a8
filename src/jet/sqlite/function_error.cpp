// jet/sqlite/function_error: the "[jet N] " prefix written and read back.
#include "jet/sqlite/function_error.h"

namespace qb::jet {
namespace {

constexpr std::string_view kErrorPrefix = "[jet ";

}  // namespace

std::string FunctionErrorText(int number, std::string_view message) {
  return std::string(kErrorPrefix) + std::to_string(number) + "] " + std::string(message);
}

std::optional<FunctionError> DecodeFunctionError(std::string_view sqlite_message) {
  if (sqlite_message.substr(0, kErrorPrefix.size()) != kErrorPrefix) return std::nullopt;
  std::string_view rest = sqlite_message.substr(kErrorPrefix.size());
  std::size_t close = rest.find("] ");
  if (close == std::string_view::npos || close == 0 || close > 6) return std::nullopt;
  int number = 0;
  for (char c : rest.substr(0, close)) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return FunctionError{number, std::string(rest.substr(close + 2))};
}

}  // namespace qb::jet
