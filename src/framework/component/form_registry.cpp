// framework/component/form_registry: the form list and the global fix-up list. Both live for
// the whole process and are used from the GUI thread only, without locks.
#include "framework/component/form_registry.h"

#include <QPointer>
#include <algorithm>
#include <exception>

#include "framework/component/component_errors.h"
#include "framework/component/properties.h"

namespace qb {

namespace {

struct RegisteredForm {
  QObject* form;
  QMetaObject::Connection on_destroyed;
};

std::vector<RegisteredForm>& RegisteredForms() {
  static std::vector<RegisteredForm> forms;
  return forms;
}

struct PendingReference {
  QPointer<TComponent> component;
  std::string property;
  std::string form_name;
  std::string path;
};

std::vector<PendingReference>& PendingList() {
  static std::vector<PendingReference> pending;
  return pending;
}

bool HasPending(const TComponent* component) {
  const auto& list = PendingList();
  return std::any_of(list.begin(), list.end(), [component](const PendingReference& p) { return p.component == component; });
}

int resolve_depth = 0;          // ResolvePendingReferences running (a setter may re-enter it)
bool resolve_again = false;     // a re-entrant call asked for another pass

}  // namespace

void FormRegistry::Register(QObject* form) {
  if (IsRegistered(form)) return;
  RegisteredForm entry{form, QObject::connect(form, &QObject::destroyed, [form]() { Unregister(form); })};
  RegisteredForms().push_back(entry);
  if (!form->objectName().isEmpty()) ResolvePendingReferences();
}

void FormRegistry::Unregister(QObject* form) {
  auto& forms = RegisteredForms();
  auto it = std::find_if(forms.begin(), forms.end(), [form](const RegisteredForm& f) { return f.form == form; });
  if (it == forms.end()) return;
  QObject::disconnect(it->on_destroyed);
  forms.erase(it);
}

bool FormRegistry::IsRegistered(const QObject* form) {
  const auto& forms = RegisteredForms();
  return std::any_of(forms.begin(), forms.end(), [form](const RegisteredForm& f) { return f.form == form; });
}

QObject* FormRegistry::Find(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const RegisteredForm& f : RegisteredForms()) {
    if (SameName(f.form->objectName().toStdString(), name)) return f.form;
  }
  return nullptr;
}

std::vector<QObject*> FormRegistry::Forms() {
  std::vector<QObject*> result;
  for (const RegisteredForm& f : RegisteredForms()) result.push_back(f.form);
  return result;
}

TDataModule::TDataModule(QObject* owner) : TComponent(owner) { FormRegistry::Register(this); }

TDataModule::~TDataModule() { FormRegistry::Unregister(this); }

void TDataModule::SetName(const std::string& name) {
  TComponent::SetName(name);
  if (!IsLoading() && !name.empty()) ResolvePendingReferences();
}

TComponent* FindNestedComponent(const QObject* root, std::string_view path) {
  if (root == nullptr) return nullptr;
  if (path.empty()) return dynamic_cast<TComponent*>(const_cast<QObject*>(root));
  const QObject* current = root;
  TComponent* found = nullptr;
  while (!path.empty()) {
    const size_t dot = path.find('.');
    const std::string_view segment = path.substr(0, dot);
    found = FindOwnedComponent(current, segment);
    if (found == nullptr) return nullptr;
    current = found;
    path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
  }
  return found;
}

void AddPendingReference(TComponent* component, const std::string& property, const std::string& form_name,
                         const std::string& path) {
  PendingList().push_back(PendingReference{component, property, form_name, path});
  ComponentStateAccess::Include(component, csFixups);
}

void ResolvePendingReferences() {
  if (resolve_depth > 0) {
    resolve_again = true;
    return;
  }
  ++resolve_depth;
  std::exception_ptr first_error;
  try {
    do {
      resolve_again = false;
      // Take out what can be resolved now, then call the setters: a setter may add, resolve
      // or drop references itself.
      struct Ready {
        QPointer<TComponent> component;
        std::string property;
        QPointer<TComponent> target;
        std::string reference;
      };
      std::vector<Ready> ready;
      auto& list = PendingList();
      for (auto it = list.begin(); it != list.end();) {
        if (it->component == nullptr) {
          it = list.erase(it);
          continue;
        }
        TComponent* target = FindNestedComponent(FormRegistry::Find(it->form_name), it->path);
        if (target == nullptr) {
          ++it;
          continue;
        }
        const std::string reference = it->path.empty() ? it->form_name : it->form_name + "." + it->path;
        ready.push_back(Ready{it->component, it->property, target, reference});
        it = list.erase(it);
      }
      for (Ready& r : ready) {
        if (r.component == nullptr) continue;
        try {
          const PropertyInfo* info = r.component->Properties().Find(r.property);
          if (info == nullptr || !info->set || !info->accepts || r.target == nullptr || !info->accepts(r.target)) {
            throw EComponentError("Invalid reference " + r.reference + " for property " + r.property + " of " +
                                  r.component->Name());
          }
          info->set(*r.component, PropertyValue(static_cast<TComponent*>(r.target)));
        } catch (...) {
          if (!first_error) first_error = std::current_exception();
        }
        if (r.component != nullptr && !HasPending(r.component)) ComponentStateAccess::Exclude(r.component, csFixups);
      }
    } while (resolve_again);
  } catch (...) {
    --resolve_depth;
    throw;
  }
  --resolve_depth;
  if (first_error) std::rethrow_exception(first_error);
}

std::vector<std::string> PendingReferencesOf(const TComponent* component) {
  std::vector<std::string> result;
  for (const PendingReference& p : PendingList()) {
    if (p.component == component) {
      result.push_back(p.property + "=" + (p.path.empty() ? p.form_name : p.form_name + "." + p.path));
    }
  }
  return result;
}

std::string PendingReferenceText(const TComponent* component, std::string_view property) {
  for (const PendingReference& p : PendingList()) {
    if (p.component == component && SameName(p.property, property)) {
      return p.path.empty() ? p.form_name : p.form_name + "." + p.path;
    }
  }
  return std::string();
}

void DropPendingReferences(const TComponent* component) {
  auto& list = PendingList();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [component](const PendingReference& p) { return p.component == component; }),
             list.end());
}

}  // namespace qb
