// jet/workgroup/default_workgroup: resolving and first-use creation of the per-user workgroup.
#include "jet/workgroup/default_workgroup.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "com/ole_exception.h"
#include "jet/storage/engine_file.h"
#include "jet/base/errors.h"
#include "jet/workgroup/workgroup_store.h"

namespace qb::jet {
namespace {

std::string ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  RaiseJetError(err::kBadPath, "The default workgroup file has no place: neither XDG_CONFIG_HOME nor "
                               "HOME names a folder.");
}

}  // namespace

std::string DefaultWorkgroupPath() { return ConfigFolder() + "/quillbase/system.mdw"; }

std::string EnsureDefaultWorkgroup(const EngineSettings& settings) {
  const std::string path = DefaultWorkgroupPath();
  if (ProbeFileShape(path) != FileShape::kMissing) return path;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code error;
  std::filesystem::create_directories(folder.parent_path(), error);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    RaiseJetError(err::kBadPath, "The folder '" + folder.string() + "' could not be made: " +
                                     std::strerror(errno) + ".");
  }
  try {
    WorkgroupStore::Create(path, settings);
  } catch (const EOleException& e) {
    if (e.ErrorCode() != err::kFileExists) throw;  // made meanwhile by another process
  }
  return path;
}

}  // namespace qb::jet
