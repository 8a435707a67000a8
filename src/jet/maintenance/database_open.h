// jet/maintenance/database_open: the one road by which database files are opened and created: choosing
// the key, refusing what is not a database, taking the lock-file hold, setting the connection
// up (collation, index rebuild after an ICU change, read-only guard). Engine-internal: the
// object model calls it from Workspace::OpenDatabase and DBEngine.
#pragma once
#include <memory>
#include <string>

#include "jet/query/database_file.h"
#include "jet/base/engine_settings.h"
#include "jet/locks/lock_file.h"
#include "jet/sqlite/cipher_key.h"

namespace qb::jet {

struct OpenedFile;

// Opens PATH as a database. PASSWORD empty: the file must be plain or encrypted with the engine
// key; else also tried as the database password. Raises, naming PATH (never the password):
//   missing kFileNotFound; a folder or not a regular file kBadFileName; empty, a SQLite file of
//   another program, a workgroup file kUnrecognisedFile; a Jet or ACE file kForeignFormat;
//   encrypted with a key not given, or not a database at all: kBadPassword;
//   a conflicting hold: kFileInUse.
// Nothing is written to a file that is refused. A file this user cannot write, one on a
// read-only file system, or one that cannot be read for want of disk space otherwise, opens
// read-only whatever READ_ONLY says (Updatable() false; writes raise kReadOnly, or kDiskFull,
// saying why) and leaves no -wal or -shm file behind. Such an open that reads the file as a
// fixed image (no writer had it open) denies others writing while it lasts; it holds no lock
// file where it cannot write one (a read-only file system, another user's lock file).
// A file whose Currency fields still hold REAL amounts (made before they were stored as
// ten-thousandths) is converted when opened exclusively for writing, and opens read-only
// otherwise (currency_storage.h).
std::shared_ptr<DatabaseFile> OpenDatabaseFile(const std::string& path, ShareMode share, bool read_only,
                                               const std::string& connect, const EngineSettings& settings);

// The key a file is opened with (plain files: none), chosen as OpenDatabaseFile does; raises
// what OpenDatabaseFile raises for a file no key reads.
CipherKey ChooseDatabaseKey(const std::string& path, const std::string& password, const EngineSettings& settings);

// Encryption of a file opened with KEY.
Encryption EncryptionOf(const CipherKey& key);

// Registers the collation for INFO's sort order on CONNECTION; when WRITABLE and the file's
// indexes were built under another ICU version, rebuilds them and records the version.
void PrepareDatabaseConnection(Connection& connection, const CatalogInfo& info, bool writable);

// The longest database password, in characters.
inline constexpr std::size_t kMaxDatabasePassword = 20;

}  // namespace qb::jet
