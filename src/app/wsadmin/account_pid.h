// app/wsadmin/account_pid: the personal identifier the administration window gives a new user
// or group. Pure text rule; no engine.
#pragma once
#include <string>

namespace qb {

// NAME cut to 20 characters, or padded on the right with "X" to 20 characters when shorter.
std::string MakePID(const std::string& name);

}  // namespace qb
