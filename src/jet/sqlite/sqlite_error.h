// jet/sqlite/sqlite_error: the one place where a SQLite result code becomes an engine error.
// No SQLite code or message ever leaves the engine by another road.
#pragma once
#include <string_view>

namespace qb::jet {

// Raises the engine error (Jet number, message in our words naming FILE_PATH) for the SQLite
// result code CODE, primary or extended. SQLITE_MESSAGE, SQLite's own message for the failure
// when the caller has it, only picks the error a constraint or a jet_* function stands for
// (never shown as it is). SYSTEM_ERROR, the errno behind an I/O or open failure when the caller
// has it (sqlite3_system_errno), tells why: a full disk becomes the disk-full error, and the
// message names a missing permission, a read-only file system or the system's reason.
// REQUIRES: CODE is an error, not OK, ROW or DONE.
[[noreturn]] void RaiseSqliteError(int code, std::string_view file_path, std::string_view sqlite_message = {},
                                   int system_error = 0);

}  // namespace qb::jet
