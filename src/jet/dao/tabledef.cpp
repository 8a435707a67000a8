// jet/dao/tabledef: TableDef members and its Fields and Indexes collections: stand-alone
// definitions kept in memory, stored ones changed through schema_change.
#include "jet/dao/tabledef.h"

#include <algorithm>

#include "com/ole_exception.h"
#include "jet/dao/database.h"
#include "jet/base/errors.h"
#include "jet/catalog/item_properties.h"
#include "jet/dao/property.h"
#include "jet/locks/table_hold.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/catalog/schema_sql.h"
#include "jet/sql/parse/parser.h"
#include "jet/sqlite/connection.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

[[noreturn]] void RaiseNotFound(std::string_view what, std::string_view name) {
  RaiseJetError(err::kItemNotFound, "There is no item named '" + std::string(name) + "' in " + std::string(what) + ".");
}

[[noreturn]] void RaiseNoItem(std::string_view what, int index) {
  RaiseJetError(err::kItemNotFound, "There is no item " + std::to_string(index) + " in " + std::string(what) + ".");
}

bool IsRealType(int type) { return type >= 5 && type <= 8; }  // Currency, Single, Double, Date/Time

// A stored user property's value from its text. Numbers and dates are stored locale-free;
// text older versions wrote in the regional form still reads.
Variant PropertyValue(int type, const std::string& text) {
  if (IsRealType(type)) {
    Variant value = DecodePropertyValue(type, text);
    if (!value.IsNull()) return value;
  }
  try {
    return ConvertPropertyValue(type, Variant(text));
  } catch (const EOleException&) {
    return Variant::Null();
  }
}

// The text a user property of TYPE stores for VALUE (not Null).
std::string PropertyText(int type, const Variant& value) {
  return IsRealType(type) ? EncodePropertyValue(type, ConvertPropertyValue(type, value)) : value.ToString();
}

}  // namespace

TableDef::TableDef(std::string name) {
  model_.name = std::move(name);
  row_.name = model_.name;
}

TableDef::TableDef(std::weak_ptr<Database> database, CatalogObject row, TableModel model)
    : stored_(true), database_(std::move(database)), row_(std::move(row)), model_(std::move(model)) {}

Connection& TableDef::Readable() const {
  std::shared_ptr<Database> database = database_.lock();
  if (!database) RaiseJetError(err::kObjectClosed, "The database of table '" + row_.name + "' has been closed.");
  return database->File()->EngineConnection(false);
}

Connection& TableDef::Writable() const {
  std::shared_ptr<Database> database = database_.lock();
  if (!database) RaiseJetError(err::kObjectClosed, "The database of table '" + row_.name + "' has been closed.");
  if (System()) RaiseJetError(err::kNoPermission, "The system table '" + row_.name + "' cannot be changed.");
  return database->File()->EngineConnection(true);
}

TableModel TableDef::Model() const { return model_; }

void TableDef::Reload(const std::string& name) {
  Connection& connection = Readable();
  if (std::optional<TableModel> model = LoadTableModel(connection, name)) model_ = std::move(*model);
  for (CatalogObject& row : ListTables(connection)) {
    if (SameName(row.name, name)) row_ = std::move(row);
  }
}

void TableDef::Change(const std::function<void(TableModel&, std::vector<std::string>&)>& edit) {
  if (!stored_) {
    std::vector<std::string> unused;
    edit(model_, unused);
    row_.name = model_.name;
    return;
  }
  Connection& connection = Writable();
  const std::shared_ptr<Database> database = database_.lock();  // alive: Writable checked
  const TableDesignHold design(database->File()->LockFileRanges(), model_.name);
  std::optional<TableModel> before = LoadTableModel(connection, model_.name);
  if (!before) RaiseJetError(err::kTableNotFound, "The table '" + model_.name + "' no longer exists.");
  TableModel after = *before;
  std::vector<std::string> sources;
  for (const FieldModel& field : after.fields) sources.push_back(field.name);
  edit(after, sources);
  AlterTable(connection, *before, after, sources);
  Reload(after.name);
}

std::string TableDef::Name() const { return row_.name; }
std::int32_t TableDef::Attributes() const { return stored_ ? row_.attributes : model_.attributes; }
Variant TableDef::DateCreated() const { return stored_ ? Variant::FromDate(row_.date_created) : Variant::Null(); }
Variant TableDef::LastUpdated() const { return stored_ ? Variant::FromDate(row_.last_updated) : Variant::Null(); }
bool TableDef::Updatable() const { return !System(); }

std::int64_t TableDef::RecordCount() const {
  if (!stored_) return 0;
  Statement count = Readable().Prepare("SELECT count(*) FROM " + QuoteName(row_.name));
  count.Step();
  return count.ColumnInt(0);
}

std::int64_t TableDef::NextAutoNumber() const { return stored_ ? jet::NextAutoNumber(Readable(), row_.name) : 1; }

std::string TableDef::ValidationRule() const { return Model().validation_rule; }
std::string TableDef::ValidationText() const { return Model().validation_text; }

void TableDef::SetName(const std::string& name) {
  CheckObjectName(name, "table");
  Change([&](TableModel& model, std::vector<std::string>&) { model.name = name; });
}

void TableDef::SetAttributes(std::int32_t attributes) {
  if ((attributes & ~kHiddenObject) != (Attributes() & ~kHiddenObject)) {
    RaiseJetError(err::kInvalidArgument, "Only the hidden attribute of a table can be changed.");
  }
  if (!stored_) {
    model_.attributes = attributes;
    return;
  }
  Connection& connection = Writable();
  Statement update = connection.Prepare("UPDATE MSysObjects SET Attributes = ?2 WHERE Id = ?1");
  update.Bind(1, model_.id).Bind(2, static_cast<std::int64_t>(attributes)).Run();
  Reload(model_.name);
}

void TableDef::SetValidationRule(const std::string& rule) {
  // A definition not yet stored may get its fields later: only the expression's syntax can be
  // checked now (the names are checked on append).
  if (!stored_ && !rule.empty()) sql::ParseExpression(rule);
  Change([&](TableModel& model, std::vector<std::string>&) { model.validation_rule = rule; });
}

void TableDef::SetValidationText(const std::string& text) {
  Change([&](TableModel& model, std::vector<std::string>&) { model.validation_text = text; });
}

std::shared_ptr<jet::Fields> TableDef::Fields() { return std::make_shared<jet::Fields>(shared_from_this()); }
std::shared_ptr<jet::Indexes> TableDef::Indexes() { return std::make_shared<jet::Indexes>(shared_from_this()); }

std::shared_ptr<Field> TableDef::CreateField(const std::string& name, int type, int size) {
  auto field = std::make_shared<Field>(name, 0, size);
  if (type != 0) field->SetType(type);
  return field;
}

std::shared_ptr<Index> TableDef::CreateIndex(const std::string& name) { return std::make_shared<Index>(name); }

std::shared_ptr<jet::Properties> TableDef::Properties() {
  std::weak_ptr<TableDef> self = weak_from_this();
  auto use = [self]() {
    std::shared_ptr<TableDef> table = self.lock();
    if (!table) RaiseJetError(err::kObjectClosed, "The table definition no longer exists.");
    return table;
  };
  std::vector<std::shared_ptr<Property>> items = {
      std::make_shared<Property>("Name", 10, [use]() { return Variant(use()->Name()); },
                                 [use](const Variant& v) { use()->SetName(v.ToString()); }),
      std::make_shared<Property>("Attributes", 4, [use]() { return Variant(static_cast<int>(use()->Attributes())); },
                                 [use](const Variant& v) { use()->SetAttributes(v.ToInt32()); }),
      std::make_shared<Property>("DateCreated", 8, [use]() { return use()->DateCreated(); }),
      std::make_shared<Property>("LastUpdated", 8, [use]() { return use()->LastUpdated(); }),
      std::make_shared<Property>("RecordCount", 4, [use]() { return Variant(static_cast<int>(use()->RecordCount())); }),
      std::make_shared<Property>("Updatable", 1, [use]() { return Variant(use()->Updatable()); }),
      std::make_shared<Property>("ValidationRule", 10, [use]() { return Variant(use()->ValidationRule()); },
                                 [use](const Variant& v) { use()->SetValidationRule(v.ToString()); }),
      std::make_shared<Property>("ValidationText", 10, [use]() { return Variant(use()->ValidationText()); },
                                 [use](const Variant& v) { use()->SetValidationText(v.ToString()); }),
  };
  if (stored_) {
    Statement rows = Readable().Prepare(
        "SELECT Name, Type FROM MSysProperties WHERE ObjectId = ?1 AND Name NOT IN ('ValidationRule', 'ValidationText') "
        "ORDER BY rowid");
    rows.Bind(1, model_.id);
    while (rows.Step()) {
      const std::string name = rows.ColumnText(0);
      const int type = static_cast<int>(rows.ColumnInt(1));
      items.push_back(std::make_shared<Property>(
          name, type,
          [use, name, type]() {
            std::shared_ptr<TableDef> table = use();
            Statement read = table->Readable().Prepare(
                "SELECT CAST(Value AS TEXT), Value IS NULL FROM MSysProperties WHERE ObjectId = ?1 AND Name = ?2");
            read.Bind(1, table->model_.id).Bind(2, name);
            if (!read.Step()) RaiseJetError(err::kPropertyNotFound, "The property '" + name + "' no longer exists.");
            return read.ColumnInt(1) ? Variant::Null() : PropertyValue(type, read.ColumnText(0));
          },
          [use, name, type](const Variant& value) {
            std::shared_ptr<TableDef> table = use();
            Statement write = table->Writable().Prepare(
                "UPDATE MSysProperties SET Value = ?3 WHERE ObjectId = ?1 AND Name = ?2");
            write.Bind(1, table->model_.id).Bind(2, name);
            if (value.IsNull() || value.IsEmpty()) {
              write.BindNull(3);
            } else {
              write.Bind(3, PropertyText(type, value));
            }
            write.Run();
          }));
    }
  }
  return std::make_shared<jet::Properties>(std::move(items));
}

std::shared_ptr<Property> TableDef::CreateProperty(const std::string& name, int type, const Variant& value) {
  if (!stored_) RaiseJetError(err::kInvalidOperation, "Append the table before giving it properties of its own.");
  if (!IsValidObjectName(name)) RaiseJetError(err::kInvalidArgument, "'" + name + "' is not a valid property name.");
  if (!IsPropertyType(type)) {
    RaiseJetError(err::kInvalidArgument, "The data type " + std::to_string(type) + " is not one a property can have.");
  }
  std::shared_ptr<jet::Properties> existing = Properties();
  for (int i = 0; i < existing->Count(); ++i) {
    if (SameName(existing->Item(i)->Name(), name)) {
      RaiseJetError(err::kDuplicateName, "The table '" + row_.name + "' already has a property named '" + name + "'.");
    }
  }
  if (!value.IsNull() && !value.IsEmpty()) ConvertPropertyValue(type, value);  // kInvalidPropertyValue when unfit
  Statement insert = Writable().Prepare("INSERT INTO MSysProperties (ObjectId, Name, Type, Value) VALUES (?1, ?2, ?3, ?4)");
  insert.Bind(1, model_.id).Bind(2, name).Bind(3, static_cast<std::int64_t>(type));
  if (value.IsNull() || value.IsEmpty()) {
    insert.BindNull(4);
  } else {
    insert.Bind(4, PropertyText(type, value));
  }
  insert.Run();
  return Properties()->Item(name);
}

// ---- Fields

std::vector<std::shared_ptr<Field>> Fields::Items() const {
  if (!table_->stored_) return table_->pending_fields_;
  std::vector<std::shared_ptr<Field>> items;
  TableModel model = table_->Model();
  for (const FieldModel* stored : FieldsInOrdinalOrder(model)) {
    auto field = std::make_shared<Field>();
    field->own_ = *stored;
    field->table_ = table_;
    field->in_collection_ = true;
    items.push_back(std::move(field));
  }
  return items;
}

int Fields::Count() const { return static_cast<int>(Items().size()); }

std::shared_ptr<Field> Fields::Item(int index) const {
  std::vector<std::shared_ptr<Field>> items = Items();
  if (index < 0 || index >= static_cast<int>(items.size())) RaiseNoItem("Fields", index);
  return items[static_cast<std::size_t>(index)];
}

std::shared_ptr<Field> Fields::Item(std::string_view name) const {
  for (const std::shared_ptr<Field>& field : Items()) {
    if (SameName(field->own_.name, name)) return field;
  }
  RaiseNotFound("Fields", name);
}

void Fields::Append(const std::shared_ptr<Field>& field) {
  if (!field) RaiseJetError(err::kInvalidArgument, "No field was given to append.");
  if (field->in_collection_ || field->table_) {
    RaiseJetError(err::kFieldAlreadyAppended, "The field '" + field->own_.name + "' is already part of a Fields collection.");
  }
  FieldModel model = field->own_;
  if (model.type == 0) model.type = 10;
  CheckObjectName(model.name, "field");
  if (!table_->stored_) {
    for (const std::shared_ptr<Field>& other : table_->pending_fields_) {
      if (SameName(other->own_.name, model.name)) {
        RaiseJetError(err::kFieldDefinedTwice, "The field '" + model.name + "' is already in this table definition.");
      }
    }
    if (model.ordinal == 0) model.ordinal = static_cast<int>(table_->pending_fields_.size());
    field->own_ = model;
    field->in_collection_ = true;
    table_->pending_fields_.push_back(field);
    return;
  }
  table_->Change([&](TableModel& after, std::vector<std::string>& sources) {
    if (model.ordinal == 0) {
      int next = 0;
      for (const FieldModel& existing : after.fields) next = std::max(next, existing.ordinal + 1);
      model.ordinal = next;
    }
    after.fields.push_back(model);
    sources.emplace_back();
  });
  field->table_ = table_;
  field->in_collection_ = true;
  field->own_ = *table_->model_.FindField(model.name);
}

void Fields::Delete(const std::string& name) {
  if (!table_->stored_) {
    auto& pending = table_->pending_fields_;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
      if (SameName((*it)->own_.name, name)) {
        (*it)->in_collection_ = false;
        pending.erase(it);
        return;
      }
    }
    RaiseNotFound("Fields", name);
  }
  table_->Change([&](TableModel& after, std::vector<std::string>& sources) {
    for (std::size_t i = 0; i < after.fields.size(); ++i) {
      if (!SameName(after.fields[i].name, name)) continue;
      for (const IndexModel& index : after.indexes) {
        for (const IndexKey& key : index.keys) {
          if (SameName(key.field, name)) {
            RaiseJetError(err::kFieldInIndex, "The field '" + after.fields[i].name + "' is part of the index '" +
                                                  index.name + "'; delete the index first.");
          }
        }
      }
      after.fields.erase(after.fields.begin() + static_cast<std::ptrdiff_t>(i));
      sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
    RaiseNotFound("Fields", name);
  });
}

// ---- Indexes

std::vector<std::shared_ptr<Index>> Indexes::Items() const {
  if (!table_->stored_) return table_->pending_indexes_;
  std::vector<std::shared_ptr<Index>> items;
  for (const IndexModel& stored : table_->Model().indexes) {
    auto index = std::make_shared<Index>();
    index->own_ = stored;
    index->table_ = table_;
    index->in_collection_ = true;
    items.push_back(std::move(index));
  }
  return items;
}

int Indexes::Count() const { return static_cast<int>(Items().size()); }

std::shared_ptr<Index> Indexes::Item(int index) const {
  std::vector<std::shared_ptr<Index>> items = Items();
  if (index < 0 || index >= static_cast<int>(items.size())) RaiseNoItem("Indexes", index);
  return items[static_cast<std::size_t>(index)];
}

std::shared_ptr<Index> Indexes::Item(std::string_view name) const {
  for (const std::shared_ptr<Index>& index : Items()) {
    if (SameName(index->own_.name, name)) return index;
  }
  RaiseNotFound("Indexes", name);
}

void Indexes::Append(const std::shared_ptr<Index>& index) {
  if (!index) RaiseJetError(err::kInvalidArgument, "No index was given to append.");
  if (index->in_collection_ || index->table_) {
    RaiseJetError(err::kIndexAlreadyAppended, "The index '" + index->own_.name + "' is already part of an Indexes collection.");
  }
  const IndexModel model = index->own_;
  CheckObjectName(model.name, "index");
  if (model.keys.empty()) RaiseJetError(err::kNoFields, "The index '" + model.name + "' has no fields.");
  if (!table_->stored_) {
    for (const std::shared_ptr<Index>& other : table_->pending_indexes_) {
      if (SameName(other->own_.name, model.name)) {
        RaiseJetError(err::kIndexExists, "The index '" + model.name + "' is already in this table definition.");
      }
      if (other->own_.primary && model.primary) RaiseJetError(err::kPrimaryExists, "The table already has a primary key.");
    }
    index->in_collection_ = true;
    table_->pending_indexes_.push_back(index);
    return;
  }
  table_->Change([&](TableModel& after, std::vector<std::string>&) { after.indexes.push_back(model); });
  index->table_ = table_;
  index->in_collection_ = true;
  index->own_ = *table_->model_.FindIndex(model.name);
}

void Indexes::Delete(const std::string& name) {
  if (!table_->stored_) {
    auto& pending = table_->pending_indexes_;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
      if (SameName((*it)->own_.name, name)) {
        (*it)->in_collection_ = false;
        pending.erase(it);
        return;
      }
    }
    RaiseNotFound("Indexes", name);
  }
  table_->Change([&](TableModel& after, std::vector<std::string>&) {
    for (auto it = after.indexes.begin(); it != after.indexes.end(); ++it) {
      if (SameName(it->name, name)) {
        after.indexes.erase(it);
        return;
      }
    }
    RaiseNotFound("Indexes", name);
  });
}

}  // namespace qb::jet
