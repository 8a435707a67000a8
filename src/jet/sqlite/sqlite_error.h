// jet/sqlite/sqlite_error: the one place where a SQLite result code becomes an engine error.
// No SQLite code or message ever leaves the engine by another road.
#pragma once
#include <string_view>

namespace qb::jet {

// Raises the engine error (Jet number, message in our words naming FILE_PATH) for the SQLite
// result code CODE, primary or extended. SQLITE_MESSAGE, SQLite's own message for the failure
// when the caller has it, only picks the error a constraint or a jet_* function stands for
// (never shown as it is). REQUIRES: CODE is an error, not OK, ROW or DONE.
[[noreturn]] void RaiseSqliteError(int code, std::string_view file_path, std::string_view sqlite_message = {});

}  // namespace qb::jet
