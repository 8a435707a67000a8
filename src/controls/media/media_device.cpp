// controls/media/media_device: the notification bookkeeping every device shares.
#include "controls/media/media_device.h"

#include <QMetaObject>

namespace qb::media {

void MediaDevice::BeginCommand(bool interrupts, CommandFlags flags) {
  if (!pending_) return;
  if (interrupts) {
    FinishPending(NotifyValue::Aborted);
  } else if (flags.notify) {
    FinishPending(NotifyValue::Superseded);
  }
}

void MediaDevice::FinishPending(NotifyValue value) {
  if (!pending_) return;
  pending_ = false;
  PostNotify(value);
}

void MediaDevice::PostNotify(NotifyValue value) {
  QMetaObject::invokeMethod(
      &post_context_,
      [this, value] {
        if (handler_) handler_(value);
      },
      Qt::QueuedConnection);
}

}  // namespace qb::media
