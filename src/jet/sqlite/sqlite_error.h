// jet/sqlite/sqlite_error: the one place where a SQLite result code becomes an engine error.
// No SQLite code or message ever leaves the engine by another road.
#pragma once
#include <string_view>

namespace qb::jet {

// Raises the engine error (Jet number, message in our words naming FILE_PATH) for the SQLite
// result code CODE, primary or extended. REQUIRES: CODE is an error, not OK, ROW or DONE.
[[noreturn]] void RaiseSqliteError(int code, std::string_view file_path);

}  // namespace qb::jet
