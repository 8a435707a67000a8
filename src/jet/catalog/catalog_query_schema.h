// jet/catalog/catalog_query_schema: the query translator's view of one database file: its tables (from
// the catalog's field metadata) and its saved queries (MSysQueries). Reads only; never changes
// a table or a query, except for the generation stamp NoteCatalogChanged writes.
//
// Version() pairs two numbers the file itself keeps, so changes made through another Database
// object or another process are seen too:
//   - SQLite's schema version, which every CREATE/ALTER/DROP (and so every table rebuild) bumps;
//   - the catalog generation (the file header's user version), which NoteCatalogChanged bumps
//     after changes the SQLite schema does not show (saved queries, field metadata alone).
// Both go back when a transaction that bumped them rolls back, so a cache keyed by Version()
// must be cleared on rollback (DatabaseFile::Rollback does).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "jet/sql/translate/query_schema.h"
#include "jet/sqlite/statement.h"

namespace qb::jet {

class Connection;

class CatalogQuerySchema : public sql::QuerySchema {
 public:
  // Reads through CONNECTION, which must outlive this object.
  explicit CatalogQuerySchema(Connection& connection) : connection_(connection) {}
  CatalogQuerySchema(const CatalogQuerySchema&) = delete;
  CatalogQuerySchema& operator=(const CatalogQuerySchema&) = delete;

  // A user or system table (columns in OrdinalPosition order, with their DAO types, Text and
  // Binary sizes, Required and AutoNumber), or a saved query with its Jet SQL; nullopt for
  // anything else (SQLite's own sqlite_* tables included). Answers are remembered while
  // Version() holds. Raises the engine's file errors.
  std::optional<sql::SchemaObject> Find(std::string_view name) const override;
  // See the file comment. Raises the engine's file errors.
  std::uint64_t Version() const override;
  // Drops the remembered answers: after a rollback the version may come back to a number it
  // had while definitions that are now undone were in place.
  void Forget() const;

 private:
  std::optional<sql::SchemaObject> Lookup(std::string_view name) const;  // read from the file

  Connection& connection_;                           // constant after construction
  mutable std::optional<Statement> schema_version_;  // prepared on first use
  mutable std::optional<Statement> generation_;
  // Find's answers by name (case folded), valid for known_version_ only.
  mutable std::unordered_map<std::string, std::optional<sql::SchemaObject>> known_;
  mutable std::uint64_t known_version_ = 0;
};

// Bumps the catalog generation of the file behind CONNECTION, so every translation cached
// against it (in this process or another) goes stale. Call it after storing, renaming or
// deleting a saved query, or changing field metadata in place, inside the same transaction or
// savepoint as that change. Raises the engine's file errors (kReadOnly on a read-only open).
void NoteCatalogChanged(Connection& connection);

}  // namespace qb::jet
