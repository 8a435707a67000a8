// jet/workgroup/account_session: the closed-workspace check in front of the workgroup store.
#include "jet/workgroup/account_session.h"

#include "jet/base/errors.h"

namespace qb::jet {

WorkgroupStore& AccountSession::Store() {
  if (!store_) RaiseJetError(err::kObjectClosed, "The workspace has been closed; its users and groups can no longer be used.");
  return *store_;
}

}  // namespace qb::jet
