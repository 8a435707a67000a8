// fuzz/format_fuzz: libFuzzer target for user-written format patterns: Jet's Format function on
// values of every kind, core's date pattern formatter, and the date text reader. The first byte
// picks the value; the rest is the pattern (or the date text). Engine and conversion errors are
// expected outcomes; anything else is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "com/variant.h"
#include "core/currency.h"
#include "core/date_serial.h"
#include "core/exception.h"
#include "jet/sql/functions/fn_format.h"

namespace {

qb::Variant PickValue(std::uint8_t selector) {
  switch (selector % 16) {
    case 0: return qb::Variant::Null();
    case 1: return qb::Variant();
    case 2: return qb::Variant(true);
    case 3: return qb::Variant(0);
    case 4: return qb::Variant(-1234567);
    case 5: return qb::Variant(2147483647);
    case 6: return qb::Variant(-0.000123456789);
    case 7: return qb::Variant(1.5e300);
    case 8: return qb::Variant(std::nan(""));
    case 9: return qb::Variant(qb::Currency::FromScaled(INT64_MIN));
    case 10: return qb::Variant(qb::Currency::FromScaled(-12345678));
    case 11: return qb::Variant::FromDate(36526.75);
    case 12: return qb::Variant::FromDate(-657434.5);
    case 13: return qb::Variant::FromDate(2958465.999);
    case 14: return qb::Variant("abc DEF 123");
    default: return qb::Variant("");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t selector = data[0];
  std::string_view pattern(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    qb::jet::sql::FormatValue(PickValue(selector), pattern, 1 + selector % 7, 1 + selector % 3);
  } catch (const qb::Exception&) {
  }
  static const double kSerials[] = {0, 36526.5, -657434, 2958465.99999, -0.5, 1e300};
  try {
    qb::FormatDateTime(pattern, kSerials[selector % 6]);
  } catch (const qb::Exception&) {
  }
  try {
    double serial = qb::TextToDateTime(pattern);
    if (!std::isfinite(serial)) __builtin_trap();
  } catch (const qb::Exception&) {
  }
  return 0;
}
