// jet/catalog/database_catalog: the system tables of a database file beyond MSysDbInfo (MSysObjects,
// MSysQueries, MSysProperties): building them in a new file and reading what the Database,
// its TableDefs, QueryDefs, Containers and Properties list. Plain reads and writes on one
// connection; no locks, no transactions of its own.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "com/variant.h"

namespace qb::jet {

class Connection;

// MSysObjects.Type values.
namespace object_type {
inline constexpr int kTable = 1;
inline constexpr int kDatabase = 2;  // the one "MSysDb" row: the database itself
inline constexpr int kQuery = 5;
inline constexpr int kRelationship = 8;
}  // namespace object_type

inline constexpr std::int32_t kSystemObjectAttribute = static_cast<std::int32_t>(0x80000002u);

// One object of the catalog as the collections show it.
struct CatalogObject {
  std::string name;
  std::int32_t attributes = 0;
  std::string owner = "admin";
  double date_created = 0;  // date serials
  double last_updated = 0;
  std::string sql;          // a query's Jet SQL text; empty otherwise
};

// A user-defined property kept in MSysProperties.
struct StoredProperty {
  std::string name;
  int type = 0;  // a data type code (1 Boolean ... 12 Memo)
  Variant value;
};

// The local time now as a date serial.
double NowSerial();

// Creates the system tables in a new file and registers every system table. REQUIRES: inside
// the new file's creating transaction.
void BuildDatabaseCatalog(Connection& connection);

// The file's tables, system ones included, ordered by name: every real table of the file (a
// table the catalog does not know yet is listed with the database's own dates), with the
// system attribute on "MSys" names.
std::vector<CatalogObject> ListTables(Connection& connection);
// The saved queries, ordered by name.
std::vector<CatalogObject> ListQueries(Connection& connection);
// The relationships, ordered by name.
std::vector<CatalogObject> ListRelationships(Connection& connection);
// The database's own document, "MSysDb".
CatalogObject DatabaseObject(Connection& connection);

// The database's user-defined properties, in the order they were made.
std::vector<StoredProperty> ReadDatabaseProperties(Connection& connection);
// Stores a new property (the caller checked the name) or a new value for an existing one.
// VALUE must convert to TYPE: else kInvalidPropertyValue (nothing written).
void InsertDatabaseProperty(Connection& connection, const StoredProperty& property);
void UpdateDatabaseProperty(Connection& connection, const std::string& name, int type, const Variant& value);

// True when TYPE is a data type code a property may have.
bool IsPropertyType(int type);

}  // namespace qb::jet
