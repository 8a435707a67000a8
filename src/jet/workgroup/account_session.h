// jet/workgroup/account_session: one login's hold on its workgroup file, shared by a Workspace and the
// users, groups and collections it hands out, so they fail cleanly once the workspace is closed.
// Engine-internal; never outlives the need of its holders and never reopens a file.
#pragma once
#include <memory>
#include <string>

#include "jet/workgroup/workgroup_store.h"

namespace qb::jet {

class AccountSession {
 public:
  AccountSession(std::unique_ptr<WorkgroupStore> store, std::string user_name)
      : store_(std::move(store)), user_name_(std::move(user_name)) {}

  // The open workgroup. Raises kObjectClosed once the workspace has been closed.
  WorkgroupStore& Store();
  // The logged-in user, as the workgroup spells the name.
  const std::string& UserName() const { return user_name_; }
  // Releases the workgroup file; later Store() calls fail.
  void Close() { store_.reset(); }

 private:
  std::unique_ptr<WorkgroupStore> store_;  // null once closed
  std::string user_name_;                  // constant after construction
};

}  // namespace qb::jet
