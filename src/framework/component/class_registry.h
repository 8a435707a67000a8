// framework/component/class_registry: the process-wide map from a component class name to the
// factory that creates it, so that form text can create components by name. No streaming here.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <typeindex>

#include "framework/component/component.h"

namespace qb {

// Creates a component of one class owned by OWNER (may be null). May raise.
using ComponentFactory = std::function<TComponent*(QObject* owner)>;

// Registers FACTORY under CLASS_NAME (compared ignoring ASCII case); TYPE identifies the C++
// class. Registering the same name for the same TYPE again does nothing; for another TYPE it
// raises EComponentError "A class named X already exists". REQUIRES: CLASS_NAME a valid name.
void RegisterComponentClass(const std::string& class_name, std::type_index type, ComponentFactory factory);

// Registers T (constructible from a QObject* owner) under CLASS_NAME.
template <class T>
void RegisterComponentClass(const std::string& class_name) {
  RegisterComponentClass(class_name, std::type_index(typeid(T)), [](QObject* owner) -> TComponent* {
    return new T(owner);
  });
}

// True when CLASS_NAME is registered.
bool IsComponentClassRegistered(std::string_view class_name);

// Creates a component of the class registered as CLASS_NAME, owned by OWNER; when OWNER is
// null the caller owns it. Raises EComponentError "Class X not found" for an unknown name;
// what the factory raises passes through.
TComponent* CreateComponentByClassName(std::string_view class_name, QObject* owner);

}  // namespace qb
