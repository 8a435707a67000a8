// jet/storage/engine_file: recognising, creating and opening engine files through MSysDbInfo. Probes
// only read; creation builds a side file and links it into place.
#include "jet/storage/engine_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sqlcipher/sqlite3.h>
#include <unicode/uversion.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "jet/base/errors.h"
#include "jet/sqlite/sqlite_error.h"
#include "jet/storage/side_file.h"

namespace qb::jet {
namespace {

constexpr std::string_view kKindWorkgroup = "workgroup";
constexpr std::string_view kKindDatabase = "database";
constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};
constexpr std::string_view kJetMagic{"Standard Jet DB\0", 16};
constexpr std::string_view kAceMagic{"Standard ACE DB\0", 16};

std::string Noun(FileKind kind) { return kind == FileKind::kWorkgroup ? "workgroup file" : "database"; }
std::string_view KindText(FileKind kind) { return kind == FileKind::kWorkgroup ? kKindWorkgroup : kKindDatabase; }
std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::string CurrentIcuVersion() {
  UVersionInfo version;
  u_getVersion(version);
  char text[U_MAX_VERSION_STRING_LENGTH];
  u_versionToString(version, text);
  return text;
}

// Reads MSysDbInfo; raises kUnrecognisedFile when the file has no catalog or a damaged one.
CatalogInfo ReadCatalogInfo(Connection& connection, const std::string& path, FileKind expected) {
  if (!connection.HasTable("MSysDbInfo")) {
    RaiseJetError(err::kUnrecognisedFile, "The file " + Quoted(path) +
                                              " is a SQLite database of another program, not a " +
                                              Noun(expected) + ".");
  }
  CatalogInfo info;
  info.exact_currency = false;  // files without the row predate it
  bool has_kind = false;
  Statement rows = connection.Prepare("SELECT Name, Value FROM MSysDbInfo");
  while (rows.Step()) {
    std::string name = rows.ColumnText(0);
    std::string value = rows.ColumnText(1);
    if (name == "Kind") {
      if (value == kKindWorkgroup) {
        info.kind = FileKind::kWorkgroup;
      } else if (value == kKindDatabase) {
        info.kind = FileKind::kDatabase;
      } else {
        break;
      }
      has_kind = true;
    } else if (name == "FormatVersion") {
      info.format_version = value;
    } else if (name == "SortOrder") {
      info.sort_order = std::atoi(value.c_str());
    } else if (name == "IcuVersion") {
      info.icu_version = value;
    } else if (name == "CurrencyStorage") {
      info.exact_currency = value == "Integer";
    }
  }
  if (!has_kind) {
    RaiseJetError(err::kUnrecognisedFile, "The file " + Quoted(path) + " has a damaged catalog.");
  }
  if (info.kind != expected) {
    RaiseJetError(err::kUnrecognisedFile, "The file " + Quoted(path) + " is a " + Noun(info.kind) +
                                              ", not a " + Noun(expected) + ".");
  }
  return info;
}

void SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  if (!synced) {
    RaiseJetError(err::kCannotOpenFile, "The file " + Quoted(path) + " could not be written to disk.");
  }
}

void RemoveQuietly(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

}  // namespace

FileShape ProbeFileShape(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return FileShape::kMissing;
    RaiseJetError(err::kCannotOpenFile, "The file " + Quoted(path) + " cannot be reached: " +
                                            std::strerror(errno) + ".");
  }
  if (S_ISDIR(info.st_mode)) return FileShape::kFolder;
  if (!S_ISREG(info.st_mode)) return FileShape::kNotRegular;
  if (info.st_size == 0) return FileShape::kEmpty;

  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    RaiseJetError(err::kCannotOpenFile, "The file " + Quoted(path) + " cannot be read: " +
                                            std::strerror(errno) + ".");
  }
  char head[32] = {};
  ssize_t got = ::pread(fd, head, sizeof head, 0);
  ::close(fd);
  if (got < 0) {
    RaiseJetError(err::kCannotOpenFile, "The file " + Quoted(path) + " cannot be read.");
  }
  std::string_view bytes(head, static_cast<std::size_t>(got));
  if (bytes.substr(0, kSqliteMagic.size()) == kSqliteMagic) return FileShape::kPlainSqlite;
  if (bytes.size() >= 20 && (bytes.substr(4, 16) == kJetMagic || bytes.substr(4, 16) == kAceMagic)) {
    return FileShape::kJetOrAce;
  }
  return FileShape::kOpaque;
}

std::unique_ptr<Connection> CreateEngineFile(const std::string& path, const CatalogInfo& info,
                                             const CipherKey& key, const EngineSettings& settings,
                                             const std::function<void(Connection&)>& build, bool synced) {
  // What a builder of PATH killed before left: whether PATH is made now or not.
  RemoveAbandonedSideFiles(path);
  if (ProbeFileShape(path) != FileShape::kMissing) {
    RaiseJetError(err::kFileExists, "The file " + Quoted(path) + " already exists.");
  }
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ignored)) {
    RaiseJetError(err::kBadPath, "The folder of " + Quoted(path) + " does not exist.");
  }
  if (::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) {
    RaiseJetError(err::kCannotOpenFile, "The folder of " + Quoted(path) + " cannot be written to.");
  }

  {
    const SideFile claim(path);  // outlives every connection to its file, as it must
    const std::string& side = claim.Path();
    try {
      {
        Connection connection(side, OpenMode::kCreate, key, settings);
        // The side file is nobody's until it is linked in, and is thrown away when building
        // fails or is killed: it is written once, with no log on disk and no syncs, synced as a
        // whole before the link, and logs like every engine file from then on.
        connection.Exec("PRAGMA journal_mode = MEMORY");
        connection.Exec("PRAGMA synchronous = OFF");
        Transaction transaction(connection);
        connection.Exec(
            "CREATE TABLE MSysDbInfo (Name TEXT PRIMARY KEY NOT NULL, Value TEXT NOT NULL)");
        Statement insert = connection.Prepare("INSERT INTO MSysDbInfo (Name, Value) VALUES (?1, ?2)");
        auto put = [&insert](std::string_view name, std::string_view value) {
          insert.Bind(1, name).Bind(2, value).Run();
          insert.Reset();
        };
        put("Kind", KindText(info.kind));
        put("FormatVersion", info.format_version);
        put("SortOrder", std::to_string(info.sort_order));
        put("IcuVersion", info.icu_version.empty() ? CurrentIcuVersion() : info.icu_version);
        put("CatalogLayout", "1");
        if (info.exact_currency) put("CurrencyStorage", "Integer");
        build(connection);
        transaction.Commit();
        connection.SetWalMode();
      }  // closing checkpoints the log into the file and removes it
      if (synced) SyncFile(side);
      if (::link(side.c_str(), path.c_str()) != 0) {
        int error = errno;
        if (error == EEXIST) RaiseJetError(err::kFileExists, "The file " + Quoted(path) + " already exists.");
        RaiseJetError(err::kCannotOpenFile, "The file " + Quoted(path) + " could not be created: " +
                                                std::strerror(error) + ".");
      }
      RemoveQuietly(side);
    } catch (...) {
      RemoveQuietly(side);
      throw;
    }
  }  // the claim lets go only once its file is removed
  // Built just now with KEY: its shape and catalog need no probe (a probe is a second open,
  // and closing it checkpoints and removes the log the open below makes again).
  return std::make_unique<Connection>(path, OpenMode::kReadWrite, key, settings);
}

std::unique_ptr<Connection> OpenEngineFile(const std::string& path, FileKind expected, OpenMode mode,
                                           const CipherKey& key, const EngineSettings& settings,
                                           CatalogInfo* info) {
  const std::string noun = Noun(expected);
  // The probes below open read-write yet write nothing: a read-only connection to a logged file
  // would leave its -wal and -shm companions behind, which only a writer removes on close. A
  // file this process cannot write opens for reading only without them (see Connection).
  switch (ProbeFileShape(path)) {
    case FileShape::kMissing:
      if (expected == FileKind::kWorkgroup) {
        RaiseJetError(err::kWorkgroupMissing, "The workgroup file " + Quoted(path) + " does not exist.");
      }
      RaiseJetError(err::kFileNotFound, "The database " + Quoted(path) + " does not exist.");
    case FileShape::kFolder:
      RaiseJetError(err::kBadFileName, Quoted(path) + " is a folder, not a " + noun + ".");
    case FileShape::kNotRegular:
      RaiseJetError(err::kBadFileName, Quoted(path) + " is not a regular file, so not a " + noun + ".");
    case FileShape::kEmpty:
      RaiseJetError(err::kUnrecognisedFile, "The file " + Quoted(path) + " is empty, not a " + noun + ".");
    case FileShape::kJetOrAce:
      RaiseJetError(err::kForeignFormat, "The file " + Quoted(path) +
                                             " is a Jet or ACE database of another program; this "
                                             "engine does not read that format.");
    case FileShape::kPlainSqlite: {
      Connection probe(path, OpenMode::kReadWrite, CipherKey::None(), settings);
      if (!probe.IsReadable()) {
        RaiseJetError(err::kUnrecognisedFile, "The file " + Quoted(path) + " is damaged.");
      }
      CatalogInfo found = ReadCatalogInfo(probe, path, expected);
      if (info) *info = found;
      return std::make_unique<Connection>(path, mode, CipherKey::None(), settings);
    }
    case FileShape::kOpaque:
      break;
  }
  const std::string unreadable = "The file " + Quoted(path) + " is not a " + noun +
                                 " this engine can read, or it is encrypted with another key or "
                                 "password.";
  if (key.IsNone()) RaiseJetError(err::kUnrecognisedFile, unreadable);
  {
    Connection probe(path, OpenMode::kReadWrite, key, settings);
    if (!probe.IsReadable()) RaiseJetError(err::kUnrecognisedFile, unreadable);
    CatalogInfo found = ReadCatalogInfo(probe, path, expected);
    if (info) *info = found;
  }
  return std::make_unique<Connection>(path, mode, key, settings);
}

}  // namespace qb::jet
