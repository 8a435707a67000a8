// jet/dao/index: the Index object of a table definition: stand-alone (made by CreateIndex) until
// appended, then a view of one stored index. Once appended only Name may change (through its
// TableDef) and user-defined properties may be added; never writes SQL itself.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "com/variant.h"
#include "jet/catalog/schema_model.h"

namespace qb::jet {

class TableDef;
class Properties;
class Property;

class Index : public std::enable_shared_from_this<Index> {
 public:
  explicit Index(std::string name = std::string());

  // Getters read the stored index once appended (as its TableDef last read it).
  std::string Name() const;
  // The key fields as "+A;-B" (a sign on every field: "+" ascending, "-" descending).
  std::string Fields() const;
  bool Primary() const;
  bool Unique() const;    // a primary index is unique
  bool IgnoreNulls() const;
  bool Required() const;  // a primary index is required
  bool Clustered() const;
  bool Foreign() const;   // always False: this engine makes no relationship indexes yet
  // The number of distinct keys among the table's rows (0 before appending).
  std::int64_t DistinctCount() const;

  // Name: on an appended index renames it (kIndexExists for a name in use). The others raise
  // kSetAfterAppend once appended. Fields takes "A;B" or "+A;-B"; the fields are checked on
  // append (kItemNotFound, kInvalidIndex for Memo or binary keys, kTooManyIndexFields).
  void SetName(const std::string& name);
  void SetFields(const std::string& fields);
  void SetPrimary(bool primary);
  void SetUnique(bool unique);
  void SetIgnoreNulls(bool ignore);
  void SetRequired(bool required);
  void SetClustered(bool clustered);

  // The built-in properties, then the user-defined ones.
  std::shared_ptr<jet::Properties> Properties();
  // Makes and stores a user-defined property, as Field::CreateProperty does. REQUIRES (else
  // kInvalidOperation): the index is in a stored table.
  std::shared_ptr<Property> CreateProperty(const std::string& name, int type, const Variant& value);

 private:
  friend class TableDef;
  friend class Indexes;

  IndexModel Model() const;
  void SetBeforeAppend(const std::function<void(IndexModel&)>& edit);
  // Applies EDIT to the stored index through its table. REQUIRES: appended.
  void ChangeStored(const std::function<void(IndexModel&)>& edit);

  IndexModel own_;                 // the values until appended; the name afterwards
  std::shared_ptr<TableDef> table_;  // the stored table once appended (held, as Field does)
  bool in_collection_ = false;
};

}  // namespace qb::jet
