// controls/media/media_device_factory: the installed device factory.
#include "controls/media/media_device_factory.h"

#include "controls/media/qt_media_device.h"

namespace qb::media {

namespace {
MediaDeviceFactory& InstalledFactory() {
  static MediaDeviceFactory factory;
  return factory;
}
}  // namespace

std::unique_ptr<MediaDevice> CreateMediaDevice() {
  if (const MediaDeviceFactory& factory = InstalledFactory()) return factory();
  return std::make_unique<QtMediaDevice>();
}

MediaDeviceFactory SetMediaDeviceFactory(MediaDeviceFactory factory) {
  MediaDeviceFactory previous = std::move(InstalledFactory());
  InstalledFactory() = std::move(factory);
  return previous;
}

}  // namespace qb::media
