// jet/catalog/item_properties: the user-defined properties of fields and indexes (CreateProperty): the
// rules a new one must meet, how values convert to a property's type and back from the text the
// catalog keeps, and the Property objects that show them. Values only; the catalog rows are
// schema_catalog's.
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

// VALUE as a value of the property type TYPE; Null and Empty give Null. Raises
// kInvalidPropertyValue when VALUE does not convert.
Variant ConvertPropertyValue(int type, const Variant& value);

// The catalog's text of VALUE (integers for the integral types, round-tripping reals for the
// numeric ones and dates, the text else) and back. REQUIRES: VALUE converted, not Null.
// DecodePropertyValue gives Null for text another program stored badly.
std::string EncodePropertyValue(int type, const Variant& value);
Variant DecodePropertyValue(int type, const std::string& text);

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

// The property named NAME in PROPERTIES (case ignored), or nullptr.
UserProperty* FindUserProperty(std::vector<UserProperty>& properties, const std::string& name);

}  // namespace qb::jet
