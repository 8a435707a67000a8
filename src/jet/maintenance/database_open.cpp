// jet/maintenance/database_open: key choice, shape checks, lock-file hold and connection set-up for
// database files. Raises before anything is written to a file it refuses.
#include "jet/maintenance/database_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "com/ole_exception.h"
#include "jet/catalog/currency_storage.h"
#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/base/sort_orders.h"
#include "jet/sqlite/connection.h"
#include "jet/storage/text_collation.h"

namespace qb::jet {

CipherKey ChooseDatabaseKey(const std::string& path, const std::string& password, const EngineSettings& settings) {
  if (ProbeFileShape(path) != FileShape::kOpaque) return CipherKey::None();  // OpenEngineFile judges the rest
  std::vector<CipherKey> candidates;
  if (!password.empty()) candidates.push_back(CipherKey::Password(password));
  candidates.push_back(EngineFileKey());
  for (const CipherKey& key : candidates) {
    Connection probe(path, OpenMode::kReadWrite, key, settings);
    // Only the key is judged here: a cut-short file, whose header claims more pages than it
    // has, still shows whether a key reads it, as a plain file's shape shows without a key.
    // Damage is judged later, by the open or by repair, as for a plain file.
    probe.Exec("PRAGMA writable_schema = ON");
    if (probe.IsReadable()) return key;
  }
  RaiseJetError(err::kBadPassword, password.empty()
                                       ? "Not a valid password: the database '" + path +
                                             "' is protected by a password, or it is not a database file."
                                       : "Not a valid password for the database '" + path +
                                             "', or it is not a database file.");
}

Encryption EncryptionOf(const CipherKey& key) {
  switch (key.GetKind()) {
    case CipherKey::Kind::kNone:
      return Encryption::kNone;
    case CipherKey::Kind::kRaw:
      return Encryption::kEngineKey;
    case CipherKey::Kind::kPassword:
      return Encryption::kPassword;
  }
  return Encryption::kNone;
}

void PrepareDatabaseConnection(Connection& connection, const CatalogInfo& info, bool writable) {
  RegisterTextCollation(connection, info.sort_order);
  if (!writable) {
    connection.Exec("PRAGMA query_only = 1");
    return;
  }
  const std::string icu = IcuCollationVersion();
  if (info.icu_version == icu) return;
  Transaction transaction(connection);
  connection.Exec(std::string("REINDEX ") + kTextCollationName);
  Statement record = connection.Prepare("INSERT OR REPLACE INTO MSysDbInfo (Name, Value) VALUES ('IcuVersion', ?1)");
  record.Bind(1, icu).Run();
  transaction.Commit();
}

namespace {

bool MayWrite(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

// An empty log and its index that are not this user's to write: what a reader of another user
// left (earlier versions made them when reading a file they could not write). Writers could
// not use them, so a user who may write the database removes them, once an exclusive hold
// shows that nobody has the database open; they hold nothing then.
void RemoveStrangersEmptyLog(const std::string& path) {
  const std::string wal = path + "-wal", shm = path + "-shm";
  struct stat log {};
  if (::stat(wal.c_str(), &log) != 0 || log.st_size != 0 || !MayWrite(path)) return;
  if (MayWrite(wal) && (::access(shm.c_str(), F_OK) != 0 || MayWrite(shm))) return;
  try {
    const LockFileHold alone(path, ShareMode::kExclusive, true);
    ::unlink(wal.c_str());
    ::unlink(shm.c_str());
  } catch (const EOleException&) {
    // Someone has it open: the files are in use, not left over.
  }
}

}  // namespace

std::shared_ptr<DatabaseFile> OpenDatabaseFile(const std::string& path, ShareMode share, bool read_only,
                                               const std::string& connect, const EngineSettings& settings) {
  if (path.empty()) RaiseJetError(err::kBadFileName, "No database file was named.");
  const std::string password = ConnectPassword(connect).value_or(std::string());
  RemoveStrangersEmptyLog(path);
  const CipherKey key = ChooseDatabaseKey(path, password, settings);
  CatalogInfo info;
  std::unique_ptr<Connection> connection =
      OpenEngineFile(path, FileKind::kDatabase, OpenMode::kReadWrite, key, settings, &info);
  // A file this user cannot write (or not now: a full disk) opens for reading only. Read as a
  // fixed image, it must not change under the reader: the reader denies others writing while
  // it has the file open, where it can hold the lock file at all (not on a read-only file
  // system, where nobody writes, nor when the lock file is another user's to write).
  // A file whose Currency fields still hold amounts converts only under an exclusive open
  // (nobody else may be reading the old form); shared, it is read-only until then.
  const bool can_write = !read_only && connection->GetWriteBarrier() == WriteBarrier::kNone;
  const bool convert = !info.exact_currency && can_write && share == ShareMode::kExclusive;
  const bool writable = can_write && (info.exact_currency || convert);
  const ShareMode held = connection->ReadsFixedImage() && share == ShareMode::kShared ? ShareMode::kDenyWrite : share;
  auto hold = std::make_unique<LockFileHold>(path, held, writable, LockRetry{settings.lock_retry_count, settings.lock_retry_delay_ms});
  PrepareDatabaseConnection(*connection, info, writable);
  if (convert) {
    ConvertCurrencyStorage(*connection);
    info.exact_currency = true;
  }
  return std::make_shared<DatabaseFile>(path, connect, !writable, std::move(connection), std::move(hold), info,
                                    EncryptionOf(key));
}

}  // namespace qb::jet
