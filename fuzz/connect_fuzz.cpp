// fuzz/connect_fuzz: libFuzzer target for the connect and locale texts the engine reads (sort
// order numbers, ";LANGID=...;CP=...;COUNTRY=..." keys and ";pwd=" passwords). Engine errors are
// expected outcomes; anything else is a finding, and so is an error message that repeats the
// password the text carries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "com/ole_exception.h"
#include "jet/base/sort_orders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<std::string> password = qb::jet::ConnectPassword(text);
  if (password && password->size() > text.size()) __builtin_trap();
  try {
    qb::jet::LocaleText locale = qb::jet::ParseLocaleText(text);
    if (locale.sort_order && !qb::jet::SortOrderName(*locale.sort_order)) __builtin_trap();
  } catch (const qb::EOleException& e) {
    // Only a password long enough not to turn up by chance, and not also written before its
    // keyword (the message may quote that part), counts.
    if (password && password->size() >= 8) {
      const std::string_view before = text.substr(0, text.size() - password->size());
      if (before.find(*password) == std::string_view::npos &&
          std::string_view(e.what()).find(*password) != std::string_view::npos) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
