// jet/catalog/database_catalog: SQL over MSysObjects, MSysQueries and MSysProperties. The catalog is
// kept in plain SQLite types and built-in collations, so that any SQLite tool can read it.
#include "jet/catalog/database_catalog.h"

#include <strings.h>

#include <optional>
#include <stdexcept>
#include <ctime>

#include "core/date_serial.h"
#include "core/number_text.h"
#include "jet/catalog/catalog_numbers.h"
#include "jet/base/errors.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

constexpr const char* kSystemTables[] = {"MSysDbInfo", "MSysObjects", "MSysProperties", "MSysQueries"};

// A number stored as text; std::invalid_argument when it is none (read as Null by the caller).
double StoredReal(const std::string& stored) {
  if (std::optional<double> value = CatalogRealText(stored)) return *value;
  throw std::invalid_argument("not a number");
}

bool IsSystemName(const std::string& name) { return ::strncasecmp(name.c_str(), "MSys", 4) == 0; }

std::vector<CatalogObject> ListOfType(Connection& connection, int type) {
  std::vector<CatalogObject> objects;
  Statement rows = connection.Prepare(
      "SELECT o.Name, o.Attributes, o.Owner, o.DateCreated, o.LastUpdated, q.SQL FROM MSysObjects o "
      "LEFT JOIN MSysQueries q ON q.ObjectId = o.Id WHERE o.Type = ?1 ORDER BY o.Name COLLATE NOCASE");
  rows.Bind(1, static_cast<std::int64_t>(type));
  while (rows.Step()) {
    CatalogObject object;
    object.name = rows.ColumnText(0);
    object.attributes = static_cast<std::int32_t>(rows.ColumnInt(1));
    object.owner = rows.ColumnText(2);
    object.date_created = ColumnReal(rows, 3).value_or(0.0);
    object.last_updated = ColumnReal(rows, 4).value_or(0.0);
    object.sql = rows.ColumnText(5);
    objects.push_back(std::move(object));
  }
  return objects;
}

// The value as stored: integers for the integral types, reals for the numeric ones, text else.
void BindPropertyValue(Statement& statement, int index, int type, const Variant& value) {
  try {
    switch (type) {
      case 1:
        statement.Bind(index, static_cast<std::int64_t>(value.ToBool() ? -1 : 0));
        return;
      case 2:
        statement.Bind(index, static_cast<std::int64_t>(value.ToByte()));
        return;
      case 3:
        statement.Bind(index, static_cast<std::int64_t>(value.ToInt16()));
        return;
      case 4:
        statement.Bind(index, static_cast<std::int64_t>(value.ToInt32()));
        return;
      case 5:
      case 6:
      case 7:
      case 8: {
        double number = type == 5 ? value.ToCurrency().ToDouble() : type == 8 ? value.ToDate() : value.ToDouble();
        statement.BindDouble(index, number);
        return;
      }
      default:
        statement.Bind(index, value.ToString());
        return;
    }
  } catch (const EVariantError&) {
    RaiseJetError(err::kInvalidPropertyValue, "The value does not suit the property's data type.");
  }
}

Variant ReadPropertyValue(int type, const std::string& stored) {
  switch (type) {
    case 1:
      return Variant(std::stoll(stored) != 0);
    case 2:
      return Variant(static_cast<std::uint8_t>(std::stoi(stored)));
    case 3:
      return Variant(static_cast<std::int16_t>(std::stoi(stored)));
    case 4:
      return Variant(static_cast<int>(std::stol(stored)));
    case 5:
      return Variant(Currency::FromDouble(StoredReal(stored)));
    case 6:
      return Variant(static_cast<float>(StoredReal(stored)));
    case 7:
      return Variant(StoredReal(stored));
    case 8:
      return Variant::FromDate(StoredReal(stored));
    default:
      return Variant(stored);
  }
}

}  // namespace

double NowSerial() {
  std::time_t now = std::time(nullptr);
  std::tm local {};
  ::localtime_r(&now, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec);
}

bool IsPropertyType(int type) { return (type >= 1 && type <= 8) || type == 10 || type == 12; }

void BuildDatabaseCatalog(Connection& connection) {
  connection.Exec(
      "CREATE TABLE MSysObjects (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL COLLATE NOCASE, "
      "Type INTEGER NOT NULL, Attributes INTEGER NOT NULL DEFAULT 0, Owner TEXT NOT NULL DEFAULT 'admin', "
      "DateCreated REAL NOT NULL, LastUpdated REAL NOT NULL, UNIQUE (Type, Name));"
      "CREATE TABLE MSysQueries (ObjectId INTEGER PRIMARY KEY REFERENCES MSysObjects (Id), SQL TEXT NOT NULL);"
      "CREATE TABLE MSysProperties (ObjectId INTEGER NOT NULL REFERENCES MSysObjects (Id), "
      "Name TEXT NOT NULL COLLATE NOCASE, Type INTEGER NOT NULL, Value, PRIMARY KEY (ObjectId, Name))");
  const double now = NowSerial();
  Statement insert = connection.Prepare(
      "INSERT INTO MSysObjects (Name, Type, Attributes, DateCreated, LastUpdated) VALUES (?1, ?2, ?3, ?4, ?4)");
  insert.Bind(1, "MSysDb").Bind(2, static_cast<std::int64_t>(object_type::kDatabase)).Bind(3, std::int64_t{0});
  insert.BindDouble(4, now);
  insert.Run();
  for (const char* table : kSystemTables) {
    insert.Reset();
    insert.Bind(1, table).Bind(2, static_cast<std::int64_t>(object_type::kTable))
        .Bind(3, static_cast<std::int64_t>(kSystemObjectAttribute));
    insert.BindDouble(4, now);
    insert.Run();
  }
}

std::vector<CatalogObject> ListTables(Connection& connection) {
  const CatalogObject database = DatabaseObject(connection);
  std::vector<CatalogObject> tables;
  Statement rows = connection.Prepare(
      "SELECT m.name, o.Attributes, o.Owner, o.DateCreated, o.LastUpdated FROM sqlite_master m "
      "LEFT JOIN MSysObjects o ON o.Type = 1 AND o.Name = m.name "
      "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY m.name COLLATE NOCASE");
  while (rows.Step()) {
    CatalogObject table;
    table.name = rows.ColumnText(0);
    if (rows.ColumnIsNull(1)) {
      table.attributes = IsSystemName(table.name) ? kSystemObjectAttribute : 0;
      table.date_created = database.date_created;
      table.last_updated = database.last_updated;
    } else {
      table.attributes = static_cast<std::int32_t>(rows.ColumnInt(1));
      table.owner = rows.ColumnText(2);
      table.date_created = ColumnReal(rows, 3).value_or(0.0);
      table.last_updated = ColumnReal(rows, 4).value_or(0.0);
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

std::vector<CatalogObject> ListQueries(Connection& connection) { return ListOfType(connection, object_type::kQuery); }

std::vector<CatalogObject> ListRelationships(Connection& connection) {
  return ListOfType(connection, object_type::kRelationship);
}

CatalogObject DatabaseObject(Connection& connection) {
  std::vector<CatalogObject> found = ListOfType(connection, object_type::kDatabase);
  if (found.empty()) RaiseJetError(err::kUnrecognisedFile, "The catalog of '" + connection.Path() + "' is damaged.");
  return found.front();
}

std::vector<StoredProperty> ReadDatabaseProperties(Connection& connection) {
  std::vector<StoredProperty> properties;
  Statement rows = connection.Prepare(
      "SELECT p.Name, p.Type, CAST(p.Value AS TEXT) FROM MSysProperties p JOIN MSysObjects o ON o.Id = p.ObjectId "
      "WHERE o.Type = 2 ORDER BY p.rowid");
  while (rows.Step()) {
    StoredProperty property;
    property.name = rows.ColumnText(0);
    property.type = static_cast<int>(rows.ColumnInt(1));
    try {
      const bool real = property.type >= 5 && property.type <= 8;
      const std::optional<double> number = real ? ColumnReal(rows, 2) : std::nullopt;
      if (rows.ColumnIsNull(2)) {
        property.value = Variant::Null();
      } else if (number) {  // read exactly, not through SQLite's 15-digit text
        property.value = ReadPropertyValue(property.type, DoubleToText(*number));
      } else {
        property.value = ReadPropertyValue(property.type, rows.ColumnText(2));
      }
    } catch (const std::exception&) {
      property.value = Variant::Null();  // a value another program stored badly reads as Null
    }
    properties.push_back(std::move(property));
  }
  return properties;
}

void InsertDatabaseProperty(Connection& connection, const StoredProperty& property) {
  Statement insert = connection.Prepare(
      "INSERT INTO MSysProperties (ObjectId, Name, Type, Value) "
      "SELECT Id, ?1, ?2, ?3 FROM MSysObjects WHERE Type = 2");
  insert.Bind(1, property.name).Bind(2, static_cast<std::int64_t>(property.type));
  if (property.value.IsNull() || property.value.IsEmpty()) {
    insert.BindNull(3);
  } else {
    BindPropertyValue(insert, 3, property.type, property.value);
  }
  insert.Run();
}

void UpdateDatabaseProperty(Connection& connection, const std::string& name, int type, const Variant& value) {
  Statement update = connection.Prepare(
      "UPDATE MSysProperties SET Value = ?2 WHERE Name = ?1 AND ObjectId IN (SELECT Id FROM MSysObjects WHERE Type = 2)");
  update.Bind(1, name);
  if (value.IsNull() || value.IsEmpty()) {
    update.BindNull(2);
  } else {
    BindPropertyValue(update, 2, type, value);
  }
  update.Run();
}

}  // namespace qb::jet
