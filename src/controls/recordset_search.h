// controls/recordset_search: the recordset services the search edit and the grid use, reached
// through the recordset's engine object: the index list of its table, the sort clause of its
// statement, re-running it, and a nearest search on one field.
#pragma once
#include <string>
#include <vector>

#include "com/variant.h"

namespace qb {

class TDAOBaseRecordset;
class TField;

// The names of the indexes of the recordset's table (its own for rtTable, else the table named
// by TableName or the statement's FROM clause), in order; empty without one or outside a Jet
// workspace.
std::vector<std::string> TableIndexNames(TDAOBaseRecordset& recordset);
// The field names of the index NAME, separated by ";" without the sort signs; empty on any
// failure.
std::string IndexFieldsText(TDAOBaseRecordset& recordset, const std::string& name);
// True when an index of the table has FIELD alone as its key.
bool HasOwnIndex(TDAOBaseRecordset& recordset, const TField& field);

// The ORDER BY list of the recordset's statement (trimmed of blanks, line ends and ";");
// empty without one.
std::string StatementSortClause(const TDAOBaseRecordset& recordset);
// Replaces the statement's ORDER BY list by FIELDS (empty: the clause goes).
void SetStatementSortClause(TDAOBaseRecordset& recordset, const std::string& fields);
// Runs an open statement recordset again (its new statement takes effect); keeps a pending
// edit by posting it first. Nothing for rtTable and closed recordsets.
void ReexecuteStatement(TDAOBaseRecordset& recordset);

// Moves RECORDSET to the first record at or after VALUE in FIELD: a text value matches the
// values it begins (for a table, the first key at or after it in the index on FIELD, which
// becomes the current index). Answers whether there is one; otherwise the record shown stays.
// rtTable seeks; the statement types search with a criterion; the others raise 65181.
bool LocateNearest(TDAOBaseRecordset& recordset, TField& field, const Variant& value);
// The criterion LocateNearest searches with on a statement recordset.
std::string NearestCriterion(const TField& field, const Variant& value);

}  // namespace qb
