// fuzz/cli_fuzz: libFuzzer target for what quill reads from its user: a script cut into
// statements, and parameter values typed on the command line for every declared type. Usage and
// script errors are expected outcomes; anything else is a finding, and so is a split that loses
// or invents text.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "cli/command_line.h"
#include "cli/script_splitter.h"
#include "cli/value_text.h"
#include "core/exception.h"
#include "jet/base/jet_types.h"

namespace {

constexpr int kTypes[] = {
    qb::jet::sql::dao_type::kBoolean, qb::jet::sql::dao_type::kByte,     qb::jet::sql::dao_type::kInteger,
                          qb::jet::sql::dao_type::kLong,    qb::jet::sql::dao_type::kCurrency, qb::jet::sql::dao_type::kSingle,
                          qb::jet::sql::dao_type::kDouble,  qb::jet::sql::dao_type::kDate,     qb::jet::sql::dao_type::kBinary,
                          qb::jet::sql::dao_type::kText,    qb::jet::sql::dao_type::kLongBinary, qb::jet::sql::dao_type::kMemo,
                          qb::jet::sql::dao_type::kGuid,    0,                            1000};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    std::size_t kept = 0;
    for (const qb::cli::ScriptStatement& statement : qb::cli::SplitScript(text)) {
      if (statement.text.empty() || statement.line < 1 || statement.column < 1) __builtin_trap();
      kept += statement.text.size();
    }
    if (kept > text.size()) __builtin_trap();
  } catch (const std::runtime_error&) {
  }
  for (int type : kTypes) {
    try {
      qb::Variant value = qb::cli::ParameterValue("p", text, type);
      qb::cli::ValueText(value);
    } catch (const qb::cli::UsageError&) {
    } catch (const qb::Exception&) {
    }
  }
  return 0;
}
