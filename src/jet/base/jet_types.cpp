// jet/base/jet_types: the table of type names. Data only.
#include "jet/base/jet_types.h"

#include <cctype>

namespace qb::jet::sql {
namespace {

struct Entry {
  const char* name;
  JetTypeName type;
};

constexpr JetTypeName kBool{dao_type::kBoolean};
constexpr JetTypeName kByteT{dao_type::kByte};
constexpr JetTypeName kShort{dao_type::kInteger};
constexpr JetTypeName kLongT{dao_type::kLong};
constexpr JetTypeName kCounter{dao_type::kLong, true};
constexpr JetTypeName kMoney{dao_type::kCurrency};
constexpr JetTypeName kSingleT{dao_type::kSingle};
constexpr JetTypeName kDoubleT{dao_type::kDouble};
constexpr JetTypeName kDateT{dao_type::kDate};
constexpr JetTypeName kBinaryT{dao_type::kBinary, false, true, 255, 255};
constexpr JetTypeName kTextT{dao_type::kText, false, true, 255, 255};
constexpr JetTypeName kLongBin{dao_type::kLongBinary};
constexpr JetTypeName kMemoT{dao_type::kMemo};
constexpr JetTypeName kGuidT{dao_type::kGuid};

constexpr Entry kTypes[] = {
    {"BIT", kBool},          {"BOOLEAN", kBool},       {"LOGICAL", kBool},
    {"LOGICAL1", kBool},     {"YESNO", kBool},         {"BYTE", kByteT},
    {"INTEGER1", kByteT},    {"TINYINT", kByteT},      {"SHORT", kShort},
    {"SMALLINT", kShort},    {"INTEGER2", kShort},     {"LONG", kLongT},
    {"INT", kLongT},         {"INTEGER", kLongT},      {"INTEGER4", kLongT},
    {"COUNTER", kCounter},   {"AUTOINCREMENT", kCounter}, {"IDENTITY", kCounter},
    {"CURRENCY", kMoney},    {"MONEY", kMoney},        {"SINGLE", kSingleT},
    {"REAL", kSingleT},      {"FLOAT4", kSingleT},     {"IEEESINGLE", kSingleT},
    {"DOUBLE", kDoubleT},    {"FLOAT", kDoubleT},      {"FLOAT8", kDoubleT},
    {"IEEEDOUBLE", kDoubleT}, {"NUMBER", kDoubleT},    {"NUMERIC", kDoubleT},
    {"DATETIME", kDateT},    {"DATE", kDateT},         {"TIME", kDateT},
    {"TIMESTAMP", kDateT},   {"BINARY", kBinaryT},     {"VARBINARY", kBinaryT},
    {"TEXT", kTextT},        {"ALPHANUMERIC", kTextT}, {"CHAR", kTextT},
    {"CHARACTER", kTextT},   {"STRING", kTextT},       {"VARCHAR", kTextT},
    {"NCHAR", kTextT},       {"NVARCHAR", kTextT},     {"LONGTEXT", kMemoT},
    {"MEMO", kMemoT},        {"NOTE", kMemoT},         {"LONGCHAR", kMemoT},
    {"NTEXT", kMemoT},       {"LONGBINARY", kLongBin}, {"GENERAL", kLongBin},
    {"OLEOBJECT", kLongBin}, {"IMAGE", kLongBin},      {"GUID", kGuidT},
    {"UNIQUEIDENTIFIER", kGuidT},
};

bool EqualsUpper(std::string_view text, const char* upper) {
  std::size_t i = 0;
  for (; upper[i] != '\0'; ++i) {
    if (i >= text.size() ||
        std::toupper(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(upper[i])) {
      return false;
    }
  }
  return i == text.size();
}

}  // namespace

std::optional<JetTypeName> LookupJetType(std::string_view name) {
  for (const Entry& entry : kTypes) {
    if (EqualsUpper(name, entry.name)) return entry.type;
  }
  return std::nullopt;
}

}  // namespace qb::jet::sql
