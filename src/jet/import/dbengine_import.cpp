// jet/import/dbengine_import: DBEngine::ImportDatabase, the object model's door to the import.
#include "jet/dao/dbengine.h"
#include "jet/import/import_database.h"

namespace qb::jet {

ImportSummary DBEngine::ImportDatabase(const std::string& source, const std::string& destination, int options,
                                       const std::vector<std::string>& tables) {
  return ImportGenuineDatabase(source, destination, options, tables, settings_);
}

}  // namespace qb::jet
