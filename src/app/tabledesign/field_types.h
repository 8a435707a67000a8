// app/tabledesign/field_types: the field types the table designer and its new-field dialog
// offer, and the two mappings between their list positions and the engine's field types.
// Pure functions; no widget and no engine object.
#pragma once
#include <QStringList>

namespace qb {

// The twelve type names in list order ("Boolean" ... "Binary Data").
const QStringList& FieldTypeNames();

// The engine type a list position stands for; dbText (10) for a position outside the list.
int FieldTypeOfPosition(int position);

// The list position that shows engine type TYPE; -1 (no entry) for types the list has none
// for (0, 13, 14, above 23). Several types share an entry (binary kinds, text kinds, exact
// numbers as "Double precision Float", BigInt as the GUID entry).
int PositionOfFieldType(int type);

// Whether an index may use a field of engine type TYPE.
bool IsIndexableFieldType(int type);

// Engine field types the designer's rules name.
inline constexpr int kTypeLong = 4;         // dbLong
inline constexpr int kTypeBinary = 9;       // dbBinary
inline constexpr int kTypeText = 10;        // dbText
inline constexpr int kTypeLongBinary = 11;  // dbLongBinary
inline constexpr int kTypeMemo = 12;        // dbMemo
inline constexpr int kTypeGUID = 15;        // dbGUID

// List positions the new-field dialog's rules name.
inline constexpr int kPositionLong = 3;    // "32 Bit Integer"
inline constexpr int kPositionString = 9;  // "String"

// Field.Attributes bit of an AutoNumber field.
inline constexpr int kAutoIncrField = 0x10;

}  // namespace qb
