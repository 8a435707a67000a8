// jet/base/jet_types: Jet SQL's data type names and synonyms and the DAO type codes they map to.
// A lookup table only; what a type means in storage is the engine's business.
#pragma once
#include <optional>
#include <string_view>

namespace qb::jet::sql {

// DAO DataTypeEnum codes of the types a Jet table can hold.
namespace dao_type {
inline constexpr int kBoolean = 1;
inline constexpr int kByte = 2;
inline constexpr int kInteger = 3;
inline constexpr int kLong = 4;
inline constexpr int kCurrency = 5;
inline constexpr int kSingle = 6;
inline constexpr int kDouble = 7;
inline constexpr int kDate = 8;
inline constexpr int kBinary = 9;
inline constexpr int kText = 10;
inline constexpr int kLongBinary = 11;
inline constexpr int kMemo = 12;
inline constexpr int kGuid = 15;
}  // namespace dao_type

struct JetTypeName {
  int dao_type = 0;
  bool auto_increment = false;  // COUNTER, AUTOINCREMENT, IDENTITY: Long + dbAutoIncrField
  bool sized = false;           // takes "(n)": TEXT and its synonyms, BINARY, VARBINARY
  int default_size = 0;         // TEXT without a length is Text(255); BINARY is 255
  int max_size = 0;             // the largest n "(n)" accepts
};

// The type named NAME (any ASCII case: "varchar", "Integer4"), or nullopt for a word that names
// no column type. The parameter-only word VALUE and DECIMAL are not column types here.
std::optional<JetTypeName> LookupJetType(std::string_view name);

}  // namespace qb::jet::sql
