// framework/component/component: the component model on QObject: owner (the QObject parent),
// Name (the objectName), component state, Loaded, removal notification and Assign. It knows
// nothing of the text format; streaming drives the states through ComponentStateAccess only.
#pragma once
#include <QObject>
#include <QPointer>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class PropertyTable;

// Component state flags; a component's state is a set of them (TComponentState).
//   csLoading    from its creation by a form reader (or the start of reading into it) until
//                just before its Loaded() is called;
//   csReading    while the reader sets the properties of the form it belongs to; cleared for
//                every component of the form before references are resolved;
//   csWriting    while form text is being written from it;
//   csDesigning  set by SetDesigning (a designer, never the running program);
//   csDestroying from the start of its destructor;
//   csFixups     while it has references to components on forms that do not exist yet.
enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDesigning = 1u << 3,
  csDestroying = 1u << 4,
  csFixups = 1u << 5,
};
using TComponentState = unsigned;

// What Notification reports: opInsert when a component joins its owner (sent from the
// component's base constructor, so only the pointer and base members are usable), opRemove
// when it is being destroyed.
enum TOperation { opInsert, opRemove };

class TComponent : public QObject {
  Q_OBJECT

 public:
  // Creates a component owned by OWNER (its QObject parent; may be null: the caller owns it).
  // The owner (when a TComponent) and the owner's other components get Notification(this,
  // opInsert).
  explicit TComponent(QObject* owner = nullptr);
  // Sets csDestroying on itself and on everything it owns, drops its pending references,
  // tells every component linked by FreeNotification, destroys its owned components (last
  // created first), leaves its owner and tells the owner and the owner's components
  // (opRemove). Receivers see a component whose derived parts are gone: compare the pointer.
  ~TComponent() override;

  // Class name as streamed and reported ("TDAOEngine"). The default is the Qt class name
  // without its namespace, right for classes that declare Q_OBJECT; others override it.
  virtual const char* ClassName() const;

  // The owner (QObject parent) or null; OwnerComponent() is the owner when it is a component.
  QObject* Owner() const { return parent(); }
  TComponent* OwnerComponent() const;

  // The Name (objectName). SetName accepts an empty text or a valid identifier (ASCII letter
  // or '_', then letters, digits, '_') that no other component of the same owner carries
  // (compared ignoring ASCII case); otherwise raises EComponentError and keeps the old name.
  // Virtual so that a component may refuse a rename in its state (call the base to store).
  std::string Name() const;
  virtual void SetName(const std::string& name);

  // The components this one owns, in creation order. Pointers stay valid while they live.
  std::vector<TComponent*> Components() const;
  int ComponentCount() const;
  // The owned component named NAME (ignoring ASCII case), or null; no search below it.
  TComponent* FindComponent(std::string_view name) const;

  TComponentState ComponentState() const { return state_; }
  bool InState(TComponentStateFlag flag) const { return (state_ & flag) != 0; }
  bool IsLoading() const { return InState(csLoading); }
  bool IsReading() const { return InState(csReading); }
  bool IsDesigning() const { return InState(csDesigning); }
  // Sets or clears csDesigning here and on every component owned, directly or not.
  void SetDesigning(bool designing);

  // True while a reference read from form text names a component on a form that has not
  // been created and registered yet (csFixups).
  bool HasUnresolvedReferences() const { return InState(csFixups); }

  // A subcomponent is made and owned by its owner's own code: form text never writes it, and
  // reading never creates it. Default false.
  bool IsSubComponent() const { return sub_component_; }
  void SetSubComponent(bool sub) { sub_component_ = sub; }

  // Called once after the form this component belongs to has been read completely and its
  // references resolved, in creation order; csLoading is already clear. The base does
  // nothing else; overrides call it first, then act on the values recorded while loading.
  virtual void Loaded();

  // Links this component and OTHER so that each gets Notification(x, opRemove) when the
  // other is destroyed. Idempotent. REQUIRES: OTHER not null and not this.
  void FreeNotification(TComponent* other);
  // Undoes FreeNotification in both directions; nothing when not linked.
  void RemoveFreeNotification(TComponent* other);

  // Told about COMPONENT (see TOperation). The base drops a FreeNotification link to a
  // component being removed. Overrides clear their references to COMPONENT on opRemove and
  // call the base.
  virtual void Notification(TComponent* component, TOperation operation);

  // Copies SOURCE into this component. The base raises EConvertError "Cannot assign a
  // <source class or nil> to a <this class>"; classes that can copy override it.
  virtual void Assign(const TComponent* source);

  // The published properties of the class (see properties.h). The base table is empty.
  virtual const PropertyTable& Properties() const;

 private:
  friend class ComponentStateAccess;

  void Destroying();
  void NotifyOwnerAndSiblings(QObject* owner, TOperation operation);

  TComponentState state_ = 0;
  bool sub_component_ = false;
  std::vector<QPointer<TComponent>> free_notifies_;  // linked both ways by FreeNotification
};

// The TComponent children of OWNER (any QObject: a form may be a widget), in creation order.
std::vector<TComponent*> OwnedComponents(const QObject* owner);
// The TComponent child of OWNER named NAME (ignoring ASCII case), or null.
TComponent* FindOwnedComponent(const QObject* owner, std::string_view name);
// True for a valid component name: an ASCII letter or '_', then letters, digits or '_'.
bool IsValidComponentName(std::string_view name);
// Equality of names ignoring ASCII case.
bool SameName(std::string_view a, std::string_view b);

// Form streaming's handle on the state flags; nothing else sets them.
class ComponentStateAccess {
 public:
  static void Include(TComponent* component, TComponentState flags) { component->state_ |= flags; }
  static void Exclude(TComponent* component, TComponentState flags) { component->state_ &= ~flags; }
};

}  // namespace qb
