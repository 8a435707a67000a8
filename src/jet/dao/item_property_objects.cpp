// jet/dao/item_property_objects: the checks of CreateProperty and the Property objects over user
// properties.
#include "jet/dao/item_property_objects.h"

#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"
#include "jet/catalog/database_catalog.h"
#include "jet/catalog/item_properties.h"
#include "jet/dao/property.h"

namespace qb::jet {

UserProperty NewUserProperty(const Properties& existing, const std::string& owner, const std::string& name, int type,
                             const Variant& value) {
  if (!IsValidObjectName(name)) RaiseJetError(err::kInvalidArgument, "'" + name + "' is not a valid property name.");
  if (!IsPropertyType(type)) {
    RaiseJetError(err::kInvalidArgument, "The data type " + std::to_string(type) + " is not one a property can have.");
  }
  for (int i = 0; i < existing.Count(); ++i) {
    if (FoldCase(existing.Item(i)->Name()) == FoldCase(name)) {
      RaiseJetError(err::kDuplicateName, owner + " already has a property named '" + name + "'.");
    }
  }
  return UserProperty{name, type, ConvertPropertyValue(type, value)};
}

std::vector<std::shared_ptr<Property>> UserPropertyObjects(const std::vector<UserProperty>& properties,
                                                           const ReadUserProperty& read,
                                                           const WriteUserProperty& write) {
  std::vector<std::shared_ptr<Property>> items;
  for (const UserProperty& property : properties) {
    const std::string name = property.name;
    const int type = property.type;
    items.push_back(std::make_shared<Property>(
        name, type, [read, name]() { return read(name).value; },
        [write, name, type](const Variant& value) { write(name, ConvertPropertyValue(type, value)); }));
  }
  return items;
}

}  // namespace qb::jet
