// jet/import/import_definitions: the importing side of a genuine file's relationships and saved
// queries: read from their frames, then written into the new database once every table is
// there. What this engine cannot keep is listed in the summary with the reason.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "jet/import/import_database.h"
#include "jet/import/import_stream.h"
#include "jet/import/saved_query_sql.h"

namespace qb::jet {

class Database;

namespace import {

struct ImportedRelation {
  std::string name;
  std::uint32_t attributes = 0;  // the object model's relation attribute bits
  std::string table, foreign_table;
  std::vector<std::pair<std::string, std::string>> fields;  // field, foreign field
};

struct ImportedQuery {
  std::string name;
  std::int64_t object_flags = 0;  // its catalog entry's flags (SavedQuerySql)
  std::vector<QueryRow> rows;
};

// Each raises std::runtime_error for a malformed frame.
ImportedRelation ReadRelation(FrameReader& in);
ImportedQuery ReadQuery(FrameReader& in);

// Makes the relationships in DB (enforced, as this engine's are); one that cannot be made, or
// whose original was not enforced, is listed in SUMMARY->skipped, and so are cascades.
void WriteRelations(Database& db, const std::vector<ImportedRelation>& relations, ImportSummary* summary);

// Saves the queries in DB whose rebuilt SQL this engine translates (each may use the others);
// the rest are listed in SUMMARY->skipped with the reason and their rebuilt SQL where there is
// one, so that nothing is lost without a word.
void WriteQueries(Database& db, const std::vector<ImportedQuery>& queries, ImportSummary* summary);

}  // namespace import
}  // namespace qb::jet
