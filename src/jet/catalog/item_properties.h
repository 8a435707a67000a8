// jet/catalog/item_properties: the user-defined properties of fields and indexes (CreateProperty): the
// rules a new one must meet, how values convert to a property's type and back from the text the
// catalog keeps. Values only; the catalog rows are schema_catalog's, the Property objects that
// show them the object model's (dao/item_property_objects.h).
#pragma once
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet {

// VALUE as a value of the property type TYPE; Null and Empty give Null. Raises
// kInvalidPropertyValue when VALUE does not convert.
Variant ConvertPropertyValue(int type, const Variant& value);

// The catalog's text of VALUE (integers for the integral types, round-tripping reals for the
// numeric ones and dates, the text else) and back. REQUIRES: VALUE converted, not Null.
// DecodePropertyValue gives Null for text another program stored badly.
std::string EncodePropertyValue(int type, const Variant& value);
Variant DecodePropertyValue(int type, const std::string& text);

// The property named NAME in PROPERTIES (case ignored), or nullptr.
UserProperty* FindUserProperty(std::vector<UserProperty>& properties, const std::string& name);

}  // namespace qb::jet
