// jet/odbc/connect_prompt: the process's connect prompt.
#include "jet/odbc/connect_prompt.h"

#include <utility>

namespace qb::jet::odbc {
namespace {

ConnectPrompt& Installed() {
  static ConnectPrompt prompt;
  return prompt;
}

}  // namespace

ConnectPrompt SetConnectPrompt(ConnectPrompt prompt) { return std::exchange(Installed(), std::move(prompt)); }

const ConnectPrompt& CurrentConnectPrompt() { return Installed(); }

}  // namespace qb::jet::odbc
