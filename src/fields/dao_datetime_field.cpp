// fields/dao_datetime_field: the text of date-time values.
#include "fields/dao_datetime_field.h"

#include <cmath>

#include "core/date_serial.h"
#include "core/format_settings.h"

namespace qb {

std::string TDAODateTimeField::GetText(bool display) const {
  bool has_value = false;
  const double value = ReadSerial(has_value);
  if (!has_value) return {};
  if (display && !DisplayFormat().empty()) return FormatDateTime(DisplayFormat(), value);
  const FormatSettings& settings = CurrentFormatSettings();
  const double days = std::trunc(value);
  const bool whole = value == days;
  if (days == 0 && whole) return {};
  std::string pattern;
  if (days == 0)
    pattern = settings.LongTimeFormat;
  else if (whole)
    pattern = settings.ShortDateFormat;
  else
    pattern = settings.ShortDateFormat + " " + settings.LongTimeFormat;
  return FormatDateTime(pattern, value, settings);
}

}  // namespace qb
