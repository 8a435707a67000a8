// app/dbtools/db_file_replace: temporary names, the check of the copy and the replacing rename.
#include "app/dbtools/db_file_replace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/exception.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/dao/tabledef.h"

namespace qb {

namespace {

constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

std::function<void(TReplaceStep)>& ReplaceHook() {
  static std::function<void(TReplaceStep)> hook;
  return hook;
}

void RunHook(TReplaceStep step) {
  if (ReplaceHook()) ReplaceHook()(step);
}

// True when PATH names anything at all (a dangling link included).
bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

// True when PATH's write-ahead log holds changes not yet in the file itself.
bool HasPendingLog(const std::string& path) {
  struct stat info;
  return ::stat((path + "-wal").c_str(), &info) == 0 && info.st_size > 0;
}

// TEXT without the full stop it may end with, so that it can be followed by more.
std::string Clause(std::string text) {
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? std::string() : folder + "/";
}

void CheckCopyOpens(const std::string& copy, const std::string& connect, const jet::EngineSettings& settings) {
  std::shared_ptr<jet::Database> database =
      jet::OpenDatabaseAt(copy, jet::ShareMode::kExclusive, false, connect, settings);
  database->Version();
  database->TableDefs()->Count();
  database->Close();  // the last connection: its log is folded into the file and removed
  if (HasPendingLog(copy)) throw Exception("its log could not be folded into it");
}

}  // namespace

std::string MakeTempDBName(const std::string& database) {
  const std::string folder = FolderOf(database);
  for (int n = 1;; ++n) {
    const std::string name = folder + "TempDB_" + std::to_string(n) + ".mdb";
    bool taken = Exists(name);
    for (const char* suffix : kCompanions) taken = taken || Exists(name + suffix);
    if (!taken) return name;
  }
}

void RemoveDatabaseFile(const std::string& path) {
  for (const char* suffix : kCompanions) ::unlink((path + suffix).c_str());
  ::unlink(path.c_str());
}

void ReplaceWithCompactedCopy(const std::string& database, const std::string& copy, const std::string& connect,
                              const jet::EngineSettings& settings) {
  std::string failure;
  try {
    RunHook(TReplaceStep::kBuilt);
    try {
      CheckCopyOpens(copy, connect, settings);
    } catch (const std::exception& error) {
      throw Exception("The new file '" + copy + "' is not usable (" + Clause(error.what()) + ")");
    }
    jet::LockFileHold hold(database, jet::ShareMode::kExclusive, true);
    if (HasPendingLog(database)) {
      throw Exception("'" + database + "' was changed after it was read");
    }
    // The copy takes the original's permissions with its place: who may read the database
    // must not change because it was compacted.
    struct stat original;
    if (::stat(database.c_str(), &original) == 0) ::chmod(copy.c_str(), original.st_mode & 07777);
    RunHook(TReplaceStep::kBeforeRename);
    if (::rename(copy.c_str(), database.c_str()) != 0) {
      throw Exception("The new file '" + copy + "' could not take the place of '" + database +
                      "': " + std::strerror(errno));
    }
    return;
  } catch (const std::exception& error) {
    failure = Clause(error.what());
  }
  RemoveDatabaseFile(copy);
  throw Exception(failure + ". '" + database + "' was left unchanged.");
}

void TEST_SetReplaceHook(std::function<void(TReplaceStep)> hook) { ReplaceHook() = std::move(hook); }

}  // namespace qb
