// framework/component/component: ownership, names, states and removal notification of the
// component model. Never reads or writes form text.
#include "framework/component/component.h"

#include <algorithm>
#include <cstring>

#include "framework/component/component_errors.h"
#include "framework/component/form_registry.h"
#include "framework/component/properties.h"

namespace qb {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsValidComponentName(std::string_view name) {
  if (name.empty() || !IsIdentStart(name[0])) return false;
  return std::all_of(name.begin(), name.end(), IsIdentChar);
}

std::vector<TComponent*> OwnedComponents(const QObject* owner) {
  std::vector<TComponent*> result;
  if (owner == nullptr) return result;
  for (QObject* child : owner->children()) {
    // A parent that is deleting its children leaves null entries behind.
    if (auto* component = dynamic_cast<TComponent*>(child)) result.push_back(component);
  }
  return result;
}

TComponent* FindOwnedComponent(const QObject* owner, std::string_view name) {
  if (name.empty()) return nullptr;
  for (TComponent* component : OwnedComponents(owner)) {
    if (SameName(component->Name(), name)) return component;
  }
  return nullptr;
}

TComponent::TComponent(QObject* owner) : QObject(nullptr) {
  if (owner != nullptr) {
    setParent(owner);
    NotifyOwnerAndSiblings(owner, opInsert);
  }
}

TComponent::~TComponent() {
  Destroying();
  DropPendingReferences(this);

  // Linked components first, most recently linked first.
  std::vector<QPointer<TComponent>> peers;
  peers.swap(free_notifies_);
  for (auto it = peers.rbegin(); it != peers.rend(); ++it) {
    TComponent* peer = *it;
    if (peer == nullptr) continue;
    auto& back = peer->free_notifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    peer->Notification(this, opRemove);
  }

  // Owned components, last created first.
  for (;;) {
    std::vector<TComponent*> owned = Components();
    if (owned.empty()) break;
    delete owned.back();
  }

  if (QObject* owner = parent()) {
    setParent(nullptr);
    NotifyOwnerAndSiblings(owner, opRemove);
  }
}

void TComponent::Destroying() {
  if (InState(csDestroying)) return;
  state_ |= csDestroying;
  for (TComponent* component : Components()) component->Destroying();
}

void TComponent::NotifyOwnerAndSiblings(QObject* owner, TOperation operation) {
  // Guard every receiver: a handler may destroy another component.
  std::vector<QPointer<TComponent>> receivers;
  if (auto* owner_component = dynamic_cast<TComponent*>(owner)) receivers.emplace_back(owner_component);
  for (TComponent* sibling : OwnedComponents(owner)) {
    if (sibling != this) receivers.emplace_back(sibling);
  }
  for (const QPointer<TComponent>& receiver : receivers) {
    if (receiver != nullptr) receiver->Notification(this, operation);
  }
}

const char* TComponent::ClassName() const {
  const char* name = metaObject()->className();
  const char* last = name;
  for (const char* p = name; *p != '\0'; ++p) {
    if (p[0] == ':' && p[1] == ':') last = p + 2;
  }
  return last;
}

TComponent* TComponent::OwnerComponent() const { return dynamic_cast<TComponent*>(parent()); }

std::string TComponent::Name() const { return objectName().toStdString(); }

void TComponent::SetName(const std::string& name) {
  if (name == Name()) return;
  if (!name.empty() && !IsValidComponentName(name)) {
    throw EComponentError("'" + name + "' is not a valid component name");
  }
  if (!name.empty()) {
    TComponent* other = FindOwnedComponent(parent(), name);
    if (other != nullptr && other != this) {
      throw EComponentError("A component named " + name + " already exists");
    }
  }
  setObjectName(QString::fromStdString(name));
}

std::vector<TComponent*> TComponent::Components() const { return OwnedComponents(this); }

int TComponent::ComponentCount() const { return static_cast<int>(Components().size()); }

TComponent* TComponent::FindComponent(std::string_view name) const { return FindOwnedComponent(this, name); }

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    state_ |= csDesigning;
  } else {
    state_ &= ~static_cast<TComponentState>(csDesigning);
  }
  for (TComponent* component : Components()) component->SetDesigning(designing);
}

void TComponent::Loaded() { state_ &= ~static_cast<TComponentState>(csLoading); }

void TComponent::FreeNotification(TComponent* other) {
  if (other == nullptr || other == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), other) == free_notifies_.end()) {
    free_notifies_.emplace_back(other);
  }
  auto& back = other->free_notifies_;
  if (std::find(back.begin(), back.end(), this) == back.end()) back.emplace_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (other == nullptr) return;
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), other), free_notifies_.end());
  auto& back = other->free_notifies_;
  back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component != nullptr) {
    free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), component),
                         free_notifies_.end());
  }
}

void TComponent::Assign(const TComponent* source) {
  throw EConvertError(std::string("Cannot assign a ") + (source != nullptr ? source->ClassName() : "nil") +
                      " to a " + ClassName());
}

const PropertyTable& TComponent::Properties() const {
  static const PropertyTable empty;
  return empty;
}

}  // namespace qb
