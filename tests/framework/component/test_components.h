// Components used by the component-model and form-streaming tests: a probe with one published
// property of every kind that logs the states its setters and Loaded see, a class without
// properties, and a form class.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/component/form_registry.h"
#include "framework/component/properties.h"

namespace qb::test {

enum TProbeKind { pkRed, pkGreen, pkBlue };
enum TProbeOption : uint64_t { poA = 1, poB = 2, poC = 4 };

// Shared log of what probes saw: "SetActive Probe1 LR" (L = csLoading, R = csReading,
// W = csWriting, F = csFixups), "Loaded Probe1 -", "Destroy Probe1", "Notify Probe1 remove X".
std::vector<std::string>& ProbeLog();
// "LRWF" letters of STATE, or "-" when none is set.
std::string StateLetters(TComponentState state);

class TProbe : public TComponent {
 public:
  explicit TProbe(QObject* owner = nullptr);
  ~TProbe() override;
  const char* ClassName() const override { return "TProbe"; }
  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  // Like the data-access components: while loading only the requested value is recorded; it
  // takes effect in Loaded.
  bool Active() const { return active_; }
  void SetActive(bool active);
  int32_t Count() const { return count_; }
  void SetCount(int32_t count);  // raises Exception for a negative count
  int16_t Small() const { return small_; }
  void SetSmall(int16_t small) { small_ = small; }
  double Ratio() const { return ratio_; }
  void SetRatio(double ratio) { ratio_ = ratio; }
  TProbeKind Kind() const { return kind_; }
  void SetKind(TProbeKind kind) { kind_ = kind; }
  uint64_t Options() const { return options_; }
  void SetOptions(uint64_t options) { options_ = options; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password) { password_ = password; }
  const std::vector<std::string>& Lines() const { return lines_; }
  void SetLines(const std::vector<std::string>& lines) { lines_ = lines; }
  TProbe* Link() const { return link_; }
  void SetLink(TProbe* link);
  std::string About() const { return "probe"; }
  // Stored together as one combined value "Bounds = (left top width height)".
  int left = 0, top = 0, width = 0, height = 0;

  static int live_count;
  static std::string fail_loaded;  // the probe of this name raises in Loaded
  std::string writing_seen;  // state letters the Caption getter saw last

 private:
  bool active_ = false;
  bool stored_active_ = false;
  int32_t count_ = 0;
  int16_t small_ = 20;
  double ratio_ = 0;
  TProbeKind kind_ = pkRed;
  uint64_t options_ = 0;
  std::string caption_;
  std::string password_;
  std::vector<std::string> lines_;
  TProbe* link_ = nullptr;
};

// A component with no published properties.
class TPlain : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TPlain"; }
};

// A form without a window.
class TTestModule : public TDataModule {
 public:
  using TDataModule::TDataModule;
  const char* ClassName() const override { return "TTestModule"; }
};

// Registers the classes above (idempotent) and clears the log.
void SetUpTestComponents();

// A fixture that calls SetUpTestComponents before each test.
class ComponentFixture : public ::testing::Test {
 protected:
  void SetUp() override { SetUpTestComponents(); }
};

}  // namespace qb::test
