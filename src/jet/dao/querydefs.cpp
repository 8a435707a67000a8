// jet/dao/querydefs: the QueryDefs collection of a database (one per Database object, so its items
// keep their identity and parameter values), appending and deleting saved queries, and
// Database::CreateQueryDef.
#include "jet/catalog/catalog_query_schema.h"
#include "jet/dao/database.h"
#include "jet/base/errors.h"
#include "jet/dao/querydef.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet {

QueryDefs::QueryDefs(std::weak_ptr<Database> database) : database_(std::move(database)) { Refresh(); }

std::shared_ptr<Database> QueryDefs::Open() const {
  std::shared_ptr<Database> database = database_.lock();
  if (!database || !database->IsOpen()) RaiseJetError(err::kObjectClosed, "The database has been closed.");
  return database;
}

void QueryDefs::Refresh() {
  std::shared_ptr<Database> database = Open();
  // A data source's query definitions live in this collection only, for as long as it is open.
  if (database->IsDataSource()) return;
  std::vector<std::shared_ptr<QueryDef>> items;
  for (StoredQuery& stored : ListStoredQueries(database->File()->EngineConnection(false))) {
    std::shared_ptr<QueryDef> kept;
    for (const auto& item : items_) {
      if (item->stored_.id == stored.id && !item->closed_) kept = item;
    }
    if (kept) {
      kept->RefreshFrom(stored);
    } else {
      kept = std::make_shared<QueryDef>(database_, std::move(stored));
    }
    items.push_back(std::move(kept));
  }
  for (const auto& item : items_) {
    bool still_there = false;
    for (const auto& kept : items) still_there = still_there || kept == item;
    if (!still_there) item->MarkDeleted();  // deleted through another Database object or process
  }
  items_ = std::move(items);
}

void QueryDefs::Add(const std::shared_ptr<QueryDef>& query) {
  auto at = items_.begin();
  while (at != items_.end() && NameLess()((*at)->stored_.name, query->stored_.name)) ++at;
  items_.insert(at, query);
}

std::shared_ptr<QueryDef> QueryDefs::Item(int index) const {
  if (index < 0 || index >= Count()) {
    RaiseJetError(err::kItemNotFound, "There is no item " + std::to_string(index) + " in QueryDefs.");
  }
  return items_[static_cast<std::size_t>(index)];
}

std::shared_ptr<QueryDef> QueryDefs::Item(std::string_view name) const {
  for (const auto& item : items_) {
    if (SameName(item->stored_.name, name)) return item;
  }
  RaiseJetError(err::kItemNotFound, "There is no item named '" + std::string(name) + "' in QueryDefs.");
}

void QueryDef::AppendTo(const std::shared_ptr<Database>& database) {
  CheckObjectName(stored_.name, "query");
  Connection& connection = database->File()->EngineConnection(true);
  if (TableNameTaken(connection, stored_.name)) {
    RaiseJetError(err::kObjectExists, "A table or query named '" + stored_.name + "' already exists.");
  }
  SchemaSavepoint savepoint(connection);
  StoredQuery stored = InsertStoredQuery(connection, stored_);
  NoteCatalogChanged(connection);
  savepoint.Release();
  database_ = database;
  bound_ = true;
  RefreshFrom(stored);
}

void QueryDefs::Append(const std::shared_ptr<QueryDef>& query) {
  if (!query) RaiseJetError(err::kInvalidArgument, "No query definition was given to append.");
  std::shared_ptr<Database> database = Open();
  if (query->closed_) RaiseJetError(err::kObjectClosed, "The query definition '" + query->stored_.name + "' has been closed.");
  if (query->stored_.id != 0) {
    RaiseJetError(err::kDuplicateName, "The query '" + query->stored_.name + "' is already in a QueryDefs collection.");
  }
  if (query->bound_ && query->database_.lock() != database) {
    RaiseJetError(err::kInvalidOperation,
                  "The query definition '" + query->stored_.name + "' belongs to another database.");
  }
  if (database->IsDataSource()) {
    CheckObjectName(query->stored_.name, "query");
    for (const auto& item : items_) {
      if (item == query) {
        RaiseJetError(err::kDuplicateName, "The query '" + query->stored_.name + "' is already in QueryDefs.");
      }
      if (SameName(item->stored_.name, query->stored_.name)) {
        RaiseJetError(err::kObjectExists, "A query named '" + query->stored_.name + "' already exists.");
      }
    }
    if (!query->bound_) query->BindToSource(database);
    Add(query);
    return;
  }
  query->AppendTo(database);
  Add(query);
}

void QueryDefs::Delete(const std::string& name) {
  std::shared_ptr<Database> database = Open();
  if (database->IsDataSource()) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
      if (SameName((*it)->stored_.name, name)) {
        (*it)->MarkDeleted();
        items_.erase(it);
        return;
      }
    }
    RaiseJetError(err::kItemNotFound, "There is no item named '" + name + "' in QueryDefs.");
  }
  Connection& connection = database->File()->EngineConnection(false);
  std::optional<StoredQuery> found;
  for (StoredQuery& stored : ListStoredQueries(connection)) {
    if (SameName(stored.name, name)) found = std::move(stored);
  }
  if (!found) RaiseJetError(err::kItemNotFound, "There is no item named '" + name + "' in QueryDefs.");
  Connection& writable = database->File()->EngineConnection(true);
  SchemaSavepoint savepoint(writable);
  DeleteStoredQuery(writable, found->id);
  NoteCatalogChanged(writable);
  savepoint.Release();
  for (auto it = items_.begin(); it != items_.end();) {
    if ((*it)->stored_.id == found->id) {
      (*it)->MarkDeleted();
      it = items_.erase(it);
    } else {
      ++it;
    }
  }
}

std::shared_ptr<QueryDef> Database::CreateQueryDef(const std::string& name, const std::string& sql) {
  if (source_) {
    // Kept by the connection's QueryDefs when named; the text goes to the server as written.
    RequireSourceOpen();
    auto query = std::make_shared<QueryDef>(weak_from_this(), sql);
    if (!name.empty()) {
      query->SetName(name);
      QueryDefs()->Append(query);
    }
    return query;
  }
  Open();
  if (name.empty()) return std::make_shared<QueryDef>(weak_from_this(), sql);
  auto query = std::make_shared<QueryDef>(name, sql);  // checks the name and the text first
  QueryDefs()->Append(query);
  return query;
}

}  // namespace qb::jet
