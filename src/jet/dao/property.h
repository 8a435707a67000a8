// jet/dao/property: the Property object (Name, Type, Value, Inherited) and the Properties
// collection every engine object hands out. A property reads and writes its owner through the
// functions it was built with; it never keeps its owner alive.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"

namespace qb::jet {

class Property {
 public:
  using Getter = std::function<Variant()>;
  using Setter = std::function<void(const Variant&)>;

  // TYPE is a data type code (1 Boolean, 4 Long, 10 Text ...). An empty SET makes it read-only.
  Property(std::string name, int type, Getter get, Setter set = {});

  const std::string& Name() const { return name_; }
  int Type() const { return type_; }
  bool Inherited() const { return false; }  // no property is inherited from another object here
  // The current value. Raises the owner's error (kObjectClosed once the owner is gone).
  Variant Value() const;
  // Writes VALUE to the owner. Raises kPropertyReadOnly for a read-only property,
  // kInvalidPropertyValue when VALUE does not convert, or the owner's own error.
  void SetValue(const Variant& value);

 private:
  std::string name_;  // constant after construction
  int type_;          // constant after construction
  Getter get_;        // constant after construction
  Setter set_;        // constant after construction
};

class Properties {
 public:
  explicit Properties(std::vector<std::shared_ptr<Property>> items) : items_(std::move(items)) {}

  int Count() const { return static_cast<int>(items_.size()); }
  // The property at INDEX (from 0); raises kItemNotFound outside 0 .. Count() - 1.
  std::shared_ptr<Property> Item(int index) const;
  // The property named NAME (case ignored); raises kPropertyNotFound when there is none.
  std::shared_ptr<Property> Item(std::string_view name) const;
  // The built-in set is fixed while its owner lives: nothing to re-read.
  void Refresh() {}

 private:
  std::vector<std::shared_ptr<Property>> items_;  // constant after construction
};

}  // namespace qb::jet
