// jet/odbc/odbc_errors: the driver manager's diagnostics as engine errors. Every record of a
// failed call goes into the message with its SQLSTATE; secrets given by the caller are blanked
// out of it, so no password reaches an error text.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include <sql.h>

namespace qb::jet::odbc {

namespace err {
inline constexpr int kCallFailed = 3146;     // a statement or call on the data source failed
inline constexpr int kConnectFailed = 3151;  // the connection to the data source failed
}  // namespace err

struct Diagnostic {
  std::string state;  // SQLSTATE, 5 characters
  int native = 0;
  std::string message;
};

// Every diagnostic record of HANDLE (of HANDLE_TYPE), in order.
std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle);

// MESSAGE as one line: drivers and servers break long messages over lines (runs of blanks and
// line ends become one space; a trailing ';' goes).
std::string OneLine(std::string_view message);

// "WHAT: [08001] message; [01000] message", each secret in SECRETS replaced by "***".
std::string DescribeFailure(std::string_view what, const std::vector<Diagnostic>& diagnostics,
                            const std::vector<std::string>& secrets);

// Raises NUMBER with the diagnostics of HANDLE described after WHAT.
[[noreturn]] void RaiseOdbcError(int number, std::string_view what, SQLSMALLINT handle_type, SQLHANDLE handle,
                                 const std::vector<std::string>& secrets = {});

// Whether a call's return code is a success (with or without information).
inline bool Succeeded(SQLRETURN code) { return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO; }

}  // namespace qb::jet::odbc
