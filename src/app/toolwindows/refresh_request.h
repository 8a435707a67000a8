// app/toolwindows/refresh_request: the request a tool window sends when it changed the
// database behind the windows' backs (an action statement run by hand): the main window answers
// it by refreshing what it shows of the database. The request is posted, so the sender's
// current event finishes first.
#pragma once
#include <QObject>

namespace qb {

class DatabaseRefreshRequests : public QObject {
  Q_OBJECT

 signals:
  // Delivered once per posted request, from the event loop.
  void Requested();
};

// The process's channel (GUI thread only).
DatabaseRefreshRequests& RefreshRequests();

// Posts one refresh request; the connected receivers get it when the event loop runs next.
void PostRefreshRequest();

}  // namespace qb
