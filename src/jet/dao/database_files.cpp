// jet/dao/database_files: the maintenance routines' open files wrapped as Database objects.
#include "jet/dao/database_files.h"

#include "jet/maintenance/database_open.h"

namespace qb::jet {

std::shared_ptr<Database> OpenDatabaseAt(const std::string& path, ShareMode share, bool read_only,
                                         const std::string& connect, const EngineSettings& settings) {
  return std::make_shared<Database>(OpenDatabaseFile(path, share, read_only, connect, settings));
}

std::shared_ptr<Database> CreateDatabaseAt(const std::string& path, const std::string& locale, int options,
                                           const EngineSettings& settings) {
  return std::make_shared<Database>(CreateDatabaseFile(path, locale, options, settings));
}

}  // namespace qb::jet
