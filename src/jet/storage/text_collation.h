// jet/storage/text_collation: the JETNOCASE collation text columns and indexes use: ICU at secondary
// strength (case ignored, accents and letters ordered by the database's sort order). Registers
// it on a connection; never opens files.
#pragma once
#include <string>

namespace qb::jet {

class Connection;

// The name text columns and indexes are declared with ("COLLATE JETNOCASE").
inline constexpr const char* kTextCollationName = "JETNOCASE";

// Registers JETNOCASE on CONNECTION for SORT_ORDER (a number of SortOrders(); -1 is General),
// replacing an earlier registration, and the jet_* expression functions that table checks and
// defaults call. Raises kInternal when ICU has no collator for it.
void RegisterTextCollation(Connection& connection, int sort_order);

// Compares two UTF-8 texts as JETNOCASE does under SORT_ORDER: <0, 0 or >0 (tests and checks).
int CompareText(int sort_order, const std::string& a, const std::string& b);

// The version of the ICU collation in use ("72.1"): recorded in each file, whose indexes are
// rebuilt when it changes.
std::string IcuCollationVersion();

}  // namespace qb::jet
