// jet/import/genuine_definitions: the reader's side of a genuine file's relationships and saved
// queries: their rows in the file's own system tables, sent as frames (import_stream.h). The
// importing process rebuilds and checks them (saved_query_sql.h). Runs in the reader process only.
#pragma once
// The standard headers come first: the library's header includes glib inside extern "C".
#include <string>
#include <vector>

#include <mdbtools.h>

#include "jet/import/genuine_rows.h"

namespace qb::jet::import {

// Sends the relationships between the tables named in SENT; one that involves another table is
// left out silently (an import of named tables asked for those only). What cannot be read is
// sent as skipped. False once the importing process has gone.
bool SendRelationships(MdbHandle* mdb, const std::vector<std::string>& sent, Sender& out);

// Sends every saved query with its rows. False once the importing process has gone.
bool SendQueries(MdbHandle* mdb, Sender& out);

}  // namespace qb::jet::import
