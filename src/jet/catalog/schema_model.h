// jet/catalog/schema_model: a user table's definition as the catalog keeps it (fields, indexes, rules)
// and the rules a definition must satisfy before it reaches the file. Plain values and checks;
// never touches a connection.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/base/errors.h"

namespace qb::jet {

// Field.Attributes bits.
inline constexpr std::int32_t kFixedField = 1;
inline constexpr std::int32_t kVariableField = 2;
inline constexpr std::int32_t kAutoIncrField = 16;
inline constexpr std::int32_t kUpdatableField = 32;
inline constexpr std::int32_t kSystemField = 8192;
inline constexpr std::int32_t kHyperlinkField = 32768;
inline constexpr std::int32_t kDescendingKey = 1;  // on an index's key field

// A user-defined property of a field or an index (CreateProperty), kept with its definition
// so that renames and copies of the table carry it.
struct UserProperty {
  std::string name;
  int type = 10;   // a data type code (1 Boolean ... 12 Memo)
  Variant value;   // of that type, or Null
};

struct FieldModel {
  std::string name;
  int type = 10;                  // DAO type code
  int size = 0;                   // Text(n), Binary(n); the fixed size of other types
  std::int32_t attributes = 0;
  int ordinal = 0;                // OrdinalPosition
  std::string default_value;      // a Jet expression, "" for none
  std::string validation_rule;    // a Jet expression ("> 0", "[F] Like 'A*'"), "" for none
  std::string validation_text;
  bool required = false;
  bool allow_zero_length = false;
  std::vector<UserProperty> properties;  // in the order they were made
};

struct IndexKey {
  std::string field;
  bool descending = false;
};

struct IndexModel {
  std::string name;
  std::vector<IndexKey> keys;
  bool primary = false;
  bool unique = false;
  bool ignore_nulls = false;
  bool required = false;
  bool clustered = false;
  bool foreign = false;
  std::vector<UserProperty> properties;  // in the order they were made
};

// A relationship in which the table is the referencing side (FOREIGN KEY ... REFERENCES): each
// row's COLUMNS, when none is Null, must match a row of REFERENCED_TABLE's REFERENCED_COLUMNS.
struct ForeignKeyModel {
  std::string name;                             // the relationship's name, unique in the file
  std::vector<std::string> columns;             // of this table
  std::string referenced_table;
  std::vector<std::string> referenced_columns;  // as many as COLUMNS
};

struct TableModel {
  std::int64_t id = 0;                  // MSysObjects.Id; 0 until stored
  std::string name;
  std::int32_t attributes = 0;
  std::string validation_rule, validation_text;
  std::vector<FieldModel> fields;       // in the order the columns stand in the SQLite table
  std::vector<IndexModel> indexes;      // in creation order
  std::vector<ForeignKeyModel> foreign_keys;  // the relationships it references others by

  // The field or index named NAME (case ignored), or nullptr.
  FieldModel* FindField(const std::string& name);
  const FieldModel* FindField(const std::string& name) const;
  IndexModel* FindIndex(const std::string& name);
  const IndexModel* FindIndex(const std::string& name) const;
};

// True for the types a table field may have: 1 .. 12 and 15.
bool IsStorableType(int type);
// The Size a field of TYPE reports (Text and Binary: their own size).
int FixedSizeOf(int type);
// A field as a new one of TYPE starts: the type's size (Text 255 when SIZE is 0) and width
// attributes; an AutoNumber bit on a type other than Long is dropped (Jet ignores invalid
// attribute combinations).
void NormaliseNewField(FieldModel& field);
// True when a name is acceptable for a table, field or index: 1 to 64 characters, no leading
// space, none of . ! [ ] ` and no control characters.
bool IsValidObjectName(const std::string& name);
// Raises kInvalidName unless IsValidObjectName(NAME); WHAT names the kind of object in the
// message.
void CheckObjectName(const std::string& name, const char* what);

// Checks TABLE as a whole: at least one field (kNoFields), valid and distinct field names
// (kFieldDefinedTwice), storable types (kInvalidFieldType), Text sizes 1 .. 255 and Binary
// 1 .. 255 (kInvalidPropertyValue), at most one AutoNumber (kTooManyAutoNumbers), AllowZeroLength only on Text and Memo, distinct
// index names (kIndexExists), one primary index (kPrimaryExists), index keys naming existing
// indexable fields, 1 to 10 of them (kItemNotFound / kInvalidIndex / kTooManyIndexFields).
void CheckTableModel(const TableModel& table);

// True for the field types an index may use (not Memo, Long Binary or Binary).
bool IsIndexableType(int type);

// "+A;-B" for an index's keys; ParseIndexFields reads "A;B", "+A;-B" (spaces ignored around
// names, brackets allowed). Raises kInvalidIndex for an empty name in the list.
std::string IndexFieldsText(const std::vector<IndexKey>& keys);
std::vector<IndexKey> ParseIndexFields(const std::string& text);

// Fields in OrdinalPosition order (equal positions by name, case ignored).
std::vector<const FieldModel*> FieldsInOrdinalOrder(const TableModel& table);

}  // namespace qb::jet
