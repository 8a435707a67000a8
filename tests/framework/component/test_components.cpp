// The probe components of the component tests: what they record and how they declare their
// published properties.
#include "test_components.h"

#include "core/exception.h"
#include "framework/component/class_registry.h"

namespace qb::test {

int TProbe::live_count = 0;
std::string TProbe::fail_loaded;

std::vector<std::string>& ProbeLog() {
  static std::vector<std::string> log;
  return log;
}

std::string StateLetters(TComponentState state) {
  std::string letters;
  if (state & csLoading) letters += 'L';
  if (state & csReading) letters += 'R';
  if (state & csWriting) letters += 'W';
  if (state & csFixups) letters += 'F';
  return letters.empty() ? "-" : letters;
}

TProbe::TProbe(QObject* owner) : TComponent(owner) { ++live_count; }

TProbe::~TProbe() {
  --live_count;
  ProbeLog().push_back("Destroy " + Name());
}

const PropertyTable& TProbe::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TProbe>()
          .String("About", &TProbe::About, nullptr)
          .Bool("Active", &TProbe::Active, &TProbe::SetActive, false)
          .Integer("Count", &TProbe::Count, &TProbe::SetCount, 0)
          .Int16("Small", &TProbe::Small, &TProbe::SetSmall, 20)
          .Double("Ratio", &TProbe::Ratio, &TProbe::SetRatio)
          .Enum("Kind", {"pkRed", "pkGreen", "pkBlue"}, &TProbe::Kind, &TProbe::SetKind, pkRed)
          .Set("Options", {"poA", "poB", "poC"}, &TProbe::Options, &TProbe::SetOptions)
          .String(
              "Caption",
              [](const TProbe& p) {
                const_cast<TProbe&>(p).writing_seen = StateLetters(p.ComponentState());
                return p.Caption();
              },
              &TProbe::SetCaption)
          .String("Password", &TProbe::Password, &TProbe::SetPassword)
          .Scrambled()
          .StringList("Lines.Strings", &TProbe::Lines, &TProbe::SetLines)
          .Reference("Link", &TProbe::Link, &TProbe::SetLink)
          .Custom(
              "Bounds",
              [](const TProbe& p) {
                return StreamValue::ListOf({StreamValue::Int(p.left), StreamValue::Int(p.top),
                                            StreamValue::Int(p.width), StreamValue::Int(p.height)});
              },
              [](TProbe& p, const StreamValue& v) {
                if (v.kind != StreamValue::Kind::List || v.items.size() != 4) throw EConvertError("four numbers expected");
                for (const StreamValue& item : v.items) {
                  if (item.kind != StreamValue::Kind::Integer) throw EConvertError("four numbers expected");
                }
                p.left = static_cast<int>(v.items[0].integer);
                p.top = static_cast<int>(v.items[1].integer);
                p.width = static_cast<int>(v.items[2].integer);
                p.height = static_cast<int>(v.items[3].integer);
              })
          .StoredIf([](const TProbe& p) { return p.left != 0 || p.top != 0 || p.width != 0 || p.height != 0; })
          .Build();
  return table;
}

void TProbe::SetActive(bool active) {
  ProbeLog().push_back("SetActive " + Name() + " " + StateLetters(ComponentState()));
  if (IsLoading()) {
    stored_active_ = active;
    return;
  }
  active_ = active;
}

void TProbe::SetCount(int32_t count) {
  if (count < 0) throw Exception("Count must not be negative");
  count_ = count;
}

void TProbe::SetLink(TProbe* link) {
  ProbeLog().push_back("SetLink " + Name() + " " + StateLetters(ComponentState()));
  link_ = link;
  if (link != nullptr) link->FreeNotification(this);
}

void TProbe::Loaded() {
  TComponent::Loaded();
  ProbeLog().push_back("Loaded " + Name() + " " + StateLetters(ComponentState()));
  if (stored_active_) active_ = true;
  if (!fail_loaded.empty() && Name() == fail_loaded) throw Exception("Loaded failed in " + Name());
}

void TProbe::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove) {
    ProbeLog().push_back("Notify " + Name() + " remove " + component->Name() +
                         (component->InState(csDestroying) ? " destroying" : ""));
    if (component == link_) link_ = nullptr;
  }
}

void SetUpTestComponents() {
  RegisterComponentClass<TProbe>("TProbe");
  RegisterComponentClass<TPlain>("TPlain");
  RegisterComponentClass<TTestModule>("TTestModule");
  ProbeLog().clear();
  TProbe::fail_loaded.clear();
}

}  // namespace qb::test
