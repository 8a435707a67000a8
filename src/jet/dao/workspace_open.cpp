// jet/dao/workspace_open: Workspace::OpenDatabase: reads the open options and hands the file to
// OpenDatabaseAt with the engine's settings, or connects an ODBC workspace's data source.
#include "jet/dao/database_files.h"
#include "jet/base/errors.h"
#include "jet/dao/database.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/data_source.h"

namespace qb::jet {

std::shared_ptr<Database> Workspace::OpenDatabase(const std::string& name, const Variant& options, bool read_only,
                                                  const std::string& connect) {
  RequireOpen();
  if (type_ == kUseOdbc) {
    odbc::OpenRequest request;
    request.name = name;
    request.read_only = read_only;
    request.connect = connect;
    request.login_timeout = login_timeout_;
    request.user = user_name_;
    request.password = odbc_password_;
    request.cursor_driver = default_cursor_driver_;
    try {
      if (options.Type() == VarType::Boolean) {
        request.options = options.ToBool() ? 1 : 0;
      } else if (!options.IsEmpty() && !options.IsNull()) {
        request.options = options.ToInt32();
      }
    } catch (const EVariantError&) {
      RaiseJetError(err::kInvalidArgument, "The open options of a data source must be a number 0 to 3.");
    }
    auto database = std::make_shared<Database>(std::make_shared<odbc::DataSource>(request));
    databases_.push_back(database);
    return database;
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
