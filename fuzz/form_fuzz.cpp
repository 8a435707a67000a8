// fuzz/form_fuzz: libFuzzer target for the form stream reader: arbitrary text read into a form
// of the component tests' classes (a probe with a property of every kind), both into an existing
// root and as a new form. Read errors and what the probes' setters raise are expected outcomes;
// anything else is a finding, and so is a component left alive by a failed read or a successful
// read whose text does not read back.
#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/exception.h"
#include "framework/component/form_stream.h"
#include "test_components.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "form_fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  qb::test::SetUpTestComponents();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const int live_before = qb::test::TProbe::live_count;
  try {
    qb::test::TTestModule root(nullptr);
    qb::ReadComponentText(text, &root);
    std::string written = qb::WriteComponentText(&root);
    qb::test::TTestModule copy(nullptr);
    qb::ReadComponentText(written, &copy);
    if (qb::WriteComponentText(&copy) != written) __builtin_trap();
  } catch (const qb::Exception&) {
  }
  if (qb::test::TProbe::live_count != live_before) __builtin_trap();
  try {
    std::unique_ptr<qb::TComponent> form(qb::ReadNewComponentText(text, nullptr));
  } catch (const qb::Exception&) {
  }
  if (qb::test::TProbe::live_count != live_before) __builtin_trap();
  qb::test::ProbeLog().clear();
  return 0;
}
