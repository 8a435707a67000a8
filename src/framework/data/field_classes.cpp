// framework/data/field_classes: conversions of the typed field classes.
#include "framework/data/field_classes.h"

#include <cmath>
#include <cstring>

#include "core/date_serial.h"
#include "core/format.h"
#include "core/format_float.h"
#include "core/format_settings.h"
#include "framework/data/data_errors.h"

namespace qb {

namespace {

// Text typed by a user converted by the regional settings; kInvalidValue when it does not parse.
template <class F>
auto ParseOrRaise(const TField& field, const std::string& text, F convert) {
  try {
    return convert(Variant(text));
  } catch (const Exception&) {
    DatabaseError(Format(data_msg::kInvalidValue, text, field.DisplayName()));
  }
}

// The picture for a number's text: the display format for showing; for editing the edit
// format, else none, so that the edit text always reads back (a display format may group
// thousands or add literal text that the text conversion refuses).
const std::string& NumberPattern(const TField& field, bool display) {
  return display ? field.DisplayFormat() : field.EditFormat();
}

// Digits, signs, the exponent letters and the decimal separator of the current settings.
std::bitset<256> DecimalChars() {
  std::bitset<256> chars;
  for (unsigned char c : std::string("+-0123456789Ee")) chars.set(c);
  for (unsigned char c : CurrentFormatSettings().DecimalSeparator) chars.set(c);
  return chars;
}

}  // namespace

// ---------------------------------------------------------------- TStringField

std::string TStringField::GetText(bool) const {
  std::vector<char> buffer(static_cast<size_t>(DataSize()) + 1, '\0');
  if (!GetData(buffer.data())) return {};
  return std::string(buffer.data());  // up to the zero byte
}

std::string TStringField::AsString() const { return GetText(false); }

void TStringField::SetAsString(const std::string& value) {
  if (value.size() > static_cast<size_t>(Size()))
    DatabaseError(Format(data_msg::kFieldTooLong, DisplayName(), Size()));
  std::vector<char> buffer(static_cast<size_t>(DataSize()), '\0');
  std::memcpy(buffer.data(), value.data(), value.size());
  SetData(buffer.data());
}

std::int32_t TStringField::AsInteger() const {
  std::string text = AsString();
  if (text.empty()) return 0;
  return ParseOrRaise(*this, text, [](const Variant& v) { return v.ToInt32(); });
}
void TStringField::SetAsInteger(std::int32_t value) { SetAsString(Variant(value).ToString()); }
double TStringField::AsFloat() const {
  std::string text = AsString();
  if (text.empty()) return 0;
  return ParseOrRaise(*this, text, [](const Variant& v) { return v.ToDouble(); });
}
void TStringField::SetAsFloat(double value) { SetAsString(Variant(value).ToString()); }
bool TStringField::AsBoolean() const {
  std::string text = AsString();
  if (text.empty()) return false;
  return ParseOrRaise(*this, text, [](const Variant& v) { return v.ToBool(); });
}
void TStringField::SetAsBoolean(bool value) { SetAsString(value ? "True" : "False"); }
double TStringField::AsDateTime() const {
  std::string text = AsString();
  if (text.empty()) return 0;
  return ParseOrRaise(*this, text, [](const Variant& v) { return v.ToDate(); });
}
void TStringField::SetAsDateTime(double value) { SetAsString(Variant::FromDate(value).ToString()); }

Variant TStringField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  return Variant(AsString());
}

void TStringField::SetVariantValue(const Variant& value) { SetAsString(value.ToString()); }

// ---------------------------------------------------------------- integers

TIntegerBaseField::TIntegerBaseField(QObject* owner, TFieldType type, std::int64_t min,
                                     std::int64_t max)
    : TNumericField(owner, type, 0), min_(min), max_(max) {
  valid_chars_.reset();
  for (unsigned char c : std::string("+-0123456789")) valid_chars_.set(c);
}

std::int64_t TIntegerBaseField::AsLargeInt() const {
  switch (DataSize()) {
    case 2: {
      std::uint16_t bits = 0;
      if (!GetData(&bits)) return 0;
      if (DataType() == ftWord) return bits;
      return static_cast<std::int16_t>(bits);
    }
    case 4: {
      std::int32_t value = 0;
      return GetData(&value) ? value : 0;
    }
    default: {
      std::int64_t value = 0;
      return GetData(&value) ? value : 0;
    }
  }
}

void TIntegerBaseField::SetAsLargeInt(std::int64_t value) {
  if (value < min_ || value > max_)
    DatabaseError(Format(data_msg::kFieldRange, std::to_string(value), DisplayName(),
                         std::to_string(min_), std::to_string(max_)));
  switch (DataSize()) {
    case 2: {
      auto bits = static_cast<std::uint16_t>(value);
      SetData(&bits);
      break;
    }
    case 4: {
      auto v = static_cast<std::int32_t>(value);
      SetData(&v);
      break;
    }
    default:
      SetData(&value);
  }
}

std::string TIntegerBaseField::GetText(bool display) const {
  if (IsNull()) return {};
  return FormatInteger(NumberPattern(*this, display), AsLargeInt());
}

std::string TIntegerBaseField::AsString() const {
  if (IsNull()) return {};
  return std::to_string(AsLargeInt());
}

void TIntegerBaseField::SetAsString(const std::string& value) {
  std::string trimmed = value;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(trimmed.begin());
  if (trimmed.empty()) {
    Clear();
    return;
  }
  SetAsLargeInt(ParseOrRaise(*this, trimmed, [](const Variant& v) { return v.ToInt64(); }));
}

std::int32_t TIntegerBaseField::AsInteger() const {
  std::int64_t value = AsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) RaiseAccessError("Integer");
  return static_cast<std::int32_t>(value);
}
void TIntegerBaseField::SetAsInteger(std::int32_t value) { SetAsLargeInt(value); }
double TIntegerBaseField::AsFloat() const { return static_cast<double>(AsLargeInt()); }

void TIntegerBaseField::SetAsFloat(double value) {
  // Rounded half to even like every other conversion to an integer; out of range refused.
  double rounded = std::nearbyint(value);
  if (!(rounded >= -9.2e18 && rounded <= 9.2e18))
    DatabaseError(Format(data_msg::kFieldRange, FloatToText(value), DisplayName(),
                         std::to_string(min_), std::to_string(max_)));
  SetAsLargeInt(static_cast<std::int64_t>(rounded));
}

Currency TIntegerBaseField::AsCurrency() const { return Currency::FromInteger(AsLargeInt()); }
void TIntegerBaseField::SetAsCurrency(Currency value) { SetAsFloat(value.ToDouble()); }

Variant TIntegerBaseField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  std::int64_t value = AsLargeInt();
  if (DataType() == ftSmallint) return Variant(static_cast<std::int16_t>(value));
  if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int>(value));
  return Variant(static_cast<double>(value));
}

void TIntegerBaseField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::String) {
    SetAsString(value.ToString());
    return;
  }
  SetAsLargeInt(value.ToInt64());
}

// ---------------------------------------------------------------- TBooleanField

bool TBooleanField::AsBoolean() const {
  std::int16_t bits = 0;
  return GetData(&bits) && bits != 0;
}

void TBooleanField::SetAsBoolean(bool value) {
  std::int16_t bits = value ? -1 : 0;
  SetData(&bits);
}

std::string TBooleanField::GetText(bool) const {
  if (IsNull()) return {};
  return AsBoolean() ? "True" : "False";
}

void TBooleanField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  SetAsBoolean(ParseOrRaise(*this, value, [](const Variant& v) { return v.ToBool(); }));
}

Variant TBooleanField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  return Variant(AsBoolean());
}

void TBooleanField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::String)
    SetAsString(value.ToString());
  else
    SetAsBoolean(value.ToBool());
}

// ---------------------------------------------------------------- TFloatField

TFloatField::TFloatField(QObject* owner) : TNumericField(owner, ftFloat, 0) { valid_chars_ = DecimalChars(); }

double TFloatField::AsFloat() const {
  double value = 0;
  return GetData(&value) ? value : 0;
}

void TFloatField::SetAsFloat(double value) { SetData(&value); }

std::int32_t TFloatField::AsInteger() const {
  double value = std::nearbyint(AsFloat());
  if (!(value >= INT32_MIN && value <= INT32_MAX)) RaiseAccessError("Integer");
  return static_cast<std::int32_t>(value);
}

std::string TFloatField::GetText(bool display) const {
  if (IsNull()) return {};
  const std::string& pattern = NumberPattern(*this, display);
  if (!pattern.empty()) return FormatFloat(pattern, AsFloat());
  return FloatToText(AsFloat(), precision_);
}

std::string TFloatField::AsString() const {
  if (IsNull()) return {};
  return FloatToText(AsFloat(), precision_);
}

void TFloatField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  SetAsFloat(ParseOrRaise(*this, value, [](const Variant& v) { return v.ToDouble(); }));
}

Variant TFloatField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  return Variant(AsFloat());
}

void TFloatField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::String)
    SetAsString(value.ToString());
  else
    SetAsFloat(value.ToDouble());
}

// ---------------------------------------------------------------- TCurrencyField

TCurrencyField::TCurrencyField(QObject* owner, TFieldType type) : TNumericField(owner, type, 0) {
  valid_chars_ = DecimalChars();
}

Currency TCurrencyField::AsCurrency() const {
  std::int64_t scaled = 0;
  return GetData(&scaled) ? Currency::FromScaled(scaled) : Currency();
}

void TCurrencyField::SetAsCurrency(Currency value) {
  std::int64_t scaled = value.Scaled();
  SetData(&scaled);
}

void TCurrencyField::SetAsFloat(double value) {
  Currency amount;
  try {
    amount = Currency::FromDouble(value);
  } catch (const Exception&) {
    RaiseInvalidValue(FloatToText(value));
  }
  SetAsCurrency(amount);
}

std::int32_t TCurrencyField::AsInteger() const { return Variant(AsCurrency()).ToInt32(); }

std::string TCurrencyField::GetText(bool display) const {
  if (IsNull()) return {};
  return FormatCurr(NumberPattern(*this, display), AsCurrency());
}

std::string TCurrencyField::AsString() const {
  if (IsNull()) return {};
  return AsCurrency().ToText();
}

void TCurrencyField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  SetAsCurrency(ParseOrRaise(*this, value, [](const Variant& v) { return v.ToCurrency(); }));
}

Variant TCurrencyField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  return Variant(AsCurrency());
}

void TCurrencyField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::String)
    SetAsString(value.ToString());
  else
    SetAsCurrency(value.ToCurrency());
}

// ---------------------------------------------------------------- dates and times

double TDateTimeField::ReadSerial(bool& has_value) const {
  double serial = 0;
  has_value = GetData(&serial);
  return has_value ? serial : 0;
}

void TDateTimeField::WriteSerial(double serial) { SetData(&serial); }

double TDateTimeField::AsDateTime() const {
  bool has_value = false;
  return ReadSerial(has_value);
}

void TDateTimeField::SetAsDateTime(double value) { WriteSerial(value); }

std::string TDateTimeField::GetText(bool display) const {
  bool has_value = false;
  double serial = ReadSerial(has_value);
  if (!has_value) return {};
  const std::string& pattern = display ? DisplayFormat() : EditFormat();
  if (!pattern.empty()) return FormatDateTime(pattern, serial);
  if (DataType() == ftDate) return FormatDateTime("ddddd", serial);
  if (DataType() == ftTime) return FormatDateTime("tt", serial);
  return DateTimeToText(serial);
}

void TDateTimeField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  SetAsDateTime(ParseOrRaise(*this, value, [](const Variant& v) { return v.ToDate(); }));
}

Variant TDateTimeField::AsVariant() const {
  bool has_value = false;
  double serial = ReadSerial(has_value);
  if (!has_value) return Variant::Null();
  return Variant::FromDate(serial);
}

void TDateTimeField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::String)
    SetAsString(value.ToString());
  else
    SetAsDateTime(value.ToDate());
}

double TDateField::ReadSerial(bool& has_value) const {
  std::int32_t days = 0;
  has_value = GetData(&days);
  return has_value ? days : 0;
}

void TDateField::WriteSerial(double serial) {
  double day = std::floor(serial);
  if (!(day >= INT32_MIN && day <= INT32_MAX)) RaiseInvalidValue(FloatToText(serial));
  auto days = static_cast<std::int32_t>(day);
  SetData(&days);
}

double TTimeField::ReadSerial(bool& has_value) const {
  std::int32_t ms = 0;
  has_value = GetData(&ms);
  return has_value ? ms / 86400000.0 : 0;
}

void TTimeField::WriteSerial(double serial) {
  if (!std::isfinite(serial)) RaiseInvalidValue(FloatToText(serial));
  double fraction = std::fabs(serial - std::trunc(serial));
  auto ms = static_cast<std::int32_t>(std::llround(fraction * 86400000.0));
  if (ms >= 86400000) ms = 86400000 - 1;
  SetData(&ms);
}

// ---------------------------------------------------------------- bytes

std::vector<std::uint8_t> TBytesField::ReadBytes(bool& has_value) const {
  std::vector<std::uint8_t> bytes(static_cast<size_t>(DataSize()));
  has_value = GetData(bytes.data());
  if (!has_value) bytes.clear();
  return bytes;
}

void TBytesField::WriteBytes(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() > static_cast<size_t>(Size()))
    DatabaseError(Format(data_msg::kFieldTooLong, DisplayName(), Size()));
  std::vector<std::uint8_t> buffer(static_cast<size_t>(DataSize()), 0);
  std::memcpy(buffer.data(), bytes.data(), bytes.size());
  SetData(buffer.data());
}

std::vector<std::uint8_t> TVarBytesField::ReadBytes(bool& has_value) const {
  std::vector<std::uint8_t> buffer(static_cast<size_t>(DataSize()));
  has_value = GetData(buffer.data());
  if (!has_value) return {};
  std::uint16_t length = 0;
  std::memcpy(&length, buffer.data(), 2);
  if (length > Size()) length = static_cast<std::uint16_t>(Size());
  return std::vector<std::uint8_t>(buffer.begin() + 2, buffer.begin() + 2 + length);
}

void TVarBytesField::WriteBytes(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() > static_cast<size_t>(Size()) || bytes.size() > 0xFFFF)
    DatabaseError(Format(data_msg::kFieldTooLong, DisplayName(), Size()));
  std::vector<std::uint8_t> buffer(static_cast<size_t>(DataSize()), 0);
  auto length = static_cast<std::uint16_t>(bytes.size());
  std::memcpy(buffer.data(), &length, 2);
  if (!bytes.empty()) std::memcpy(buffer.data() + 2, bytes.data(), bytes.size());
  SetData(buffer.data());
}

std::string TBytesField::AsString() const {
  bool has_value = false;
  std::vector<std::uint8_t> bytes = ReadBytes(has_value);
  return std::string(bytes.begin(), bytes.end());
}

void TBytesField::SetAsString(const std::string& value) {
  WriteBytes(std::vector<std::uint8_t>(value.begin(), value.end()));
}

Variant TBytesField::AsVariant() const {
  bool has_value = false;
  std::vector<std::uint8_t> bytes = ReadBytes(has_value);
  if (!has_value) return Variant::Null();
  return Variant::FromBytes(std::move(bytes));
}

void TBytesField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::ByteArray)
    WriteBytes(value.Bytes());
  else
    SetAsString(value.ToString());
}

}  // namespace qb
