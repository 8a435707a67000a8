// jet/sqlite/sqlite_error: maps every SQLite result code to a Jet error number and a message of
// ours. Unexpected codes (misuse, SQL the engine got wrong) become the internal-fault error.
#include "jet/sqlite/sqlite_error.h"

#include <sqlcipher/sqlite3.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "jet/base/errors.h"
#include "jet/sqlite/function_error.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLCipher's SQLite 3.15.2");

namespace qb::jet {
namespace {

std::string About(std::string_view file_path) {
  return file_path.empty() ? std::string("the file") : "'" + std::string(file_path) + "'";
}

// What follows PREFIX in MESSAGE ("CHECK constraint failed: " ...), or empty.
std::string_view After(std::string_view message, std::string_view prefix) {
  return message.substr(0, prefix.size()) == prefix ? message.substr(prefix.size()) : std::string_view();
}

// Table checks are named "jet:<number>:<message>": the error the check stands for.
void RaiseNamedCheck(std::string_view name) {
  if (name.substr(0, 4) != "jet:") return;
  name.remove_prefix(4);
  const std::size_t colon = name.find(':');
  if (colon == 0 || colon == std::string_view::npos || colon > 5) return;
  int number = 0;
  for (char c : name.substr(0, colon)) {
    if (c < '0' || c > '9') return;
    number = number * 10 + (c - '0');
  }
  RaiseJetError(number, name.substr(colon + 1));
}

// An open or an I/O call that failed with SYSTEM_ERROR: the error it stands for, saying why.
[[noreturn]] void RaiseSystemFailure(int code, int system_error, const std::string& file) {
  const bool opening = (code & 0xff) == SQLITE_CANTOPEN;
  switch (system_error) {
    case ENOSPC:
    case EDQUOT:
      RaiseJetError(err::kDiskFull, "The disk is full: " + file + " could not be written.");
    case EACCES:
    case EPERM:
      RaiseJetError(opening ? err::kCannotOpenFile : err::kNoPermission,
                    "The file " + file + " or a file beside it could not be " + (opening ? "opened" : "used") +
                        ": this user has no permission to.");
    case EROFS:
      RaiseJetError(opening ? err::kCannotOpenFile : err::kReadOnly,
                    "The file " + file + " or a file beside it could not be " + (opening ? "opened" : "written") +
                        ": it lies on a read-only file system.");
    default:
      RaiseJetError(opening ? err::kCannotOpenFile : err::kDiskIo,
                    (opening ? "The file " + file + " could not be opened: "
                             : "A disk error occurred while reading or writing " + file + ": ") +
                        std::strerror(system_error) + ".");
  }
}

}  // namespace

void RaiseSqliteError(int code, std::string_view file_path, std::string_view sqlite_message, int system_error) {
  const std::string file = About(file_path);
  if (system_error > 0 && ((code & 0xff) == SQLITE_IOERR || (code & 0xff) == SQLITE_CANTOPEN)) {
    RaiseSystemFailure(code, system_error, file);
  }
  if (std::optional<FunctionError> failed = DecodeFunctionError(sqlite_message)) {
    RaiseJetError(failed->number, failed->message);
  }
  // SQLite's sum() of integers (Long and Currency values) past the 64-bit range.
  if (code == SQLITE_ERROR && sqlite_message == "integer overflow") {
    RaiseJetError(err::kOverflow, "Overflow: the sum is outside the range of its type.");
  }
  switch (code) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: {
      // The catalog's own tables report a name in use; user tables a duplicate key value.
      const std::string_view columns = After(sqlite_message, "UNIQUE constraint failed: ");
      if (columns.empty() || columns.substr(0, 4) == "MSys") {
        RaiseJetError(err::kDuplicateName, "The change would create a duplicate value in " + file + ".");
      }
      RaiseJetError(err::kDuplicateValues, "The change would create duplicate values in the index, primary key or "
                                      "relationship on " + std::string(columns) + ".");
    }
    case SQLITE_CONSTRAINT_CHECK:
      RaiseNamedCheck(After(sqlite_message, "CHECK constraint failed: "));
      break;
    case SQLITE_CONSTRAINT_TRIGGER:  // relationship triggers raise named messages as checks are named
      RaiseNamedCheck(sqlite_message);
      break;
    case SQLITE_CONSTRAINT_NOTNULL: {
      std::string_view column = After(sqlite_message, "NOT NULL constraint failed: ");
      if (!column.empty() && column.substr(0, 4) != "MSys") {
        column.remove_prefix(column.rfind('.') + 1);  // "table.column"; field names hold no dot
        RaiseJetError(err::kRequiredNull, "The field '" + std::string(column) +
                                         "' cannot hold Null: its Required property is set. Enter a value.");
      }
      break;
    }
    default:
      break;
  }
  switch (code & 0xff) {
    case SQLITE_BUSY:
      // Another connection's transaction kept the file locked for longer than the busy timeout.
      RaiseJetError(err::kLockedRetry, "Another user is changing " + file +
                                           " and kept it locked for longer than the engine waits; "
                                           "try again once their transaction ends.");
    case SQLITE_LOCKED:
      RaiseJetError(err::kLockedRetry, "The file " + file + " is locked by another connection.");
    case SQLITE_NOMEM:
      RaiseJetError(err::kResourceExceeded, "The engine ran out of memory while working on " + file + ".");
    case SQLITE_READONLY:
      RaiseJetError(err::kReadOnly, "The file " + file + " cannot be written.");
    case SQLITE_INTERRUPT:
      RaiseJetError(err::kCancelled, "The operation on " + file + " was cancelled.");
    case SQLITE_IOERR:
      RaiseJetError(err::kDiskIo, "A disk error occurred while reading or writing " + file + ".");
    case SQLITE_CORRUPT:
      RaiseJetError(err::kUnrecognisedFile, "The file " + file + " is damaged.");
    case SQLITE_NOTADB:
      RaiseJetError(err::kUnrecognisedFile, "The file " + file +
                                                " is not a file this engine can read, or it is "
                                                "encrypted with another key or password.");
    case SQLITE_FULL:
      RaiseJetError(err::kDiskFull, "The disk is full: " + file + " could not be written.");
    case SQLITE_CANTOPEN:
      RaiseJetError(err::kCannotOpenFile, "The file " + file + " could not be opened.");
    case SQLITE_PERM:
    case SQLITE_AUTH:
      RaiseJetError(err::kNoPermission, "Access to " + file + " was refused.");
    case SQLITE_TOOBIG:
      RaiseJetError(err::kRecordTooLarge, "A value is too large to be stored in " + file + ".");
    case SQLITE_CONSTRAINT:
      RaiseJetError(err::kInvalidOperation, "The change breaks a rule of the data in " + file + ".");
    case SQLITE_NOLFS:
      RaiseJetError(err::kDiskIo, "The file " + file + " is too large for this system.");
    case SQLITE_PROTOCOL:
      RaiseJetError(err::kFileInUse, "The file " + file + " could not be locked.");
    default:
      RaiseJetError(err::kInternal, "The engine met an internal fault (code " + std::to_string(code) +
                                        ") while working on " + file + ".");
  }
}

}  // namespace qb::jet
