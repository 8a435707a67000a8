// framework/component/properties: the published-property tables that form streaming reads and
// writes: name, kind, default, stored or not, and the typed getter and setter of each. Setters
// are called directly (never through Qt's meta-object system); this file never parses text.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "framework/component/component.h"
#include "framework/component/component_errors.h"
#include "framework/component/scrambler.h"

namespace qb {

// The kinds of published property.
//   Bool, Integer (32-bit), Int16, Double, String, StringList: plain values;
//   Enum: one of element_names, held as its ordinal;
//   Set: a subset of element_names (at most 64), held as a bit mask (bit i = element i);
//   Reference: a component (or none), streamed by name;
//   Custom: no typed value; only the property's own write and read hooks (a combined value).
enum class PropertyType { Bool, Integer, Int16, Double, Enum, Set, String, StringList, Reference, Custom };

// Bit mask of a Set property.
struct SetBits {
  uint64_t bits = 0;
  bool operator==(const SetBits&) const = default;
};

// A typed property value: bool (Bool), int64_t (Integer, Int16, Enum ordinal), double,
// std::string, std::vector<std::string> (StringList), SetBits (Set), TComponent* (Reference).
using PropertyValue =
    std::variant<bool, int64_t, double, std::string, std::vector<std::string>, SetBits, TComponent*>;

// A value as it appears in form text, handed to and taken from custom write and read hooks.
struct StreamValue {
  enum class Kind { Identifier, Integer, Double, String, Set, List };
  Kind kind = Kind::Identifier;
  std::string text;                // Identifier (True, an element name, a.b reference), String
  int64_t integer = 0;             // Integer
  double real = 0;                 // Double
  std::vector<std::string> names;  // Set: element names in order
  std::vector<StreamValue> items;  // List: values in order

  static StreamValue Ident(std::string name);
  static StreamValue Int(int64_t value);
  static StreamValue Real(double value);
  static StreamValue Str(std::string value);
  static StreamValue SetOf(std::vector<std::string> names);
  static StreamValue ListOf(std::vector<StreamValue> items);
  bool operator==(const StreamValue&) const = default;
};

// One published property. Built through PropertyTableBuilder; the functions receive the
// component the table belongs to (or a class derived from it).
struct PropertyInfo {
  std::string name;  // as streamed; may contain dots ("Fields.Strings")
  PropertyType type = PropertyType::Custom;
  std::vector<std::string> element_names;      // Enum and Set
  std::optional<PropertyValue> default_value;  // none: written whenever stored
  bool stored = true;
  std::function<bool(const TComponent&)> stored_if;  // optional: stored only when it returns true
  std::function<PropertyValue(const TComponent&)> get;
  std::function<void(TComponent&, const PropertyValue&)> set;  // empty: read-only; may throw
  std::function<bool(const TComponent*)> accepts;              // Reference: is the target's class right
  // Own serialisation (Custom, scrambled values): replaces the typed conversion when set.
  std::function<StreamValue(const TComponent&)> write_value;
  std::function<void(TComponent&, const StreamValue&)> read_value;  // raises EConvertError on a bad value

  bool IsReadOnly() const { return !set && !read_value; }
};

// The properties of one class, in declaration order (a base class's first).
class PropertyTable {
 public:
  const std::vector<PropertyInfo>& Items() const { return items_; }
  // The property named NAME (ignoring ASCII case), or null. The pointer lives as the table.
  const PropertyInfo* Find(std::string_view name) const;
  // Appends INFO, or replaces in place a property of the same name (a redeclaration).
  void Add(PropertyInfo info);
  // REQUIRES: not empty.
  PropertyInfo& Last() { return items_.back(); }

 private:
  std::vector<PropertyInfo> items_;
};

// Reads property NAME of COMPONENT through its getter. Raises EComponentError when the class
// has no such property or it has no typed getter (Custom).
PropertyValue GetPropertyValue(const TComponent& component, std::string_view name);
// Sets property NAME of COMPONENT through its setter (which may raise its own errors).
// Raises EComponentError for an unknown or read-only property, EConvertError when VALUE is not
// of the property's kind or out of its range.
void SetPropertyValue(TComponent& component, std::string_view name, const PropertyValue& value);
// Checks that VALUE fits INFO (kind, Int16 and Integer range, Enum ordinal, Set width, Reference
// class). Raises EConvertError naming the property when it does not.
void CheckPropertyValue(const PropertyInfo& info, const PropertyValue& value);

// Declares the published properties of component class T, starting from its base class's
// table. Getters and setters are member function pointers or callables taking (const T&) and
// (T&, value); pass nullptr as the setter of a read-only property (then it is not stored).
//
//   const PropertyTable& TDAOEngine::ClassProperties() {
//     static const PropertyTable table =
//         PropertyTableBuilder<TDAOEngine>(TDAOObject::ClassProperties())
//             .Bool("Active", &TDAOEngine::Active, &TDAOEngine::SetActive, false)
//             .String("DefaultUser", &TDAOEngine::DefaultUser, &TDAOEngine::SetDefaultUser, "Admin")
//             .String("DefaultPassword", &TDAOEngine::DefaultPassword,
//                     &TDAOEngine::SetDefaultPassword).Scrambled()
//             .Enum("DefaultWorkspaceType", {"wtUseJet", "wtUseODBC"},
//                   &TDAOEngine::DefaultWorkspaceType, &TDAOEngine::SetDefaultWorkspaceType, wtUseJet)
//             .Build();
//     return table;
//   }
//   const PropertyTable& Properties() const override { return ClassProperties(); }
template <class T>
class PropertyTableBuilder {
 public:
  explicit PropertyTableBuilder(const PropertyTable& base = PropertyTable()) : table_(base) {}

  template <class G, class S>
  PropertyTableBuilder& Bool(std::string name, G get, S set, bool default_value = false) {
    return Typed<bool>(std::move(name), PropertyType::Bool, get, set, PropertyValue(default_value));
  }
  template <class G, class S>
  PropertyTableBuilder& Integer(std::string name, G get, S set, int32_t default_value = 0) {
    return Typed<int64_t>(std::move(name), PropertyType::Integer, get, set,
                          PropertyValue(static_cast<int64_t>(default_value)));
  }
  template <class G, class S>
  PropertyTableBuilder& Int16(std::string name, G get, S set, int16_t default_value = 0) {
    return Typed<int64_t>(std::move(name), PropertyType::Int16, get, set,
                          PropertyValue(static_cast<int64_t>(default_value)));
  }
  template <class G, class S>
  PropertyTableBuilder& Double(std::string name, G get, S set, double default_value = 0) {
    return Typed<double>(std::move(name), PropertyType::Double, get, set, PropertyValue(default_value));
  }
  template <class G, class S>
  PropertyTableBuilder& String(std::string name, G get, S set, std::string default_value = std::string()) {
    return Typed<std::string>(std::move(name), PropertyType::String, get, set,
                              PropertyValue(std::move(default_value)));
  }
  template <class G, class S>
  PropertyTableBuilder& StringList(std::string name, G get, S set) {
    return Typed<std::vector<std::string>>(std::move(name), PropertyType::StringList, get, set,
                                           PropertyValue(std::vector<std::string>()));
  }
  // An enumeration: the getter returns, and the setter takes, a value of DEFAULT_VALUE's type
  // (an enum or integer) whose value is the index into NAMES.
  template <class G, class S, class E>
  PropertyTableBuilder& Enum(std::string name, std::vector<std::string> names, G get, S set, E default_value) {
    PropertyInfo info;
    info.name = std::move(name);
    info.type = PropertyType::Enum;
    info.element_names = std::move(names);
    info.default_value = PropertyValue(static_cast<int64_t>(default_value));
    info.get = [get](const TComponent& c) {
      return PropertyValue(static_cast<int64_t>(std::invoke(get, static_cast<const T&>(c))));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      info.set = [set](TComponent& c, const PropertyValue& v) {
        std::invoke(set, static_cast<T&>(c), static_cast<E>(std::get<int64_t>(v)));
      };
    } else {
      info.stored = false;
    }
    table_.Add(std::move(info));
    return *this;
  }
  // A set: the getter returns, and the setter takes, an unsigned mask (bit i = NAMES[i]).
  template <class G, class S>
  PropertyTableBuilder& Set(std::string name, std::vector<std::string> names, G get, S set,
                            uint64_t default_value = 0) {
    PropertyInfo info;
    info.name = std::move(name);
    info.type = PropertyType::Set;
    info.element_names = std::move(names);
    info.default_value = PropertyValue(SetBits{default_value});
    info.get = [get](const TComponent& c) {
      return PropertyValue(SetBits{static_cast<uint64_t>(std::invoke(get, static_cast<const T&>(c)))});
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      info.set = [set](TComponent& c, const PropertyValue& v) {
        std::invoke(set, static_cast<T&>(c), std::get<SetBits>(v).bits);
      };
    } else {
      info.stored = false;
    }
    table_.Add(std::move(info));
    return *this;
  }
  // A reference to a component of the class the getter returns a pointer to; default none.
  template <class G, class S>
  PropertyTableBuilder& Reference(std::string name, G get, S set) {
    using Target = std::remove_cv_t<std::remove_pointer_t<std::invoke_result_t<G, const T&>>>;
    PropertyInfo info;
    info.name = std::move(name);
    info.type = PropertyType::Reference;
    info.default_value = PropertyValue(static_cast<TComponent*>(nullptr));
    info.accepts = [](const TComponent* target) {
      return target == nullptr || dynamic_cast<const Target*>(target) != nullptr;
    };
    info.get = [get](const TComponent& c) {
      return PropertyValue(static_cast<TComponent*>(
          const_cast<Target*>(std::invoke(get, static_cast<const T&>(c)))));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      info.set = [set](TComponent& c, const PropertyValue& v) {
        std::invoke(set, static_cast<T&>(c), dynamic_cast<Target*>(std::get<TComponent*>(v)));
      };
    } else {
      info.stored = false;
    }
    table_.Add(std::move(info));
    return *this;
  }
  // A property with no typed value that writes and reads itself (a combined value). READ
  // raises EConvertError for a value it cannot take.
  PropertyTableBuilder& Custom(std::string name, std::function<StreamValue(const T&)> write,
                               std::function<void(T&, const StreamValue&)> read) {
    PropertyInfo info;
    info.name = std::move(name);
    info.type = PropertyType::Custom;
    info.write_value = [write](const TComponent& c) { return write(static_cast<const T&>(c)); };
    info.read_value = [read](TComponent& c, const StreamValue& v) { read(static_cast<T&>(c), v); };
    table_.Add(std::move(info));
    return *this;
  }

  // Modifiers of the property added last.
  PropertyTableBuilder& NotStored() {
    table_.Last().stored = false;
    return *this;
  }
  PropertyTableBuilder& StoredIf(std::function<bool(const T&)> predicate) {
    table_.Last().stored_if = [predicate](const TComponent& c) { return predicate(static_cast<const T&>(c)); };
    return *this;
  }
  // Written whenever stored, even when equal to the default.
  PropertyTableBuilder& NoDefault() {
    table_.Last().default_value.reset();
    return *this;
  }
  // A String property stored scrambled with KEY; in memory it stays plain text.
  PropertyTableBuilder& Scrambled(std::string key = std::string(kFormScrambleKey)) {
    PropertyInfo& info = table_.Last();
    auto get = info.get;
    auto set = info.set;
    info.write_value = [get, key](const TComponent& c) {
      return StreamValue::Str(ScrambleText(std::get<std::string>(get(c)), key));
    };
    if (set) {
      info.read_value = [set, key](TComponent& c, const StreamValue& v) {
        if (v.kind != StreamValue::Kind::String) throw EConvertError("a scrambled text is expected");
        set(c, PropertyValue(UnscrambleText(v.text, key)));
      };
    }
    return *this;
  }

  PropertyTable Build() const { return table_; }

 private:
  template <class V, class G, class S>
  PropertyTableBuilder& Typed(std::string name, PropertyType type, G get, S set, PropertyValue default_value) {
    PropertyInfo info;
    info.name = std::move(name);
    info.type = type;
    info.default_value = std::move(default_value);
    info.get = [get](const TComponent& c) {
      return PropertyValue(static_cast<V>(std::invoke(get, static_cast<const T&>(c))));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      info.set = [set](TComponent& c, const PropertyValue& v) { std::invoke(set, static_cast<T&>(c), std::get<V>(v)); };
    } else {
      info.stored = false;
    }
    table_.Add(std::move(info));
    return *this;
  }

  PropertyTable table_;
};

}  // namespace qb
