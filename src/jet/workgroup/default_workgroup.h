// jet/workgroup/default_workgroup: where the per-user default workgroup file lives and its
// creation on first use. Reads the environment; opens no workgroup itself.
#pragma once
#include <string>

#include "jet/base/engine_settings.h"

namespace qb::jet {

// "$XDG_CONFIG_HOME/quillbase/system.mdw", or "$HOME/.config/quillbase/system.mdw" when
// XDG_CONFIG_HOME is unset or not absolute. Raises kBadPath when neither variable gives a folder.
std::string DefaultWorkgroupPath();

// DefaultWorkgroupPath(), after creating its folder (private to the user) and the workgroup file
// when they are missing. Another process creating it at the same moment is harmless. Raises
// kBadPath when the folder cannot be made, or the errors of WorkgroupStore::Create.
std::string EnsureDefaultWorkgroup(const EngineSettings& settings);

}  // namespace qb::jet
