// app/storedproc/parameter_values: the type tables and the conversions of the parameter dialog.
#include "app/storedproc/parameter_values.h"

#include <limits>

#include "core/convert_error.h"
#include "core/currency.h"
#include "core/date_serial.h"
#include "core/format.h"
#include "core/format_settings.h"
#include "core/number_text.h"
#include "engine/text_scan.h"

namespace qb {

namespace {

// Jet parameter types (DAO DataTypeEnum).
enum JetType {
  kBoolean = 1,
  kByte = 2,
  kInteger = 3,
  kLong = 4,
  kCurrency = 5,
  kSingle = 6,
  kDouble = 7,
  kDate = 8,
  kBinary = 9,
  kText = 10,
  kLongBinary = 11,
  kMemo = 12,
  kVarBinary = 17,
  kChar = 18,
  kNumeric = 19,
  kDecimal = 20,
  kFloat = 21,
  kTime = 22,
  kTimeStamp = 23,
};

// Positions in ParameterDataTypeNames().
enum DataTypeEntry {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftBoolean = 5,
  ftFloat = 6,
  ftCurrency = 7,
  ftDate = 9,
  ftTime = 10,
  ftDateTime = 11,
  ftBlob = 15,
  ftMemo = 16,
};

std::int32_t TextToInt32(std::string_view text) {
  const std::optional<std::int64_t> value = TextToInt64(text);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::int32_t>::max()) {
    throw EConvertError(Format("'%s' is not a valid integer value", std::string(text)));
  }
  return static_cast<std::int32_t>(*value);
}

double TextToFloat(std::string_view text) {
  const std::optional<double> value =
      RegionalTextToDouble(text, CurrentFormatSettings().DecimalSeparator, false, false);
  if (!value) throw EConvertError(Format("'%s' is not a valid floating point value", std::string(text)));
  return *value;
}

}  // namespace

const std::vector<std::string>& ParameterDataTypeNames() {
  static const std::vector<std::string> names = {
      "ftUnknown", "ftString",  "ftSmallint", "ftInteger",  "ftWord",       "ftBoolean",
      "ftFloat",   "ftCurrency", "ftBCD",     "ftDate",     "ftTime",       "ftDateTime",
      "ftBytes",   "ftVarBytes", "ftAutoInc", "ftBlob",     "ftMemo",       "ftGraphic",
      "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor"};
  return names;
}

const std::vector<std::string>& ParameterKindNames() {
  static const std::vector<std::string> names = {"ptUnknown", "ptInput", "ptOutput", "ptInputOutput", "ptResult"};
  return names;
}

int DataTypeEntryOfJetType(int jet_type) {
  switch (jet_type) {
    case kBoolean: return ftBoolean;
    case kByte: return ftSmallint;
    case kInteger:
    case kLong: return ftInteger;
    case kCurrency: return ftCurrency;
    case kSingle:
    case kDouble:
    case kNumeric:
    case kDecimal:
    case kFloat: return ftFloat;
    case kDate: return ftDate;
    case kBinary:
    case kLongBinary:
    case kVarBinary: return ftBlob;
    case kText:
    case kChar: return ftString;
    case kMemo: return ftMemo;
    case kTime: return ftTime;
    case kTimeStamp: return ftDateTime;
    default: return ftUnknown;
  }
}

int ParameterKindEntryOfDirection(int direction) { return direction >= 1 && direction <= 4 ? direction : 0; }

std::string ParameterValueText(const Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return {};
  return value.ToString();
}

std::optional<Variant> ParameterValueFromText(int jet_type, std::string_view text) {
  switch (jet_type) {
    case kBoolean: return Variant(IsTrueText(text));
    case kByte:
    case kInteger:
    case kLong: return Variant(TextToInt32(text));
    case kCurrency: return Variant(Currency::FromText(text));
    case kSingle:
    case kDouble:
    case kNumeric:
    case kDecimal:
    case kFloat: return Variant(TextToFloat(text));
    case kDate:
    case kTime:
    case kTimeStamp: return Variant::FromDate(TextToDateTime(text));
    case kText:
    case kChar: return Variant(text);
    default: return std::nullopt;
  }
}

}  // namespace qb
