// app/wsadmin/account_pid: MakePID.
#include "app/wsadmin/account_pid.h"

namespace qb {

std::string MakePID(const std::string& name) {
  constexpr std::size_t kPidLength = 20;
  std::string pid = name.substr(0, kPidLength);
  pid.resize(kPidLength, 'X');
  return pid;
}

}  // namespace qb
