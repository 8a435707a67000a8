// app/dbtools/db_import: importing a genuine .mdb/.accdb file into a new database of this program,
// shared by the main window's open flow and the database tools window: the free name beside the
// original, the import inside the progress window and the summary shown afterwards.
#pragma once
#include <string>

namespace qb {

class TDAOEngine;
namespace jet {
struct ImportSummary;
}

// The first free name beside ORIGINAL for its imported copy: "<name>.imported.mdb", then
// "<name>.imported.2.mdb", "<name>.imported.3.mdb" ... (never an existing file).
std::string FreeImportName(const std::string& original);

// What came along and what was left out, for the user. DESTINATION: the new file.
std::string ImportSummaryText(const jet::ImportSummary& summary, const std::string& destination);

// Imports SOURCE into the new file DESTINATION through ENGINE inside the progress window, then
// shows ImportSummaryText in a message box. Returns false (nothing done) while ENGINE is
// inactive. Raises what the import raises, after the progress window closed; nothing is left
// at DESTINATION then.
bool ImportWithProgress(TDAOEngine& engine, const std::string& source, const std::string& destination);

}  // namespace qb
