// framework/data/field_classes: the typed field classes: their native buffer formats (field.h)
// and the conversions between them and strings, numbers, currency, dates and variants.
#pragma once
#include <cstdint>

#include "framework/data/field.h"

namespace qb {

// Text of at most Size() characters. A longer value is refused (kFieldTooLong), never cut.
class TStringField : public TField {
  Q_OBJECT
 public:
  explicit TStringField(QObject* owner = nullptr) : TField(owner, ftString, 20) {}
  int DataSize() const override { return Size() + 1; }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  double AsDateTime() const override;
  void SetAsDateTime(double value) override;
  Variant AsVariant() const override;

 protected:
  std::string GetText(bool display) const override;
  void SetVariantValue(const Variant& value) override;
};

// The common base of the numeric classes (integers, float, currency, BCD): a descendant's
// numeric field derives from it, and controls recognise numbers by it. The classes show
// their value by DisplayFormat (DisplayText) and EditFormat (Text), FormatFloat pictures;
// without a picture, and always for AsString, the plain form. The edit text never falls back
// to the display format: it must read back through SetText.
class TNumericField : public TField {
  Q_OBJECT
 protected:
  TNumericField(QObject* owner, TFieldType type, int size) : TField(owner, type, size) {}
};

// The integer classes: one value within [MinValue, MaxValue]; a value outside is refused
// (kFieldRange).
class TIntegerBaseField : public TNumericField {
  Q_OBJECT
 public:
  std::int64_t MinValue() const { return min_; }
  std::int64_t MaxValue() const { return max_; }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  Currency AsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  bool AsBoolean() const override { return AsLargeInt() != 0; }
  Variant AsVariant() const override;
  // The value as 64 bits (0 without a value) and its setter.
  std::int64_t AsLargeInt() const;
  void SetAsLargeInt(std::int64_t value);

 protected:
  TIntegerBaseField(QObject* owner, TFieldType type, std::int64_t min, std::int64_t max);
  std::string GetText(bool display) const override;
  void SetVariantValue(const Variant& value) override;

 private:
  std::int64_t min_, max_;
};

class TSmallintField : public TIntegerBaseField {
  Q_OBJECT
 public:
  explicit TSmallintField(QObject* owner = nullptr) : TIntegerBaseField(owner, ftSmallint, -32768, 32767) {}
  int DataSize() const override { return 2; }
};

class TWordField : public TIntegerBaseField {
  Q_OBJECT
 public:
  explicit TWordField(QObject* owner = nullptr) : TIntegerBaseField(owner, ftWord, 0, 65535) {}
  int DataSize() const override { return 2; }
};

class TIntegerField : public TIntegerBaseField {
  Q_OBJECT
 public:
  explicit TIntegerField(QObject* owner = nullptr)
      : TIntegerBaseField(owner, ftInteger, INT32_MIN, INT32_MAX) {}
  int DataSize() const override { return 4; }
};

class TAutoIncField : public TIntegerField {
  Q_OBJECT
 public:
  explicit TAutoIncField(QObject* owner = nullptr) : TIntegerField(owner) { SetDataType(ftAutoInc); }
};

class TLargeintField : public TIntegerBaseField {
  Q_OBJECT
 public:
  explicit TLargeintField(QObject* owner = nullptr)
      : TIntegerBaseField(owner, ftLargeint, INT64_MIN, INT64_MAX) {}
  int DataSize() const override { return 8; }
};

// True or false; the text is "True"/"False" (any case, or a number, on input).
class TBooleanField : public TField {
  Q_OBJECT
 public:
  explicit TBooleanField(QObject* owner = nullptr) : TField(owner, ftBoolean, 0) {}
  int DataSize() const override { return 2; }
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  std::int32_t AsInteger() const override { return AsBoolean() ? -1 : 0; }
  void SetAsInteger(std::int32_t value) override { SetAsBoolean(value != 0); }
  void SetAsString(const std::string& value) override;
  Variant AsVariant() const override;

 protected:
  std::string GetText(bool display) const override;
  void SetVariantValue(const Variant& value) override;
};

// A double; text with up to Precision() (default 15) significant digits.
class TFloatField : public TNumericField {
  Q_OBJECT
 public:
  explicit TFloatField(QObject* owner = nullptr);
  int DataSize() const override { return 8; }
  int Precision() const { return precision_; }
  void SetPrecision(int precision) { precision_ = precision < 1 ? 1 : precision > 17 ? 17 : precision; }
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t value) override { SetAsFloat(value); }
  Currency AsCurrency() const override { return Currency::FromDouble(AsFloat()); }
  void SetAsCurrency(Currency value) override { SetAsFloat(value.ToDouble()); }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  Variant AsVariant() const override;

 protected:
  std::string GetText(bool display) const override;
  void SetVariantValue(const Variant& value) override;

 private:
  int precision_ = 15;
};

// An exact Currency (ten-thousandths); TBCDField keeps the same format.
class TCurrencyField : public TNumericField {
  Q_OBJECT
 public:
  explicit TCurrencyField(QObject* owner = nullptr) : TCurrencyField(owner, ftCurrency) {}
  int DataSize() const override { return 8; }
  Currency AsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  double AsFloat() const override { return AsCurrency().ToDouble(); }
  void SetAsFloat(double value) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t value) override { SetAsCurrency(Currency::FromInteger(value)); }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  Variant AsVariant() const override;

 protected:
  TCurrencyField(QObject* owner, TFieldType type);
  std::string GetText(bool display) const override;
  void SetVariantValue(const Variant& value) override;
};

class TBCDField : public TCurrencyField {
  Q_OBJECT
 public:
  explicit TBCDField(QObject* owner = nullptr) : TCurrencyField(owner, ftBCD) {}
};

// Date and time values as date serials. TDateTimeField keeps the serial itself; TDateField
// keeps whole days and TTimeField milliseconds of the day (the time of day of a value set).
// DisplayFormat / EditFormat are FormatDateTime patterns; empty: the short form.
class TDateTimeField : public TField {
  Q_OBJECT
 public:
  explicit TDateTimeField(QObject* owner = nullptr) : TField(owner, ftDateTime, 0) {}
  int DataSize() const override { return 8; }
  double AsDateTime() const override;
  void SetAsDateTime(double value) override;
  double AsFloat() const override { return AsDateTime(); }
  void SetAsFloat(double value) override { SetAsDateTime(value); }
  void SetAsString(const std::string& value) override;
  Variant AsVariant() const override;

 protected:
  TDateTimeField(QObject* owner, TFieldType type) : TField(owner, type, 0) {}
  std::string GetText(bool display) const override;
  void SetVariantValue(const Variant& value) override;
  virtual double ReadSerial(bool& has_value) const;
  virtual void WriteSerial(double serial);
};

class TDateField : public TDateTimeField {
  Q_OBJECT
 public:
  explicit TDateField(QObject* owner = nullptr) : TDateTimeField(owner, ftDate) {}
  int DataSize() const override { return 4; }

 protected:
  double ReadSerial(bool& has_value) const override;
  void WriteSerial(double serial) override;
};

class TTimeField : public TDateTimeField {
  Q_OBJECT
 public:
  explicit TTimeField(QObject* owner = nullptr) : TDateTimeField(owner, ftTime) {}
  int DataSize() const override { return 4; }

 protected:
  double ReadSerial(bool& has_value) const override;
  void WriteSerial(double serial) override;
};

// Fixed (TBytesField, Size() bytes) and variable (TVarBytesField, a 16-bit length then up to
// Size() bytes) binary values; the variant is a byte array, the text the bytes themselves.
class TBytesField : public TField {
  Q_OBJECT
 public:
  explicit TBytesField(QObject* owner = nullptr) : TField(owner, ftBytes, 16) {}
  int DataSize() const override { return Size(); }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  Variant AsVariant() const override;

 protected:
  TBytesField(QObject* owner, TFieldType type) : TField(owner, type, 16) {}
  std::string GetText(bool) const override { return AsString(); }
  void SetVariantValue(const Variant& value) override;
  virtual std::vector<std::uint8_t> ReadBytes(bool& has_value) const;
  virtual void WriteBytes(const std::vector<std::uint8_t>& bytes);
};

class TVarBytesField : public TBytesField {
  Q_OBJECT
 public:
  explicit TVarBytesField(QObject* owner = nullptr) : TBytesField(owner, ftVarBytes) {}
  int DataSize() const override { return Size() + 2; }

 protected:
  std::vector<std::uint8_t> ReadBytes(bool& has_value) const override;
  void WriteBytes(const std::vector<std::uint8_t>& bytes) override;
};

}  // namespace qb
