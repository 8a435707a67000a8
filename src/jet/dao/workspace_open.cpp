// jet/dao/workspace_open: Workspace::OpenDatabase: reads the open options and hands the file to
// OpenDatabaseAt with the engine's settings.
#include "jet/dao/database_files.h"
#include "jet/base/errors.h"
#include "jet/dao/workspace.h"

namespace qb::jet {

std::shared_ptr<Database> Workspace::OpenDatabase(const std::string& name, const Variant& options, bool read_only,
                                                  const std::string& connect) {
  RequireOpen();
  if (type_ != kUseJet) {
    RaiseJetError(err::kNotForThisObject, "ODBC data sources cannot be opened yet; open database files in a Jet workspace.");
  }
  ShareMode share = ShareMode::kShared;
  try {
    if (options.Type() == VarType::Boolean) {
      share = options.ToBool() ? ShareMode::kExclusive : ShareMode::kShared;
    } else if (!options.IsEmpty() && !options.IsNull()) {
      const std::int32_t value = options.ToInt32();
      share = value == 0 ? ShareMode::kShared : value == kDenyWrite ? ShareMode::kDenyWrite : ShareMode::kExclusive;
    }
  } catch (const EVariantError&) {
    RaiseJetError(err::kInvalidArgument, "The open options must be true, false or a number.");
  }
  std::shared_ptr<Database> database = OpenDatabaseAt(name, share, read_only, connect, settings_);
  databases_.push_back(database);
  return database;
}

}  // namespace qb::jet
