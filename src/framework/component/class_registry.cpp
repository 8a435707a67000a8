// framework/component/class_registry: a list of (name, type, factory), searched by name. The
// program has one thread; the list is used without locks.
#include "framework/component/class_registry.h"

#include <vector>

#include "framework/component/component_errors.h"

namespace qb {

namespace {

struct RegisteredClass {
  std::string name;
  std::type_index type;
  ComponentFactory factory;
};

std::vector<RegisteredClass>& Classes() {
  static std::vector<RegisteredClass> classes;
  return classes;
}

const RegisteredClass* Find(std::string_view class_name) {
  for (const RegisteredClass& c : Classes()) {
    if (SameName(c.name, class_name)) return &c;
  }
  return nullptr;
}

}  // namespace

void RegisterComponentClass(const std::string& class_name, std::type_index type, ComponentFactory factory) {
  if (!IsValidComponentName(class_name)) throw EComponentError("'" + class_name + "' is not a valid class name");
  if (const RegisteredClass* existing = Find(class_name)) {
    if (existing->type == type) return;
    throw EComponentError("A class named " + class_name + " already exists");
  }
  Classes().push_back(RegisteredClass{class_name, type, std::move(factory)});
}

bool IsComponentClassRegistered(std::string_view class_name) { return Find(class_name) != nullptr; }

TComponent* CreateComponentByClassName(std::string_view class_name, QObject* owner) {
  const RegisteredClass* registered = Find(class_name);
  if (registered == nullptr) throw EComponentError("Class " + std::string(class_name) + " not found");
  return registered->factory(owner);
}

}  // namespace qb
