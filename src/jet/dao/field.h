// jet/dao/field: the Field object of a table definition: stand-alone (made by CreateField) until
// it is appended, then a view of one field of a stored table whose every change goes to the
// engine at once through its TableDef. Never writes SQL itself.
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

class Field : public std::enable_shared_from_this<Field> {
 public:
  // A stand-alone field (as CreateField makes it): TYPE 0 means "not set yet" (Text when
  // appended), SIZE 0 the type's default.
  explicit Field(std::string name = std::string(), int type = 0, int size = 0);

  // Getters read the stored table's definition once the field is appended (as its TableDef
  // last read it).
  std::string Name() const;
  int Type() const;
  int Size() const;
  Variant DefaultValue() const;  // the expression text as a String ("" for none)
  bool Required() const;
  bool AllowZeroLength() const;
  int OrdinalPosition() const;
  std::int32_t Attributes() const;
  std::string ValidationRule() const;
  std::string ValidationText() const;
  std::string SourceTable() const;  // the table's name once appended; "" before
  std::string SourceField() const;  // the field's name once appended; "" before

  // Setters on an appended field change the stored table at once (the table is copied when
  // SQLite cannot change it in place) and raise what that change raises; before appending
  // they only record the value.
  //   Name: a valid name not used by another field (kFieldDefinedTwice).
  //   Type: kSetAfterAppend once appended; kInvalidFieldType for a type a table cannot hold.
  //   Size: Text and Binary only once appended (kSetAfterAppend for others); 1 .. 255
  //         (kInvalidPropertyValue); kFieldTooSmall when a stored value is longer.
  //   DefaultValue: a Jet expression without names, checked now (the parser's 3075, 3070 for
  //         a name); "" or Null removes it.
  //   Required: kRequiredNull (3314) when a stored row holds Null.
  //   AllowZeroLength: Text and Memo only (kInvalidPropertyValue); kZeroLength (3315) when a
  //         stored row holds "".
  //   OrdinalPosition: any number; only the listing order changes.
  //   Attributes: the AutoNumber bit is fixed once appended (kSetAfterAppend); checked on
  //         append (Long only, one per table).
  //   ValidationRule: a Jet expression checked now; kFieldRule (3317) when a stored row breaks it.
  void SetName(const std::string& name);
  void SetType(int type);
  void SetSize(int size);
  void SetDefaultValue(const Variant& value);
  void SetRequired(bool required);
  void SetAllowZeroLength(bool allow);
  void SetOrdinalPosition(int position);
  void SetAttributes(std::int32_t attributes);
  void SetValidationRule(const std::string& rule);
  void SetValidationText(const std::string& text);

  // The built-in properties by name (Name, Type, Size, DefaultValue, Required, ...), each
  // reading and writing through the members above, followed by the user-defined ones.
  std::shared_ptr<jet::Properties> Properties();

  // Makes and stores a user-defined property; it stays with the field across reopening, renames
  // and copies of the table. Raises kDuplicateName for a name in use, kInvalidArgument for a bad
  // name or type, kInvalidPropertyValue when VALUE does not convert. REQUIRES (else
  // kInvalidOperation): the field is in a stored table.
  std::shared_ptr<Property> CreateProperty(const std::string& name, int type, const Variant& value);

 private:
  friend class TableDef;
  friend class Fields;

  // The definition now in effect: the stored table's when appended, else the own copy.
  FieldModel Model() const;
  // Applies EDIT to the field: through the stored table when appended, else to the own copy.
  void Change(const std::function<void(FieldModel&)>& edit);

  FieldModel own_;                  // the values until appended; the name afterwards
  // The stored table once appended; held so that a field reached through a table definition
  // nobody else keeps still changes the stored table.
  std::shared_ptr<TableDef> table_;
  bool in_collection_ = false;      // appended to a Fields collection (stored or not)
};

}  // namespace qb::jet
