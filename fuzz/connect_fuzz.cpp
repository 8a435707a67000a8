// fuzz/connect_fuzz: libFuzzer target for the connect and locale texts the engine reads (sort
// order numbers, ";LANGID=...;CP=...;COUNTRY=..." keys and ";pwd=" passwords). Engine errors are
// expected outcomes; anything else is a finding, and so is an error message that changes with
// the password the text carries.
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
    // The message must not depend on the password: the same text with another password (the
    // password runs to the end of the text) must give the same message.
    if (password && !password->empty()) {
      std::string other(text.substr(0, text.size() - password->size()));
      other.append(password->size(), (*password)[0] == 'Q' ? 'R' : 'Q');
      std::string second;
      try {
        qb::jet::ParseLocaleText(other);
      } catch (const qb::EOleException& again) {
        second = again.what();
      }
      if (second != e.what()) __builtin_trap();
    }
  }
  return 0;
}
