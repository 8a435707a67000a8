// app/toolwindows/refresh_request: the channel lives as long as the process.
#include "app/toolwindows/refresh_request.h"

namespace qb {

DatabaseRefreshRequests& RefreshRequests() {
  static auto* requests = new DatabaseRefreshRequests;  // never freed: outlives every window
  return *requests;
}

void PostRefreshRequest() {
  QMetaObject::invokeMethod(
      &RefreshRequests(), [] { emit RefreshRequests().Requested(); }, Qt::QueuedConnection);
}

}  // namespace qb
