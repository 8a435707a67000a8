// framework/data/params: parameter values and lists.
#include "framework/data/params.h"

#include <algorithm>

#include "framework/component/component.h"
#include "framework/data/data_errors.h"

namespace qb {

namespace {
TFieldType TypeOfVariant(VarType type) {
  switch (type) {
    case VarType::Int16: return ftSmallint;
    case VarType::Byte: return ftSmallint;
    case VarType::Int32: return ftInteger;
    case VarType::Single:
    case VarType::Double: return ftFloat;
    case VarType::Currency: return ftCurrency;
    case VarType::Date: return ftDateTime;
    case VarType::String: return ftString;
    case VarType::Boolean: return ftBoolean;
    case VarType::ByteArray: return ftVarBytes;
    default: return ftUnknown;
  }
}
}  // namespace

void TParam::Store(Variant value, TFieldType type) {
  value_ = std::move(value);
  data_type_ = type;
  bound_ = true;
}

void TParam::SetValue(const Variant& value) {
  value_ = value;
  if (data_type_ == ftUnknown) data_type_ = TypeOfVariant(value.Type());
  bound_ = true;
}

void TParam::Clear() {
  value_ = Variant::Null();
  bound_ = false;
}

void TParam::SetAsString(const std::string& value) {
  Store(Variant(value), data_type_ == ftFixedChar || data_type_ == ftMemo ? data_type_ : ftString);
}
void TParam::SetAsInteger(std::int32_t value) { Store(Variant(value), ftInteger); }
void TParam::SetAsFloat(double value) { Store(Variant(value), ftFloat); }
void TParam::SetAsCurrency(Currency value) { Store(Variant(value), ftCurrency); }
void TParam::SetAsDateTime(double value) { Store(Variant::FromDate(value), ftDateTime); }
void TParam::SetAsBoolean(bool value) { Store(Variant(value), ftBoolean); }

void TParam::Assign(const TParam& source) {
  if (&source == this) return;
  data_type_ = source.data_type_;
  param_type_ = source.param_type_;
  value_ = source.value_;
  bound_ = source.bound_;
}

TParam& TParams::CreateParam(TFieldType type, std::string name, TParamType param_type) {
  items_.push_back(std::make_unique<TParam>(std::move(name), type, param_type));
  return *items_.back();
}

TParam* TParams::FindParam(std::string_view name) const {
  for (const auto& param : items_)
    if (SameName(param->Name(), name)) return param.get();
  return nullptr;
}

TParam& TParams::ParamByName(std::string_view name) const {
  TParam* param = FindParam(name);
  if (!param) DatabaseError(Format(data_msg::kParamNotFound, std::string(name)));
  return *param;
}

void TParams::Remove(const TParam* param) {
  items_.erase(std::remove_if(items_.begin(), items_.end(),
                              [param](const auto& item) { return item.get() == param; }),
               items_.end());
}

void TParams::AssignValues(const TParams& source) {
  if (&source == this) return;
  for (const auto& from : source.items_)
    for (auto& to : items_)
      if (SameName(to->Name(), from->Name())) to->Assign(*from);
}

void TParams::Assign(const TParams& source) {
  if (&source == this) return;
  std::vector<std::unique_ptr<TParam>> copy;
  for (const auto& from : source.items_) copy.push_back(std::make_unique<TParam>(*from));
  items_.swap(copy);
}

}  // namespace qb
