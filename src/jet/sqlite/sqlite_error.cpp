// jet/sqlite/sqlite_error: maps every SQLite result code to a Jet error number and a message of
// ours. Unexpected codes (misuse, SQL the engine got wrong) become the internal-fault error.
#include "jet/sqlite/sqlite_error.h"

#include <sqlcipher/sqlite3.h>

#include <string>

#include "jet/errors.h"

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLCipher's SQLite 3.15.2");

namespace qb::jet {
namespace {

std::string About(std::string_view file_path) {
  return file_path.empty() ? std::string("the file") : "'" + std::string(file_path) + "'";
}

}  // namespace

void RaiseSqliteError(int code, std::string_view file_path) {
  const std::string file = About(file_path);
  switch (code) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
      RaiseJetError(err::kDuplicateName, "The change would create a duplicate value in " + file + ".");
    default:
      break;
  }
  switch (code & 0xff) {
    case SQLITE_BUSY:
      RaiseJetError(err::kFileInUse, "The file " + file + " is locked by another process.");
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
