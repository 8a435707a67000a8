// controls/media/media_device_factory: where the player gets its device from: a QtMediaDevice
// unless a test installed its own factory (a ScriptedMediaDevice, say). Process-wide, GUI
// thread only.
#pragma once
#include <functional>
#include <memory>

#include "controls/media/media_device.h"

namespace qb::media {

using MediaDeviceFactory = std::function<std::unique_ptr<MediaDevice>()>;

// A new device from the installed factory; the caller owns it.
std::unique_ptr<MediaDevice> CreateMediaDevice();

// Installs FACTORY (empty: the Qt device again) and returns the one it replaces.
MediaDeviceFactory SetMediaDeviceFactory(MediaDeviceFactory factory);

}  // namespace qb::media
