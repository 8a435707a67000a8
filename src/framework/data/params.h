// framework/data/params: parameter lists: named values with a data type and a direction that
// a dataset binds into its statement before opening. Values only; no statement parsing here.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "framework/data/data_types.h"

namespace qb {

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// One parameter. A value set through any setter makes it Bound; the typed setters also set
// DataType to their type, SetValue only when the type is still unknown.
class TParam {
 public:
  TParam(std::string name, TFieldType type = ftUnknown, TParamType param_type = ptUnknown)
      : name_(std::move(name)), data_type_(type), param_type_(param_type) {}

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  TFieldType DataType() const { return data_type_; }
  void SetDataType(TFieldType type) { data_type_ = type; }
  TParamType ParamType() const { return param_type_; }
  void SetParamType(TParamType type) { param_type_ = type; }
  bool Bound() const { return bound_; }
  void SetBound(bool bound) { bound_ = bound; }

  const Variant& Value() const { return value_; }
  void SetValue(const Variant& value);
  // Null (and Empty) count as no value.
  bool IsNull() const { return value_.IsNull() || value_.IsEmpty(); }
  // Null, unbound; the data type stays.
  void Clear();

  // Getters give "", 0, false for no value; a value that does not convert raises
  // EVariantError.
  std::string AsString() const { return value_.ToStringOrEmpty(); }
  void SetAsString(const std::string& value);
  std::int32_t AsInteger() const { return IsNull() ? 0 : value_.ToInt32(); }
  void SetAsInteger(std::int32_t value);
  double AsFloat() const { return IsNull() ? 0 : value_.ToDouble(); }
  void SetAsFloat(double value);
  Currency AsCurrency() const { return IsNull() ? Currency() : value_.ToCurrency(); }
  void SetAsCurrency(Currency value);
  double AsDateTime() const { return IsNull() ? 0 : value_.ToDate(); }
  void SetAsDateTime(double value);
  bool AsBoolean() const { return !IsNull() && value_.ToBool(); }
  void SetAsBoolean(bool value);

  // Copies type, direction, value and bound state (not the name).
  void Assign(const TParam& source);

 private:
  void Store(Variant value, TFieldType type);

  std::string name_;
  TFieldType data_type_;
  TParamType param_type_;
  Variant value_ = Variant::Null();
  bool bound_ = false;
};

// An ordered list of parameters; names compare without regard to ASCII case. Several
// parameters may share a name (a statement may use one twice); lookups find the first.
class TParams {
 public:
  TParam& CreateParam(TFieldType type, std::string name, TParamType param_type);
  int Count() const { return static_cast<int>(items_.size()); }
  TParam& operator[](int index) { return *items_.at(static_cast<size_t>(index)); }
  const TParam& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
  TParam* FindParam(std::string_view name) const;
  // Raises EDatabaseError kParamNotFound.
  TParam& ParamByName(std::string_view name) const;
  void Clear() { items_.clear(); }
  void Remove(const TParam* param);
  // For each parameter of SOURCE, every parameter here of the same name takes its type,
  // direction, value and bound state; names without a match are ignored.
  void AssignValues(const TParams& source);
  // Replaces this list by a copy of SOURCE.
  void Assign(const TParams& source);

 private:
  std::vector<std::unique_ptr<TParam>> items_;
};

}  // namespace qb
