// jet/dao/property: value access through the owner's functions and lookup in Properties.
#include "jet/dao/property.h"

#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {

Property::Property(std::string name, int type, Getter get, Setter set)
    : name_(std::move(name)), type_(type), get_(std::move(get)), set_(std::move(set)) {}

Variant Property::Value() const { return get_(); }

void Property::SetValue(const Variant& value) {
  if (!set_) RaiseJetError(err::kPropertyReadOnly, "The property '" + name_ + "' is read-only.");
  try {
    set_(value);
  } catch (const EVariantError&) {
    RaiseJetError(err::kInvalidPropertyValue, "The value given is not valid for the property '" + name_ + "'.");
  }
}

std::shared_ptr<Property> Properties::Item(int index) const {
  if (index < 0 || index >= Count()) {
    RaiseJetError(err::kItemNotFound, "There is no property at position " + std::to_string(index) + ".");
  }
  return items_[static_cast<std::size_t>(index)];
}

std::shared_ptr<Property> Properties::Item(std::string_view name) const {
  for (const auto& item : items_) {
    if (SameName(item->Name(), name)) return item;
  }
  RaiseJetError(err::kPropertyNotFound, "There is no property '" + std::string(name) + "'.");
}

}  // namespace qb::jet
