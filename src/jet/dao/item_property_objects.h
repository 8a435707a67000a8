// jet/dao/item_property_objects: the user-defined properties of fields and indexes as Property
// objects: the checks a new one must pass against its owner's Properties, and the objects that
// read and write the values the catalog keeps (catalog/item_properties.h).
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet {

class Properties;
class Property;

// Checks a property about to be made on OWNER (its built-in and user properties EXISTING):
// kInvalidArgument for a bad name or a type a property cannot have, kDuplicateName for a name
// in use (case ignored), kInvalidPropertyValue when VALUE does not convert. Returns the new
// property with its value converted.
UserProperty NewUserProperty(const Properties& existing, const std::string& owner, const std::string& name, int type,
                             const Variant& value);

// Property objects for the user properties named in NAMES: each reads its current value through
// READ (which raises kPropertyNotFound once it is gone) and writes through WRITE, converting
// first.
using ReadUserProperty = std::function<UserProperty(const std::string& name)>;
using WriteUserProperty = std::function<void(const std::string& name, const Variant& value)>;
std::vector<std::shared_ptr<Property>> UserPropertyObjects(const std::vector<UserProperty>& properties,
                                                           const ReadUserProperty& read,
                                                           const WriteUserProperty& write);

}  // namespace qb::jet
