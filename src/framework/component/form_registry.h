// framework/component/form_registry: the process-wide list of existing forms, and the list of
// references read from form text that wait for a form not created yet (the global fix-ups).
// A form is any QObject root (a widget window or a TDataModule); nothing here parses text.
#pragma once
#include <QObject>
#include <string>
#include <string_view>
#include <vector>

#include "framework/component/component.h"

namespace qb {

// The forms that exist, in registration order, found by their objectName (ignoring ASCII
// case). A form registers itself once it has its name and components (a widget window at the
// end of its constructor; a TDataModule does it itself) and leaves when destroyed.
class FormRegistry {
 public:
  // Adds FORM (idempotent) and removes it again automatically when it is destroyed. When FORM
  // has a name, pending references that name it are resolved at once (see
  // ResolvePendingReferences, whose errors pass through). REQUIRES: FORM not null.
  static void Register(QObject* form);
  // Removes FORM; nothing when it is not registered.
  static void Unregister(QObject* form);
  static bool IsRegistered(const QObject* form);
  // The first registered form named NAME, or null (also for an empty NAME).
  static QObject* Find(std::string_view name);
  // Every registered form, in registration order.
  static std::vector<QObject*> Forms();
};

// A form without a window: a root component that registers itself as a form when created and
// leaves the registry when destroyed. Renaming it resolves references waiting for its new name.
class TDataModule : public TComponent {
  Q_OBJECT

 public:
  explicit TDataModule(QObject* owner = nullptr);
  ~TDataModule() override;
  void SetName(const std::string& name) override;
};

// The component at PATH ("A" or "A.B": names of owned components, one level per segment)
// below ROOT, or null. An empty PATH gives ROOT itself when it is a component.
TComponent* FindNestedComponent(const QObject* root, std::string_view path);

// Records that property PROPERTY of COMPONENT must be set to the component at PATH on the form
// named FORM_NAME once it exists; sets csFixups on COMPONENT. Used by the form reader.
void AddPendingReference(TComponent* component, const std::string& property, const std::string& form_name,
                         const std::string& path);

// Sets every pending reference whose form is registered and whose component exists there,
// through the property's setter, and clears csFixups on components left with none. A setter's
// exception, or EComponentError for a target of the wrong class, is raised after every other
// reference has been tried; the failed reference is dropped.
void ResolvePendingReferences();

// The pending references of COMPONENT as "Property=Form.Path" texts, in the order recorded.
std::vector<std::string> PendingReferencesOf(const TComponent* component);

// The reference text ("Form.Path") pending for property PROPERTY of COMPONENT, or empty.
std::string PendingReferenceText(const TComponent* component, std::string_view property);

// Forgets every pending reference of COMPONENT (it is being destroyed or re-read).
void DropPendingReferences(const TComponent* component);

}  // namespace qb
