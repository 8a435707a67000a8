// jet/catalog/item_properties: conversions and checks of user-defined field and index properties.
#include "jet/catalog/item_properties.h"

#include <optional>
#include <stdexcept>

#include "core/number_text.h"
#include "jet/catalog/catalog_numbers.h"
#include "jet/catalog/database_catalog.h"
#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

// Stored text as a double; std::invalid_argument when it is none (read as Null below).
double StoredReal(const std::string& text) {
  if (std::optional<double> value = CatalogRealText(text)) return *value;
  throw std::invalid_argument("not a number");
}

}  // namespace

Variant ConvertPropertyValue(int type, const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  try {
    switch (type) {
      case 1: return Variant(value.ToBool());
      case 2: return Variant(value.ToByte());
      case 3: return Variant(value.ToInt16());
      case 4: return Variant(value.ToInt32());
      case 5: return Variant(value.ToCurrency());
      case 6: return Variant(static_cast<float>(value.ToDouble()));
      case 7: return Variant(value.ToDouble());
      case 8: return Variant::FromDate(value.ToDate());
      default: return Variant(value.ToString());
    }
  } catch (const EVariantError&) {
    RaiseJetError(err::kInvalidPropertyValue, "The value does not suit the property's data type.");
  }
}

std::string EncodePropertyValue(int type, const Variant& value) {
  switch (type) {
    case 1: return value.ToBool() ? "-1" : "0";
    case 2: case 3: case 4: return std::to_string(value.ToInt32());
    case 5: return DoubleToText(value.ToCurrency().ToDouble());
    case 6: case 7: return DoubleToText(value.ToDouble());
    case 8: return DoubleToText(value.ToDate());
    default: return value.ToString();
  }
}

Variant DecodePropertyValue(int type, const std::string& text) {
  try {
    switch (type) {
      case 1: return Variant(std::stoll(text) != 0);
      case 2: return Variant(static_cast<std::uint8_t>(std::stoi(text)));
      case 3: return Variant(static_cast<std::int16_t>(std::stoi(text)));
      case 4: return Variant(static_cast<int>(std::stol(text)));
      case 5: return Variant(Currency::FromDouble(StoredReal(text)));
      case 6: return Variant(static_cast<float>(StoredReal(text)));
      case 7: return Variant(StoredReal(text));
      case 8: return Variant::FromDate(StoredReal(text));
      default: return Variant(text);
    }
  } catch (const std::exception&) {
    return Variant::Null();
  }
}

UserProperty* FindUserProperty(std::vector<UserProperty>& properties, const std::string& name) {
  for (UserProperty& property : properties) {
    if (FoldCase(property.name) == FoldCase(name)) return &property;
  }
  return nullptr;
}

}  // namespace qb::jet
