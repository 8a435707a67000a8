// jet/dao/tabledefs: the TableDefs collection of a database: listing the stored tables, appending
// stand-alone definitions and deleting tables, through the schema-change layer.
#include "jet/dao/database.h"
#include "jet/base/errors.h"
#include "jet/locks/table_hold.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/dao/tabledef.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {

std::vector<std::shared_ptr<TableDef>> LoadTableDefs(const std::shared_ptr<Database>& database) {
  Connection& connection = database->File()->EngineConnection(false);
  std::vector<std::shared_ptr<TableDef>> items;
  for (CatalogObject& row : ListTables(connection)) {
    std::optional<TableModel> model = LoadTableModel(connection, row.name);
    items.push_back(std::make_shared<TableDef>(database, std::move(row), model.value_or(TableModel())));
  }
  return items;
}

std::shared_ptr<TableDef> Database::CreateTableDef(const std::string& name) {
  Open();
  return std::make_shared<TableDef>(name);
}

void TableDef::AppendTo(const std::shared_ptr<Database>& database) {
  TableModel model = model_;
  model.id = 0;
  model.fields.clear();
  model.indexes.clear();
  for (const std::shared_ptr<Field>& field : pending_fields_) {
    FieldModel stored = field->own_;
    if (stored.type == 0) stored.type = 10;
    model.fields.push_back(stored);
  }
  for (const std::shared_ptr<Index>& index : pending_indexes_) model.indexes.push_back(index->own_);
  CreateTable(database->File()->EngineConnection(true), model);
  stored_ = true;
  database_ = database;
  model_ = model;
  Reload(model.name);
  std::shared_ptr<TableDef> self = shared_from_this();
  for (const std::shared_ptr<Field>& field : pending_fields_) {
    field->table_ = self;
    if (const FieldModel* stored = model_.FindField(field->own_.name)) field->own_ = *stored;
  }
  for (const std::shared_ptr<Index>& index : pending_indexes_) {
    index->table_ = self;
    if (const IndexModel* stored = model_.FindIndex(index->own_.name)) index->own_ = *stored;
  }
  pending_fields_.clear();
  pending_indexes_.clear();
}

TableDefs::TableDefs(std::weak_ptr<Database> database) : database_(std::move(database)) { Refresh(); }

std::shared_ptr<Database> TableDefs::Open() const {
  std::shared_ptr<Database> database = database_.lock();
  if (!database) RaiseJetError(err::kObjectClosed, "The database has been closed.");
  database->File()->EngineConnection(false);  // raises once closed
  return database;
}

void TableDefs::Refresh() { items_ = LoadTableDefs(Open()); }

int TableDefs::Count() const { return static_cast<int>(items_.size()); }

std::shared_ptr<TableDef> TableDefs::Item(int index) const {
  if (index < 0 || index >= Count()) {
    RaiseJetError(err::kItemNotFound, "There is no item " + std::to_string(index) + " in TableDefs.");
  }
  return items_[static_cast<std::size_t>(index)];
}

std::shared_ptr<TableDef> TableDefs::Item(std::string_view name) const {
  const std::string folded = FoldCase(name);
  for (const auto& item : items_) {
    if (FoldCase(item->row_.name) == folded) return item;
  }
  RaiseJetError(err::kItemNotFound, "There is no item named '" + std::string(name) + "' in TableDefs.");
}

void TableDefs::Append(const std::shared_ptr<TableDef>& table) {
  if (!table) RaiseJetError(err::kInvalidArgument, "No table definition was given to append.");
  if (table->stored_) {
    RaiseJetError(err::kDuplicateName, "The table '" + table->row_.name + "' is already in a TableDefs collection.");
  }
  if (table->pending_fields_.empty()) {
    RaiseJetError(err::kNoFields, "The table '" + table->model_.name + "' has no fields; append at least one first.");
  }
  table->AppendTo(Open());
  Refresh();
}

void TableDefs::Delete(const std::string& name) {
  std::shared_ptr<Database> database = Open();
  Connection& connection = database->File()->EngineConnection(true);
  if (!LoadTableModel(connection, name)) {
    RaiseJetError(err::kItemNotFound, "There is no item named '" + name + "' in TableDefs.");
  }
  const TableDesignHold design(database->File()->LockFileRanges(), name);
  DropTable(connection, name);
  Refresh();
}

}  // namespace qb::jet
