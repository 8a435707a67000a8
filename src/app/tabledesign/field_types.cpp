// app/tabledesign/field_types: the type list and its mappings.
#include "app/tabledesign/field_types.h"

#include <array>

namespace qb {

namespace {

constexpr std::array<int, 12> kTypeOfPosition = {1, 2, 3, 4, 15, 5, 6, 7, 8, 10, 12, 11};

}  // namespace

const QStringList& FieldTypeNames() {
  static const QStringList names = {"Boolean",
                                    "Byte",
                                    "16 Bit Integer",
                                    "32 Bit Integer",
                                    "Globally Unique Identifier (GUID)",
                                    "Currency",
                                    "Single precision Float",
                                    "Double precision Float",
                                    "Date & Time",
                                    "String",
                                    "Memo",
                                    "Binary Data"};
  return names;
}

int FieldTypeOfPosition(int position) {
  if (position < 0 || position >= static_cast<int>(kTypeOfPosition.size())) return kTypeText;
  return kTypeOfPosition[static_cast<std::size_t>(position)];
}

int PositionOfFieldType(int type) {
  switch (type) {
    case 1:
    case 2:
    case 3:
    case 4:
      return type - 1;
    case 5:
    case 6:
    case 7:
    case 8:
      return type;
    case 9:
    case 11:
    case 17:
      return 11;  // binary kinds
    case 10:
    case 18:
      return 9;  // text kinds
    case 12:
      return 10;
    case 15:
    case 16:
      return 4;  // BigInt shows the GUID entry
    case 19:
    case 20:
    case 21:
      return 7;  // exact and float numbers
    case 22:
    case 23:
      return 8;
    default:
      return -1;
  }
}

bool IsIndexableFieldType(int type) {
  return (type >= 1 && type <= 8) || type == 10 || type == 15 || (type >= 18 && type <= 23);
}

}  // namespace qb
