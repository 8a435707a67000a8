// jet/dao/tabledef: the TableDef object and its Fields and Indexes collections. A TableDef is
// stand-alone (CreateTableDef) until appended to TableDefs, then the view of one stored table:
// every change goes to the file at once through the schema-change layer. System tables are
// listed read-only. Never runs SQL of its own beyond counting rows.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/catalog/database_catalog.h"
#include "jet/dao/field.h"
#include "jet/dao/index.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet {

class Connection;
class Database;
class Properties;
class Property;
class Recordset;

// TableDef.Attributes flags.
inline constexpr std::int32_t kSystemObject = kSystemObjectAttribute;  // dbSystemObject
inline constexpr std::int32_t kHiddenObject = 1;                       // dbHiddenObject

class Fields;
class Indexes;

class TableDef : public std::enable_shared_from_this<TableDef> {
 public:
  // A stand-alone table definition (CreateTableDef): no fields, no indexes.
  explicit TableDef(std::string name = std::string());
  // A stored table of DATABASE as ROW lists it, with its definition MODEL.
  TableDef(std::weak_ptr<Database> database, CatalogObject row, TableModel model);

  // Getters show the definition as last read or changed through this object; they keep
  // working after the database closed (RecordCount and every change then raise kObjectClosed).
  std::string Name() const;
  std::int32_t Attributes() const;
  Variant DateCreated() const;
  Variant LastUpdated() const;
  bool Updatable() const;  // false for system tables
  // The number of rows now (0 for a stand-alone definition).
  std::int64_t RecordCount() const;
  std::string ValidationRule() const;
  std::string ValidationText() const;

  // Name: renames a stored table (kTableExists for a name in use, kNoPermission for a system
  // table). Attributes: only dbHiddenObject may change (kInvalidArgument for others).
  // ValidationRule: an expression over the table's fields, checked now (3070 for a name that
  // is not a field); kTableRule (3316) when a stored row breaks it.
  void SetName(const std::string& name);
  void SetAttributes(std::int32_t attributes);
  void SetValidationRule(const std::string& rule);
  void SetValidationText(const std::string& text);

  // The fields in OrdinalPosition order (a stand-alone definition: in append order).
  std::shared_ptr<jet::Fields> Fields();
  std::shared_ptr<jet::Indexes> Indexes();
  // The built-in properties followed by the user-defined ones of a stored table.
  std::shared_ptr<jet::Properties> Properties();

  // New stand-alone objects for this table (not appended). TYPE 0: set later.
  std::shared_ptr<Field> CreateField(const std::string& name = std::string(), int type = 0, int size = 0);
  std::shared_ptr<Index> CreateIndex(const std::string& name = std::string());
  // Makes and stores a user-defined property of a stored table (kDuplicateName for a name in
  // use, kInvalidArgument for a bad name or type, kInvalidPropertyValue when VALUE does not
  // convert). REQUIRES (else kInvalidOperation): the table is stored.
  std::shared_ptr<Property> CreateProperty(const std::string& name, int type, const Variant& value);

  // Opens the stored table as a recordset (TYPE 0: table-type), as Database.OpenRecordset does.
  // kInvalidOperation for a stand-alone definition.
  std::shared_ptr<Recordset> OpenRecordset(int type = 0, int options = 0, int lock_type = 0);

  // Beyond the object model: the definition now in effect.
  TableModel Model() const;
  // The number the table's AutoNumber field hands out next (1 for a stand-alone definition).
  std::int64_t NextAutoNumber() const;

 private:
  friend class Field;
  friend class Index;
  friend class Fields;
  friend class Indexes;
  friend class TableDefs;

  bool Stored() const { return stored_; }
  bool System() const { return (row_.attributes & kSystemObject) == kSystemObject; }
  Connection& Writable() const;   // the connection, checked writable; REQUIRES: stored
  Connection& Readable() const;   // REQUIRES: stored
  // Changes the stored table: EDIT turns a copy of the model (and the sources of its fields)
  // into the new definition; the change is applied and the model re-read.
  void Change(const std::function<void(TableModel&, std::vector<std::string>&)>& edit);
  void Reload(const std::string& name);
  // Stores a stand-alone definition into DATABASE (TableDefs.Append).
  void AppendTo(const std::shared_ptr<Database>& database);

  bool stored_ = false;
  std::weak_ptr<Database> database_;          // set when stored
  CatalogObject row_;                         // name, attributes, dates
  TableModel model_;                          // stored: as last read; stand-alone: name and rules
  std::vector<std::shared_ptr<Field>> pending_fields_;    // stand-alone only
  std::vector<std::shared_ptr<Index>> pending_indexes_;   // stand-alone only
};

class Fields {
 public:
  explicit Fields(std::shared_ptr<TableDef> table) : table_(std::move(table)) {}
  int Count() const;
  // The field at INDEX or named NAME; kItemNotFound when there is none.
  std::shared_ptr<Field> Item(int index) const;
  std::shared_ptr<Field> Item(std::string_view name) const;
  // Appends FIELD: a stand-alone definition only records it; a stored table gets the new
  // column at once, its rows kept (new rows and old ones get the default). Raises
  // kFieldAlreadyAppended for a field already in a collection, kFieldDefinedTwice for a name in
  // use, and the table's rule errors.
  void Append(const std::shared_ptr<Field>& field);
  // Removes the field NAME, its values and nothing else. Raises kItemNotFound, kFieldInIndex
  // (3280) while an index uses it, kNoFields for the last field.
  void Delete(const std::string& name);
  void Refresh() {}

 private:
  std::vector<std::shared_ptr<Field>> Items() const;
  std::shared_ptr<TableDef> table_;  // constant after construction
};

class Indexes {
 public:
  explicit Indexes(std::shared_ptr<TableDef> table) : table_(std::move(table)) {}
  int Count() const;
  std::shared_ptr<Index> Item(int index) const;
  std::shared_ptr<Index> Item(std::string_view name) const;
  // Appends INDEX: on a stored table builds it over the rows at once. Raises
  // kIndexAlreadyAppended, kIndexExists, kPrimaryExists, kNoFields, kItemNotFound,
  // kDuplicateValues (3022) when the rows hold duplicate keys of a unique index, kIndexNullKey
  // (3058) when they hold Null keys of a primary or required one; nothing is left then.
  void Append(const std::shared_ptr<Index>& index);
  // Removes the index NAME; kItemNotFound when there is none.
  void Delete(const std::string& name);
  void Refresh() {}

 private:
  std::vector<std::shared_ptr<Index>> Items() const;
  std::shared_ptr<TableDef> table_;  // constant after construction
};

class TableDefs {
 public:
  // The tables of DATABASE, system ones included, by name, read now.
  explicit TableDefs(std::weak_ptr<Database> database);
  int Count() const;
  std::shared_ptr<TableDef> Item(int index) const;
  std::shared_ptr<TableDef> Item(std::string_view name) const;
  // Stores the stand-alone TABLE: it needs at least one field (kNoFields); a name in use gives
  // kTableExists; kDuplicateName when TABLE is stored already. TABLE becomes the stored view.
  void Append(const std::shared_ptr<TableDef>& table);
  // Drops the table NAME with its rows, indexes and properties. kItemNotFound when there is
  // none, kNoPermission for a system table.
  void Delete(const std::string& name);
  void Refresh();

 private:
  std::shared_ptr<Database> Open() const;
  std::weak_ptr<Database> database_;             // constant after construction
  std::vector<std::shared_ptr<TableDef>> items_;
};

// The definitions of DATABASE's tables as TableDefs lists them (system tables too).
std::vector<std::shared_ptr<TableDef>> LoadTableDefs(const std::shared_ptr<Database>& database);

}  // namespace qb::jet
