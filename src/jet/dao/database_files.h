// jet/dao/database_files: the database-file calls beyond the object model, for tools and tests
// that manage files themselves: a Database opened or created outside a workspace, and the
// maintenance routines (compact in place, repair with its report) with their option bits.
#pragma once
#include <memory>
#include <string>

#include "jet/base/engine_settings.h"
#include "jet/dao/database.h"
#include "jet/locks/lock_file.h"
#include "jet/maintenance/database_maintenance.h"

namespace qb::jet {

// PATH opened as a Database with SHARE, READ_ONLY and CONNECT (";pwd=..."), as
// Workspace::OpenDatabase opens it; raises what it raises (maintenance/database_open.h).
std::shared_ptr<Database> OpenDatabaseAt(const std::string& path, ShareMode share, bool read_only,
                                         const std::string& connect, const EngineSettings& settings);

// PATH created as a new database and returned open, as DBEngine::CreateDatabase does.
std::shared_ptr<Database> CreateDatabaseAt(const std::string& path, const std::string& locale, int options,
                                           const EngineSettings& settings);

}  // namespace qb::jet
