// jet/storage/engine_file: the one road by which engine files (workgroups now, databases too) are made
// and opened: it recognises what a file is before trusting it, and makes new files appear
// complete or not at all. Knows the catalog's MSysDbInfo table, not what else a kind holds.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "jet/base/engine_settings.h"
#include "jet/sqlite/cipher_key.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {

enum class FileKind { kDatabase, kWorkgroup };

// What MSysDbInfo records about a file.
struct CatalogInfo {
  FileKind kind = FileKind::kDatabase;
  std::string format_version = "3.0";  // "1.0", "1.1", "2.0" or "3.0"
  int sort_order = 1033;               // General
  std::string icu_version;             // of the collation the indexes were built with
  // Currency fields hold INTEGER ten-thousandths (MSysDbInfo CurrencyStorage = Integer); false
  // for files from before, whose Currency fields hold REAL amounts until converted.
  bool exact_currency = true;
};

// What a path holds, judged from the file system and the first bytes only.
enum class FileShape {
  kMissing,
  kFolder,
  kNotRegular,    // a device, pipe or socket
  kEmpty,
  kJetOrAce,      // a genuine Jet or ACE database of another program
  kPlainSqlite,   // an unencrypted SQLite file: this engine's or another program's
  kOpaque,        // anything else: encrypted, or not a database at all
};

// Looks at PATH without opening it as a database. Raises kCannotOpenFile when PATH exists but
// cannot be read.
FileShape ProbeFileShape(const std::string& path);

// Creates PATH as a new engine file described by INFO, encrypted with KEY (none: plain), in
// write-ahead-log mode, with MSysDbInfo filled; BUILD then adds the kind's own catalog in the
// same transaction. The file is built beside PATH and linked into place only when complete, so
// PATH never holds a partial file. Returns the connection to the new file (read-write).
// Raises kFileExists when PATH exists (even if made meanwhile by another process), kBadPath when
// its folder does not exist, or the error BUILD raised (nothing is left behind).
// SYNCED false: the new file is not flushed to the disk before the link, for a work file that
// its maker flushes as a whole before anyone relies on it.
std::unique_ptr<Connection> CreateEngineFile(const std::string& path, const CatalogInfo& info,
                                             const CipherKey& key, const EngineSettings& settings,
                                             const std::function<void(Connection&)>& build, bool synced = true);

// Opens PATH, which must be an engine file of kind EXPECTED: plain, or encrypted with KEY.
// MODE is kReadOnly or kReadWrite. Fills *INFO when given. Nothing is written to a file that is
// refused. Raises, each with a message naming PATH:
//   missing: kWorkgroupMissing (workgroup) or kFileNotFound (database);
//   a folder or not a regular file: kBadFileName;   empty: kUnrecognisedFile;
//   a Jet or ACE file: kForeignFormat;   a SQLite file of another program: kUnrecognisedFile;
//   an engine file of the other kind: kUnrecognisedFile;
//   unreadable with KEY (random bytes, another key): kUnrecognisedFile.
// With kReadWrite, a file this process cannot write opens for reading only (see Connection's
// WriteBarrier).
std::unique_ptr<Connection> OpenEngineFile(const std::string& path, FileKind expected, OpenMode mode,
                                           const CipherKey& key, const EngineSettings& settings,
                                           CatalogInfo* info = nullptr);

}  // namespace qb::jet
