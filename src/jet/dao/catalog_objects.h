// jet/dao/catalog_objects: the catalog's objects as a database hands them out: Container and
// Document (TableDef: tabledef.h, QueryDef: querydef.h), each a snapshot of its catalog row taken
// when its collection was read. They never write the file; the schema work that changes them lives elsewhere.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "com/variant.h"
#include "jet/catalog/catalog_items.h"
#include "jet/catalog/database_catalog.h"
#include "jet/dao/querydef.h"
#include "jet/dao/tabledef.h"

namespace qb::jet {

// TableDef and TableDefs live in tabledef.h, QueryDef and QueryDefs in querydef.h.

class Document {
 public:
  Document(CatalogObject row, std::string container) : row_(std::move(row)), container_(std::move(container)) {}
  const std::string& Name() const { return row_.name; }
  const std::string& Container() const { return container_; }
  const std::string& Owner() const { return row_.owner; }
  Variant DateCreated() const { return Variant::FromDate(row_.date_created); }
  Variant LastUpdated() const { return Variant::FromDate(row_.last_updated); }

 private:
  CatalogObject row_;      // constant after construction
  std::string container_;  // constant after construction
};

using Documents = CatalogItems<Document>;

class Container {
 public:
  Container(std::string name, std::string owner, std::shared_ptr<jet::Documents> documents)
      : name_(std::move(name)), owner_(std::move(owner)), documents_(std::move(documents)) {}
  const std::string& Name() const { return name_; }
  const std::string& Owner() const { return owner_; }
  // The container's documents, read when the Containers collection was read (Refresh re-reads).
  std::shared_ptr<jet::Documents> Documents() const { return documents_; }

 private:
  std::string name_;                           // constant after construction
  std::string owner_;                          // constant after construction
  std::shared_ptr<jet::Documents> documents_;  // constant after construction
};

using Containers = CatalogItems<Container>;

}  // namespace qb::jet
