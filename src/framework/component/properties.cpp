// framework/component/properties: property tables and the checked, by-name access to published
// properties. The text form of values belongs to form_stream.
#include "framework/component/properties.h"

#include <limits>

namespace qb {

StreamValue StreamValue::Ident(std::string name) {
  StreamValue v;
  v.kind = Kind::Identifier;
  v.text = std::move(name);
  return v;
}

StreamValue StreamValue::Int(int64_t value) {
  StreamValue v;
  v.kind = Kind::Integer;
  v.integer = value;
  return v;
}

StreamValue StreamValue::Real(double value) {
  StreamValue v;
  v.kind = Kind::Double;
  v.real = value;
  return v;
}

StreamValue StreamValue::Str(std::string value) {
  StreamValue v;
  v.kind = Kind::String;
  v.text = std::move(value);
  return v;
}

StreamValue StreamValue::SetOf(std::vector<std::string> names) {
  StreamValue v;
  v.kind = Kind::Set;
  v.names = std::move(names);
  return v;
}

StreamValue StreamValue::ListOf(std::vector<StreamValue> items) {
  StreamValue v;
  v.kind = Kind::List;
  v.items = std::move(items);
  return v;
}

const PropertyInfo* PropertyTable::Find(std::string_view name) const {
  for (const PropertyInfo& info : items_) {
    if (SameName(info.name, name)) return &info;
  }
  return nullptr;
}

void PropertyTable::Add(PropertyInfo info) {
  for (PropertyInfo& existing : items_) {
    if (SameName(existing.name, info.name)) {
      existing = std::move(info);
      return;
    }
  }
  items_.push_back(std::move(info));
}

namespace {

const PropertyInfo& FindOrThrow(const TComponent& component, std::string_view name) {
  const PropertyInfo* info = component.Properties().Find(name);
  if (info == nullptr) {
    throw EComponentError("Property " + std::string(name) + " does not exist in " + component.ClassName());
  }
  return *info;
}

template <class V>
bool Holds(const PropertyValue& value) {
  return std::holds_alternative<V>(value);
}

}  // namespace

void CheckPropertyValue(const PropertyInfo& info, const PropertyValue& value) {
  auto fail = [&info](const std::string& why) {
    throw EConvertError("Invalid value for property " + info.name + ": " + why);
  };
  switch (info.type) {
    case PropertyType::Bool:
      if (!Holds<bool>(value)) fail("a boolean is expected");
      break;
    case PropertyType::Integer:
    case PropertyType::Int16:
    case PropertyType::Enum: {
      if (!Holds<int64_t>(value)) fail("an integer is expected");
      const int64_t v = std::get<int64_t>(value);
      if (info.type == PropertyType::Integer &&
          (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())) {
        fail("out of the 32-bit range");
      }
      if (info.type == PropertyType::Int16 &&
          (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())) {
        fail("out of the 16-bit range");
      }
      if (info.type == PropertyType::Enum && (v < 0 || v >= static_cast<int64_t>(info.element_names.size()))) {
        fail("no such element");
      }
      break;
    }
    case PropertyType::Double:
      if (!Holds<double>(value)) fail("a number is expected");
      break;
    case PropertyType::Set: {
      if (!Holds<SetBits>(value)) fail("a set is expected");
      const size_t width = info.element_names.size();
      const uint64_t bits = std::get<SetBits>(value).bits;
      if (width < 64 && (bits >> width) != 0) fail("no such element");
      break;
    }
    case PropertyType::String:
      if (!Holds<std::string>(value)) fail("a text is expected");
      break;
    case PropertyType::StringList:
      if (!Holds<std::vector<std::string>>(value)) fail("a list of texts is expected");
      break;
    case PropertyType::Reference:
      if (!Holds<TComponent*>(value)) fail("a component is expected");
      if (info.accepts && !info.accepts(std::get<TComponent*>(value))) fail("a component of another class is expected");
      break;
    case PropertyType::Custom:
      fail("the property has no typed value");
  }
}

PropertyValue GetPropertyValue(const TComponent& component, std::string_view name) {
  const PropertyInfo& info = FindOrThrow(component, name);
  if (!info.get) throw EComponentError("Property " + info.name + " has no value to read");
  return info.get(component);
}

void SetPropertyValue(TComponent& component, std::string_view name, const PropertyValue& value) {
  const PropertyInfo& info = FindOrThrow(component, name);
  if (!info.set) throw EComponentError("Property " + info.name + " is read-only");
  CheckPropertyValue(info, value);
  info.set(component, value);
}

}  // namespace qb
