// jet/dao/field: Field members: stand-alone values until appended, then changes forwarded to the
// stored table's definition.
#include "jet/dao/field.h"

#include "jet/base/errors.h"
#include "jet/catalog/item_properties.h"
#include "jet/dao/item_property_objects.h"
#include "jet/dao/property.h"
#include "jet/catalog/schema_sql.h"
#include "jet/dao/tabledef.h"

namespace qb::jet {
namespace {

void RaiseAppended(const std::string& what) {
  RaiseJetError(err::kSetAfterAppend, "The " + what + " of a field cannot be changed once it is in a table.");
}

}  // namespace

Field::Field(std::string name, int type, int size) {
  own_.name = std::move(name);
  own_.type = type;
  own_.size = size;
}

FieldModel Field::Model() const {
  if (std::shared_ptr<TableDef> table = table_) {
    TableModel model = table->Model();
    if (const FieldModel* field = model.FindField(own_.name)) return *field;
    RaiseJetError(err::kObjectClosed, "The field '" + own_.name + "' is no longer part of its table.");
  }
  return own_;
}

void Field::Change(const std::function<void(FieldModel&)>& edit) {
  std::shared_ptr<TableDef> table = table_;
  if (!table) {
    edit(own_);
    return;
  }
  const std::string name = own_.name;
  std::string new_name = name;
  table->Change([&](TableModel& model, std::vector<std::string>&) {
    FieldModel* field = model.FindField(name);
    if (!field) RaiseJetError(err::kObjectClosed, "The field '" + name + "' is no longer part of its table.");
    edit(*field);
    new_name = field->name;
  });
  if (const FieldModel* field = table->model_.FindField(new_name)) own_ = *field;
}

std::string Field::Name() const { return Model().name; }
int Field::Type() const {
  const int type = Model().type;
  return type == 0 ? 10 : type;
}
int Field::Size() const {
  FieldModel field = Model();
  if (field.type == 0 || field.type == 10 || field.type == 9) return field.size;
  return FixedSizeOf(field.type);
}
Variant Field::DefaultValue() const { return Variant(Model().default_value); }
bool Field::Required() const { return Model().required; }
bool Field::AllowZeroLength() const { return Model().allow_zero_length; }
int Field::OrdinalPosition() const { return Model().ordinal; }
std::int32_t Field::Attributes() const {
  FieldModel field = Model();
  if (!table_ && !(field.attributes & (kFixedField | kVariableField))) {
    field.attributes |= (field.type == 0 || field.type == 10 || field.type == 9) ? kVariableField : kFixedField;
  }
  return field.attributes;
}
std::string Field::ValidationRule() const { return Model().validation_rule; }
std::string Field::ValidationText() const { return Model().validation_text; }
std::string Field::SourceTable() const {
  std::shared_ptr<TableDef> table = table_;
  return table ? table->Name() : std::string();
}
std::string Field::SourceField() const { return table_ ? Model().name : std::string(); }

void Field::SetName(const std::string& name) {
  CheckObjectName(name, "field");
  if (!table_) {
    own_.name = name;
    return;
  }
  // The indexes and relationships over the field follow it to its new name.
  const std::string old = own_.name;
  table_->Change([&](TableModel& model, std::vector<std::string>&) {
    FieldModel* field = model.FindField(old);
    if (!field) RaiseJetError(err::kObjectClosed, "The field '" + old + "' is no longer part of its table.");
    for (IndexModel& index : model.indexes) {
      for (IndexKey& key : index.keys) {
        if (model.FindField(key.field) == field) key.field = name;
      }
    }
    for (ForeignKeyModel& key : model.foreign_keys) {
      for (std::string& column : key.columns) {
        if (model.FindField(column) == field) column = name;
      }
    }
    field->name = name;
  });
  if (const FieldModel* field = table_->model_.FindField(name)) own_ = *field;
}

void Field::SetType(int type) {
  if (in_collection_ || table_ != nullptr) RaiseAppended("Type");
  if (!IsStorableType(type)) {
    RaiseJetError(err::kInvalidFieldType, "The data type " + std::to_string(type) + " cannot be stored in a table.");
  }
  own_.type = type;
}

void Field::SetSize(int size) {
  if (table_ != nullptr) {
    const int type = Model().type;
    if (type != 10 && type != 9) RaiseAppended("Size");
  }
  if (size < 0 || size > 255) {
    RaiseJetError(err::kInvalidPropertyValue, "A field size is 1 to 255; " + std::to_string(size) + " is not.");
  }
  Change([&](FieldModel& field) { field.size = size; });
}

void Field::SetDefaultValue(const Variant& value) {
  const std::string text = value.IsNull() || value.IsEmpty() ? std::string() : value.ToString();
  if (!text.empty()) TranslateDefault(text);  // raises for an expression that is not valid
  Change([&](FieldModel& field) { field.default_value = text; });
}

void Field::SetRequired(bool required) {
  Change([&](FieldModel& field) { field.required = required; });
}

void Field::SetAllowZeroLength(bool allow) {
  const int type = Model().type;
  if (allow && type != 0 && type != 10 && type != 12) {
    RaiseJetError(err::kInvalidPropertyValue, "Only Text and Memo fields can allow zero-length strings.");
  }
  Change([&](FieldModel& field) { field.allow_zero_length = allow; });
}

void Field::SetOrdinalPosition(int position) {
  Change([&](FieldModel& field) { field.ordinal = position; });
}

void Field::SetAttributes(std::int32_t attributes) {
  if (table_ != nullptr && ((Model().attributes ^ attributes) & kAutoIncrField)) RaiseAppended("AutoNumber attribute");
  Change([&](FieldModel& field) { field.attributes = attributes; });
}

void Field::SetValidationRule(const std::string& rule) {
  Change([&](FieldModel& field) { field.validation_rule = rule; });
  if (!table_ && !rule.empty()) {  // not stored yet: check the expression now
    TableModel probe;
    probe.name = "T";
    FieldModel field = own_;
    if (field.name.empty()) field.name = "F";
    if (field.type == 0) field.type = 10;
    probe.fields.push_back(field);
    try {
      ColumnSql(probe, probe.fields.front());
    } catch (...) {
      own_.validation_rule.clear();
      throw;
    }
  }
}

void Field::SetValidationText(const std::string& text) {
  Change([&](FieldModel& field) { field.validation_text = text; });
}

std::shared_ptr<jet::Properties> Field::Properties() {
  std::weak_ptr<Field> self = weak_from_this();
  auto use = [self]() {
    std::shared_ptr<Field> field = self.lock();
    if (!field) RaiseJetError(err::kObjectClosed, "The field no longer exists.");
    return field;
  };
  auto make = [&](const char* name, int type, auto get, auto set) {
    return std::make_shared<Property>(name, type, [use, get]() { return get(*use()); },
                                      [use, set](const Variant& value) { set(*use(), value); });
  };
  auto fixed = [&](const char* name, int type, auto get) {
    return std::make_shared<Property>(name, type, [use, get]() { return get(*use()); });
  };
  std::vector<std::shared_ptr<Property>> items = {
      make("Name", 10, [](Field& f) { return Variant(f.Name()); }, [](Field& f, const Variant& v) { f.SetName(v.ToString()); }),
      make("Type", 3, [](Field& f) { return Variant(static_cast<std::int16_t>(f.Type())); },
           [](Field& f, const Variant& v) { f.SetType(v.ToInt16()); }),
      make("Size", 4, [](Field& f) { return Variant(f.Size()); }, [](Field& f, const Variant& v) { f.SetSize(v.ToInt32()); }),
      make("Attributes", 4, [](Field& f) { return Variant(static_cast<int>(f.Attributes())); },
           [](Field& f, const Variant& v) { f.SetAttributes(v.ToInt32()); }),
      make("OrdinalPosition", 3, [](Field& f) { return Variant(static_cast<std::int16_t>(f.OrdinalPosition())); },
           [](Field& f, const Variant& v) { f.SetOrdinalPosition(v.ToInt16()); }),
      make("DefaultValue", 10, [](Field& f) { return f.DefaultValue(); }, [](Field& f, const Variant& v) { f.SetDefaultValue(v); }),
      make("Required", 1, [](Field& f) { return Variant(f.Required()); }, [](Field& f, const Variant& v) { f.SetRequired(v.ToBool()); }),
      make("AllowZeroLength", 1, [](Field& f) { return Variant(f.AllowZeroLength()); },
           [](Field& f, const Variant& v) { f.SetAllowZeroLength(v.ToBool()); }),
      make("ValidationRule", 10, [](Field& f) { return Variant(f.ValidationRule()); },
           [](Field& f, const Variant& v) { f.SetValidationRule(v.ToString()); }),
      make("ValidationText", 10, [](Field& f) { return Variant(f.ValidationText()); },
           [](Field& f, const Variant& v) { f.SetValidationText(v.ToString()); }),
      fixed("SourceTable", 10, [](Field& f) { return Variant(f.SourceTable()); }),
      fixed("SourceField", 10, [](Field& f) { return Variant(f.SourceField()); }),
  };
  if (table_ != nullptr) {
    auto read = [use](const std::string& name) {
      FieldModel model = use()->Model();
      const UserProperty* property = FindUserProperty(model.properties, name);
      if (!property) RaiseJetError(err::kPropertyNotFound, "The property '" + name + "' no longer exists.");
      return *property;
    };
    auto write = [use](const std::string& name, const Variant& value) {
      use()->Change([&](FieldModel& field) {
        UserProperty* property = FindUserProperty(field.properties, name);
        if (!property) RaiseJetError(err::kPropertyNotFound, "The property '" + name + "' no longer exists.");
        property->value = value;
      });
    };
    for (auto& item : UserPropertyObjects(Model().properties, read, write)) items.push_back(std::move(item));
  }
  return std::make_shared<jet::Properties>(std::move(items));
}

std::shared_ptr<Property> Field::CreateProperty(const std::string& name, int type, const Variant& value) {
  if (!table_) {
    RaiseJetError(err::kInvalidOperation, "Append the field to a stored table before giving it properties of its own.");
  }
  UserProperty property = NewUserProperty(*Properties(), "The field '" + own_.name + "'", name, type, value);
  Change([&](FieldModel& field) { field.properties.push_back(property); });
  return Properties()->Item(std::string_view(name));
}

}  // namespace qb::jet
