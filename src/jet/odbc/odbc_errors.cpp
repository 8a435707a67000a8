// jet/odbc/odbc_errors: reading diagnostic records and raising them as engine errors.
#include "jet/odbc/odbc_errors.h"

#include <sqlext.h>

#include "jet/base/errors.h"

namespace qb::jet::odbc {

std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle) {
  std::vector<Diagnostic> diagnostics;
  if (handle == SQL_NULL_HANDLE) return diagnostics;
  for (SQLSMALLINT record = 1; record <= 64; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::string message(1024, '\0');
    SQLRETURN code = SQLGetDiagRec(handle_type, handle, record, state, &native,
                                   reinterpret_cast<SQLCHAR*>(message.data()), static_cast<SQLSMALLINT>(message.size()), &length);
    if (code == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.assign(static_cast<std::size_t>(length) + 1, '\0');
      code = SQLGetDiagRec(handle_type, handle, record, state, &native, reinterpret_cast<SQLCHAR*>(message.data()),
                           static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!Succeeded(code)) break;
    message.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), message.size() - 1));
    message = OneLine(message);
    diagnostics.push_back({reinterpret_cast<const char*>(state), static_cast<int>(native), std::move(message)});
  }
  return diagnostics;
}

std::string OneLine(std::string_view message) {
  std::string flat;
  for (char c : message) {
    if (c == '\0') break;
    const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
    if (blank) {
      if (!flat.empty() && flat.back() != ' ') flat += ' ';
    } else {
      flat += c;
    }
  }
  while (!flat.empty() && (flat.back() == ' ' || flat.back() == ';')) flat.pop_back();
  return flat;
}

std::string DescribeFailure(std::string_view what, const std::vector<Diagnostic>& diagnostics,
                            const std::vector<std::string>& secrets) {
  std::string text(what);
  if (diagnostics.empty()) {
    text += ": the driver gave no reason.";
  } else {
    text += ": ";
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
      if (i > 0) text += "; ";
      text += "[" + diagnostics[i].state + "] " + diagnostics[i].message;
    }
  }
  for (const std::string& secret : secrets) {
    if (secret.empty()) continue;
    for (std::size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 3)) {
      text.replace(at, secret.size(), "***");
    }
  }
  return text;
}

void RaiseOdbcError(int number, std::string_view what, SQLSMALLINT handle_type, SQLHANDLE handle,
                    const std::vector<std::string>& secrets) {
  RaiseJetError(number, DescribeFailure(what, ReadDiagnostics(handle_type, handle), secrets));
}

}  // namespace qb::jet::odbc
