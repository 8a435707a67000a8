// jet/dao/relations: Database::Relations, read from each user table's stored relationships.
#include <algorithm>
#include <optional>
#include <set>

#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_model.h"
#include "jet/dao/database.h"
#include "jet/dao/relation.h"
#include "jet/query/database_file.h"

namespace qb::jet {
namespace {

// True when COLUMNS are exactly the key of a unique (or primary) index of TABLE.
bool UniqueKeyOf(const TableModel& table, const std::vector<std::string>& columns) {
  std::set<std::string> wanted;
  for (const std::string& column : columns) wanted.insert(FoldCase(column));
  for (const IndexModel& index : table.indexes) {
    if (!index.unique && !index.primary) continue;
    std::set<std::string> keys;
    for (const IndexKey& key : index.keys) keys.insert(FoldCase(key.field));
    if (keys == wanted) return true;
  }
  return false;
}

std::vector<std::shared_ptr<Relation>> ReadRelations(Connection& connection) {
  std::vector<std::shared_ptr<Relation>> items;
  for (const std::string& name : UserTableNames(connection)) {
    std::optional<TableModel> table = LoadTableModel(connection, name);
    if (!table) continue;
    for (const ForeignKeyModel& key : table->foreign_keys) {
      std::vector<RelationField> fields;
      for (std::size_t i = 0; i < key.columns.size() && i < key.referenced_columns.size(); ++i) {
        fields.push_back({key.referenced_columns[i], key.columns[i]});
      }
      const std::int32_t attributes = UniqueKeyOf(*table, key.columns) ? relation_attribute::kUnique : 0;
      items.push_back(std::make_shared<Relation>(key.name, key.referenced_table, table->name, std::move(fields),
                                                 attributes));
    }
  }
  std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
    return FoldCase(a->Name()) < FoldCase(b->Name());
  });
  return items;
}

}  // namespace

std::shared_ptr<jet::Relations> Database::Relations() {
  Open();  // kNotForThisObject for a data source
  File()->EngineConnection(false);  // kObjectClosed once closed
  std::weak_ptr<Database> self = weak_from_this();
  return std::make_shared<jet::Relations>("Relations", [self]() {
    auto database = self.lock();
    if (!database) RaiseJetError(err::kObjectClosed, "The database has been closed.");
    return ReadRelations(database->File()->EngineConnection(false));
  });
}

}  // namespace qb::jet
