// jet/dao/query_parameters: the Parameter and Parameters objects of a QueryDef, whose values live in
// the QueryDef object, and the read-only result columns a QueryDef lists as its Fields.
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/dao/querydef.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet {
namespace {

constexpr int kInteger = 3, kLong = 4, kText = 10;

[[noreturn]] void RaiseNoItem(const char* collection, int index) {
  RaiseJetError(err::kItemNotFound, "There is no item " + std::to_string(index) + " in " + collection + ".");
}

[[noreturn]] void RaiseNoItem(const char* collection, std::string_view name) {
  RaiseJetError(err::kItemNotFound, "There is no item named '" + std::string(name) + "' in " + collection + ".");
}

}  // namespace

// ---- Parameter

Parameter::Parameter(std::shared_ptr<QueryDef> query, std::string name, int type)
    : query_(std::move(query)), name_(std::move(name)), type_(type) {}

Variant Parameter::Value() const {
  auto found = query_->values_.find(name_);
  return found == query_->values_.end() ? Variant() : found->second;
}

void Parameter::SetValue(const Variant& value) {
  if (query_->closed_) RaiseJetError(err::kObjectClosed, "The query definition of '" + name_ + "' has been closed.");
  query_->values_[name_] = value;
}

void Parameter::SetDirection(int direction) {
  if (direction != kParamInput) {
    RaiseJetError(err::kInvalidArgument, "The parameters of a Jet query are input parameters (Direction 1).");
  }
}

std::shared_ptr<jet::Properties> Parameter::Properties() {
  auto query = query_;
  const std::string name = name_;
  const int type = type_;
  auto value = [query, name]() {
    auto found = query->values_.find(name);
    return found == query->values_.end() ? Variant() : found->second;
  };
  std::vector<std::shared_ptr<Property>> items = {
      std::make_shared<Property>("Name", kText, [name]() { return Variant(name); }),
      std::make_shared<Property>("Type", kInteger, [type]() { return Variant(static_cast<std::int16_t>(type)); }),
      std::make_shared<Property>("Value", type, value,
                                 [query, name](const Variant& v) {
                                   if (query->IsClosed()) {
                                     RaiseJetError(err::kObjectClosed, "The query definition has been closed.");
                                   }
                                   query->values_[name] = v;
                                 }),
      std::make_shared<Property>("Direction", kInteger, []() { return Variant(static_cast<std::int16_t>(kParamInput)); }),
  };
  return std::make_shared<jet::Properties>(std::move(items));
}

std::shared_ptr<Parameter> Parameters::Item(int index) const {
  if (index < 0 || index >= Count()) RaiseNoItem("Parameters", index);
  return items_[static_cast<std::size_t>(index)];
}

std::shared_ptr<Parameter> Parameters::Item(std::string_view name) const {
  for (const auto& item : items_) {
    if (SameName(item->Name(), name)) return item;
  }
  RaiseNoItem("Parameters", name);
}

// ---- QueryField

QueryField::QueryField(std::string name, int type, int size, std::string source_table, std::string source_field,
                       int position)
    : name_(std::move(name)),
      type_(type),
      size_(size != 0 ? size : type == 9 || type == 10 ? 255 : FixedSizeOf(type)),
      source_table_(std::move(source_table)),
      source_field_(std::move(source_field)),
      position_(position) {}

std::shared_ptr<jet::Properties> QueryField::Properties() const {
  std::vector<std::shared_ptr<Property>> items = {
      std::make_shared<Property>("Name", kText, [v = name_]() { return Variant(v); }),
      std::make_shared<Property>("Type", kInteger, [v = type_]() { return Variant(static_cast<std::int16_t>(v)); }),
      std::make_shared<Property>("Size", kLong, [v = size_]() { return Variant(v); }),
      std::make_shared<Property>("SourceTable", kText, [v = source_table_]() { return Variant(v); }),
      std::make_shared<Property>("SourceField", kText, [v = source_field_]() { return Variant(v); }),
      std::make_shared<Property>("OrdinalPosition", kInteger,
                                 [v = position_]() { return Variant(static_cast<std::int16_t>(v)); }),
  };
  return std::make_shared<jet::Properties>(std::move(items));
}

std::shared_ptr<QueryField> QueryFields::Item(int index) const {
  if (index < 0 || index >= Count()) RaiseNoItem("Fields", index);
  return items_[static_cast<std::size_t>(index)];
}

std::shared_ptr<QueryField> QueryFields::Item(std::string_view name) const {
  for (const auto& item : items_) {
    if (SameName(item->Name(), name)) return item;
  }
  RaiseNoItem("Fields", name);
}

}  // namespace qb::jet
