// jet/dao/databases: indexing and lookup over a workspace's open databases.
#include "jet/dao/databases.h"

#include <string>

#include "jet/dao/database.h"
#include "jet/base/errors.h"
#include "jet/dao/workspace.h"

namespace qb::jet {

int Databases::Count() const { return static_cast<int>(workspace_->OpenDatabases().size()); }

std::shared_ptr<Database> Databases::Item(int index) const {
  std::vector<std::shared_ptr<Database>> open = workspace_->OpenDatabases();
  if (index < 0 || static_cast<std::size_t>(index) >= open.size()) {
    RaiseJetError(err::kItemNotFound, "There is no database at position " + std::to_string(index) + ".");
  }
  return open[static_cast<std::size_t>(index)];
}

std::shared_ptr<Database> Databases::Item(std::string_view name) const {
  for (auto& database : workspace_->OpenDatabases()) {
    if (database->Name() == name) return database;
  }
  RaiseJetError(err::kItemNotFound, "There is no open database named '" + std::string(name) + "'.");
}

void Databases::Refresh() const { workspace_->OpenDatabases(); }

}  // namespace qb::jet
