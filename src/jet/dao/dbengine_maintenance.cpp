// jet/dao/dbengine_maintenance: DBEngine's database-file calls (create, compact, repair), handed to
// the maintenance routines with the engine's settings. No logic of its own.
#include "jet/dao/database_files.h"
#include "jet/dao/dbengine.h"

namespace qb::jet {

std::shared_ptr<Database> DBEngine::CreateDatabase(const std::string& name, const std::string& locale, int options) {
  return CreateDatabaseAt(name, locale, options, settings_);
}

void DBEngine::CompactDatabase(const std::string& source, const std::string& destination,
                               const std::string& destination_locale, int options, const std::string& source_locale) {
  CompactDatabaseFile(source, destination, destination_locale, options, source_locale, settings_);
}

void DBEngine::RepairDatabase(const std::string& name, const std::string& connect) {
  RepairDatabaseFile(name, connect, settings_);
}

}  // namespace qb::jet
