// jet/dao/index: Index members: stand-alone values until appended; afterwards reads of the stored
// index, renames through its TableDef, and the distinct-key count.
#include "jet/dao/index.h"

#include "jet/base/errors.h"
#include "jet/catalog/item_properties.h"
#include "jet/dao/item_property_objects.h"
#include "jet/dao/property.h"
#include "jet/catalog/schema_sql.h"
#include "jet/sqlite/connection.h"
#include "jet/dao/tabledef.h"

namespace qb::jet {

Index::Index(std::string name) { own_.name = std::move(name); }

IndexModel Index::Model() const {
  if (std::shared_ptr<TableDef> table = table_) {
    TableModel model = table->Model();
    if (const IndexModel* index = model.FindIndex(own_.name)) return *index;
    RaiseJetError(err::kObjectClosed, "The index '" + own_.name + "' is no longer part of its table.");
  }
  return own_;
}

void Index::SetBeforeAppend(const std::function<void(IndexModel&)>& edit) {
  if (table_ != nullptr || in_collection_) {
    RaiseJetError(err::kSetAfterAppend, "An index cannot be changed once it is in a table; delete it and make a new one.");
  }
  edit(own_);
}

std::string Index::Name() const { return Model().name; }
std::string Index::Fields() const { return IndexFieldsText(Model().keys); }
bool Index::Primary() const { return Model().primary; }
bool Index::Unique() const {
  IndexModel index = Model();
  return index.unique || index.primary;
}
bool Index::IgnoreNulls() const { return Model().ignore_nulls; }
bool Index::Required() const {
  IndexModel index = Model();
  return index.required || index.primary;
}
bool Index::Clustered() const { return Model().clustered; }
bool Index::Foreign() const { return Model().foreign; }

std::int64_t Index::DistinctCount() const {
  std::shared_ptr<TableDef> table = table_;
  if (!table) return 0;
  const IndexModel index = Model();
  std::string columns, known;
  for (const IndexKey& key : index.keys) {
    if (!columns.empty()) {
      columns += ", ";
      known += " OR ";
    }
    columns += QuoteName(key.field);
    known += QuoteName(key.field) + " IS NOT NULL";
  }
  // Rows an index ignores (all keys Null with IgnoreNulls) are not among its keys.
  Statement count = table->Readable().Prepare("SELECT count(*) FROM (SELECT DISTINCT " + columns + " FROM " +
                                              QuoteName(table->Name()) +
                                              (index.ignore_nulls ? " WHERE " + known : std::string()) + ")");
  count.Step();
  return count.ColumnInt(0);
}

void Index::SetName(const std::string& name) {
  CheckObjectName(name, "index");
  std::shared_ptr<TableDef> table = table_;
  if (!table) {
    own_.name = name;
    return;
  }
  const std::string old = own_.name;
  table->Change([&](TableModel& model, std::vector<std::string>&) {
    IndexModel* index = model.FindIndex(old);
    if (!index) RaiseJetError(err::kObjectClosed, "The index '" + old + "' is no longer part of its table.");
    index->name = name;
  });
  own_.name = name;
}

void Index::SetFields(const std::string& fields) {
  std::vector<IndexKey> keys = ParseIndexFields(fields);
  SetBeforeAppend([&](IndexModel& index) { index.keys = std::move(keys); });
}
void Index::SetPrimary(bool primary) {
  SetBeforeAppend([&](IndexModel& index) { index.primary = primary; });
}
void Index::SetUnique(bool unique) {
  SetBeforeAppend([&](IndexModel& index) { index.unique = unique; });
}
void Index::SetIgnoreNulls(bool ignore) {
  SetBeforeAppend([&](IndexModel& index) { index.ignore_nulls = ignore; });
}
void Index::SetRequired(bool required) {
  SetBeforeAppend([&](IndexModel& index) { index.required = required; });
}
void Index::SetClustered(bool clustered) {
  SetBeforeAppend([&](IndexModel& index) { index.clustered = clustered; });
}

std::shared_ptr<jet::Properties> Index::Properties() {
  std::weak_ptr<Index> self = weak_from_this();
  auto use = [self]() {
    std::shared_ptr<Index> index = self.lock();
    if (!index) RaiseJetError(err::kObjectClosed, "The index no longer exists.");
    return index;
  };
  auto flag = [&](const char* name, bool (Index::*get)() const, void (Index::*set)(bool)) {
    return std::make_shared<Property>(name, 1, [use, get]() { return Variant(((*use()).*get)()); },
                                      [use, set](const Variant& value) { ((*use()).*set)(value.ToBool()); });
  };
  std::vector<std::shared_ptr<Property>> items = {
      std::make_shared<Property>("Name", 10, [use]() { return Variant(use()->Name()); },
                                 [use](const Variant& value) { use()->SetName(value.ToString()); }),
      std::make_shared<Property>("Fields", 10, [use]() { return Variant(use()->Fields()); },
                                 [use](const Variant& value) { use()->SetFields(value.ToString()); }),
      flag("Primary", &Index::Primary, &Index::SetPrimary),
      flag("Unique", &Index::Unique, &Index::SetUnique),
      flag("IgnoreNulls", &Index::IgnoreNulls, &Index::SetIgnoreNulls),
      flag("Required", &Index::Required, &Index::SetRequired),
      flag("Clustered", &Index::Clustered, &Index::SetClustered),
      std::make_shared<Property>("Foreign", 1, [use]() { return Variant(use()->Foreign()); }),
      std::make_shared<Property>("DistinctCount", 4,
                                 [use]() { return Variant(static_cast<int>(use()->DistinctCount())); }),
  };
  if (table_ != nullptr) {
    auto read = [use](const std::string& name) {
      IndexModel model = use()->Model();
      const UserProperty* property = FindUserProperty(model.properties, name);
      if (!property) RaiseJetError(err::kPropertyNotFound, "The property '" + name + "' no longer exists.");
      return *property;
    };
    auto write = [use](const std::string& name, const Variant& value) {
      use()->ChangeStored([&](IndexModel& index) {
        UserProperty* property = FindUserProperty(index.properties, name);
        if (!property) RaiseJetError(err::kPropertyNotFound, "The property '" + name + "' no longer exists.");
        property->value = value;
      });
    };
    for (auto& item : UserPropertyObjects(Model().properties, read, write)) items.push_back(std::move(item));
  }
  return std::make_shared<jet::Properties>(std::move(items));
}

void Index::ChangeStored(const std::function<void(IndexModel&)>& edit) {
  std::shared_ptr<TableDef> table = table_;
  if (!table) RaiseJetError(err::kObjectClosed, "The index '" + own_.name + "' is not part of a stored table.");
  const std::string name = own_.name;
  table->Change([&](TableModel& model, std::vector<std::string>&) {
    IndexModel* index = model.FindIndex(name);
    if (!index) RaiseJetError(err::kObjectClosed, "The index '" + name + "' is no longer part of its table.");
    edit(*index);
  });
}

std::shared_ptr<Property> Index::CreateProperty(const std::string& name, int type, const Variant& value) {
  if (!table_) {
    RaiseJetError(err::kInvalidOperation, "Append the index to a stored table before giving it properties of its own.");
  }
  UserProperty property = NewUserProperty(*Properties(), "The index '" + own_.name + "'", name, type, value);
  ChangeStored([&](IndexModel& index) { index.properties.push_back(property); });
  return Properties()->Item(std::string_view(name));
}

}  // namespace qb::jet
