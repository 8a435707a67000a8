// jet/odbc/connect_prompt: how an ODBC open asks the user for missing connect values. The
// program installs one prompt for the process (the utility a dialog, quill the terminal); the
// engine calls it for the driver prompt options and never draws anything itself.
#pragma once
#include <functional>
#include <optional>
#include <string>

namespace qb::jet::odbc {

// The open options of an ODBC data source (OpenDatabase's OPTIONS).
inline constexpr int kDriverComplete = 0;          // prompt only when the connect fails
inline constexpr int kDriverNoPrompt = 1;          // never prompt
inline constexpr int kDriverPrompt = 2;            // always prompt first
inline constexpr int kDriverCompleteRequired = 3;  // like kDriverComplete

struct PromptRequest {
  std::string connect;  // the connect text so far, without "ODBC;" (the password included, for the dialog)
  std::string problem;  // why it asks: empty for kDriverPrompt, else the failed connect's message
};

// Returns the completed connect text, or nothing when the user cancelled.
using ConnectPrompt = std::function<std::optional<std::string>(const PromptRequest&)>;

// Installs PROMPT for every later open (an empty function removes it); returns the one before.
ConnectPrompt SetConnectPrompt(ConnectPrompt prompt);
const ConnectPrompt& CurrentConnectPrompt();

}  // namespace qb::jet::odbc
