// jet/odbc/connect_text: ODBC connect texts ("ODBC;DSN=name;UID=user;PWD=secret", values in braces
// when they hold ";"), read into keyword-value pairs and written back, and the same text with the
// password left out for everything that is shown or stored.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qb::jet::odbc {

struct ConnectPair {
  std::string key;    // as written ("DSN", "Driver" ...); compared ignoring case
  std::string value;  // braces taken off
};

// The pairs of TEXT, without a leading "ODBC;" (any case). Empty parts are skipped; a part
// without "=" is a keyword with an empty value.
std::vector<ConnectPair> ParseConnect(std::string_view text);
// The pairs as one text (no "ODBC;" prefix); values with ";", braces or outer blanks are braced.
std::string JoinConnect(const std::vector<ConnectPair>& pairs);

// The value of KEY in PAIRS (case ignored), or null.
const std::string* FindConnectValue(const std::vector<ConnectPair>& pairs, std::string_view key);
void SetConnectValue(std::vector<ConnectPair>& pairs, std::string_view key, std::string value);

// PWD and PASSWORD keywords: the values never shown.
bool IsSecretKey(std::string_view key);
// TEXT with its secret pairs left out, the "ODBC;" prefix kept when it had one.
std::string WithoutPassword(std::string_view text);

}  // namespace qb::jet::odbc
